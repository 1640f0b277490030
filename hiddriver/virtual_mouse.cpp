#include "hiddriver/virtual_mouse.h"

#include "hiddriver/memory_dump.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace vmouse {

namespace {

bool ZeroFrom(const uint8_t* report, int first) {
    for (int i = first; i <= 6; ++i) {
        if (report[i] != 0) {
            return false;
        }
    }
    return true;
}

// Descriptors of the factory button table, for entries 0..15 (the table repeats it for the other sets).
constexpr uint8_t kFactoryButtons[16][4] = {
    {0x01, 0x00, 0xF0, 0x00}, {0x01, 0x00, 0xF1, 0x00}, {0x01, 0x00, 0xF2, 0x00}, {0x01, 0x00, 0xF3, 0x00},
    {0x01, 0x00, 0xF4, 0x00}, {0x00, 0x00, 0x00, 0x00}, {0x07, 0x00, 0x03, 0x00}, {0x00, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x00, 0x00}, {0x04, 0x00, 0x01, 0x00}, {0x04, 0x00, 0x02, 0x00},
};

constexpr char kMagic[8] = {'K', 'V', 'M', 'O', 'U', 'S', 'E', '1'};
constexpr uint32_t kFileVersion = 1;

bool ValidInterval(unsigned interval) {
    return interval == 1 || interval == 2 || interval == 4 || interval == 8;
}

} // namespace

Memory FactoryMemory() {
    Memory m;
    m.plugged = true;
    m.pollingInterval = 2;
    m.fixedParameters = {0x00, 0x0F, 0xD8, 0x40, 0x00, 0x00};
    m.lighting = {0x01, 0x32, 0x00};
    m.dpiTable = {0x02, 0x04, 0x06, 0x08, 0x26, 0x28, 0x80, 0x80};
    m.selectedStage = 2;
    for (int entry = 0; entry < 64; ++entry) {
        if (entry >= 24 && entry <= 29) {
            continue; // the host never writes these entries; they stay zero
        }
        std::memcpy(&m.buttons[4 * entry], kFactoryButtons[entry % 16], 4);
    }
    return m;
}

uint8_t ReportChecksum(const uint8_t* report) {
    unsigned sum = 0;
    for (int i = 0; i < 7; ++i) {
        sum += report[i];
    }
    return static_cast<uint8_t>(0xFF - (sum & 0xFF));
}

std::array<uint8_t, 8> MakeReport(std::initializer_list<uint8_t> bytes) {
    std::array<uint8_t, 8> report{};
    size_t i = 0;
    for (uint8_t b : bytes) {
        if (i >= 7) {
            break;
        }
        report[i++] = b;
    }
    report[7] = ReportChecksum(report.data());
    return report;
}

void VirtualMouse::AbandonPendingBlocks(Outcome& outcome) {
    if (pendingTarget_ != Target::None && blocksReceived_ < blocksExpected_) {
        outcome.memoryChanged = outcome.memoryChanged || blocksReceived_ > 0; // what came stays and is kept
        outcome.notes.push_back("the last command's blocks are incomplete: " + std::to_string(blocksReceived_) +
                                " of " + std::to_string(blocksExpected_) + " arrived");
    }
    pendingTarget_ = Target::None;
    blocksExpected_ = blocksReceived_ = 0;
}

