#pragma once
// The mouse's side of the HID transport, as logic: which HID collection carries its configuration reports, how a
// command, a data block and an event are framed in the platform's report buffers, and which HID interfaces make up one
// physical device. hiddriver.cpp does the platform's part (enumeration, opens, transfers, notifications).
//
// The contract the firmware meets: a vendor-defined top-level collection (usage page 0xFF00, usage 0x01) on a device
// with the build's vendor and product ids, with
//   report 0x01, feature, 8 data bytes: the command report (SetFeature) and the device's answer (GetFeature);
//   report 0x02, output, 8 data bytes: an 8-byte data block (WriteUSB);
//   report 0x03, output, 32 data bytes: a 32-byte data block (WriteUSB);
//   report 0x04, input, 4 data bytes: an event, command word then value word, both 16-bit little-endian.
// The platform opens mouse and keyboard collections for itself, so the configuration cannot live on those; the
// transport never opens them.
//
// Every buffer the platform takes or gives starts with the report id and is as long as the collection's report length
// for its kind (HidP_GetCaps' InputReportByteLength, OutputReportByteLength, FeatureReportByteLength); shorter data is
// padded with zeros, and the device knows the data's length from the id.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace hidtransport {

inline constexpr uint16_t kConfigUsagePage = 0xFF00;
inline constexpr uint16_t kConfigUsage = 0x01;

inline constexpr uint8_t kCommandReportId = 0x01;
inline constexpr uint8_t kShortBlockReportId = 0x02;
inline constexpr uint8_t kLongBlockReportId = 0x03;
inline constexpr uint8_t kEventReportId = 0x04;

inline constexpr size_t kCommandBytes = 8;
inline constexpr size_t kShortBlockBytes = 8;
inline constexpr size_t kLongBlockBytes = 32;
inline constexpr size_t kEventBytes = 4;

// What the platform tells about one HID interface (one top-level collection): its device's attributes and the
// collection's capabilities. Report lengths count the report id byte, as HidP_GetCaps gives them.
struct CollectionInfo {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    uint16_t inputReportBytes = 0;
    uint16_t outputReportBytes = 0;
    uint16_t featureReportBytes = 0;
};

// What a collection is opened for: commands and answers (Open_FeatureDevice), data blocks (Open_ReportDevice), events
// (the device monitor's reads).
enum class Role { Commands, Blocks, Events };

// True when the collection is the mouse's configuration collection and its reports are long enough for the role.
bool Serves(const CollectionInfo& info, uint16_t vendorId, uint16_t productId, Role role);

// One present HID interface: its path for CreateFile, the physical device it belongs to (PhysicalDeviceKey) and what
// the platform said about it.
struct HidInterface {
    std::string path;
    std::string device;
    CollectionInfo info;
};

// The index of the interface to open for the role: the first that serves it on `preferredDevice` when one does (so
// that commands and blocks reach the same mouse), else the first that serves it anywhere.
std::optional<size_t> PickInterface(const std::vector<HidInterface>& interfaces, uint16_t vendorId, uint16_t productId,
                                    Role role, const std::string& preferredDevice = {});

// The physical devices on which a mouse can be configured: those with an interface that takes data blocks (what
// Open_ReportDevice needs to report the mouse present).
std::set<std::string> PresentMice(const std::vector<HidInterface>& interfaces, uint16_t vendorId, uint16_t productId);

// The device instance ids from a HID collection's node up towards the root, nearest first. The physical device is the
// first node that is neither a HID collection ("HID\...") nor one interface of a composite USB device ("&MI_" in its
// hardware part); its id, upper-cased, is the key. Without such a node, the farthest one given stands for it.
std::string PhysicalDeviceKey(const std::vector<std::string>& chain);

// One notification per physical device that came or went, in key order: what the device monitor posts as presence.
struct PresenceChange {
    std::string device;
    bool present = false;
};
std::vector<PresenceChange> PresenceChanges(const std::set<std::string>& before, const std::set<std::string>& after);

// The feature report buffer for an 8-byte command: id 0x01, the command, zeros up to `featureReportBytes`. Nothing for
// another length, or a collection whose feature reports cannot hold it.
std::optional<std::vector<uint8_t>> FrameCommand(const uint8_t* command, size_t length, size_t featureReportBytes);

// The buffer that asks for the device's answer: id 0x01, zeros up to `featureReportBytes` (nothing when too short).
std::optional<std::vector<uint8_t>> FrameAnswerRequest(size_t featureReportBytes);

// The 8 answer bytes from a returned feature buffer; nothing when its id is not 0x01 or it is too short.
std::optional<std::vector<uint8_t>> TakeAnswer(const uint8_t* buffer, size_t length);

// The output report buffer for a data block: id 0x02 for 8 bytes, 0x03 for 32, zeros up to `outputReportBytes`.
// Nothing for any other length, or a collection whose output reports cannot hold it.
std::optional<std::vector<uint8_t>> FrameBlock(const uint8_t* block, size_t length, size_t outputReportBytes);

// An event as Monitor gets it: wParam = command word, lParam = value word.
struct DeviceEventReport {
    uint16_t command = 0;
    uint16_t value = 0;
};

// The event in an input report read from the collection: id 0x04 and its 4 bytes, perhaps padded by the platform up to
// the collection's input length (`inputReportBytes`). A report of another id, a read too short for the event or longer
// than the collection's reports is no event.
std::optional<DeviceEventReport> ParseEvent(const uint8_t* report, size_t length, size_t inputReportBytes);

} // namespace hidtransport
