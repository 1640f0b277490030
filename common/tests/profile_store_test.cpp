#include <windows.h>

#include "common/ini_file.h"
#include "common/profile_store.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

// These tests run in the build's own Wine prefix: the registry values they change are restored afterwards.

namespace {

// A fresh folder under the temporary path with an empty config\ inside; removed with everything in it.
class TempFolder {
public:
    TempFolder() {
        static int counter = 0;
        char temp[MAX_PATH];
        DWORD n = GetTempPathA(MAX_PATH, temp);
        std::string base(temp, n < MAX_PATH ? n : 0);
        char name[64];
        std::snprintf(name, sizeof name, "korvane-store-%lu-%d\\", GetCurrentProcessId(), ++counter);
        path_ = base + name;
        CreateDirectoryA(path_.c_str(), nullptr);
        CreateDirectoryA((path_ + "config").c_str(), nullptr);
    }
    ~TempFolder() { Remove(path_); }
    const std::string& Path() const { return path_; }

private:
    static void Remove(const std::string& folder) {
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((folder + "*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                std::string name = found.cFileName;
                if (name == "." || name == "..") {
                    continue;
                }
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    Remove(folder + name + "\\");
                } else {
                    DeleteFileA((folder + name).c_str());
                }
            } while (FindNextFileA(find, &found));
            FindClose(find);
        }
        RemoveDirectoryA(folder.c_str());
    }
    std::string path_;
};

constexpr const char* kMouse = "Control Panel\\Mouse";
constexpr const char* kDesktop = "Control Panel\\Desktop";

// Returns false when the value is missing.
bool RegText(const char* key, const char* name, std::string& text, DWORD* type = nullptr, DWORD* size = nullptr) {
    char buffer[256];
    DWORD t = 0, s = sizeof buffer;
    if (RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_ANY | RRF_NOEXPAND, &t, buffer, &s) != ERROR_SUCCESS) {
        return false;
    }
    text.assign(buffer, s && buffer[s - 1] == '\0' ? s - 1 : s);
    if (type) {
        *type = t;
    }
    if (size) {
        *size = s;
    }
    return true;
}