Outcome VirtualMouse::SetFeature(const uint8_t* data, size_t length) {
    Outcome out;
    if (!data || length != kReportBytes) {
        out.notes.push_back("SetFeature of " + std::to_string(data ? length : 0) +
                            " bytes refused: a command report has 8");
        return out;
    }
    if (!memory_.plugged) {
        out.notes.push_back("SetFeature refused: the mouse is unplugged");
        return out;
    }
    out.ok = true; // the report reached the mouse; whether it takes it is the mouse's business
    const uint8_t* r = data;
    const uint8_t expected = ReportChecksum(r);
    if (r[7] != expected) {
        out.notes.push_back("checksum " + Hex2(r[7]) + " wrong (should be " + Hex2(expected) + "): command ignored");
        return out;
    }
    AbandonPendingBlocks(out);
    answer_.reset();
    std::string refused;
    switch (r[0]) {
    case 0x01:
    case 0x03:
    case 0x0B:
    case 0x0D:
        refused = TakeSetting(r);
        out.memoryChanged = refused.empty();
        break;
    case 0x11:
    case 0x12:
    case 0x13:
        refused = AnnounceBlocks(r);
        break;
    case 0x8B:
        if (!ZeroFrom(r, 1)) {
            refused = "bytes 1..6 are not zero";
            break;
        }
        answer_ = MakeReport({0x8B, memory_.selectedStage});
        break;
    default:
        refused = "unknown command";
    }
    if (!refused.empty()) {
        out.notes.push_back("command " + Hex2(r[0]) + " ignored: " + refused);
    }
    return out;
}

std::string VirtualMouse::TakeSetting(const uint8_t* r) {
    switch (r[0]) {
    case 0x01:
        if (!ValidInterval(r[1])) {
            return "polling interval " + std::to_string(r[1]) + " ms is not 1, 2, 4 or 8";
        }
        if (!ZeroFrom(r, 2)) {
            return "bytes 2..6 are not zero";
        }
        memory_.pollingInterval = r[1];
        return {};
    case 0x03:
        std::copy(r + 1, r + 7, memory_.fixedParameters.begin());
        return {};
    case 0x0B:
        if (r[1] < 1 || r[1] > kStageCount) {
            return "stage " + std::to_string(r[1]) + " is not 1..6";
        }
        if (r[2] != 0x08 || !ZeroFrom(r, 3)) {
            return "bytes 2..6 are not 08 00 00 00 00";
        }
        memory_.selectedStage = r[1];
        return {};
    default: // 0x0D
        if (r[1] > 6) {
            return "lighting mode " + std::to_string(r[1]) + " is not 0..6";
        }
        if (!ZeroFrom(r, 4)) {
            return "bytes 4..6 are not zero";
        }
        std::copy(r + 1, r + 4, memory_.lighting.begin());
        return {};
    }
}

std::string VirtualMouse::AnnounceBlocks(const uint8_t* r) {
    switch (r[0]) {
    case 0x11:
        if (r[1] != 0x06 || r[2] != 0x08 || !ZeroFrom(r, 3)) {
            return "bytes 1..6 are not 06 08 00 00 00 00";
        }
        pendingTarget_ = Target::DpiTable;
        pendingIndex_ = 0;
        blocksExpected_ = 1;
        return {};
    case 0x12:
        if (r[1] < 1 || r[1] > 4) {
            return "page " + std::to_string(r[1]) + " is not 1..4";
        }
        if (r[2] != 0x40 || !ZeroFrom(r, 3)) {
            return "bytes 2..6 are not 40 00 00 00 00";
        }
        pendingTarget_ = Target::ButtonPage;
        pendingIndex_ = r[1];
        blocksExpected_ = 2;
        return {};
    default: // 0x13
        if (r[1] < 1 || r[1] > kSlotCount) {
            return "slot " + std::to_string(r[1]) + " is not 1..11";
        }
        if (r[2] != 0x80 || !ZeroFrom(r, 3)) {
            return "bytes 2..6 are not 80 00 00 00 00";
        }
        pendingTarget_ = Target::Slot;
        pendingIndex_ = r[1];
        blocksExpected_ = 4;
        return {};
    }
}

