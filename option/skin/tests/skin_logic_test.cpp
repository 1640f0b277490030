#include "option/skin/bmp_header.h"
#include "option/skin/button_pos.h"
#include "option/skin/menu_metrics.h"
#include "option/skin/number_box.h"
#include "option/skin/skin_description.h"
#include "option/skin/slider_math.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

TEST(ButtonPosParse, SixFieldsGiveRectangleAndTrimmedTooltip) {
    ButtonPos p = ParseButtonPos("OK,10,20,30,40, Close ");
    EXPECT_EQ("OK", p.label);
    EXPECT_EQ(10, p.left);
    EXPECT_EQ(20, p.top);
    EXPECT_EQ(40, p.right);
    EXPECT_EQ(60, p.bottom);
    EXPECT_EQ("Close", p.tooltip);
}

TEST(ButtonPosParse, FiveFieldsMakeTheHeightDigitsTheTooltip) {
    ButtonPos p = ParseButtonPos("OK,10,20,30,40");
    EXPECT_EQ(40, p.right);
    EXPECT_EQ(60, p.bottom);
    EXPECT_EQ("40", p.tooltip);
}

TEST(ButtonPosParse, TooltipIsAfterTheLastComma) {
    ButtonPos p = ParseButtonPos("lbl,1,2,3,4,first,second");
    EXPECT_EQ("second", p.tooltip);
    EXPECT_EQ(4, p.right);
    EXPECT_EQ(6, p.bottom);
}

TEST(ButtonPosParse, EmptyOrMissingValueIsAllZero) {
    for (const char* v : {"", "justalabel"}) {
        ButtonPos p = ParseButtonPos(v);
        EXPECT_EQ(0, p.left);
        EXPECT_EQ(0, p.top);
        EXPECT_EQ(0, p.right);
        EXPECT_EQ(0, p.bottom);
        EXPECT_EQ("", p.tooltip);
    }
    EXPECT_EQ("justalabel", ParseButtonPos("justalabel").label);
}

TEST(ButtonPosParse, LabelAndTooltipAreCutToTheirLimits) {
    std::string label(60, 'L');
    std::string tip(150, 'T');
    ButtonPos p = ParseButtonPos(label + ",1,1,1,1," + tip);
    EXPECT_EQ(std::string(39, 'L'), p.label);
    EXPECT_EQ(std::string(103, 'T'), p.tooltip);
}

TEST(ButtonPosParse, NumbersStopAtTheFirstBadField) {
    // "%d,%d,%d,%d" stops where the text no longer matches; the rest stays zero.
    ButtonPos p = ParseButtonPos("b,5,x,7,8,tip");
    EXPECT_EQ(5, p.left);
    EXPECT_EQ(0, p.top);
    EXPECT_EQ(5, p.right);
    EXPECT_EQ(0, p.bottom);
    ButtonPos q = ParseButtonPos("b, -5, 6,7,8,tip");
    EXPECT_EQ(-5, q.left);
    EXPECT_EQ(6, q.top);
    EXPECT_EQ(2, q.right);
    EXPECT_EQ(14, q.bottom);
}

TEST(ButtonPosParse, HugeNumbersSaturateInsteadOfOverflowing) {
    ButtonPos p = ParseButtonPos("b,2147483647,99999999999999,10,-10,t");
    EXPECT_EQ(INT_MAX, p.left);
    EXPECT_EQ(INT_MAX, p.right);
    EXPECT_EQ(INT_MAX, p.top);
    EXPECT_EQ(INT_MAX - 10, p.bottom);
}

TEST(SkinDescription, ScreenAndSCREENAreReadAlike) {
    IniText upper("[SCREEN]\nMask=m.bmp\nNormal = n.bmp \n");
    IniText mixed("[Screen]\nmask=m.bmp\nNORMAL=n.bmp\n");
    for (const IniText* t : {&upper, &mixed}) {
        for (const char* section : {"SCREEN", "Screen", "screen"}) {
            SkinScreen s = ReadSkinScreen(t->Reader(), section);
            EXPECT_EQ("m.bmp", s.mask);
            EXPECT_EQ("n.bmp", s.normal);
            EXPECT_EQ("", s.over);
        }
    }
}