void SetRegText(const char* key, const char* name, const std::string& text) {
    RegSetKeyValueA(HKEY_CURRENT_USER, key, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

void DeleteRegValue(const char* key, const char* name) {
    RegDeleteKeyValueA(HKEY_CURRENT_USER, key, name);
}

// Keeps the pointer values of the prefix and puts them back after the test.
class RegistryTest : public ::testing::Test {
protected:
    struct Saved {
        const char* key;
        const char* name;
        bool present;
        std::string text;
    };
    void SetUp() override {
        for (Saved& s : saved_) {
            s.present = RegText(s.key, s.name, s.text);
        }
    }
    void TearDown() override {
        for (const Saved& s : saved_) {
            if (s.present) {
                SetRegText(s.key, s.name, s.text);
            } else {
                DeleteRegValue(s.key, s.name);
            }
        }
    }
    Saved saved_[6] = {{kMouse, "DoubleClickSpeed", false, {}}, {kMouse, "MouseSensitivity", false, {}},
                       {kMouse, "MouseSpeed", false, {}},       {kMouse, "MouseThreshold1", false, {}},
                       {kMouse, "MouseThreshold2", false, {}},  {kDesktop, "WheelScrollLines", false, {}}};
    TempFolder folder_;
};

void SetPointerRegistry(const char* dbl, const char* sens, const char* s, const char* t1, const char* t2,
                        const char* lines) {
    SetRegText(kMouse, "DoubleClickSpeed", dbl);
    SetRegText(kMouse, "MouseSensitivity", sens);
    SetRegText(kMouse, "MouseSpeed", s);
    SetRegText(kMouse, "MouseThreshold1", t1);
    SetRegText(kMouse, "MouseThreshold2", t2);
    SetRegText(kDesktop, "WheelScrollLines", lines);
}

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// A record with a distinct value in every number and byte of the record, negative and extreme values included, and
// button entries full of bytes (texts without terminators too).
std::unique_ptr<ProfileRecord> EveryFieldSet() {
    auto r = std::make_unique<ProfileRecord>();
    ResetProfile(*r, 3);
    std::strcpy(r->ProFileName, "Arena Night");
    std::strcpy(r->GameFile, "C:\\Games\\Arena\\arena.exe");
    auto* bytes = reinterpret_cast<unsigned char*>(r.get());
    int k = 0;
    for (size_t off = offsetof(ProfileRecord, DbleClickSpeed); off < offsetof(ProfileRecord, MacroKey); off += 4) {
        if (off >= offsetof(ProfileRecord, dpiIndicator) && off < offsetof(ProfileRecord, Brightness)) {
            for (int b = 0; b < 4; ++b) {
                bytes[off + b] = static_cast<unsigned char>(120 + 11 * (k + b)); // crosses 127
            }
        } else {
            int32_t v = (k % 3 == 0 ? -1 : 1) * (1000 * k + 7);
            if (k == 5) {
                v = INT_MIN;
            }
            if (k == 6) {
                v = INT_MAX;
            }
            std::memcpy(bytes + off, &v, 4);
        }
        ++k;
    }
    r->dpiIndicator[9] = 200;
    auto* keys = reinterpret_cast<unsigned char*>(r->MacroKey);
    for (size_t i = 0; i < sizeof r->MacroKey; ++i) {
        keys[i] = static_cast<unsigned char>((i * 37 + 11) ^ (i >> 9));
    }
    return r;
}

void ExpectResetEntry(const MacroKeyInfo& entry, int n) {
    ProfileRecord reset;
    ResetProfile(reset, 0);
    EXPECT_EQ(0, std::memcmp(&reset.MacroKey[n], &entry, sizeof entry)) << "entry " << n;
}

} // namespace

TEST(IniFileTest, ValuesAndDefaults) {
    TempFolder folder;
    IniFile ini(folder.Path() + "t.ini");
    EXPECT_FALSE(FileExists(ini.Path()));
    EXPECT_EQ(-1, ini.GetInt("Setting", "Missing", -1));
    EXPECT_EQ("none", ini.GetString("Setting", "Missing", "none"));
    EXPECT_FALSE(ini.HasKey("Setting", "Missing"));
    ini.WriteInt("Setting", "Negative", -1234);
    ini.WriteString("Setting", "Text", "hello world");
    EXPECT_TRUE(FileExists(ini.Path()));
    EXPECT_EQ(-1234, ini.GetInt("Setting", "Negative", 0));
    EXPECT_EQ("hello world", ini.GetString("Setting", "Text", ""));
    EXPECT_TRUE(ini.HasKey("setting", "TEXT"));
    // A long value comes back within the 2048-byte buffer.
    ini.WriteString("Setting", "Long", std::string(3000, 'q').c_str());
    EXPECT_EQ(std::string(2047, 'q'), ini.GetString("Setting", "Long", ""));
}

TEST(IniFileTest, StructValueIsCheckedAndLeavesTheBufferOnFailure) {
    TempFolder folder;
    IniFile ini(folder.Path() + "t.ini");
    const unsigned char data[4] = {0x01, 0xA0, 0xFF, 0x10};
    ASSERT_TRUE(ini.WriteStruct("S", "Blob", data, sizeof data));
    EXPECT_EQ("01A0FF10B0", ini.GetString("S", "Blob", ""));
    unsigned char back[4] = {};
    EXPECT_TRUE(ini.GetStruct("S", "Blob", back, sizeof back));
    EXPECT_EQ(0, std::memcmp(data, back, 4));

    unsigned char untouched[4] = {9, 9, 9, 9};
    ini.WriteString("S", "Blob", "01A0FF10B1"); // checksum off by one
    EXPECT_FALSE(ini.GetStruct("S", "Blob", untouched, 4));
    ini.WriteString("S", "Short", "01A0A1");
    EXPECT_FALSE(ini.GetStruct("S", "Short", untouched, 4));
    ini.WriteString("S", "Long", "01A0FF10B000");
    EXPECT_FALSE(ini.GetStruct("S", "Long", untouched, 4));
    ini.WriteString("S", "Odd", "01A0FF10B00");
    EXPECT_FALSE(ini.GetStruct("S", "Odd", untouched, 4));
    EXPECT_FALSE(ini.GetStruct("S", "Missing", untouched, 4));
    for (unsigned char b : untouched) {
        EXPECT_EQ(9, b);
    }
}

TEST(IniFileTest, ProgramFolderAndFileExists) {
    std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ('\\', folder.back());
    DWORD attributes = GetFileAttributesA(folder.c_str());
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(FileExists(folder + "common_tests.exe"));
    // A folder is not a file that can be read.
    EXPECT_FALSE(FileExists(folder));
    EXPECT_FALSE(FileExists(folder + "no-such-file.ini"));
    EXPECT_FALSE(FileExists(""));
}

TEST(ProfileFile, RoundTripReturnsEveryField) {
    TempFolder folder;
    std::string path = folder.Path() + "round.tvp";
    auto written = EveryFieldSet();
    EXPECT_EQ(1, WriteProfileFile(*written, path));
    auto read = std::make_unique<ProfileRecord>();
    std::memset(read.get(), 0xCD, sizeof *read);
    EXPECT_EQ(1, ReadProfileFile(*read, path));
    EXPECT_EQ(0, std::memcmp(written.get(), read.get(), sizeof *read));
    // Named ones, so a failure says where.
    EXPECT_STREQ("Arena Night", read->ProFileName);
    EXPECT_STREQ("C:\\Games\\Arena\\arena.exe", read->GameFile);
    EXPECT_EQ(written->BTNDelay, read->BTNDelay);
    EXPECT_EQ(written->B2WSens, read->B2WSens);
    EXPECT_EQ(written->W2BDelay, read->W2BDelay);
    EXPECT_EQ(written->B2TSens, read->B2TSens);
    EXPECT_EQ(0, std::memcmp(written->dpiIndicator, read->dpiIndicator, 10));
    EXPECT_EQ(written->ModeStatus, read->ModeStatus);
    EXPECT_EQ(written->LedLPColor, read->LedLPColor);
    // The byte fields are written as their unsigned value.
    IniFile ini(path);
    EXPECT_EQ(std::to_string(written->dpiIndicator[9]), ini.GetString("Setting", "dpiIndicator9", ""));
    EXPECT_GT(written->dpiIndicator[9], 127);
}

// The golden file holds the profile below; its lines come in the order the writer must keep.
TEST(ProfileFile, MatchesTheGoldenFile) {
    auto r = std::make_unique<ProfileRecord>();
    std::memset(r.get(), 0, sizeof *r);
    ResetProfile(*r, 0);
    std::strcpy(r->ProFileName, "Arena");
    std::strcpy(r->GameFile, "C:\\Games\\arena.exe");
    r->MouseSpeed = 12;
    r->Acceleration = 8;
    r->AccelerationFlag = 1;
    r->BTNDelay = 4;
    r->LedColor = 0x00FF8000;
    r->ModeStatus = 2;
    r->dpiIndicator[9] = 200;
    r->MacroKey[3].FunctionCode = 5;
    r->MacroKey[3].ContentCount = 1;
    r->MacroKey[3].Data[0] = 0x04; // the A key
    r->MacroKey[3].Data[1] = 0x01; // the key alone, no modifier
    std::strcpy(r->MacroKey[6].ProgramPath, "C:\\Tools\\tool.exe");
    r->MacroKey[6].FunctionCode = 99;

    TempFolder folder;
    std::string path = folder.Path() + "Default0.tvp";
    WriteProfileFile(*r, path);
    std::string produced = FileBytes(path);

    const char* source = std::getenv("KORVANE_SOURCE_DIR");
    ASSERT_NE(nullptr, source);
    // Under Wine the source tree's Unix path is reached through drive Z:.
    std::string golden =
        std::string(source[0] == '/' ? "Z:" : "") + source + "/common/tests/golden/default_profile.tvp";
    for (char& c : golden) {
        if (c == '/') {
            c = '\\';
        }
    }
    if (std::getenv("KORVANE_UPDATE_GOLDEN")) {
        std::ofstream(golden, std::ios::binary) << produced;
    }
    std::string expected = FileBytes(golden);
    ASSERT_FALSE(expected.empty()) << golden;
    EXPECT_EQ(expected.size(), produced.size());
    EXPECT_TRUE(expected == produced) << "written file differs from " << golden;
}

TEST(ProfileFile, MissingKeysGiveMinusOneAndResetEntries) {
    TempFolder folder;
    std::string path = folder.Path() + "sparse.tvp";
    IniFile ini(path);
    ini.WriteInt("Setting", "MouseSpeed", 7);
    auto r = std::make_unique<ProfileRecord>();
    std::memset(r.get(), 0x5A, sizeof *r);
    ReadProfileFile(*r, path);
    EXPECT_STREQ("", r->ProFileName);
    EXPECT_STREQ("", r->GameFile);
    EXPECT_EQ(7, r->MouseSpeed);
    EXPECT_EQ(-1, r->DbleClickSpeed);
    EXPECT_EQ(-1, r->CpiLevel_Y[5]);
    EXPECT_EQ(-1, r->B2TSens);
    EXPECT_EQ(-1, r->SLEDColor8[7]);
    EXPECT_EQ(255, r->ModeStatus);
    EXPECT_EQ(255, r->DpiIndicationType);
    EXPECT_EQ(255, r->dpiIndicator[0]);
    for (int n = 0; n < kMacroKeyCount; ++n) {
        ExpectResetEntry(r->MacroKey[n], n);
    }
}

TEST(ProfileFile, OlderIndicatorKeysAreReadWhenAlone) {
    TempFolder folder;
    std::string path = folder.Path() + "older.tvp";
    IniFile ini(path);
    for (int i = 0; i < 10; ++i) {
        ini.WriteInt("Setting", (std::string("dpibyDpiIndicator") + std::to_string(i)).c_str(), 10 + i);
    }
    // Where both exist, the key the writer produces wins.
    ini.WriteInt("Setting", "dpiIndicator4", 99);
    auto r = std::make_unique<ProfileRecord>();
    ReadProfileFile(*r, path);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(i == 4 ? 99 : 10 + i, r->dpiIndicator[i]) << i;
    }
}

