#include "monitor/osd_texts.h"
#include "testing/profiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

TEST(OsdTexts, DpiCodesAndPollingRates) {
    EXPECT_EQ("250 DPI", DpiText(1));
    EXPECT_EQ("2500 DPI", DpiText(9));
    EXPECT_EQ("5500 DPI", DpiText(13));
    EXPECT_EQ("7250 DPI", DpiText(14));
    EXPECT_EQ("", DpiText(0));
    EXPECT_EQ("", DpiText(15));
    EXPECT_EQ("", DpiText(-9));
    EXPECT_EQ("125 Hz", PollingText(0));
    EXPECT_EQ("1000 Hz", PollingText(3));
    EXPECT_EQ("", PollingText(4));
    EXPECT_EQ("", PollingText(-1));
}

TEST(OsdTexts, CpiMessageShowsTheChosenStage) {
    auto data = DefaultData();
    ProfileRecord& p = data->Profile[0];
    p.CpiStep = 1; // the stage index that once fed this message; it must not matter
    p.Cpi_X = 2;
    EXPECT_EQ("CPI: 2500", CpiMessage(p));
    p.Cpi_X = 5;
    EXPECT_EQ("CPI: 7250", CpiMessage(p));
    p.CpiLevel_X[5] = 0;
    EXPECT_EQ("", CpiMessage(p));
    p.Cpi_X = 6;
    EXPECT_EQ("", CpiMessage(p));
    p.Cpi_X = -1;
    EXPECT_EQ("", CpiMessage(p));
}

TEST(StructEncoding, HexPairsAndChecksum) {
    const uint8_t bytes[3] = {0x01, 0xAB, 0xFF};
    EXPECT_EQ("01ABFFAB", EncodeStructValue(bytes, 3));
    auto record = DefaultOsdSettingRecord();
    const std::string text = EncodeStructValue(record.data(), record.size());
    EXPECT_EQ(698u, text.size());
    EXPECT_EQ("02", text.substr(696));
}

TEST(OsdTexts, RelayedTextStaysOneLine) {
    EXPECT_EQ("Mail: 3", SingleLineText("Mail: 3"));
    EXPECT_EQ("x  [Setting]  Device=1", SingleLineText("x\r\n[Setting]\r\nDevice=1"));
}
