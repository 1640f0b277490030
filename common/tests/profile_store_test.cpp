// The five profiles loaded and saved together with config.ini and the active profile's pointer values in the
// registry.
#include <windows.h>

#include "common/ini_file.h"
#include "common/profile_store.h"
#include "testing/files.h"
#include "testing/profiles.h"
#include "testing/registry.h"
#include "testing/temp_folder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <ostream>
#include <string>

// These tests run in the build's own Wine prefix: the registry values they change are restored afterwards.

namespace {

// A profile's pointer values: double-click time, speed, acceleration and its flag, wheel lines and their flag.
struct Pointer {
    int32_t doubleClick, speed, acceleration, accelerationFlag, wheel, wheelFlag;
    bool operator==(const Pointer&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Pointer& p) {
    return out << "{" << p.doubleClick << ", " << p.speed << ", " << p.acceleration << ", " << p.accelerationFlag
               << ", " << p.wheel << ", " << p.wheelFlag << "}";
}

void SetPointer(ProfileRecord& r, const Pointer& p) {
    r.DbleClickSpeed = p.doubleClick;
    r.MouseSpeed = p.speed;
    r.Acceleration = p.acceleration;
    r.AccelerationFlag = p.accelerationFlag;
    r.ScrollWheelSpeed = p.wheel;
    r.ScrollWheelFlag = p.wheelFlag;
}

Pointer PointerOf(const ProfileRecord& r) {
    return {r.DbleClickSpeed, r.MouseSpeed, r.Acceleration, r.AccelerationFlag, r.ScrollWheelSpeed, r.ScrollWheelFlag};
}

// Keeps the pointer values of the prefix and puts them back after the test.
class RegistryTest : public ::testing::Test {
protected:
    PointerRegistryGuard registry_;
    TempFolder folder_;
};

} // namespace

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
    auto data = DefaultData(2);
    data->MouseType = 7;
    data->LedType = 3;
    for (int n = 0; n < kProfileCount; ++n) {
        data->Profile[n].Brightness = 20 + n;
    }
    ProfileRecord& active = data->Profile[2];
    SetPointer(active, {432, 14, 8, 1, 6, active.ScrollWheelFlag});

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
    ASSERT_TRUE(RegistryText(kMouseRegistryKey, "DoubleClickSpeed", text));
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
    EXPECT_EQ((Pointer{610, 3, 11, 1, 0, 1}), PointerOf(b));
}

TEST_F(RegistryTest, PointerValuesAreDecimalTextWithTheirTerminator) {
    auto r = DefaultProfile();
    SetPointer(*r, {432, 14, 25, 1, 6, 0});
    EXPECT_EQ(1, WritePointerSettings(*r));

    EXPECT_EQ(PointerTexts({"432", "14", "2", "4", "5", "6"}), PointerRegistryTexts());
    for (const RegistryValueName& v : kPointerRegistryValues) {
        std::string text;
        DWORD type = 0, size = 0;
        ASSERT_TRUE(RegistryText(v.key, v.name, text, &type, &size)) << v.name;
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), type) << v.name;
        EXPECT_EQ(text.size() + 1, size) << v.name;
    }

    auto back = DefaultProfile();
    EXPECT_EQ(1, ReadPointerSettings(*back));
    EXPECT_EQ((Pointer{432, 14, 19, 1, 6, 0}), PointerOf(*back));

    // Acceleration off writes row 0 whatever the row; one screen per notch writes -1.
    r->AccelerationFlag = 0;
    r->ScrollWheelFlag = 1;
    WritePointerSettings(*r);
    EXPECT_EQ("0", RegistryText(kMouseRegistryKey, "MouseSpeed"));
    EXPECT_EQ("0", RegistryText(kMouseRegistryKey, "MouseThreshold2"));
    EXPECT_EQ("-1", RegistryText(kDesktopRegistryKey, "WheelScrollLines"));
    ReadPointerSettings(*back);
    EXPECT_EQ((Pointer{432, 14, 0, 0, 0, 1}), PointerOf(*back));
}

