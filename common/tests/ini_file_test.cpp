// config.ini and the other INI files through the platform's private-profile functions: values, defaults, structures
// with their checksum, and the program folder.
#include <windows.h>

#include "common/ini_file.h"
#include "testing/temp_folder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

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