TEST(ProfileFile, OverlongTextsAreCutToTheirFields) {
    TempFolder folder;
    std::string path = folder.Path() + "long.tvp";
    IniFile ini(path);
    ini.WriteString("Setting", "ProFileName", std::string(400, 'a').c_str());
    ini.WriteString("Setting", "GameFile", std::string(1500, 'b').c_str());
    auto r = std::make_unique<ProfileRecord>();
    std::memset(r.get(), 0x77, sizeof *r);
    ReadProfileFile(*r, path);
    EXPECT_EQ(std::string(249, 'a'), r->ProFileName);
    EXPECT_EQ(std::string(501, 'b'), r->GameFile);
    EXPECT_EQ(0, r->ProFileName[249]);
}

TEST(ProfileFile, UnterminatedOrMultiLineNamesStayWithinTheirKey) {
    TempFolder folder;
    std::string path = folder.Path() + "names.tvp";
    auto r = std::make_unique<ProfileRecord>();
    ResetProfile(*r, 0);
    std::memset(r->ProFileName, 'n', sizeof r->ProFileName); // no terminator
    std::strcpy(r->GameFile, "game\r\nMouseSpeed=99");
    r->MouseSpeed = 4;
    WriteProfileFile(*r, path);
    auto back = std::make_unique<ProfileRecord>();
    ReadProfileFile(*back, path);
    EXPECT_EQ(std::string(249, 'n'), back->ProFileName);
    EXPECT_STREQ("game", back->GameFile);
    EXPECT_EQ(4, back->MouseSpeed);
    EXPECT_EQ(r->DbleClickSpeed, back->DbleClickSpeed);
}

