// VexelOSD.exe under Wine: its window, its settings record, what it shows and how the popup goes away.
#include <windows.h>

#include "common/ini_file.h"
#include "common/messages.h"
#include "common/osd_settings.h"
#include "testing/files.h"
#include "testing/process.h"
#include "testing/pump.h"
#include "testing/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

namespace {
HWND Popup() {
    return FindWindowA("KorvaneOsdPopup", nullptr);
}

class OsdProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp_.CopyFrom(TestProgramFolder() + "VexelOSD.exe", "VexelOSD.exe"));
        ASSERT_TRUE(WriteFileText(folder_ + "VexelOSD.log", ""));
    }
    void TearDown() override {
        if (HWND osd = FindWindowA(nullptr, kOsdWindowTitle)) {
            PostMessageA(osd, WM_CLOSE, 0, 0);
        }
        if (process_.process) {
            EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(process_.process.get(), 10000));
        }
    }
    HWND Start() {
        process_ = StartProgram("\"" + folder_ + "VexelOSD.exe\"", folder_);
        if (!process_.process) {
            return nullptr;
        }
        // The window of the program started here: one of another would make this one step aside.
        HWND osd = nullptr;
        const bool shown = PumpUntil(
            [&] {
                DWORD pid = 0;
                osd = FindWindowA(nullptr, kOsdWindowTitle);
                return osd != nullptr && GetWindowThreadProcessId(osd, &pid) != 0 && pid == process_.pid;
            },
            10000);
        return shown ? osd : nullptr;
    }

    // Removed after TearDown has waited for the program to end.
    TempFolder temp_;
    const std::string folder_ = temp_.Path();
    StartedProgram process_;
};
} // namespace

TEST_F(OsdProgram, WritesTheSettingRecordWithBothDisplaysWhenMissing) {
    HWND osd = Start();
    ASSERT_NE(nullptr, osd);
    EXPECT_FALSE(IsWindowVisible(osd));
    OsdSettingRecord record{};
    ASSERT_TRUE(IniFile(folder_ + "config.ini").GetStruct("config", "OSDSetting", record.data(), kOsdSettingSize));
    EXPECT_TRUE(ParseOsdSettings(record).profileDisplay);
    EXPECT_TRUE(ParseOsdSettings(record).cpiDisplay);
}

TEST_F(OsdProgram, KeepsARecordThatIsThere) {
    OsdSettingRecord off{};
    off[100] = 7;
    ASSERT_TRUE(IniFile(folder_ + "config.ini").WriteStruct("config", "OSDSetting", off.data(), kOsdSettingSize));
    ASSERT_NE(nullptr, Start());
    OsdSettingRecord record{};
    ASSERT_TRUE(IniFile(folder_ + "config.ini").GetStruct("config", "OSDSetting", record.data(), kOsdSettingSize));
    EXPECT_EQ(off, record);
}

TEST_F(OsdProgram, ShowsRequestsAtTheBottomCentreAndFadesOut) {
    IniFile(folder_ + "config.ini").WriteString(kOsdDataSection, kOsdDataKey, "CPI: 2500");
    HWND osd = Start();
    ASSERT_NE(nullptr, osd);
    HWND before = GetForegroundWindow();
    PostMessageA(osd, OsdShow, kOsdShowMessage, 0);
    ASSERT_TRUE(PumpUntil([] { return Popup() != nullptr && IsWindowVisible(Popup()); }, 5000));
    const LONG_PTR exStyle = GetWindowLongPtrA(Popup(), GWL_EXSTYLE);
    EXPECT_NE(0, exStyle & WS_EX_TOPMOST);
    EXPECT_NE(0, exStyle & WS_EX_NOACTIVATE);
    EXPECT_EQ(before, GetForegroundWindow());
    RECT rc{};
    GetWindowRect(Popup(), &rc);
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_LE(std::abs((rc.left + rc.right) / 2 - (work.left + work.right) / 2), 1);
    EXPECT_GT(rc.top, (work.top + work.bottom) / 2);
    // A new request replaces the shown one.
    PostMessageA(osd, OsdShow, kOsdShowProfile, 2 << 16);
    PostMessageA(osd, OsdShow, kOsdShowProfile, 9 << 16); // no such profile: nothing shown
    ASSERT_TRUE(
        PumpUntil([&] { return ReadFileText(folder_ + "VexelOSD.log").find("Profile 3") != std::string::npos; }, 5000));
    // Held about 1.5 s, then faded out.
    EXPECT_TRUE(PumpUntil([] { return !IsWindowVisible(Popup()); }, 6000));
    const std::string log = ReadFileText(folder_ + "VexelOSD.log");
    EXPECT_NE(std::string::npos, log.find("OsdShow 50 0: CPI: 2500"));
    EXPECT_NE(std::string::npos, log.find("OsdShow 40 589824: \r\n"));
}

TEST_F(OsdProgram, OneDisplayPerSession) {
    ASSERT_NE(nullptr, Start());
    const StartedProgram second = StartProgram("\"" + folder_ + "VexelOSD.exe\"", folder_);
    ASSERT_TRUE(second.process);
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(second.process.get(), 10000));
    EXPECT_NE(nullptr, FindWindowA(nullptr, kOsdWindowTitle));
}