TEST(SkinDescription, ReaderRulesMatchThePrivateProfileReader) {
    IniText t("; note\r\n[A]\r\nk=\"quoted\"\r\nk=second\r\nnoequals\r\n[B]\r\nx=1\r\n[a]\r\nj=2\r\n");
    EXPECT_EQ("quoted", t.Get("a", "K"));
    // Only the first section of a name is searched.
    EXPECT_EQ("", t.Get("A", "j"));
    EXPECT_EQ("", t.Get("A", "noequals"));
    EXPECT_EQ("", t.Get("C", "x"));
    EXPECT_EQ(std::vector<std::string>{"k"}, t.Keys("a"));
    // A lone CR ends a line; ^Z and blanks around a value do not count; single quotes are quotes too; a section name
    // runs to the last ']'.
    IniText odd("[SCREEN]\rMask=m.bmp\x1a\r\nNormal='n.bmp'\n[BUTTON]POS]\n1=x\n");
    EXPECT_EQ("m.bmp", odd.Get("SCREEN", "Mask"));
    EXPECT_EQ("n.bmp", odd.Get("SCREEN", "Normal"));
    EXPECT_EQ("x", odd.Get("BUTTON]POS", "1"));
    EXPECT_EQ((std::vector<std::string>{"Mask", "Normal"}), odd.Keys("screen"));
    std::string longValue(3000, 'v');
    IniText l("[S]\nk=" + longValue + "\n");
    EXPECT_EQ(kSkinValueMax, l.Get("S", "k").size());
}

TEST(SkinDescription, ButtonPosKeysAndPaths) {
    IniText t("[BUTTONPOS]\n1=OK,10,20,30,40,Close\n");
    ButtonPos p = ReadButtonPos(t.Reader(), 1);
    EXPECT_EQ(60, p.bottom);
    EXPECT_EQ(0, ReadButtonPos(t.Reader(), 2).right);
    EXPECT_EQ("C:\\prog\\skins\\a.bmp", SkinFilePath("C:\\prog\\skins\\", "a.bmp"));
    EXPECT_EQ("C:\\prog\\", FolderOfProgram("C:\\prog\\Option.exe"));
    EXPECT_EQ("C:\\", FolderOfProgram("C:Option.exe"));
}

TEST(SliderMath, ClickInTheMiddleRoundsToFiveAndSnapsThumb) {
    SliderRange r{0, 10, true};
    SliderValue v = TrackClickValue(150, 100, 200, r);
    EXPECT_DOUBLE_EQ(5.0, v.raw);
    EXPECT_EQ(5, v.value);
    // Thumb 10 wide on a 100-pixel track: value 5 puts it at 45.
    EXPECT_EQ(45, ThumbLeftForValue(5, r, 0, 100, 10));
}

TEST(SliderMath, ClicksOutsideTheTrackGiveTheEnds) {
    SliderRange r{0, 10, true};
    EXPECT_EQ(0, TrackClickValue(20, 100, 200, r).value);
    EXPECT_EQ(10, TrackClickValue(500, 100, 200, r).value);
    SliderRange neg{-5, 5, false};
    EXPECT_EQ(-5, TrackClickValue(-1000, 0, 100, neg).value);
}

TEST(SliderMath, TruncationWithoutRoundFlag) {
    SliderRange r{0, 10, false};
    EXPECT_EQ(5, TrackClickValue(159, 100, 200, r).value);
    SliderRange rr{0, 10, true};
    EXPECT_EQ(6, TrackClickValue(159, 100, 200, rr).value);
}

TEST(SliderMath, DragStaysWithinLimitsAndMapsBack) {
    EXPECT_EQ(0, DragThumbLeft(-50, 5, 0, 100, 10));
    EXPECT_EQ(90, DragThumbLeft(500, 5, 0, 100, 10));
    EXPECT_EQ(40, DragThumbLeft(45, 5, 0, 100, 10));
    SliderRange r{0, 10, true};
    EXPECT_EQ(10, ThumbValue(90, 0, 100, 10, r).value);
    EXPECT_EQ(0, ThumbValue(0, 0, 100, 10, r).value);
    EXPECT_EQ(4, ThumbValue(40, 0, 100, 10, r).value);
    for (int v = 0; v <= 10; ++v) {
        EXPECT_EQ(v, ThumbValue(ThumbLeftForValue(v, r, 0, 100, 10), 0, 100, 10, r).value) << v;
    }
}

