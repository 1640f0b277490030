// The one-pass reader and writer of initialisation files, as logic. That it reads and writes what the platform's
// private-profile functions do is shown under Wine by ini_differential_test.cpp; these are the rules themselves.

#include "common/ini_document.h"
#include "common/profile_file.h"
#include "testing/profiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

std::string Lines(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

} // namespace

TEST(IniDocument, ReadsAsThePlatformReads) {
    std::string text = " \t[Setting]  \n"
                       "Name =  Arena Night \r"
                       "\r\n"
                       "mouseSPEED=7\n"
                       "MouseSpeed=9\n" // a duplicate: the first counts
                       "NoValue\n"      // a key without '=' reads as missing
                       "Quoted=\"two words\"\n"
                       "Single='x\n" // unmatched quote stays
                       "Empty=\n"
                       "Hex=0x10\n"
                       "Upper=0X10\n"
                       "Trail=12abc\n"
                       "Minus=-\n"
                       "Octal=0o17\n"
                       "Binary=0b101\n"
                       "Huge=4294967297\n"
                       "Negative=-2147483648\n"
                       "Nul=59\n"
                       "[ setting ]\n" // only the first section of a name is searched
                       "Late=1\n";
    text.insert(text.find("Nul=5") + 5, 1, '\0');
    const IniDocument file(text);
    EXPECT_TRUE(file.HasSection("SETTING"));
    EXPECT_EQ("Arena Night", file.GetString("setting", "NAME"));
    EXPECT_EQ(7, file.GetInt("Setting", "MouseSpeed", -1));
    EXPECT_FALSE(file.Value("Setting", "NoValue"));
    EXPECT_EQ(-1, file.GetInt("Setting", "NoValue", -1));
    EXPECT_EQ("two words", file.GetString("Setting", "Quoted"));
    EXPECT_EQ("\"two words\"", std::string(*file.Value("Setting", "Quoted")));
    EXPECT_EQ("'x", file.GetString("Setting", "Single"));
    EXPECT_FALSE(file.HasKey("Setting", "Empty"));
    EXPECT_EQ(-1, file.GetInt("Setting", "Empty", -1));
    EXPECT_EQ(16, file.GetInt("Setting", "Hex", -1));
    EXPECT_EQ(0, file.GetInt("Setting", "Upper", -1));
    EXPECT_EQ(12, file.GetInt("Setting", "Trail", -1));
    EXPECT_EQ(0, file.GetInt("Setting", "Minus", -1));
    EXPECT_EQ(15, file.GetInt("Setting", "Octal", -1));
    EXPECT_EQ(5, file.GetInt("Setting", "Binary", -1));
    EXPECT_EQ(1, file.GetInt("Setting", "Huge", -1));
    EXPECT_EQ(-2147483647 - 1, file.GetInt("Setting", "Negative", -1));
    EXPECT_EQ(5, file.GetInt("Setting", "Nul", -1));
    EXPECT_EQ(-1, file.GetInt("Setting", "Late", -1));
    EXPECT_EQ(-1, file.GetInt("Missing", "Name", -1));
}

TEST(IniDocument, TextsAreCutToTheBufferAsThePlatformCutsThem) {
    const std::string longValue(3000, 'q');
    // A quoted value loses its quotes; one that just fills the buffer loses one character more, as on the platform.
    const IniDocument file("[S]\nLong=" + longValue + "\nFits=\"" + std::string(2046, 'a') + "\"\nFills=\"" +
                           std::string(2047, 'b') + "\"\nNumber=" + std::string(40, '0') + "7\n");
    EXPECT_EQ(std::string(2047, 'q'), file.GetString("S", "Long"));
    EXPECT_EQ(std::string(2046, 'a'), file.GetString("S", "Fits"));
    EXPECT_EQ(std::string(2046, 'b'), file.GetString("S", "Fills"));
    EXPECT_EQ("abc", IniDocument("[S]\nK='abc'").GetString("S", "K", 10));
    EXPECT_EQ("ab", IniDocument("[S]\nK='abc'").GetString("S", "K", 4));
    // A number is read through 30 characters: the 7 after 40 zeros is beyond them.
    EXPECT_EQ(0, file.GetInt("S", "Number", -1));
}

