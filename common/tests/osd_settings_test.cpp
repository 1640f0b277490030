#include "common/osd_settings.h"

#include <gtest/gtest.h>

TEST(OsdSettingRecord, FieldsEightAndTwentyFourMustBeOne) {
    OsdSettingRecord record{};
    EXPECT_FALSE(ParseOsdSettings(record).profileDisplay);
    EXPECT_FALSE(ParseOsdSettings(record).cpiDisplay);
    record = DefaultOsdSettingRecord();
    EXPECT_TRUE(ParseOsdSettings(record).profileDisplay);
    EXPECT_TRUE(ParseOsdSettings(record).cpiDisplay);
    EXPECT_EQ(1, record[8]);
    EXPECT_EQ(1, record[24]);
    record[25] = 1; // 257 is not 1
    EXPECT_FALSE(ParseOsdSettings(record).cpiDisplay);
    EXPECT_TRUE(ParseOsdSettings(record).profileDisplay);
}