Outcome VirtualMouse::WriteBlock(const uint8_t* data, size_t length) {
    Outcome out;
    if (!data || length == 0) {
        out.notes.push_back("WriteUSB without data refused");
        return out;
    }
    if (!memory_.plugged) {
        out.notes.push_back("WriteUSB refused: the mouse is unplugged");
        return out;
    }
    out.ok = true;
    if (pendingTarget_ == Target::None) {
        out.notes.push_back("block of " + std::to_string(length) + " bytes that no command announced: ignored");
        return out;
    }
    const size_t expected = pendingTarget_ == Target::DpiTable ? 8 : kBlockBytes;
    if (length != expected) {
        out.notes.push_back("block of " + std::to_string(length) + " bytes where " + std::to_string(expected) +
                            " were announced: ignored");
        AbandonPendingBlocks(out);
        return out;
    }
    const int part = blocksReceived_;
    switch (pendingTarget_) {
    case Target::DpiTable:
        std::copy(data, data + 8, memory_.dpiTable.begin());
        out.notes.push_back("DPI stage table written");
        break;
    case Target::ButtonPage: {
        const size_t offset = 64 * static_cast<size_t>(pendingIndex_ - 1) + kBlockBytes * part;
        std::copy(data, data + kBlockBytes, memory_.buttons.begin() + offset);
        if (part == 1) {
            out.notes.push_back("button table page " + std::to_string(pendingIndex_) + " written (entries " +
                                std::to_string(16 * (pendingIndex_ - 1)) + ".." +
                                std::to_string(16 * pendingIndex_ - 1) + ")");
        }
        break;
    }
    case Target::Slot:
        std::copy(data, data + kBlockBytes, memory_.slots[pendingIndex_ - 1].begin() + kBlockBytes * part);
        if (part == 3) {
            out.notes.push_back("sequence slot " + std::to_string(pendingIndex_) + " written");
        }
        break;
    case Target::None:
        break;
    }
    // Kept once the command's last block is in: one memory file write per command, not per block.
    if (++blocksReceived_ == blocksExpected_) {
        out.memoryChanged = true;
        pendingTarget_ = Target::None;
        blocksExpected_ = blocksReceived_ = 0;
    }
    return out;
}

Outcome VirtualMouse::GetFeature(std::array<uint8_t, 8>& answer) {
    Outcome out;
    if (!memory_.plugged) {
        out.notes.push_back("GetFeature refused: the mouse is unplugged");
        return out;
    }
    if (!answer_) {
        out.notes.push_back("GetFeature without a preceding 8B request: no answer");
        return out;
    }
    answer = *answer_;
    out.ok = true;
    return out;
}

Outcome VirtualMouse::Plug(bool plugged) {
    Outcome out;
    out.ok = true;
    if (memory_.plugged == plugged) {
        out.notes.push_back(plugged ? "already plugged" : "already unplugged");
        return out;
    }
    memory_.plugged = plugged;
    if (!plugged) {
        AbandonPendingBlocks(out);
        answer_.reset();
    }
    out.notes.push_back(plugged ? "plugged" : "unplugged");
    out.memoryChanged = true;
    out.presence = plugged;
    return out;
}

namespace {

Outcome Refused(const std::string& why) {
    Outcome out;
    out.notes.push_back(why);
    return out;
}

Outcome Reported(HostReport report, std::string note) {
    Outcome out;
    out.ok = true;
    out.notes.push_back(std::move(note));
    out.reports.push_back(report);
    return out;
}

} // namespace

Outcome VirtualMouse::SelectStage(int stage) {
    if (!memory_.plugged) {
        return Refused("the mouse is unplugged: it cannot report");
    }
    if (stage < 1 || stage > kStageCount) {
        return Refused("stage " + std::to_string(stage) + " is not 1..6");
    }
    memory_.selectedStage = static_cast<uint8_t>(stage);
    const uint8_t code = memory_.dpiTable[stage - 1];
    std::string note = "DPI stage " + std::to_string(stage) + " selected (" + StageText(code & 0x7F) + ")";
    if (code & 0x80) {
        note += ", a stage the table disables";
    }
    Outcome out = Reported({kReportDpiStage, static_cast<uint16_t>(stage)}, note);
    out.memoryChanged = true;
    return out;
}