TEST(ProfileFile, DamagedButtonEntriesGetTheirResetContent) {
    TempFolder folder;
    std::string path = folder.Path() + "damaged.tvp";
    auto r = EveryFieldSet();
    WriteProfileFile(*r, path);
    IniFile ini(path);
    std::string good = ini.GetString("Setting", "MacroKeyInfo4", "");
    ASSERT_EQ(1010u, good.size());
    std::string badSum = good;
    badSum[1009] = badSum[1009] == '0' ? '1' : '0';
    ini.WriteString("Setting", "MacroKeyInfo4", badSum.c_str());
    ini.WriteString("Setting", "MacroKeyInfo3", good.substr(0, 1008).c_str()); // two bytes short
    ini.WriteString("Setting", "MacroKeyInfo20", (good + "00").c_str());       // one byte long
    std::string notHex = good;
    notHex[10] = 'G';
    ini.WriteString("Setting", "MacroKeyInfo21", notHex.c_str());
    WritePrivateProfileStringA("Setting", "MacroKeyInfo63", nullptr, path.c_str()); // missing

    auto back = std::make_unique<ProfileRecord>();
    std::memset(back.get(), 0xEE, sizeof *back);
    ReadProfileFile(*back, path);
    for (int n : {3, 4, 20, 21, 63}) {
        ExpectResetEntry(back->MacroKey[n], n);
    }
    for (int n : {0, 5, 22, 62}) {
        EXPECT_EQ(0, std::memcmp(&r->MacroKey[n], &back->MacroKey[n], sizeof(MacroKeyInfo))) << n;
    }
}

TEST(ProfileFile, DeviceKeyOfConfigIni) {
    TempFolder folder;
    std::string config = ConfigFilePath(folder.Path());
    EXPECT_EQ(0, ReadDevice(config));
    IniFile(config).WriteInt("Setting", "Device", 1);
    EXPECT_EQ(1, ReadDevice(config));
}

TEST_F(RegistryTest, MissingFilesGiveResetProfilesAndNoRegistryRead) {
    SetPointerRegistry("777", "17", "2", "4", "5", "9");
    auto data = std::make_unique<ShareData>();
    std::memset(data.get(), 0xAB, sizeof *data);
    auto expected = std::make_unique<ShareData>();
    std::memcpy(expected.get(), data.get(), sizeof *data);
    for (int n = 0; n < kProfileCount; ++n) {
        ResetProfile(expected->Profile[n], n);
    }

    EXPECT_EQ(1, LoadAllProfiles(*data, folder_.Path()));
    EXPECT_EQ(-1, data->CurrentProfile);
    EXPECT_EQ(-1, data->MouseType);
    EXPECT_EQ(-1, data->LedType);
    for (int n = 0; n < kProfileCount; ++n) {
        EXPECT_EQ(0, std::memcmp(&expected->Profile[n], &data->Profile[n], sizeof(ProfileRecord))) << n;
        EXPECT_EQ(std::string("Default") + std::to_string(n + 1), data->Profile[n].ProFileName);
        EXPECT_EQ(500, data->Profile[n].DbleClickSpeed);
    }
    // Loading creates nothing.
    EXPECT_FALSE(FileExists(ConfigFilePath(folder_.Path())));
    EXPECT_FALSE(FileExists(ProfileFilePath(folder_.Path(), 0)));
}

TEST_F(RegistryTest, SaveAllWritesConfigFilesAndTheActiveProfilesPointerValues) {
    auto data = std::make_unique<ShareData>();
    std::memset(data.get(), 0, sizeof *data);
    ResetAll(*data);
    data->CurrentProfile = 2;
    data->MouseType = 7;
    data->LedType = 3;
    for (int n = 0; n < kProfileCount; ++n) {
        data->Profile[n].Brightness = 20 + n;
    }
    ProfileRecord& active = data->Profile[2];
    active.DbleClickSpeed = 432;
    active.MouseSpeed = 14;
    active.Acceleration = 8;
    active.AccelerationFlag = 1;
    active.ScrollWheelSpeed = 6;

    EXPECT_EQ(1, SaveAllProfiles(*data, folder_.Path()));
    IniFile config(ConfigFilePath(folder_.Path()));
    EXPECT_EQ(2, config.GetInt("Setting", "CurrentProfile", -9));
    EXPECT_EQ(7, config.GetInt("Setting", "MouseType", -9));
    EXPECT_EQ(3, config.GetInt("Setting", "LedType", -9));
    EXPECT_EQ(folder_.Path() + "config\\Default4.tvp", ProfileFilePath(folder_.Path(), 4));
    for (int n = 0; n < kProfileCount; ++n) {
        EXPECT_TRUE(FileExists(ProfileFilePath(folder_.Path(), n))) << n;
    }
    std::string text;
    ASSERT_TRUE(RegText(kMouse, "DoubleClickSpeed", text));
    EXPECT_EQ("432", text);

    // The system changes its settings meanwhile; the load takes them into the active profile only.
    SetPointerRegistry("610", "3", "2", "4", "13", "-1");
    auto back = std::make_unique<ShareData>();
    std::memset(back.get(), 0x11, sizeof *back);
    EXPECT_EQ(1, LoadAllProfiles(*back, folder_.Path()));
    EXPECT_EQ(2, back->CurrentProfile);
    EXPECT_EQ(7, back->MouseType);
    EXPECT_EQ(3, back->LedType);
    for (int n = 0; n < kProfileCount; ++n) {
        if (n != 2) {
            EXPECT_EQ(0, std::memcmp(&data->Profile[n], &back->Profile[n], sizeof(ProfileRecord))) << n;
        }
    }
    const ProfileRecord& b = back->Profile[2];
    EXPECT_EQ(22, b.Brightness);
    EXPECT_EQ(610, b.DbleClickSpeed);
    EXPECT_EQ(3, b.MouseSpeed);
    EXPECT_EQ(11, b.Acceleration);
    EXPECT_EQ(1, b.AccelerationFlag);
    EXPECT_EQ(0, b.ScrollWheelSpeed);
    EXPECT_EQ(1, b.ScrollWheelFlag);
}

