// The transport's logic: which collections it opens for what, how interfaces group into physical mice for presence,
// and the report buffers it hands the platform and takes from it.
#include "hidtransport/hid_contract.h"

#include <gtest/gtest.h>

#include <vector>

using namespace hidtransport;

namespace {

constexpr uint16_t kVid = 0x2B1E;
constexpr uint16_t kPid = 0x0178;

CollectionInfo Collection(uint16_t page, uint16_t usage, uint16_t in, uint16_t out, uint16_t feature,
                          uint16_t vid = kVid, uint16_t pid = kPid) {
    return CollectionInfo{vid, pid, page, usage, in, out, feature};
}

HidInterface Interface(const char* path, std::vector<std::string> chain, CollectionInfo info) {
    return HidInterface{path, PhysicalDeviceKey(chain), info};
}

} // namespace

// A desk with two of our mice (one a composite USB device whose configuration collection sits beside its keyboard
// collection on the second interface, one with all collections on a single interface), a device of another maker
// with a collection that looks like ours, our maker's other product, and a collection of ours too short for blocks.
TEST(HidContract, OpensOnlyTheConfigurationCollectionAndCountsEachMouseOnce) {
    const std::vector<std::string> composite0 = {"HID\\VID_2B1E&PID_0178&MI_00\\7&1A&0&0000",
                                                 "USB\\VID_2B1E&PID_0178&MI_00\\6&2B&0&0000",
                                                 "USB\\VID_2B1E&PID_0178\\SERIAL1", "USB\\ROOT_HUB30\\4&1"};
    const std::vector<std::string> composite1 = {"HID\\VID_2B1E&PID_0178&MI_01&COL02\\7&3C&0&0001",
                                                 "usb\\vid_2b1e&pid_0178&mi_01\\6&2b&0&0001",
                                                 "usb\\vid_2b1e&pid_0178\\serial1", "USB\\ROOT_HUB30\\4&1"};
    const std::vector<std::string> single = {"HID\\VID_2B1E&PID_0178&COL03\\7&4D&0&0002",
                                             "USB\\VID_2B1E&PID_0178\\SERIAL2"};
    std::vector<HidInterface> desk = {
        Interface("mouse1", composite0, Collection(0x01, 0x02, 8, 0, 0)),
        Interface("keyboard1", composite1, Collection(0x01, 0x06, 9, 2, 0)),
        Interface("other-maker", {"HID\\VID_1111&PID_2222\\1&1"}, Collection(0xFF00, 0x01, 5, 33, 9, 0x1111, 0x2222)),
        Interface("other-product", {"HID\\VID_2B1E&PID_0179\\1&2"}, Collection(0xFF00, 0x01, 5, 33, 9, kVid, 0x0179)),
        Interface("short", single, Collection(0xFF00, 0x01, 5, 9, 9)),
        Interface("config1", composite1, Collection(0xFF00, 0x01, 5, 33, 9)),
        Interface("config2", single, Collection(0xFF00, 0x01, 17, 65, 65)),
        Interface("vendor-other-usage", single, Collection(0xFF00, 0x02, 5, 33, 9)),
    };

    // The keys of one physical device agree, whatever the case of the ids and whichever interface they come from.
    EXPECT_EQ("USB\\VID_2B1E&PID_0178\\SERIAL1", desk[0].device);
    EXPECT_EQ(desk[0].device, desk[1].device);
    EXPECT_EQ("USB\\VID_2B1E&PID_0178\\SERIAL2", desk[4].device);
    // Where the platform gives no parents, the collection's own node stands for its device.
    EXPECT_EQ("HID\\VID_1111&PID_2222\\1&1", desk[2].device);
    EXPECT_EQ("", PhysicalDeviceKey({}));

    // Commands go to the first collection with room for them: the short one takes commands but no blocks.
    EXPECT_EQ(4u, PickInterface(desk, kVid, kPid, Role::Commands));
    EXPECT_EQ(5u, PickInterface(desk, kVid, kPid, Role::Blocks));
    EXPECT_EQ(4u, PickInterface(desk, kVid, kPid, Role::Events));
    // Once blocks go to the first mouse, its commands go there too; and the other way round.
    EXPECT_EQ(5u, PickInterface(desk, kVid, kPid, Role::Commands, desk[5].device));
    EXPECT_EQ(6u, PickInterface(desk, kVid, kPid, Role::Blocks, desk[6].device));
    // A preferred device without such a collection does not stop the pick.
    EXPECT_EQ(5u, PickInterface(desk, kVid, kPid, Role::Blocks, "USB\\VID_9999&PID_9999\\X"));
    // Other ids find only their own collections; the mouse and keyboard collections serve nothing.
    EXPECT_EQ(2u, PickInterface(desk, 0x1111, 0x2222, Role::Blocks));
    EXPECT_FALSE(PickInterface(desk, 0x1111, 0x3333, Role::Commands));
    for (Role role : {Role::Commands, Role::Blocks, Role::Events}) {
        EXPECT_FALSE(Serves(desk[0].info, kVid, kPid, role));
        EXPECT_FALSE(Serves(desk[1].info, kVid, kPid, role));
        EXPECT_FALSE(Serves(desk[7].info, kVid, kPid, role));
    }
    EXPECT_FALSE(Serves(Collection(0xFF00, 0x01, 4, 32, 8), kVid, kPid, Role::Events));
    EXPECT_FALSE(Serves(Collection(0xFF00, 0x01, 4, 32, 8), kVid, kPid, Role::Blocks));
    EXPECT_FALSE(Serves(Collection(0xFF00, 0x01, 4, 32, 8), kVid, kPid, Role::Commands));

    // Presence is per physical mouse: two mice, not three configuration-looking collections or eight interfaces.
    const std::set<std::string> both = PresentMice(desk, kVid, kPid);
    EXPECT_EQ((std::set<std::string>{desk[0].device, desk[4].device}), both);

    // Plugging in: one arrival per mouse, however many interfaces it brings.
    std::vector<PresenceChange> changes = PresenceChanges({}, both);
    ASSERT_EQ(2u, changes.size());
    EXPECT_TRUE(changes[0].present && changes[1].present);
    EXPECT_EQ(desk[0].device, changes[0].device);
    // Pulling the first mouse out takes all its interfaces: one removal, the other mouse stays.
    std::vector<HidInterface> after;
    for (const HidInterface& itf : desk) {
        if (itf.device != desk[0].device) {
            after.push_back(itf);
        }
    }
    changes = PresenceChanges(both, PresentMice(after, kVid, kPid));
    ASSERT_EQ(1u, changes.size());
    EXPECT_FALSE(changes[0].present);
    EXPECT_EQ(desk[0].device, changes[0].device);
    // Nothing changed: nothing to post.
    EXPECT_TRUE(PresenceChanges(both, both).empty());
}