TEST(IniDocument, StructuresNeedTheirExactLengthAndChecksum) {
    const unsigned char data[4] = {0x01, 0xA0, 0xFF, 0x10};
    EXPECT_EQ("01A0FF10B0", EncodeStruct(data, 4));
    const IniDocument file(
        Lines({"[S]", "Good=01A0FF10B0", "Lower=01a0ff10b0", "Sum=01A0FF10B1", "Short=01A0FF10", "Long=01A0FF10B000",
               "Odd=01A0FF10B00", "NotHex=01A0FG10B0", "Quoted=\"01A0FF10B0\"", "Blank=01A0 FF10B0"}));
    unsigned char back[4] = {};
    EXPECT_TRUE(file.GetStruct("S", "Good", back, 4));
    EXPECT_EQ(0, std::memcmp(data, back, 4));
    EXPECT_TRUE(file.GetStruct("S", "Lower", back, 4));
    unsigned char untouched[4] = {9, 9, 9, 9};
    for (const char* key : {"Sum", "Short", "Long", "Odd", "NotHex", "Quoted", "Blank", "Missing"}) {
        EXPECT_FALSE(file.GetStruct("S", key, untouched, 4)) << key;
    }
    for (unsigned char b : untouched) {
        EXPECT_EQ(9, b);
    }
}

TEST(IniDocument, WritingRebuildsLinesAsThePlatformDoes) {
    // Nothing changed: the bytes are not touched (the caller leaves the file alone).
    const std::string odd = "; note\n\n[Setting]\nA = 1\nb=2\n";
    IniDocument same(odd);
    same.SetString("setting", "a", "1");
    same.SetInt("Setting", "B", 2);
    EXPECT_FALSE(same.Changed());

    // One change rebuilds every line; existing keys keep their place and spelling, new ones go to the end of their
    // section, a new section to the end of the file. Blanks before a value are dropped.
    IniDocument file("top=1\n[Other]\nx=1\n[Setting]\nb=2\nA = 1\n\n[Tail]\ny\n=v\n=w\n");
    file.SetString("SETTING", "a", "  5");
    file.SetInt("Setting", "New", -3);
    file.SetString("Added", "k", "v\r\nInjected=1");
    EXPECT_TRUE(file.Changed());
    EXPECT_EQ(
        Lines({"top=1", "[Other]", "x=1", "[Setting]", "b=2", "A=5", "New=-3", "[Tail]", "y", "=v", "[Added]", "k=v"}),
        file.Bytes());

    // A new file holds its section and keys in the order of the writes.
    IniDocument fresh;
    fresh.SetInt("Macros", "number", 1);
    fresh.SetString("Macros", "0", "AB");
    EXPECT_EQ("[Macros]\r\nnumber=1\r\n0=AB\r\n", fresh.Bytes());
    EXPECT_EQ("", IniDocument().Bytes());
}

TEST(IniDocument, MarksOfOtherEncodings) {
    IniDocument utf8("\xEF\xBB\xBF[S]\nK=1\n");
    EXPECT_EQ(1, utf8.GetInt("S", "K", -1));
    utf8.SetInt("S", "K", 2);
    EXPECT_EQ("\xEF\xBB\xBF[S]\r\nK=2\r\n", utf8.Bytes());

    const std::string wide("\xFF\xFE[\0S\0]\0\n\0K\0=\0"
                           "7\0\x01\x30",
                           18);
    IniDocument utf16(wide);
    EXPECT_EQ(7, utf16.GetInt("S", "K", -1));
    EXPECT_EQ("7?", utf16.GetString("S", "K"));
}

TEST(IniDocument, LinesBeyondTheLimitAreNotRead) {
    std::string many(2 * (IniDocument::kMaxLines + 10), '\n');
    for (size_t i = 0; i < many.size(); i += 2) {
        many[i] = 'k';
    }
    many += "last=1\n";
    const IniDocument bounded(std::move(many));
    EXPECT_EQ(-1, bounded.GetInt("", "last", -1));
    EXPECT_EQ(IniDocument::kMaxLines, bounded.Keys("").size());
    EXPECT_TRUE(bounded.Cut());
}