Outcome VirtualMouse::SetPollingRate(int hertz) {
    if (!memory_.plugged) {
        return Refused("the mouse is unplugged: it cannot report");
    }
    int interval = 0;
    switch (hertz) {
    case 125:
        interval = 8;
        break;
    case 250:
        interval = 4;
        break;
    case 500:
        interval = 2;
        break;
    case 1000:
        interval = 1;
        break;
    default:
        return Refused("polling rate " + std::to_string(hertz) + " Hz is not 125, 250, 500 or 1000");
    }
    memory_.pollingInterval = static_cast<uint8_t>(interval);
    Outcome out =
        Reported({kReportPolling, static_cast<uint16_t>(interval)},
                 "polling rate " + std::to_string(hertz) + " Hz (interval " + std::to_string(interval) + " ms)");
    out.memoryChanged = true;
    return out;
}

Outcome VirtualMouse::SwitchProfile(int profile) {
    if (!memory_.plugged) {
        return Refused("the mouse is unplugged: it cannot report");
    }
    if (profile < 1 || profile > 5) {
        return Refused("profile " + std::to_string(profile) + " is not 1..5");
    }
    return Reported({kReportProfile, static_cast<uint16_t>(profile)}, "profile " + std::to_string(profile));
}

Outcome VirtualMouse::SetSensitivity(int x, int y) {
    if (!memory_.plugged) {
        return Refused("the mouse is unplugged: it cannot report");
    }
    if (x < 1 || x > 20 || y < 1 || y > 20) {
        return Refused("sensitivity " + std::to_string(x) + " " + std::to_string(y) + " is not 1..20 for both");
    }
    return Reported({kReportSensitivity, static_cast<uint16_t>(x | (y << 8))},
                    "sensitivity x " + std::to_string(x) + ", y " + std::to_string(y));
}

Outcome VirtualMouse::Event(uint32_t command, uint32_t value) {
    if (!memory_.plugged) {
        return Refused("the mouse is unplugged: it cannot report");
    }
    const HostReport report{static_cast<uint16_t>(command & 0xFFFF), static_cast<uint16_t>(value & 0xFFFF)};
    char note[64];
    std::snprintf(note, sizeof note, "event %04X %04X", report.command, report.value);
    return Reported(report, note);
}

// The mouse steps through the stages whose table byte is enabled (bit 7 clear). Function 1 steps up and stops at the
// last enabled stage, 2 steps down and stops at the first, 3 cycles upward, 4 cycles downward.
Outcome VirtualMouse::StepDpi(int function, int entry) {
    const std::string what = "button " + std::to_string(entry + 1) + ": DPI function " + std::to_string(function);
    if (function < 1 || function > 4) {
        return Refused(what + " is not one the mouse knows: nothing happens");
    }
    std::vector<int> enabled;
    for (int s = 1; s <= kStageCount; ++s) {
        if (!(memory_.dpiTable[s - 1] & 0x80)) {
            enabled.push_back(s);
        }
    }
    if (enabled.empty()) {
        return Refused(what + ": no stage is enabled, nothing happens");
    }
    const int current = memory_.selectedStage;
    const bool up = function == 1 || function == 3;
    const bool wrap = function >= 3;
    int next = 0;
    if (up) {
        auto it = std::upper_bound(enabled.begin(), enabled.end(), current);
        next = it != enabled.end() ? *it : (wrap ? enabled.front() : enabled.back());
    } else {
        auto it = std::lower_bound(enabled.begin(), enabled.end(), current);
        next = it != enabled.begin() ? *(it - 1) : (wrap ? enabled.back() : enabled.front());
    }
    if (next == current) {
        Outcome out = Refused(what + ": stays at stage " + std::to_string(current));
        out.ok = true;
        return out;
    }
    memory_.selectedStage = static_cast<uint8_t>(next);
    Outcome out = Reported({kReportDpiStage, static_cast<uint16_t>(next)},
                           what + ": stage " + std::to_string(current) + " -> " + std::to_string(next) + " (" +
                               StageText(memory_.dpiTable[next - 1] & 0x7F) + ")");
    out.memoryChanged = true;
    return out;
}