// The buffers the platform takes (id first, the collection's whole report length) and what comes back from it.
TEST(HidContract, FramesCommandsBlocksAnswersAndEventsByTheContract) {
    const uint8_t command[8] = {0x8B, 1, 2, 3, 4, 5, 6, 0x7E};
    const auto report = FrameCommand(command, 8, 9);
    ASSERT_TRUE(report);
    EXPECT_EQ((std::vector<uint8_t>{0x01, 0x8B, 1, 2, 3, 4, 5, 6, 0x7E}), *report);
    // A collection with longer feature reports gets the command padded to its length.
    const auto padded = FrameCommand(command, 8, 12);
    ASSERT_TRUE(padded);
    EXPECT_EQ((std::vector<uint8_t>{0x01, 0x8B, 1, 2, 3, 4, 5, 6, 0x7E, 0, 0, 0}), *padded);
    EXPECT_FALSE(FrameCommand(command, 7, 9));
    EXPECT_FALSE(FrameCommand(command, 8, 8));
    EXPECT_FALSE(FrameCommand(nullptr, 8, 9));

    const auto ask = FrameAnswerRequest(9);
    ASSERT_TRUE(ask);
    EXPECT_EQ((std::vector<uint8_t>{0x01, 0, 0, 0, 0, 0, 0, 0, 0}), *ask);
    EXPECT_FALSE(FrameAnswerRequest(8));
    const uint8_t answer[10] = {0x01, 0x8B, 3, 0, 0, 0, 0, 0, 0x8E, 0x55};
    const auto taken = TakeAnswer(answer, 10);
    ASSERT_TRUE(taken);
    EXPECT_EQ((std::vector<uint8_t>{0x8B, 3, 0, 0, 0, 0, 0, 0x8E}), *taken);
    EXPECT_FALSE(TakeAnswer(answer, 8));
    const uint8_t wrongId[9] = {0x02, 0x8B, 3, 0, 0, 0, 0, 0, 0x8E};
    EXPECT_FALSE(TakeAnswer(wrongId, 9));

    // Blocks: the id says the length; the rest of the 33-byte output report is zeros.
    uint8_t block[32];
    for (int i = 0; i < 32; ++i) {
        block[i] = static_cast<uint8_t>(0xA0 + i);
    }
    const auto shortBlock = FrameBlock(block, 8, 33);
    ASSERT_TRUE(shortBlock);
    ASSERT_EQ(33u, shortBlock->size());
    EXPECT_EQ(0x02, (*shortBlock)[0]);
    EXPECT_EQ(0xA7, (*shortBlock)[8]);
    EXPECT_EQ(std::vector<uint8_t>(24, 0), std::vector<uint8_t>(shortBlock->begin() + 9, shortBlock->end()));
    const auto longBlock = FrameBlock(block, 32, 33);
    ASSERT_TRUE(longBlock);
    EXPECT_EQ(0x03, (*longBlock)[0]);
    EXPECT_EQ(std::vector<uint8_t>(block, block + 32), std::vector<uint8_t>(longBlock->begin() + 1, longBlock->end()));
    EXPECT_FALSE(FrameBlock(block, 16, 33));
    EXPECT_FALSE(FrameBlock(block, 32, 32));

    // Events: command word then value word, little-endian; only whole reports of id 0x04.
    const uint8_t dpi[5] = {0x04, 0x00, 0x07, 0x03, 0x00};
    const auto stage = ParseEvent(dpi, 5, 5);
    ASSERT_TRUE(stage);
    EXPECT_EQ(0x0700, stage->command);
    EXPECT_EQ(3, stage->value);
    const uint8_t sensitivity[9] = {0x04, 0x00, 0xC0, 0x15, 0x0A, 0, 0, 0, 0};
    const auto sens = ParseEvent(sensitivity, 9, 9);
    ASSERT_TRUE(sens);
    EXPECT_EQ(0xC000, sens->command);
    EXPECT_EQ(0x0A15, sens->value);
    // A platform that does not pad hands over the report as long as it is.
    const auto unpadded = ParseEvent(sensitivity, 5, 9);
    ASSERT_TRUE(unpadded);
    EXPECT_EQ(0x0A15, unpadded->value);
    EXPECT_FALSE(ParseEvent(dpi, 4, 4));
    EXPECT_FALSE(ParseEvent(dpi, 4, 5));
    EXPECT_FALSE(ParseEvent(sensitivity, 9, 5));
    const uint8_t other[5] = {0x05, 0x00, 0x07, 0x03, 0x00};
    EXPECT_FALSE(ParseEvent(other, 5, 5));
    EXPECT_FALSE(ParseEvent(nullptr, 5, 5));
}
