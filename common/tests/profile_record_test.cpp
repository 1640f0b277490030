#include "common/profile_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

TEST(ProfileRecord, ResetAllGivesNamedProfilesWithDefaultCodes) {
    auto data = std::make_unique<ShareData>();
    std::memset(data.get(), 0xAB, sizeof(ShareData));
    ResetAll(*data);
    EXPECT_EQ(0, data->CurrentProfile);
    EXPECT_STREQ("Default3", data->Profile[2].ProFileName);
    EXPECT_EQ(37, data->Profile[2].MacroKey[37].ButtonNumber);
    EXPECT_EQ(7, data->Profile[2].MacroKey[37].FunctionCode);
    EXPECT_EQ(0x60, data->Profile[4].MacroKey[54].FunctionCode);
    EXPECT_EQ(0, data->Profile[0].MacroKey[0].ContentCount);
    EXPECT_EQ(0, data->Profile[0].GameFile[0]);
    EXPECT_EQ(14, data->Profile[1].CpiLevel_Y[5]);
    EXPECT_EQ(0, data->Profile[1].ColorFlag[7]);
    EXPECT_EQ(0x00FFFF, data->Profile[1].SLEDColor8[3]);
    // LedColor is not the reset's business.
    EXPECT_EQ(static_cast<int32_t>(0xABABABAB), data->Profile[1].LedColor);
}

TEST(ProfileRecord, ActiveProfileRefusesIndicesOutsideTheFive) {
    auto data = std::make_unique<ShareData>();
    InitShareData(*data);
    EXPECT_EQ(-1, data->CurrentProfile);
    EXPECT_EQ(nullptr, ActiveProfile(*data));
    data->CurrentProfile = 5;
    EXPECT_EQ(nullptr, ActiveProfile(*data));
    data->CurrentProfile = 4;
    EXPECT_EQ(&data->Profile[4], ActiveProfile(*data));
}

TEST(ProfileRecord, FieldLengthStopsAtTheFieldEnd) {
    char field[16];
    std::memset(field, 'x', sizeof field);
    EXPECT_EQ(16u, FieldLength(field));
    field[3] = 0;
    EXPECT_EQ(3u, FieldLength(field));
}