TEST(SliderMath, DegenerateGeometryDoesNotDivideByZero) {
    SliderRange flat{3, 3, true};
    EXPECT_EQ(7, ThumbLeftForValue(99, flat, 7, 50, 10));
    SliderRange r{0, 10, true};
    EXPECT_EQ(0, TrackClickValue(10, 50, 50, r).value);
    EXPECT_EQ(0, ThumbValue(0, 0, 10, 10, r).value);
}

TEST(BitmapEditRules, OnlyDigitsAndEditingKeysPass) {
    EXPECT_FALSE(DigitFieldKeyPasses('A'));
    EXPECT_FALSE(DigitFieldKeyPasses(0x26)); // up
    EXPECT_FALSE(DigitFieldKeyPasses(0x6D)); // keypad minus
    EXPECT_FALSE(DigitFieldKeyPasses(0x20)); // space
    for (unsigned k : {0x30u, 0x39u, 0x60u, 0x69u, 0x08u, 0x0Du, 0x23u, 0x24u, 0x25u, 0x27u, 0x2Eu, 0xBBu, 0xBDu}) {
        EXPECT_TRUE(DigitFieldKeyPasses(k)) << k;
    }
}

TEST(BitmapEditRules, PastedTextKeepsItsLeadingDigits) {
    EXPECT_EQ("12", LeadingNumberRun("12a3", false));
    EXPECT_EQ("", LeadingNumberRun("-12", false));
    EXPECT_EQ("-12", LeadingNumberRun("-12", true));
    EXPECT_EQ("+-1", LeadingNumberRun("+-1x", true));
    EXPECT_EQ("", LeadingNumberRun("x12", true));
}

TEST(SpinEditRules, RangeSetsTextLimitAndSign) {
    EXPECT_EQ(2, SpinTextLimit({0, 10, 1}));
    EXPECT_EQ(4, SpinTextLimit({-20, 100, 1}));
    EXPECT_FALSE(SpinSignAllowed({0, 10, 1}));
    EXPECT_TRUE(SpinSignAllowed({-1, 10, 1}));
}

TEST(SpinEditRules, ArrowsStepAndSnapWithinTheRange) {
    SpinRange r{0, 10, 1};
    EXPECT_EQ(6, SpinUp(5, r));
    EXPECT_EQ(10, SpinUp(10, r));
    EXPECT_FALSE(SpinUp(11, r).has_value());
    EXPECT_EQ(4, SpinDown(5, r));
    EXPECT_EQ(0, SpinDown(0, r));
    EXPECT_FALSE(SpinDown(-1, r).has_value());
    SpinRange five{0, 100, 5};
    EXPECT_EQ(10, SpinUp(3, five)); // 8 snaps to 10
    EXPECT_EQ(0, SpinDown(3, five));
    EXPECT_EQ(100, SpinUp(99, five));
    SpinRange zero{0, 10, 0};
    EXPECT_EQ(1, SpinUp(0, zero));
    SpinRange big{INT_MIN, INT_MAX, 1};
    EXPECT_EQ(INT_MAX, SpinUp(INT_MAX, big));
}

TEST(SpinEditRules, TextChangeSnapsAndClamps) {
    SpinRange r{0, 100, 5};
    EXPECT_EQ(15, SpinSettledValue(" 13 ", r));
    EXPECT_EQ(100, SpinSettledValue("999", r));
    EXPECT_EQ(0, SpinSettledValue("", r));
    EXPECT_EQ(0, SpinSettledValue("-40", r));
    EXPECT_EQ(100, SpinSettledValue("99999999999999999", r));
}

