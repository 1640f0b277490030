#include "common/profile_record.h"
#include "testing/profiles.h"

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

namespace {

int32_t IntAt(const ProfileRecord& r, size_t offset) {
    int32_t v;
    std::memcpy(&v, reinterpret_cast<const unsigned char*>(&r) + offset, 4);
    return v;
}

uint8_t ByteAt(const void* base, size_t offset) {
    return static_cast<const unsigned char*>(base)[offset];
}

} // namespace

// Every default of the reset, read at the byte offsets that the record's binary format fixes (little-endian).
TEST(ProfileRecord, ResetGivesEveryDefaultAtItsOffset) {
    auto r = std::make_unique<ProfileRecord>();
    std::memset(r.get(), 0xA5, sizeof *r);
    ResetProfile(*r, 1);

    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(r.get());
    EXPECT_EQ(0, std::memcmp(bytes, "Default2\0", 9));
    for (size_t i = 9; i < 250; ++i) {
        ASSERT_EQ(0, bytes[i]) << i;
    }
    for (size_t i = 250; i < 752; ++i) {
        ASSERT_EQ(0, bytes[i]) << i;
    }

    const struct {
        size_t offset;
        int32_t value;
    } scalars[] = {
        {752, 500}, {756, 3}, {760, 0}, {764, 10}, {768, 10}, {772, 0}, {776, 3},  {780, 0}, {784, 0}, {788, 1},
        {792, 5},   {796, 5}, {800, 5}, {804, 1},  {808, 0},  {812, 1}, {908, 10}, {912, 2}, {916, 1}, {920, 1},
        {924, 10},  {928, 2}, {964, 3}, {968, 1},  {972, 0},  {976, 1}, {980, 0},  {984, 0}, {988, 0},
    };
    for (const auto& s : scalars) {
        EXPECT_EQ(s.value, IntAt(*r, s.offset)) << "offset " << s.offset;
    }

    const int32_t levels[6] = {4, 6, 9, 10, 13, 14};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(levels[i], IntAt(*r, 816 + 4 * i)) << i;
        EXPECT_EQ(levels[i], IntAt(*r, 840 + 4 * i)) << i;
    }
    const int32_t steps[8] = {1, 1, 1, 1, 1, 1, 0, 0};
    const int32_t colourFlags[8] = {1, 1, 1, 1, 1, 1, 1, 0};
    const int32_t ledColours[8] = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF, 0xFFFF00, 0, 0};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(steps[i], IntAt(*r, 864 + 4 * i)) << i;
        EXPECT_EQ(colourFlags[i], IntAt(*r, 932 + 4 * i)) << i;
        EXPECT_EQ(ledColours[i], IntAt(*r, 1016 + 4 * i)) << i;
    }
    const uint8_t indicators[10] = {1, 2, 3, 4, 4, 5, 5, 6, 6, 0};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(indicators[i], bytes[896 + i]) << i;
    }
    EXPECT_EQ(1, bytes[906]); // DpiIndicationType
    EXPECT_EQ(1, bytes[907]); // ModeStatus
    const int32_t dpiColours[4] = {0x0000FF, 0x00FF00, 0xFF0000, 0xFF00FF};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(dpiColours[i], IntAt(*r, 1000 + 4 * i)) << i;
    }
    // Red is the low byte.
    EXPECT_EQ(0xFF, bytes[1016]);
    EXPECT_EQ(0x00, bytes[1018]);

    // LedColor and LedLPColor keep what the record held.
    EXPECT_EQ(static_cast<int32_t>(0xA5A5A5A5), IntAt(*r, 992));
    EXPECT_EQ(static_cast<int32_t>(0xA5A5A5A5), IntAt(*r, 996));

    const uint8_t codes[16] = {1, 2, 3, 9, 10, 7, 96, 7, 7, 7, 7, 7, 7, 7, 16, 17};
    for (int n = 0; n < 64; ++n) {
        const unsigned char* entry = bytes + 1048 + 504 * n;
        ASSERT_EQ(n, entry[0]) << n;
        ASSERT_EQ(codes[n % 16], entry[1]) << n;
        for (int i = 2; i < 504; ++i) {
            ASSERT_EQ(0, entry[i]) << n << " byte " << i;
        }
    }
}

// The aggregate as the shared block carries it: records at 4 + 33304 * i, the two device values at the end.
TEST(ProfileRecord, AggregateLayoutAndAccessors) {
    auto data = DefaultData();
    data->MouseType = 0x01020304;
    data->LedType = -2;
    const unsigned char* base = reinterpret_cast<const unsigned char*>(data.get());
    for (int i = 0; i < kProfileCount; ++i) {
        EXPECT_EQ(base + 4 + 33304 * i, reinterpret_cast<const unsigned char*>(ProfileAt(*data, i))) << i;
        // Entry 63 of each record starts 504 bytes before the record ends, with its button number.
        EXPECT_EQ(63, ByteAt(base, 4 + 33304 * i + 1048 + 504 * 63)) << i;
    }
    EXPECT_EQ(nullptr, ProfileAt(*data, -1));
    EXPECT_EQ(nullptr, ProfileAt(*data, 5));
    EXPECT_EQ(0, ByteAt(base, 0));
    EXPECT_EQ(0x04, ByteAt(base, 166524));
    EXPECT_EQ(0x01, ByteAt(base, 166527));
    EXPECT_EQ(0xFE, ByteAt(base, 166528));
    EXPECT_EQ(0xFF, ByteAt(base, 166531));
    // A whole copy carries the trailing values too.
    auto copy = std::make_unique<ShareData>();
    std::memcpy(copy.get(), data.get(), sizeof(ShareData));
    EXPECT_EQ(-2, copy->LedType);
    EXPECT_EQ(0x01020304, copy->MouseType);

    // InitShareData touches only the three device-wide values.
    data->Profile[3].MouseSpeed = 17;
    InitShareData(*data);
    EXPECT_EQ(-1, data->CurrentProfile);
    EXPECT_EQ(0, data->MouseType);
    EXPECT_EQ(0, data->LedType);
    EXPECT_EQ(17, data->Profile[3].MouseSpeed);
    EXPECT_EQ(nullptr, ActiveProfile(*data));
    const ShareData& constant = *data;
    data->CurrentProfile = 3;
    EXPECT_EQ(&data->Profile[3], ActiveProfile(constant));
}