TEST_F(RegistryTest, ReadingTheSystemsOwnValues) {
    auto r = DefaultProfile();
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
    SetRegistryText(kMouseRegistryKey, "MouseSensitivity", "fast");
    DeleteRegistryValue(kMouseRegistryKey, "DoubleClickSpeed");
    DeleteRegistryValue(kMouseRegistryKey, "MouseThreshold1");
    DeleteRegistryValue(kDesktopRegistryKey, "WheelScrollLines");
    SetPointer(*r, {321, r->MouseSpeed, 5, 0, 9, 0});
    EXPECT_EQ(1, ReadPointerSettings(*r));
    EXPECT_EQ((Pointer{321, 0, 5, 0, 9, 0}), PointerOf(*r));
}

TEST_F(RegistryTest, EmptyValuesKeepTheProfilesValues) {
    // A value that exists but holds no text is no number of the system's: the profile keeps its own.
    SetPointerRegistry("", "", "1", "6", "0", "");
    auto r = DefaultProfile();
    SetPointer(*r, {321, 12, r->Acceleration, r->AccelerationFlag, 9, 0});
    EXPECT_EQ(1, ReadPointerSettings(*r));
    // The values that are there still count: acceleration row 8.
    EXPECT_EQ((Pointer{321, 12, 8, r->AccelerationFlag, 9, 0}), PointerOf(*r));

    // An empty acceleration value leaves Acceleration and its flag alone.
    SetRegistryText(kMouseRegistryKey, "MouseThreshold2", "");
    r->Acceleration = 15;
    r->AccelerationFlag = 1;
    ReadPointerSettings(*r);
    EXPECT_EQ(15, r->Acceleration);
    EXPECT_EQ(1, r->AccelerationFlag);
}