TEST_F(RegistryTest, PointerValuesAreDecimalTextWithTheirTerminator) {
    auto r = std::make_unique<ProfileRecord>();
    ResetProfile(*r, 0);
    r->DbleClickSpeed = 432;
    r->MouseSpeed = 14;
    r->Acceleration = 25;
    r->AccelerationFlag = 1;
    r->ScrollWheelSpeed = 6;
    r->ScrollWheelFlag = 0;
    EXPECT_EQ(1, WritePointerSettings(*r));

    const struct {
        const char* key;
        const char* name;
        const char* text;
    } expected[] = {{kMouse, "DoubleClickSpeed", "432"}, {kMouse, "MouseSensitivity", "14"},
                    {kMouse, "MouseSpeed", "2"},         {kMouse, "MouseThreshold1", "4"},
                    {kMouse, "MouseThreshold2", "5"},    {kDesktop, "WheelScrollLines", "6"}};
    for (const auto& e : expected) {
        std::string text;
        DWORD type = 0, size = 0;
        ASSERT_TRUE(RegText(e.key, e.name, text, &type, &size)) << e.name;
        EXPECT_EQ(e.text, text) << e.name;
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), type) << e.name;
        EXPECT_EQ(std::strlen(e.text) + 1, size) << e.name;
    }

    auto back = std::make_unique<ProfileRecord>();
    ResetProfile(*back, 0);
    EXPECT_EQ(1, ReadPointerSettings(*back));
    EXPECT_EQ(432, back->DbleClickSpeed);
    EXPECT_EQ(14, back->MouseSpeed);
    EXPECT_EQ(19, back->Acceleration);
    EXPECT_EQ(1, back->AccelerationFlag);
    EXPECT_EQ(6, back->ScrollWheelSpeed);
    EXPECT_EQ(0, back->ScrollWheelFlag);

    // Acceleration off writes row 0 whatever the row; one screen per notch writes -1.
    r->AccelerationFlag = 0;
    r->ScrollWheelFlag = 1;
    WritePointerSettings(*r);
    std::string text;
    RegText(kMouse, "MouseSpeed", text);
    EXPECT_EQ("0", text);
    RegText(kMouse, "MouseThreshold2", text);
    EXPECT_EQ("0", text);
    RegText(kDesktop, "WheelScrollLines", text);
    EXPECT_EQ("-1", text);
    ReadPointerSettings(*back);
    EXPECT_EQ(0, back->Acceleration);
    EXPECT_EQ(0, back->AccelerationFlag);
    EXPECT_EQ(0, back->ScrollWheelSpeed);
    EXPECT_EQ(1, back->ScrollWheelFlag);
}

TEST_F(RegistryTest, ReadingTheSystemsOwnValues) {
    auto r = std::make_unique<ProfileRecord>();
    ResetProfile(*r, 0);
    SetPointerRegistry("500", "10", "1", "6", "0", "3");
    ReadPointerSettings(*r);
    EXPECT_EQ(8, r->Acceleration);
    EXPECT_EQ(1, r->AccelerationFlag);

    // The system's defaults match no row.
    r->Acceleration = 13;
    SetPointerRegistry("500", "10", "1", "6", "10", "3");
    ReadPointerSettings(*r);
    EXPECT_EQ(13, r->Acceleration);

    // Text that is no number reads as 0; a missing value keeps the profile's value.
    SetRegText(kMouse, "MouseSensitivity", "fast");
    DeleteRegValue(kMouse, "DoubleClickSpeed");
    DeleteRegValue(kMouse, "MouseThreshold1");
    DeleteRegValue(kDesktop, "WheelScrollLines");
    r->DbleClickSpeed = 321;
    r->Acceleration = 5;
    r->AccelerationFlag = 0;
    r->ScrollWheelSpeed = 9;
    r->ScrollWheelFlag = 0;
    EXPECT_EQ(1, ReadPointerSettings(*r));
    EXPECT_EQ(0, r->MouseSpeed);
    EXPECT_EQ(321, r->DbleClickSpeed);
    EXPECT_EQ(5, r->Acceleration);
    EXPECT_EQ(0, r->AccelerationFlag);
    EXPECT_EQ(9, r->ScrollWheelSpeed);
    EXPECT_EQ(0, r->ScrollWheelFlag);
}

