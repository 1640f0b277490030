#include <windows.h>

#include "common/function_codes.h"
#include "common/ini_file.h"
#include "common/language.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The test program lies in the build's bin folder, beside lan.dll and the test library lan_long_texts.dll.
namespace {

class Language : public ::testing::Test {
protected:
    void TearDown() override { FreeLanguageLibrary(); }
    static std::string Bin(const char* name) { return ProgramFolder() + name; }
};

// Every number the programs fetch (function menu and captions aside: those come from the function table).
std::vector<int> UsedNumbers() {
    std::vector<int> n;
    for (int i = 100; i <= 111; ++i) {
        n.push_back(i);
    }
    for (int i = 150; i <= 158; ++i) {
        n.push_back(i);
    }
    for (int i = 200; i <= 215; ++i) {
        n.push_back(i);
    }
    for (int i : {251, 252, 254, 256, 257, 258, 260, 262, 263}) {
        n.push_back(i);
    }
    for (int i = 265; i <= 271; ++i) {
        n.push_back(i);
    }
    for (int i = 300; i <= 304; ++i) {
        n.push_back(i);
    }
    for (int i : {311, 312, 1000, 1001, 1160, 1111, 1090, 1091, 1092}) {
        n.push_back(i);
    }
    for (int i = 1063; i <= 1076; ++i) {
        n.push_back(i);
    }
    for (int i : {1124, 1125, 1126, 1139, 1140, 1141, 1144, 1145, 1146, 1147}) {
        n.push_back(i);
    }
    return n;
}

} // namespace

TEST_F(Language, WithoutTheLibraryEveryTextIsEmpty) {
    FreeLanguageLibrary();
    EXPECT_EQ("", Fetch(1003));
    EXPECT_EQ("", Fetch(107));
    EXPECT_FALSE(LoadLanguageLibraryFrom(Bin("no_such_library.dll")));
    EXPECT_EQ("", Fetch(1003));
}

TEST_F(Language, LoadsFromTheProgramFolder) {
    ASSERT_TRUE(LoadLanguageLibrary()) << ProgramFolder();
    EXPECT_EQ("Left Click", Fetch(1003));
    EXPECT_EQ("OK", Fetch(107));
    FreeLanguageLibrary();
    EXPECT_EQ("", Fetch(1003));
}

TEST_F(Language, MissingNumbersAreEmpty) {
    ASSERT_TRUE(LoadLanguageLibraryFrom(Bin("lan.dll")));
    for (int number : {0, 1, 99, 119, 1002, 1061, 1077, 1200, 65535, -1, 70000}) {
        EXPECT_EQ("", Fetch(number)) << number;
    }
}

TEST_F(Language, FailedLoadDropsThePreviousLibrary) {
    ASSERT_TRUE(LoadLanguageLibraryFrom(Bin("lan.dll")));
    EXPECT_FALSE(LoadLanguageLibraryFrom(Bin("missing\\lan.dll")));
    EXPECT_EQ("", Fetch(1003));
}

TEST_F(Language, LongTextsAreCutAt259Characters) {
    ASSERT_TRUE(LoadLanguageLibraryFrom(Bin("lan_long_texts.dll")));
    std::string cut = Fetch(1);
    ASSERT_EQ(259u, cut.size());
    for (size_t i = 0; i < cut.size(); ++i) {
        ASSERT_EQ(char('a' + i % 26), cut[i]) << i;
    }
    std::string exact = Fetch(2);
    ASSERT_EQ(259u, exact.size());
    EXPECT_EQ('A' + 258 % 26, exact.back());
    EXPECT_EQ("short", Fetch(3));
}

TEST_F(Language, EveryFunctionTextIsPresent) {
    ASSERT_TRUE(LoadLanguageLibraryFrom(Bin("lan.dll")));
    for (const auto& f : FunctionTable()) {
        for (int number : {f.caption, f.itemCaption, f.submenu > 0 ? f.submenu : 0}) {
            if (number) {
                EXPECT_NE("", Fetch(number)) << number;
            }
        }
    }
    // The caption of a default entry, through the real library.
    MacroKeyInfo entry{};
    entry.FunctionCode = static_cast<uint8_t>(DefaultFunctionCode(0));
    EXPECT_EQ("Left Click", EntryCaption(entry, Fetch));
}

TEST_F(Language, EveryOtherUsedTextIsPresent) {
    ASSERT_TRUE(LoadLanguageLibraryFrom(Bin("lan.dll")));
    for (int number : UsedNumbers()) {
        std::string text = Fetch(number);
        EXPECT_NE("", text) << number;
    }
}

TEST_F(Language, DpiTextsFollowTheDpiCodes) {
    ASSERT_TRUE(LoadLanguageLibraryFrom(Bin("lan.dll")));
    const int dpi[14] = {250, 500, 750, 1000, 1250, 1500, 1750, 2000, 2500, 3000, 3500, 4000, 5500, 7250};
    for (int code = 1; code <= 14; ++code) {
        int number = code <= 12 ? 1111 + code : (code == 13 ? 1150 : 1151);
        EXPECT_EQ(std::to_string(dpi[code - 1]) + " DPI", Fetch(number)) << code;
    }
}
