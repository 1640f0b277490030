#include "monitor/device_events.h"
#include "testing/profiles.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

namespace {
uint32_t Code(uint16_t w, uint16_t v) {
    return static_cast<uint32_t>(w) << 16 | v;
}

// The code, from a connected mouse, is an event of that kind and index.
void ExpectEvent(uint32_t code, EventKind kind, int index) {
    const EventAction action = ClassifyEvent(code, kConnected);
    EXPECT_EQ(kind, action.kind) << std::hex << code;
    EXPECT_EQ(index, action.index) << std::hex << code;
}

// Each code, from a connected mouse, is no event.
void ExpectNoEvent(std::initializer_list<uint32_t> codes) {
    for (uint32_t code : codes) {
        EXPECT_EQ(EventKind::None, ClassifyEvent(code, kConnected).kind) << std::hex << code;
    }
}

std::unique_ptr<ShareData> Fresh() {
    auto data = DefaultData(1);
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
    ExpectEvent(Code(0x7003, 5), EventKind::ProfileSwitch, 4);
    EXPECT_EQ(0, ClassifyEvent(Code(0x70FF, 1), kConnected).index);
    ExpectNoEvent({Code(0x7000, 0), Code(0x7000, 6), Code(0x1000, 3)});
}

TEST(EventDispatch, LaunchNeedsEntryOneToFifteenAndASmallValue) {
    ExpectEvent(Code(0x6003, 0), EventKind::LaunchProgram, 2);
    ExpectNoEvent({Code(0x6003, 0x0100), Code(0x6000, 0), Code(0x6010, 0)});
    EXPECT_EQ(14, ClassifyEvent(Code(0x600F, 0xFF), kConnected).index);
}

TEST(EventDispatch, OpenOptionDpiAndPolling) {
    EXPECT_EQ(EventKind::OpenOption, ClassifyEvent(Code(0xA000, 1234), kConnected).kind);
    ExpectEvent(Code(0x0701, 6), EventKind::DpiStage, 5);
    ExpectNoEvent({Code(0x0701, 7), Code(0x0701, 0)});
    const int intervals[4] = {8, 4, 2, 1};
    for (int rate = 0; rate < 4; ++rate) {
        ExpectEvent(Code(0x0500, static_cast<uint16_t>(intervals[rate])), EventKind::PollingRate, rate);
    }
    for (uint16_t bad : {0, 3, 5, 6, 7, 9, 16, 0xFFFF}) {
        ExpectNoEvent({Code(0x0500, bad)});
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
    ExpectNoEvent({Code(0xC000, 0x1500), Code(0xC001, 0x0505)});
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