// A file that stops at the bound is whole; one line more, and the document is not the whole file. Blank lines do not
// count, and a cut document still answers with what it read.
TEST(IniDocument, ACutParseIsToldFromAWholeOne) {
    const std::string three = "[S]\r\n\r\nA=1\r\n\n\nB=2\r\n\r\n";
    const IniDocument whole(three, 3);
    EXPECT_FALSE(whole.Cut());
    EXPECT_EQ(2, whole.GetInt("S", "B", -1));

    IniDocument cut(three + "C=3\r\n", 3);
    EXPECT_TRUE(cut.Cut());
    EXPECT_EQ(2, cut.GetInt("S", "B", -1));
    EXPECT_EQ(-1, cut.GetInt("S", "C", -1));
    cut.SetInt("S", "A", 5);
    EXPECT_TRUE(cut.Cut());

    EXPECT_FALSE(IniDocument(three + "C=3\r\n").Cut());
    EXPECT_FALSE(IniDocument().Cut());
}

TEST(IniDocument, SectionsInFileOrder) {
    const IniDocument file("k=1\r\n[B]\r\n[ a ]\r\nx=2\r\n[b]\r\n");
    const std::vector<std::string_view> expected = {"", "B", "a", "b"};
    EXPECT_EQ(expected, file.Sections());
    EXPECT_EQ(std::vector<std::string_view>{""}, IniDocument().Sections());
}

TEST(ProfileText, OnlyAFileWithAProfileKeyIsAProfile) {
    EXPECT_FALSE(IsProfileText(std::string()));
    EXPECT_FALSE(IsProfileText("[Setting]\r\n"));
    EXPECT_FALSE(IsProfileText("[Setting]\r\nPro"));
    EXPECT_FALSE(IsProfileText("[Setting]\r\nProFileName=\r\n"));
    EXPECT_FALSE(IsProfileText("[Macros]\r\nnumber=1\r\n"));
    EXPECT_FALSE(IsProfileText("[Other]\r\nMouseSpeed=3\r\n[Setting]\r\nDevice=1\r\n"));
    EXPECT_TRUE(IsProfileText("[Setting]\r\nProFileName=A"));
    EXPECT_TRUE(IsProfileText("[setting]\r\nmacrokeyinfo63=00\r\n"));
    EXPECT_TRUE(IsProfileText("[Setting]\r\ndpibyDpiIndicator9=4\r\n"));
}

TEST(ProfileText, ACutFileKeepsWhatItHasAndMacroRepeatsStayInRange) {
    auto record = DefaultProfile(1);
    record->MouseSpeed = 14;
    record->MacroKey[2].FunctionCode = 6;
    record->MacroKey[2].RepeatCount = 65535;
    record->MacroKey[3].FunctionCode = 6;
    record->MacroKey[3].RepeatCount = -4;
    record->MacroKey[4].FunctionCode = 6;
    record->MacroKey[4].RepeatCount = 17;
    record->MacroKey[5].FunctionCode = 67; // not a macro: its field is left as it is
    record->MacroKey[5].RepeatCount = 900;
    IniDocument file;
    WriteProfile(*record, file);
    const std::string whole = file.Bytes();

    auto back = std::make_unique<ProfileRecord>();
    ReadProfile(*back, IniDocument(whole));
    EXPECT_EQ(255, back->MacroKey[2].RepeatCount);
    EXPECT_EQ(1, back->MacroKey[3].RepeatCount);
    EXPECT_EQ(17, back->MacroKey[4].RepeatCount);
    EXPECT_EQ(900, back->MacroKey[5].RepeatCount);
    EXPECT_EQ(14, back->MouseSpeed);

    // Cut after MouseSpeed: what came before is read, the rest is -1 or reset.
    const std::string cut = whole.substr(0, whole.find("Acceleration="));
    ASSERT_TRUE(IsProfileText(cut));
    std::memset(back.get(), 0x5A, sizeof *back);
    ReadProfile(*back, IniDocument(cut));
    EXPECT_STREQ("Default2", back->ProFileName);
    EXPECT_EQ(14, back->MouseSpeed);
    EXPECT_EQ(500, back->DbleClickSpeed);
    EXPECT_EQ(-1, back->Acceleration);
    EXPECT_EQ(-1, back->CpiLevel_X[0]);
    EXPECT_EQ(255, back->ModeStatus);
    EXPECT_EQ(7, back->MacroKey[5].FunctionCode); // the reset entry
}
