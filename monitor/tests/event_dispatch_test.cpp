#include "monitor/device_events.h"

#include <gtest/gtest.h>

#include <memory>

namespace {
uint32_t Code(uint16_t w, uint16_t v) {
    return static_cast<uint32_t>(w) << 16 | v;
}

std::unique_ptr<ShareData> Fresh() {
    auto data = std::make_unique<ShareData>();
    ResetAll(*data);
    data->CurrentProfile = 1;
    return data;
}
} // namespace

TEST(EventCode, DeviceEventTakesBothWordsModulo65536) {
    EXPECT_EQ(0x07010003u, EventFromDeviceEvent(0x0701, 3));
    EXPECT_EQ(0x07010003u, EventFromDeviceEvent(0x12340701, 0x7FFF0003));
    EXPECT_EQ(0x0500FFFFu, EventFromDeviceEvent(0x0500, -1));
}

TEST(EventCode, PresenceGivesArrivalRemovalOrNothing) {
    EXPECT_EQ(Code(0x7F00, 1), EventFromPresence(1));
    EXPECT_EQ(Code(0x7F00, 2), EventFromPresence(0));
    EXPECT_EQ(Code(0x7F00, 0), EventFromPresence(7));
    EXPECT_EQ(EventKind::None, ClassifyEvent(EventFromPresence(7), kAbsentSinceStart).kind);
}

TEST(EventDispatch, ArrivalAndRemovalFollowTheConnectedFlag) {
    EXPECT_EQ(EventKind::Arrival, ClassifyEvent(Code(0x7F00, 1), kAbsentSinceStart).kind);
    EXPECT_EQ(EventKind::Arrival, ClassifyEvent(Code(0x7F00, 1), kRemoved).kind);
    // A second arrival in a row opens nothing.
    EXPECT_EQ(EventKind::None, ClassifyEvent(Code(0x7F00, 1), kConnected).kind);
    EXPECT_EQ(EventKind::Removal, ClassifyEvent(Code(0x7F00, 2), kConnected).kind);
    EXPECT_EQ(EventKind::Removal, ClassifyEvent(Code(0x7F00, 2), kAbsentSinceStart).kind);
    EXPECT_EQ(EventKind::None, ClassifyEvent(Code(0x7F00, 2), kRemoved).kind);
}

TEST(EventDispatch, ProfileSwitchOnlyForProfilesOneToFive) {
    auto a = ClassifyEvent(Code(0x7003, 5), kConnected);
    EXPECT_EQ(EventKind::ProfileSwitch, a.kind);
    EXPECT_EQ(4, a.index);
    EXPECT_EQ(0, ClassifyEvent(Code(0x70FF, 1), kConnected).index);
    EXPECT_EQ(EventKind::None, ClassifyEvent(Code(0x7000, 0), kConnected).kind);
    EXPECT_EQ(EventKind::None, ClassifyEvent(Code(0x7000, 6), kConnected).kind);
    EXPECT_EQ(EventKind::None, ClassifyEvent(Code(0x1000, 3), kConnected).kind);
}

TEST(EventDispatch, LaunchNeedsEntryOneToFifteenAndASmallValue) {
    auto a = ClassifyEvent(Code(0x6003, 0), kConnected);
    EXPECT_EQ(EventKind::LaunchProgram, a.kind);
    EXPECT_EQ(2, a.index);
    EXPECT_EQ(EventKind::None, ClassifyEvent(Code(0x6003, 0x0100), kConnected).kind);
    EXPECT_EQ(EventKind::None, ClassifyEvent(Code(0x6000, 0), kConnected).kind);
    EXPECT_EQ(EventKind::None, ClassifyEvent(Code(0x6010, 0), kConnected).kind);
    EXPECT_EQ(14, ClassifyEvent(Code(0x600F, 0xFF), kConnected).index);
}