TEST(SpinEditRules, EnterDropsLeadingJunkAndKeepsOneSign) {
    SpinRange r{-50, 50, 1};
    EXPECT_EQ(-12, SpinEnterValue("ab-1x2", r).value);
    EXPECT_EQ(12, SpinEnterValue("0012", r).value);
    EXPECT_EQ(-50, SpinEnterValue("--70", r).value);
    EXPECT_EQ(50, SpinEnterValue("+-+77", r).value);
    SpinEnterResult empty = SpinEnterValue("xyz", r);
    EXPECT_EQ(0, empty.value);
    EXPECT_TRUE(empty.notify);
    EXPECT_FALSE(SpinEnterValue("5", {10, 0, 1}).notify);
}

TEST(SkinMenuMetrics, WidthFollowsTheLongestItem) {
    int w = kFunctionMenuMinWidth;
    for (int len : {3, 17, 10}) {
        w = SkinMenuWidth(w, len);
    }
    EXPECT_EQ(136, w);
    EXPECT_EQ(160, SkinMenuWidth(w, 20));
    EXPECT_EQ(19, SkinMenuItemHeight(false));
    EXPECT_EQ(5, SkinMenuItemHeight(true));
}

namespace {

void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

// The headers of a bitmap file with a 40-byte information header and no colour table; the rows are not included.
std::vector<std::uint8_t> BmpHead(std::int32_t width, std::int32_t height, int bits, std::uint32_t compression = 0) {
    std::vector<std::uint8_t> b(54, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 10, 54);
    Put32(b, 14, 40);
    Put32(b, 18, static_cast<std::uint32_t>(width));
    Put32(b, 22, static_cast<std::uint32_t>(height));
    b[26] = 1;
    b[28] = static_cast<std::uint8_t>(bits);
    Put32(b, 30, compression);
    return b;
}

bool Fits(const std::vector<std::uint8_t>& head, std::uint64_t fileSize) {
    return BmpFitsFile(head.data(), head.size(), fileSize);
}

} // namespace

TEST(BmpFitsFile, TheHeadersMustDescribeAPictureThatTheFileHolds) {
    // 13 x 7 at 24 bits: rows of 40 bytes.
    EXPECT_TRUE(Fits(BmpHead(13, 7, 24), 54 + 280));
    EXPECT_TRUE(Fits(BmpHead(13, -7, 24), 54 + 280)); // top-down
    EXPECT_FALSE(Fits(BmpHead(13, 7, 24), 54 + 279));
    EXPECT_FALSE(Fits(BmpHead(127, 127, 24), 54 + 280));
    EXPECT_FALSE(Fits(BmpHead(0, 7, 24), 1000));
    EXPECT_FALSE(Fits(BmpHead(13, INT32_MIN, 24), 1u << 30));
    EXPECT_FALSE(Fits(BmpHead(40000, 1, 1), 1u << 30));
    EXPECT_FALSE(Fits(BmpHead(13, 7, 7), 1000));
    EXPECT_FALSE(Fits(BmpHead(13, 7, 24, 4), 1000)); // an embedded JPEG
    // 8 bits want their 256-colour table before the rows (16 bytes each).
    auto eight = BmpHead(13, 7, 8);
    Put32(eight, 10, 54 + 1024);
    EXPECT_TRUE(Fits(eight, 54 + 1024 + 112));
    EXPECT_FALSE(Fits(eight, 54 + 1023));
    Put32(eight, 46, 300); // more colours than 8 bits can index
    EXPECT_FALSE(Fits(eight, 1u << 20));
    // Run-length data only needs to start inside the file.
    auto packed = BmpHead(13, 7, 8, 1);
    Put32(packed, 46, 2);
    Put32(packed, 10, 62);
    EXPECT_TRUE(Fits(packed, 64));
    EXPECT_FALSE(Fits(packed, 62));
    // An unknown information header size, and a header cut short.
    auto odd = BmpHead(13, 7, 24);
    Put32(odd, 14, 41);
    EXPECT_FALSE(Fits(odd, 1000));
    EXPECT_FALSE(BmpFitsFile(BmpHead(13, 7, 24).data(), 30, 1000));
}
