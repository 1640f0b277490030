#include "hidtransport/hid_contract.h"

#include <algorithm>
#include <cctype>

namespace hidtransport {

namespace {

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// The hardware part of an instance id is everything before its last backslash: "USB\VID_1&PID_2&MI_01".
bool IsCollectionOrInterfaceNode(const std::string& upperId) {
    if (upperId.rfind("HID\\", 0) == 0) {
        return true;
    }
    const size_t last = upperId.rfind('\\');
    const std::string hardware = last == std::string::npos ? upperId : upperId.substr(0, last);
    return hardware.find("&MI_") != std::string::npos;
}

std::optional<std::vector<uint8_t>> Frame(uint8_t id, const uint8_t* data, size_t length, size_t reportBytes) {
    if ((length > 0 && !data) || reportBytes < 1 + length) {
        return std::nullopt;
    }
    std::vector<uint8_t> buffer(reportBytes, 0);
    buffer[0] = id;
    std::copy(data, data + length, buffer.begin() + 1);
    return buffer;
}

} // namespace

bool Serves(const CollectionInfo& info, uint16_t vendorId, uint16_t productId, Role role) {
    if (info.vendorId != vendorId || info.productId != productId || info.usagePage != kConfigUsagePage ||
        info.usage != kConfigUsage) {
        return false;
    }
    switch (role) {
    case Role::Commands:
        return info.featureReportBytes >= 1 + kCommandBytes;
    case Role::Blocks:
        return info.outputReportBytes >= 1 + kLongBlockBytes;
    case Role::Events:
        return info.inputReportBytes >= 1 + kEventBytes;
    }
    return false;
}

std::optional<size_t> PickInterface(const std::vector<HidInterface>& interfaces, uint16_t vendorId, uint16_t productId,
                                    Role role, const std::string& preferredDevice) {
    std::optional<size_t> any;
    for (size_t i = 0; i < interfaces.size(); ++i) {
        if (!Serves(interfaces[i].info, vendorId, productId, role)) {
            continue;
        }
        if (!preferredDevice.empty() && interfaces[i].device == preferredDevice) {
            return i;
        }
        if (!any) {
            any = i;
        }
    }
    return any;
}

std::set<std::string> PresentMice(const std::vector<HidInterface>& interfaces, uint16_t vendorId, uint16_t productId) {
    std::set<std::string> mice;
    for (const HidInterface& itf : interfaces) {
        if (Serves(itf.info, vendorId, productId, Role::Blocks)) {
            mice.insert(itf.device);
        }
    }
    return mice;
}

std::string PhysicalDeviceKey(const std::vector<std::string>& chain) {
    for (const std::string& id : chain) {
        const std::string upper = Upper(id);
        if (!upper.empty() && !IsCollectionOrInterfaceNode(upper)) {
            return upper;
        }
    }
    return chain.empty() ? std::string() : Upper(chain.back());
}

std::vector<PresenceChange> PresenceChanges(const std::set<std::string>& before, const std::set<std::string>& after) {
    std::vector<PresenceChange> changes;
    for (const std::string& device : before) {
        if (!after.count(device)) {
            changes.push_back({device, false});
        }
    }
    for (const std::string& device : after) {
        if (!before.count(device)) {
            changes.push_back({device, true});
        }
    }
    std::sort(changes.begin(), changes.end(),
              [](const PresenceChange& a, const PresenceChange& b) { return a.device < b.device; });
    return changes;
}

std::optional<std::vector<uint8_t>> FrameCommand(const uint8_t* command, size_t length, size_t featureReportBytes) {
    if (length != kCommandBytes) {
        return std::nullopt;
    }
    return Frame(kCommandReportId, command, length, featureReportBytes);
}

std::optional<std::vector<uint8_t>> FrameAnswerRequest(size_t featureReportBytes) {
    if (featureReportBytes < 1 + kCommandBytes) {
        return std::nullopt;
    }
    return Frame(kCommandReportId, nullptr, 0, featureReportBytes);
}

std::optional<std::vector<uint8_t>> TakeAnswer(const uint8_t* buffer, size_t length) {
    if (!buffer || length < 1 + kCommandBytes || buffer[0] != kCommandReportId) {
        return std::nullopt;
    }
    return std::vector<uint8_t>(buffer + 1, buffer + 1 + kCommandBytes);
}

std::optional<std::vector<uint8_t>> FrameBlock(const uint8_t* block, size_t length, size_t outputReportBytes) {
    if (length == kShortBlockBytes) {
        return Frame(kShortBlockReportId, block, length, outputReportBytes);
    }
    if (length == kLongBlockBytes) {
        return Frame(kLongBlockReportId, block, length, outputReportBytes);
    }
    return std::nullopt;
}

std::optional<DeviceEventReport> ParseEvent(const uint8_t* report, size_t length, size_t inputReportBytes) {
    if (!report || length > inputReportBytes || length < 1 + kEventBytes || report[0] != kEventReportId) {
        return std::nullopt;
    }
    DeviceEventReport event;
    event.command = static_cast<uint16_t>(report[1] | (report[2] << 8));
    event.value = static_cast<uint16_t>(report[3] | (report[4] << 8));
    return event;
}

} // namespace hidtransport