TEST(EventDispatch, OpenOptionDpiAndPolling) {
    EXPECT_EQ(EventKind::OpenOption, ClassifyEvent(Code(0xA000, 1234), kConnected).kind);
    auto dpi = ClassifyEvent(Code(0x0701, 6), kConnected);
    EXPECT_EQ(EventKind::DpiStage, dpi.kind);
    EXPECT_EQ(5, dpi.index);
    EXPECT_EQ(EventKind::None, ClassifyEvent(Code(0x0701, 7), kConnected).kind);
    EXPECT_EQ(EventKind::None, ClassifyEvent(Code(0x0701, 0), kConnected).kind);
    const int intervals[4] = {8, 4, 2, 1};
    for (int rate = 0; rate < 4; ++rate) {
        auto p = ClassifyEvent(Code(0x0500, static_cast<uint16_t>(intervals[rate])), kConnected);
        EXPECT_EQ(EventKind::PollingRate, p.kind);
        EXPECT_EQ(rate, p.index);
    }
    for (uint16_t bad : {0, 3, 5, 6, 7, 9, 16, 0xFFFF}) {
        EXPECT_EQ(EventKind::None, ClassifyEvent(Code(0x0500, bad), kConnected).kind) << bad;
    }
}

TEST(EventDispatch, SensitivityTakesOnlyBytesInRange) {
    auto a = ClassifyEvent(Code(0xC000, 0x0A15), kConnected);
    EXPECT_EQ(EventKind::Sensitivity, a.kind);
    EXPECT_EQ(0, a.sensitivityX);
    EXPECT_EQ(10, a.sensitivityY);
    auto b = ClassifyEvent(Code(0xC000, 0x1401), kConnected);
    EXPECT_EQ(1, b.sensitivityX);
    EXPECT_EQ(20, b.sensitivityY);
    EXPECT_EQ(EventKind::None, ClassifyEvent(Code(0xC000, 0x1500), kConnected).kind);
    EXPECT_EQ(EventKind::None, ClassifyEvent(Code(0xC001, 0x0505), kConnected).kind);
}

TEST(SettingEvents, DpiStageStoresTheStageAndNamesItsLevel) {
    auto data = Fresh();
    data->Profile[1].CpiLevel_X[2] = 9;
    auto change = ApplySettingEvent(*data, ClassifyEvent(Code(0x0700, 3), kConnected));
    EXPECT_TRUE(change.changed);
    EXPECT_TRUE(change.dpiStage);
    EXPECT_EQ(2, data->Profile[1].Cpi_X);
    EXPECT_EQ("2500 DPI", change.balloon);
    data->Profile[1].CpiLevel_X[3] = 99;
    change = ApplySettingEvent(*data, ClassifyEvent(Code(0x0700, 4), kConnected));
    EXPECT_TRUE(change.changed);
    EXPECT_EQ("", change.balloon);
}

TEST(SettingEvents, PollingAndSensitivityChangeOnlyTheirFields) {
    auto data = Fresh();
    const ProfileRecord before = data->Profile[1];
    auto change = ApplySettingEvent(*data, ClassifyEvent(Code(0x0500, 1), kConnected));
    EXPECT_TRUE(change.changed);
    EXPECT_FALSE(change.dpiStage);
    EXPECT_EQ("1000 Hz", change.balloon);
    EXPECT_EQ(3, data->Profile[1].PollingRate);
    change = ApplySettingEvent(*data, ClassifyEvent(Code(0xC000, 0x0A15), kConnected));
    EXPECT_TRUE(change.changed);
    EXPECT_EQ("", change.balloon);
    EXPECT_EQ(before.Sensitivity_X, data->Profile[1].Sensitivity_X);
    EXPECT_EQ(10, data->Profile[1].Sensitivity_Y);
    EXPECT_EQ(before.Cpi_X, data->Profile[1].Cpi_X);
}

TEST(SettingEvents, NothingChangesWithoutAnActiveProfile) {
    auto data = Fresh();
    for (int bad : {-1, 5, 0x7FFFFFFF, -2147483647 - 1}) {
        data->CurrentProfile = bad;
        EXPECT_FALSE(ApplySettingEvent(*data, ClassifyEvent(Code(0x0700, 3), kConnected)).changed);
        EXPECT_FALSE(ApplySettingEvent(*data, ClassifyEvent(Code(0x0500, 1), kConnected)).changed);
    }
    data->CurrentProfile = 0;
    EXPECT_FALSE(ApplySettingEvent(*data, ClassifyEvent(Code(0x0500, 3), kConnected)).changed);
    EXPECT_EQ(2, data->Profile[0].PollingRate);
    // A hand-made action with an index out of range is refused too.
    EventAction forged;
    forged.kind = EventKind::DpiStage;
    forged.index = 40;
    EXPECT_FALSE(ApplySettingEvent(*data, forged).changed);
}
