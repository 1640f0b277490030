#include "osd/osd_request.h"

#include <gtest/gtest.h>

TEST(OsdRequest, ProfileNumberCountsFromOne) {
    EXPECT_EQ("Profile 1", OsdRequestText(40, 0, "x"));
    EXPECT_EQ("Profile 5", OsdRequestText(40, 4 << 16, "x"));
    EXPECT_EQ("Profile 3", OsdRequestText(40, (2 << 16) | 0x1234, ""));
    EXPECT_EQ("", OsdRequestText(40, 5 << 16, ""));
    EXPECT_EQ("", OsdRequestText(40, -1, ""));
}

TEST(OsdRequest, MessageIsBoundedAndPrintable) {
    EXPECT_EQ("CPI: 2500", OsdRequestText(50, 0, "CPI: 2500"));
    EXPECT_EQ(kOsdTextMax, OsdRequestText(50, 0, std::string(5000, 'a')).size());
    EXPECT_EQ("a b", OsdRequestText(50, 0, "a\tb"));
    EXPECT_EQ("", OsdRequestText(41, 0, "CPI: 2500"));
}

TEST(OsdRequest, FadeEndsAtZero) {
    int alpha = kOsdFullAlpha;
    int ticks = 0;
    while (alpha > 0 && ticks < 1000) {
        const int next = NextFadeAlpha(alpha);
        EXPECT_LT(next, alpha);
        alpha = next;
        ++ticks;
    }
    EXPECT_EQ(0, alpha);
    EXPECT_LE(ticks, 20);
}