TEST_F(RegistryTest, EmptyValuesKeepTheProfilesValues) {
    // A value that exists but holds no text is no number of the system's: the profile keeps its own.
    SetPointerRegistry("", "", "1", "6", "0", "");
    auto r = std::make_unique<ProfileRecord>();
    ResetProfile(*r, 0);
    r->DbleClickSpeed = 321;
    r->MouseSpeed = 12;
    r->ScrollWheelSpeed = 9;
    r->ScrollWheelFlag = 0;
    EXPECT_EQ(1, ReadPointerSettings(*r));
    EXPECT_EQ(321, r->DbleClickSpeed);
    EXPECT_EQ(12, r->MouseSpeed);
    EXPECT_EQ(9, r->ScrollWheelSpeed);
    EXPECT_EQ(0, r->ScrollWheelFlag);
    EXPECT_EQ(8, r->Acceleration); // the values that are there still count

    // An empty acceleration value leaves Acceleration and its flag alone.
    SetRegText(kMouse, "MouseThreshold2", "");
    r->Acceleration = 15;
    r->AccelerationFlag = 1;
    ReadPointerSettings(*r);
    EXPECT_EQ(15, r->Acceleration);
    EXPECT_EQ(1, r->AccelerationFlag);
}

TEST_F(RegistryTest, NoActiveProfileLeavesTheRegistryAlone) {
    for (int current : {-1, 5, 1000}) {
        SetPointerRegistry("777", "17", "2", "4", "5", "9");
        auto data = std::make_unique<ShareData>();
        std::memset(data.get(), 0, sizeof *data);
        ResetAll(*data);
        data->CurrentProfile = current;
        for (int n = 0; n < kProfileCount; ++n) {
            data->Profile[n].DbleClickSpeed = 400 + n;
        }
        EXPECT_EQ(1, SaveAllProfiles(*data, folder_.Path()));
        std::string text;
        ASSERT_TRUE(RegText(kMouse, "DoubleClickSpeed", text));
        EXPECT_EQ("777", text) << current;
        ASSERT_TRUE(RegText(kDesktop, "WheelScrollLines", text));
        EXPECT_EQ("9", text) << current;

        // Loading that back takes no profile from the registry either.
        auto back = std::make_unique<ShareData>();
        EXPECT_EQ(1, LoadAllProfiles(*back, folder_.Path()));
        EXPECT_EQ(current, back->CurrentProfile);
        for (int n = 0; n < kProfileCount; ++n) {
            EXPECT_EQ(400 + n, back->Profile[n].DbleClickSpeed) << current << " " << n;
        }
    }
}

TEST_F(RegistryTest, MissingConfigKeysGiveMinusOne) {
    // config.ini exists, but holds only the connection key and an unreadable profile number.
    IniFile config(ConfigFilePath(folder_.Path()));
    config.WriteInt("Setting", "Device", 1);
    config.WriteString("Setting", "MouseType", "");
    auto data = std::make_unique<ShareData>();
    std::memset(data.get(), 0x3C, sizeof *data);
    EXPECT_EQ(1, LoadAllProfiles(*data, folder_.Path()));
    EXPECT_EQ(-1, data->CurrentProfile);
    EXPECT_EQ(-1, data->MouseType);
    EXPECT_EQ(-1, data->LedType);
    EXPECT_EQ(1, ReadDevice(config.Path()));
    EXPECT_STREQ("Default5", data->Profile[4].ProFileName);
}

namespace {

// The platform's own key-by-key writes of a profile, replayed in order from the lines of a newly written file (which
// come in the writer's order): what the one-step writer must leave over any existing file.
void WriteKeyByKey(const std::string& newFile, const std::string& path) {
    std::istringstream lines(FileBytes(newFile));
    std::string line;
    std::getline(lines, line); // [Setting]
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const size_t equals = line.find('=');
        ASSERT_NE(std::string::npos, equals) << line;
        WritePrivateProfileStringA("Setting", line.substr(0, equals).c_str(), line.substr(equals + 1).c_str(),
                                   path.c_str());
    }
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

} // namespace

TEST(ProfileFile, OneStepWriterLeavesTheBytesOfKeyByKeyWrites) {
    TempFolder folder;
    auto record = EveryFieldSet();
    const std::string fresh = folder.Path() + "fresh.tvp";
    ASSERT_EQ(1, WriteProfileFile(*record, fresh));

    std::string sameValuesLf = FileBytes(fresh);
    for (size_t at = sameValuesLf.find('\r'); at != std::string::npos; at = sameValuesLf.find('\r', at)) {
        sameValuesLf.erase(at, 1);
    }
    const std::string existing[] = {
        // Other sections and unknown keys, keys in another order and case, the section in another case.
        "[Other]\r\nx=1\r\n[setting]\r\nUnknown=7\r\nmousespeed=3\r\nDbleClickSpeed = 400\r\nMACROKEYINFO5=00\r\n"
        "ProFileName=Old\r\n[Tail]\r\ny=2\r\n",
        // Keys before any section, blank lines, LF line ends, a key without a value, a duplicate, no final line end.
        "top=1\n\n[Setting]\n\nCpi_X\nCpi_X=2\nCpi_X=3\n  GameFile =  old.exe  \n[Setting]\nLate=1",
        // A file of an older version, its indicators under their older names.
        "[Setting]\r\ndpibyDpiIndicator0=4\r\nModeStatus=1\r\n",
        // Every value already the same: left exactly as it is.
        sameValuesLf,
        "",
    };
    int n = 0;
    for (const std::string& bytes : existing) {
        const std::string ours = folder.Path() + "ours" + std::to_string(n) + ".tvp";
        const std::string platform = folder.Path() + "platform" + std::to_string(n) + ".tvp";
        WriteBytes(ours, bytes);
        WriteBytes(platform, bytes);
        EXPECT_EQ(1, WriteProfileFile(*record, ours));
        WriteKeyByKey(fresh, platform);
        EXPECT_TRUE(FileBytes(platform) == FileBytes(ours)) << "existing file " << n << ":\n" << FileBytes(ours);
        ++n;
    }
    EXPECT_EQ(sameValuesLf, FileBytes(folder.Path() + "ours3.tvp"));
    // And over no file at all.
    const std::string created = folder.Path() + "created.tvp";
    WriteKeyByKey(fresh, created);
    EXPECT_TRUE(FileBytes(created) == FileBytes(fresh));
}