Outcome VirtualMouse::Press(int button) {
    if (!memory_.plugged) {
        return Refused("the mouse is unplugged");
    }
    if (button < 1 || button > kButtonCount) {
        return Refused("button " + std::to_string(button) + " is not 1..16");
    }
    const int entry = button - 1;
    const uint8_t* d = &memory_.buttons[4 * entry];
    const std::string what = "button " + std::to_string(button) + " (" + HexBytes(d, 4) + "): ";
    switch (d[0]) {
    case 0x07:
        return StepDpi(d[2], entry);
    case 0x06: {
        const uint16_t command = static_cast<uint16_t>(kReportLaunch | d[3]);
        char note[96];
        std::snprintf(note, sizeof note, "launch program: reports %04X 0000", command);
        return Reported({command, 0}, what + note);
    }
    default: {
        Outcome out;
        out.ok = true;
        out.notes.push_back(what + DescribeDescriptor(d) + ", carried out on the mouse, nothing reported");
        if (d[0] == 0x09 && d[2] >= 1 && d[2] <= kSlotCount) {
            out.notes.push_back("slot " + std::to_string(d[2]) + ": " + DescribeSlotEvents(memory_.slots[d[2] - 1]));
        }
        return out;
    }
    }
}

uint32_t Crc32(const uint8_t* data, size_t length) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int b = 0; b < 8; ++b) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

std::vector<uint8_t> SerializeMemory(const Memory& m) {
    std::vector<uint8_t> bytes(kMagic, kMagic + 8);
    for (int i = 0; i < 4; ++i) {
        bytes.push_back(static_cast<uint8_t>(kFileVersion >> (8 * i)));
    }
    bytes.push_back(m.plugged ? 1 : 0);
    bytes.push_back(m.pollingInterval);
    bytes.insert(bytes.end(), m.fixedParameters.begin(), m.fixedParameters.end());
    bytes.insert(bytes.end(), m.lighting.begin(), m.lighting.end());
    bytes.insert(bytes.end(), m.dpiTable.begin(), m.dpiTable.end());
    bytes.push_back(m.selectedStage);
    bytes.insert(bytes.end(), m.buttons.begin(), m.buttons.end());
    for (const auto& slot : m.slots) {
        bytes.insert(bytes.end(), slot.begin(), slot.end());
    }
    const uint32_t crc = Crc32(bytes.data(), bytes.size());
    for (int i = 0; i < 4; ++i) {
        bytes.push_back(static_cast<uint8_t>(crc >> (8 * i)));
    }
    return bytes;
}

std::optional<Memory> DeserializeMemory(const std::vector<uint8_t>& bytes) {
    if (bytes.size() != kMemoryFileBytes || std::memcmp(bytes.data(), kMagic, 8) != 0) {
        return std::nullopt;
    }
    auto le32 = [&](size_t at) {
        return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
               static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
    };
    if (le32(8) != kFileVersion || le32(bytes.size() - 4) != Crc32(bytes.data(), bytes.size() - 4)) {
        return std::nullopt;
    }
    Memory m;
    size_t at = 12;
    auto take = [&](auto& array) {
        std::copy(bytes.begin() + at, bytes.begin() + at + array.size(), array.begin());
        at += array.size();
    };
    const uint8_t plugged = bytes[at++];
    m.pollingInterval = bytes[at++];
    take(m.fixedParameters);
    take(m.lighting);
    take(m.dpiTable);
    m.selectedStage = bytes[at++];
    take(m.buttons);
    for (auto& slot : m.slots) {
        take(slot);
    }
    // A file that passed its checksum was written by us, but its values still must be ones the mouse can hold.
    if (plugged > 1 || !ValidInterval(m.pollingInterval) || m.lighting[0] > 6 || m.selectedStage < 1 ||
        m.selectedStage > kStageCount) {
        return std::nullopt;
    }
    m.plugged = plugged == 1;
    return m;
}

std::string FormatTransferLine(uint64_t milliseconds, const char* kind, const uint8_t* data, size_t length) {
    return std::to_string(milliseconds) + " " + kind + " " + HexBytes(data, length);
}

} // namespace vmouse