TEST_F(RegistryTest, NoActiveProfileLeavesTheRegistryAlone) {
    for (int current : {-1, 5, 1000}) {
        SetPointerRegistry("777", "17", "2", "4", "5", "9");
        auto data = DefaultData(current);
        for (int n = 0; n < kProfileCount; ++n) {
            data->Profile[n].DbleClickSpeed = 400 + n;
        }
        EXPECT_EQ(1, SaveAllProfiles(*data, folder_.Path()));
        std::string text;
        ASSERT_TRUE(RegistryText(kMouseRegistryKey, "DoubleClickSpeed", text));
        EXPECT_EQ("777", text) << current;
        ASSERT_TRUE(RegistryText(kDesktopRegistryKey, "WheelScrollLines", text));
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

TEST_F(RegistryTest, DamagedProfileFilesLoadAsResetProfilesAndNothingNegativeReachesTheRegistry) {
    auto data = DefaultData(2);
    for (int n = 0; n < kProfileCount; ++n) {
        std::memset(data->Profile[n].ProFileName, 0, sizeof data->Profile[n].ProFileName);
        std::snprintf(data->Profile[n].ProFileName, sizeof data->Profile[n].ProFileName, "Mine%d", n);
        data->Profile[n].DbleClickSpeed = 430 + n;
        data->Profile[n].MouseSpeed = 14;
        data->Profile[n].Brightness = 20 + n;
    }
    ASSERT_EQ(1, SaveAllProfiles(*data, folder_.Path()));
    const std::string whole = ReadFileText(ProfileFilePath(folder_.Path(), 3));
    WriteFileText(ProfileFilePath(folder_.Path(), 0), "");
    WriteFileText(ProfileFilePath(folder_.Path(), 1), "[Setting]\r\nProFil");
    // Cut in the middle: the name, the game and the double-click time are there, the rest is lost.
    WriteFileText(ProfileFilePath(folder_.Path(), 3), whole.substr(0, whole.find("ScrollWheelSpeed=")));
    EXPECT_FALSE(IsProfileFile(ProfileFilePath(folder_.Path(), 0)));
    EXPECT_FALSE(IsProfileFile(ProfileFilePath(folder_.Path(), 1)));
    EXPECT_TRUE(IsProfileFile(ProfileFilePath(folder_.Path(), 3)));

    SetPointerRegistry("610", "3", "1", "6", "0", "7");
    auto back = std::make_unique<ShareData>();
    EXPECT_EQ(1, LoadAllProfiles(*back, folder_.Path()));
    for (int n : {0, 1}) {
        auto reset = DefaultProfile(n);
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
    const std::vector<std::string> expected = PointerTexts({"433", "3", "1", "6", "0", "7"});
    EXPECT_EQ(expected, PointerRegistryTexts());

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
    EXPECT_EQ(expected, PointerRegistryTexts());
}

// Files that another program holds without sharing while the profiles load: a missing file, one that cannot be read
// and one that is no profile file are told apart; each gives a reset slot, but the files that could not be read are
// kept as they are by every save until a load reads them whole.
TEST_F(RegistryTest, FilesThatCouldNotBeReadWholeAreNotWrittenBySaves) {
    auto data = DefaultData(1);
    for (int n = 0; n < kProfileCount; ++n) {
        std::snprintf(data->Profile[n].ProFileName, sizeof data->Profile[n].ProFileName, "Mine%d", n);
        data->Profile[n].Brightness = 20 + n;
    }
    ASSERT_EQ(1, SaveAllProfiles(*data, folder_.Path()));
    const std::string configPath = ConfigFilePath(folder_.Path());
    const std::string config = ReadFileText(configPath);
    const std::string held = ReadFileText(ProfileFilePath(folder_.Path(), 2));
    ASSERT_TRUE(DeleteFileA(ProfileFilePath(folder_.Path(), 3).c_str()));
    WriteFileText(ProfileFilePath(folder_.Path(), 4), "[Other]\r\nKey=1\r\n");

    auto open = [](const std::string& path) {
        return CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE heldProfile = open(ProfileFilePath(folder_.Path(), 2));
    HANDLE heldConfig = open(configPath);
    ASSERT_NE(INVALID_HANDLE_VALUE, heldProfile);
    ASSERT_NE(INVALID_HANDLE_VALUE, heldConfig);
    auto record = std::make_unique<ProfileRecord>();
    EXPECT_EQ(ProfileRead::Done, ReadProfileFile(*record, ProfileFilePath(folder_.Path(), 0)));
    EXPECT_EQ(ProfileRead::Unreadable, ReadProfileFile(*record, ProfileFilePath(folder_.Path(), 2)));
    EXPECT_EQ(ProfileRead::Missing, ReadProfileFile(*record, ProfileFilePath(folder_.Path(), 3)));
    EXPECT_EQ(ProfileRead::NotProfile, ReadProfileFile(*record, ProfileFilePath(folder_.Path(), 4)));
    EXPECT_STREQ("Mine0", record->ProFileName);
    auto back = std::make_unique<ShareData>();
    EXPECT_EQ(1, LoadAllProfiles(*back, folder_.Path()));
    CloseHandle(heldProfile);
    CloseHandle(heldConfig);
    EXPECT_EQ(-1, back->CurrentProfile);
    for (int n = 2; n < kProfileCount; ++n) {
        auto reset = DefaultProfile(n);
        EXPECT_EQ(0, std::memcmp(reset.get(), &back->Profile[n], sizeof *reset)) << n;
    }

    // Free again, but not read: the save writes the others and keeps these two.
    back->Profile[0].Brightness = 77;
    back->Profile[2].Brightness = 99;
    EXPECT_EQ(1, SaveAllProfiles(*back, folder_.Path()));
    EXPECT_EQ(held, ReadFileText(ProfileFilePath(folder_.Path(), 2)));
    EXPECT_EQ(config, ReadFileText(configPath));
    ASSERT_EQ(ProfileRead::Done, ReadProfileFile(*record, ProfileFilePath(folder_.Path(), 0)));
    EXPECT_EQ(77, record->Brightness);
    EXPECT_TRUE(IsProfileFile(ProfileFilePath(folder_.Path(), 3)));
    EXPECT_TRUE(IsProfileFile(ProfileFilePath(folder_.Path(), 4)));

    // A load that reads them whole ends the exception: the next save writes them.
    auto again = std::make_unique<ShareData>();
    EXPECT_EQ(1, LoadAllProfiles(*again, folder_.Path()));
    EXPECT_EQ(1, again->CurrentProfile);
    EXPECT_STREQ("Mine2", again->Profile[2].ProFileName);
    again->Profile[2].Brightness = 55;
    again->CurrentProfile = 2;
    EXPECT_EQ(1, SaveAllProfiles(*again, folder_.Path()));
    ASSERT_EQ(ProfileRead::Done, ReadProfileFile(*record, ProfileFilePath(folder_.Path(), 2)));
    EXPECT_EQ(55, record->Brightness);
    EXPECT_EQ(2, IniFile(configPath).GetInt("Setting", "CurrentProfile", -1));
}