TEST_F(RegistryTest, DamagedProfileFilesLoadAsResetProfilesAndNothingNegativeReachesTheRegistry) {
    auto data = std::make_unique<ShareData>();
    std::memset(data.get(), 0, sizeof *data);
    ResetAll(*data);
    data->CurrentProfile = 2;
    for (int n = 0; n < kProfileCount; ++n) {
        std::memset(data->Profile[n].ProFileName, 0, sizeof data->Profile[n].ProFileName);
        std::snprintf(data->Profile[n].ProFileName, sizeof data->Profile[n].ProFileName, "Mine%d", n);
        data->Profile[n].DbleClickSpeed = 430 + n;
        data->Profile[n].MouseSpeed = 14;
        data->Profile[n].Brightness = 20 + n;
    }
    ASSERT_EQ(1, SaveAllProfiles(*data, folder_.Path()));
    const std::string whole = FileBytes(ProfileFilePath(folder_.Path(), 3));
    WriteBytes(ProfileFilePath(folder_.Path(), 0), "");
    WriteBytes(ProfileFilePath(folder_.Path(), 1), "[Setting]\r\nProFil");
    // Cut in the middle: the name, the game and the double-click time are there, the rest is lost.
    WriteBytes(ProfileFilePath(folder_.Path(), 3), whole.substr(0, whole.find("ScrollWheelSpeed=")));
    EXPECT_FALSE(IsProfileFile(ProfileFilePath(folder_.Path(), 0)));
    EXPECT_FALSE(IsProfileFile(ProfileFilePath(folder_.Path(), 1)));
    EXPECT_TRUE(IsProfileFile(ProfileFilePath(folder_.Path(), 3)));

    SetPointerRegistry("610", "3", "1", "6", "0", "7");
    auto back = std::make_unique<ShareData>();
    EXPECT_EQ(1, LoadAllProfiles(*back, folder_.Path()));
    for (int n : {0, 1}) {
        auto reset = std::make_unique<ProfileRecord>();
        ResetProfile(*reset, n);
        EXPECT_EQ(0, std::memcmp(reset.get(), &back->Profile[n], sizeof *reset)) << n;
    }
    EXPECT_EQ(0, std::memcmp(&data->Profile[4], &back->Profile[4], sizeof(ProfileRecord)));
    const ProfileRecord& cut = back->Profile[3];
    EXPECT_STREQ("Mine3", cut.ProFileName);
    EXPECT_EQ(433, cut.DbleClickSpeed);
    EXPECT_EQ(-1, cut.MouseSpeed);
    EXPECT_EQ(-1, cut.ScrollWheelFlag);
    EXPECT_EQ(-1, cut.AccelerationFlag);
    EXPECT_EQ(-1, cut.Brightness);

    // Switching to the cut profile writes what it knows and nothing else: the system keeps its own values.
    EXPECT_EQ(1, WritePointerSettings(cut));
    const struct {
        const char* key;
        const char* name;
        const char* text;
    } expected[] = {{kMouse, "DoubleClickSpeed", "433"}, {kMouse, "MouseSensitivity", "3"},
                    {kMouse, "MouseSpeed", "1"},         {kMouse, "MouseThreshold1", "6"},
                    {kMouse, "MouseThreshold2", "0"},    {kDesktop, "WheelScrollLines", "7"}};
    for (const auto& e : expected) {
        std::string text;
        ASSERT_TRUE(RegText(e.key, e.name, text)) << e.name;
        EXPECT_EQ(e.text, text) << e.name;
    }

    // Saved again as the active profile, it takes the system's values and still writes nothing negative.
    back->CurrentProfile = 3;
    back->Profile[3].Acceleration = -1;
    EXPECT_EQ(1, SaveAllProfiles(*back, folder_.Path()));
    auto again = std::make_unique<ShareData>();
    EXPECT_EQ(1, LoadAllProfiles(*again, folder_.Path()));
    EXPECT_EQ(3, again->CurrentProfile);
    EXPECT_EQ(433, again->Profile[3].DbleClickSpeed);
    EXPECT_EQ(3, again->Profile[3].MouseSpeed);
    EXPECT_EQ(7, again->Profile[3].ScrollWheelSpeed);
    for (const auto& e : expected) {
        std::string text;
        ASSERT_TRUE(RegText(e.key, e.name, text)) << e.name;
        EXPECT_EQ(e.text, text) << e.name;
    }
}

// Wine run as root writes into read-only folders and over read-only files alike, so a save that cannot write is made
// here by a folder standing where the temporary file of each profile file would go.
TEST(ProfileFile, ASaveThatCannotWriteReportsFailureAndLeavesTheOldFilesWhole) {
    TempFolder folder;
    auto data = std::make_unique<ShareData>();
    std::memset(data.get(), 0, sizeof *data);
    ResetAll(*data);
    data->CurrentProfile = -1;
    ASSERT_EQ(1, SaveAllProfiles(*data, folder.Path()));
    std::string before[kProfileCount];
    for (int n = 0; n < kProfileCount; ++n) {
        before[n] = FileBytes(ProfileFilePath(folder.Path(), n));
        ASSERT_TRUE(CreateDirectoryA(TemporaryPathFor(ProfileFilePath(folder.Path(), n)).c_str(), nullptr));
        data->Profile[n].Brightness = 31;
    }
    EXPECT_EQ(0, SaveAllProfiles(*data, folder.Path()));
    for (int n = 0; n < kProfileCount; ++n) {
        EXPECT_TRUE(before[n] == FileBytes(ProfileFilePath(folder.Path(), n))) << n;
        EXPECT_EQ(0, WriteProfileFile(data->Profile[n], ProfileFilePath(folder.Path(), n)));
        RemoveDirectoryA(TemporaryPathFor(ProfileFilePath(folder.Path(), n)).c_str());
    }
    // A program folder that is gone: nothing can be written, and that is said.
    EXPECT_EQ(0, SaveAllProfiles(*data, folder.Path() + "gone\\"));
    // Once it can write again, config\ comes back when it is missing.
    EXPECT_EQ(1, SaveAllProfiles(*data, folder.Path()));
    EXPECT_TRUE(RemoveDirectoryA((folder.Path() + "config").c_str()) == FALSE);
    TempFolder bare;
    RemoveDirectoryA((bare.Path() + "config").c_str());
    EXPECT_EQ(1, SaveAllProfiles(*data, bare.Path()));
    auto back = std::make_unique<ShareData>();
    LoadAllProfiles(*back, bare.Path());
    EXPECT_EQ(31, back->Profile[4].Brightness);
}

// A damaged file of a million keys loads without exhausting memory; a file above the read bounds (lowered here, so
// that no test writes 64 MB) is read only in part, and a part is never taken for the file: not a profile, not read,
// and not written over.
TEST(ProfileFile, HugeFilesAreReadWithinTheirBound) {
    TempFolder folder;
    const std::string path = ProfileFilePath(folder.Path(), 0);
    std::string text = "[Setting]\r\nProFileName=Big\r\nMouseSpeed=7\r\n";
    for (int i = 0; i < 1000000; ++i) {
        text += "Junk" + std::to_string(i) + "=1\r\n";
    }
    text += "Brightness=12\r\n";
    WriteBytes(path, text);
    auto record = std::make_unique<ProfileRecord>();
    ASSERT_EQ(1, ReadProfileFile(*record, path));
    EXPECT_STREQ("Big", record->ProFileName);
    EXPECT_EQ(7, record->MouseSpeed);
    EXPECT_EQ(12, record->Brightness);

    const std::string small = "[Setting]\r\nProFileName=Small\r\nMouseSpeed=9\r\nJunk=1\r\nBrightness=12\r\n";
    WriteBytes(path, small);
    std::string bytes;
    IniDocument document;
    {
        // Exactly at both bounds: whole.
        ScopedReadBounds bounds({small.size(), 5});
        EXPECT_EQ(FileRead::Done, ReadWholeFile(path, bytes));
        EXPECT_EQ(small, bytes);
        EXPECT_EQ(FileRead::Done, LoadIniDocument(path, document));
        EXPECT_TRUE(IsProfileFile(path));
    }
    auto before = std::make_unique<ProfileRecord>();
    ASSERT_EQ(1, ReadProfileFile(*before, path));
    before->Brightness = 30;
    for (const ReadBounds& cut : {ReadBounds{small.size() - 10, 100}, ReadBounds{1000, 4}}) {
        ScopedReadBounds bounds(cut);
        const bool bytesCut = cut.bytes < small.size();
        EXPECT_EQ(bytesCut ? FileRead::Cut : FileRead::Done, ReadWholeFile(path, bytes));
        EXPECT_EQ(bytesCut ? small.substr(0, cut.bytes) : small, bytes);
        // What was read is there to be shown.
        EXPECT_EQ(FileRead::Cut, LoadIniDocument(path, document));
        EXPECT_EQ(9, document.GetInt("Setting", "MouseSpeed", -1));
        EXPECT_EQ(-1, document.GetInt("Setting", "Brightness", -1));

        EXPECT_FALSE(IsProfileFile(path));
        std::memset(record.get(), 0x5A, sizeof *record);
        EXPECT_NE(1, ReadProfileFile(*record, path));
        EXPECT_EQ(0x5A5A5A5A, record->MouseSpeed);
        EXPECT_EQ(0, WriteProfileFile(*before, path));
        EXPECT_EQ(small, FileBytes(path));
    }
    ASSERT_EQ(1, WriteProfileFile(*before, path));
    ASSERT_EQ(1, ReadProfileFile(*record, path));
    EXPECT_EQ(30, record->Brightness);
}
