#include "monitor/device/device_commands.h"

#include "common/polling_rate.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kSlotHeaderBytes = 2;
constexpr uint8_t kPressFlag = 0x01;
constexpr uint8_t kReleaseFlag = 0x81;
constexpr uint8_t kLongPauseMarker = 0x02;
constexpr uint8_t kDescriptorSequence = 0x09;
constexpr int kFirstSkippedEntry = 24; // entries 24..29 are not written to the mouse
constexpr int kLastSkippedEntry = 29;

uint8_t Low(int64_t value) {
    return static_cast<uint8_t>(value & 0xFF);
}

void AddSet(TransferList& list, const CommandReport& report) {
    list.push_back({TransferKind::Set, {report.begin(), report.end()}, 0});
}

template <typename It> void AddWrite(TransferList& list, It first, It last) {
    list.push_back({TransferKind::Write, {first, last}, 0});
}

void AddPause(TransferList& list, int ms) {
    list.push_back({TransferKind::Pause, {}, ms});
}

} // namespace

uint8_t ReportChecksum(const CommandReport& report) {
    unsigned sum = 0;
    for (int i = 0; i < 7; ++i) {
        sum += report[i];
    }
    return Low(0xFF - static_cast<int>(sum & 0xFF));
}

CommandReport MakeReport(uint8_t command, std::initializer_list<uint8_t> parameters) {
    CommandReport report{};
    report[0] = command;
    int i = 1;
    for (uint8_t p : parameters) {
        if (i > 6) {
            break;
        }
        report[i++] = p;
    }
    report[7] = ReportChecksum(report);
    return report;
}

uint8_t PollingInterval(int32_t pollingRate) {
    // A code that names no rate gets 500 Hz, the mouse's own default.
    const PollingRate* rate = PollingRateOfCode(pollingRate);
    return rate != nullptr ? rate->intervalMs : 2;
}

CommandReport PollingRateReport(const ProfileRecord& profile) {
    return MakeReport(kCommandPollingRate, {PollingInterval(profile.PollingRate)});
}

CommandReport FixedReport() {
    return MakeReport(kCommandFixed, {0x00, 0x0F, 0xD8, 0x40, 0x00, 0x00});
}

CommandReport LightingReport(const ProfileRecord& profile) {
    const int64_t speed = profile.BreathSpeed;
    const uint8_t color = Low(profile.ColorOptions);
    switch (profile.LightSwitch) {
    case 1:
        return MakeReport(kCommandLighting, {1, Low(int64_t{profile.Brightness} * 5), color});
    case 2:
        return MakeReport(kCommandLighting, {2, Low(speed * 15 + 5), color});
    case 3:
        return MakeReport(kCommandLighting, {3, static_cast<uint8_t>(speed == 1 ? 3 : speed == 2 ? 8 : 18), 2});
    case 4:
        return MakeReport(kCommandLighting, {4, static_cast<uint8_t>(speed == 1 ? 6 : speed == 2 ? 16 : 30), 0});
    case 5:
        return MakeReport(kCommandLighting, {5, 0, 0});
    case 6:
        return MakeReport(kCommandLighting, {6, Low(speed * 25 + 5), color});
    default:
        return MakeReport(kCommandLighting, {0, 0, 0});
    }
}

uint8_t StageCode(int32_t level) {
    static constexpr uint8_t kCodes[14] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07,
                                           0x08, 0x25, 0x26, 0x27, 0x28, 0x45, 0x47};
    if (level < 1 || level > 14) {
        return 0x06;
    }
    return kCodes[level - 1];
}

DpiStageBlock BuildDpiStageBlock(const ProfileRecord& profile) {
    DpiStageBlock block{};
    int lastEnabled = -1;
    for (int i = 0; i < kDpiLevelCount; ++i) {
        const uint8_t own = StageCode(profile.CpiLevel_X[i]);
        if (profile.dpiStepFlag[i] != 0) {
            block[i] = own;
            lastEnabled = i;
        } else {
            block[i] = static_cast<uint8_t>(0x80 | (lastEnabled >= 0 ? block[lastEnabled] : own));
        }
    }
    block[6] = 0x80;
    block[7] = 0x80;
    return block;
}

bool SelectStageReport(const ProfileRecord& profile, CommandReport& report) {
    if (profile.Cpi_X < 0 || profile.Cpi_X >= kDpiLevelCount) {
        return false;
    }
    report = MakeReport(kCommandSelectStage, {Low(profile.Cpi_X + 1), 0x08});
    return true;
}

SequenceSlot FixedSequenceSlot(int code) {
    SequenceSlot slot{};
    const KeySequence keys = KeySequenceOf(code);
    const int count = std::clamp(keys.count, 0, static_cast<int>(keys.keys.size()));
    if (count == 0) {
        return slot;
    }
    slot[0] = 0x00;
    slot[1] = 0x01; // played once
    int at = kSlotHeaderBytes;
    for (int i = 0; i < count; ++i) {
        slot[at++] = kPressFlag;
        slot[at++] = keys.keys[i];
    }
    for (int i = count - 1; i >= 0; --i) {
        slot[at++] = kReleaseFlag;
        slot[at++] = keys.keys[i];
    }
    return slot;
}

SequenceSlot MacroSequenceSlot(const MacroKeyInfo& entry) {
    SequenceSlot slot{};
    const int events = std::min<int>(entry.ContentCount, kMacroEventMax);
    if (events == 0) {
        return slot;
    }
    const uint32_t repeat = static_cast<uint32_t>(entry.RepeatCount);
    slot[0] = static_cast<uint8_t>((repeat >> 8) & 0xFF);
    slot[1] = static_cast<uint8_t>(repeat & 0xFF);
    size_t at = kSlotHeaderBytes;
    for (int j = 0; j < events; ++j) {
        const uint8_t* e = entry.Data + 4 * j;
        const uint8_t usage = e[0];
        // Anything but a press is sent as a release, so that a damaged event cannot leave a key held.
        const bool press = e[1] == 1;
        const unsigned pause = static_cast<unsigned>(e[2]) | (static_cast<unsigned>(e[3]) << 8);
        const unsigned d = pause / 10;
        if (d <= 127) {
            if (at + 2 > slot.size()) {
                break;
            }
            slot[at++] = static_cast<uint8_t>(d | (press ? kPressFlag : kReleaseFlag));
            slot[at++] = usage;
        } else {
            if (at + 4 > slot.size()) {
                break;
            }
            slot[at++] = press ? kPressFlag : kReleaseFlag;
            slot[at++] = usage;
            slot[at++] = static_cast<uint8_t>(std::min(pause / 50, 255u));
            slot[at++] = kLongPauseMarker;
        }
    }
    return slot;
}

std::array<uint8_t, 4> EntryDescriptor(const MacroKeyInfo& entry, int entryIndex, int32_t otgSpeed) {
    const int code = entry.FunctionCode;
    std::array<uint8_t, 4> d = FunctionDescriptor(code, entryIndex);
    switch (code) {
    case kCodeShortcut:
        d[1] = static_cast<uint8_t>(entry.Data[1] >> 1);
        d[2] = entry.Data[0];
        break;
    case kCodeMacro:
        d[1] = entry.ContentCount != 0 ? Low(entry.MacroOption) : 0;
        break;
    case kCodeClickRepeat:
        d[2] = d[3] = Low(otgSpeed / 2);
        break;
    case kCodeFire:
        d[1] = entry.Data[0];
        d[2] = entry.Param2 > 4 ? Low(entry.Param2 / 2) : 2;
        d[3] = Low(entry.Param1);
        break;
    default:
        break;
    }
    return d;
}

ButtonTable BuildButtonTable(const ProfileRecord& profile) {
    ButtonTable table;
    for (int n = 0; n < kMacroKeyCount; ++n) {
        if (n >= kFirstSkippedEntry && n <= kLastSkippedEntry) {
            continue;
        }
        const MacroKeyInfo& entry = profile.MacroKey[n];
        std::array<uint8_t, 4> d = EntryDescriptor(entry, n, profile.OTGSpeed);
        if (d[0] == kDescriptorSequence && table.slots.size() < kSequenceSlotCount) {
            table.slots.push_back(entry.FunctionCode == kCodeMacro ? MacroSequenceSlot(entry)
                                                                   : FixedSequenceSlot(entry.FunctionCode));
            d[2] = static_cast<uint8_t>(table.slots.size());
        }
        std::copy(d.begin(), d.end(), table.bytes.begin() + 4 * n);
    }
    return table;
}

TransferList BuildApplyAll(const ProfileRecord& profile) {
    TransferList list;
    // Each command is followed by 100 ms, the time the mouse needs to store it.
    AddSet(list, PollingRateReport(profile));
    AddPause(list, 100);
    AddSet(list, FixedReport());
    AddPause(list, 100);
    AddSet(list, LightingReport(profile));
    AddPause(list, 100);

    AddSet(list, MakeReport(kCommandStageTable, {0x06, 0x08}));
    AddPause(list, 50);
    const DpiStageBlock stages = BuildDpiStageBlock(profile);
    AddWrite(list, stages.begin(), stages.end());
    AddPause(list, 50);
    AddPause(list, 100);

    // A stage index outside 0..5 (a damaged file or block) selects nothing: the mouse keeps its stage.
    CommandReport select{};
    if (SelectStageReport(profile, select)) {
        AddSet(list, select);
    }
    AddPause(list, 100);

    const ButtonTable table = BuildButtonTable(profile);
    for (int p = 1; p <= kButtonTablePages; ++p) {
        AddSet(list, MakeReport(kCommandButtonPage, {static_cast<uint8_t>(p), 0x40}));
        AddPause(list, 150);
        const auto first = table.bytes.begin() + 64 * (p - 1);
        AddWrite(list, first, first + kDataBlockSize);
        AddPause(list, 100);
        AddWrite(list, first + kDataBlockSize, first + 2 * kDataBlockSize);
        AddPause(list, 100);
        AddPause(list, 200);
    }
    for (size_t s = 1; s <= table.slots.size(); ++s) {
        AddSet(list, MakeReport(kCommandSequenceSlot, {static_cast<uint8_t>(s), 0x80}));
        AddPause(list, 150);
        const SequenceSlot& slot = table.slots[s - 1];
        for (int b = 0; b < 4; ++b) {
            AddWrite(list, slot.begin() + kDataBlockSize * b, slot.begin() + kDataBlockSize * (b + 1));
            AddPause(list, 50);
        }
        AddPause(list, 50);
    }
    AddPause(list, 100);
    return list;
}

TransferList BuildApplyAll(const ShareData& data) {
    const ProfileRecord* profile = ActiveProfile(data);
    if (profile == nullptr) {
        return {};
    }
    return BuildApplyAll(*profile);
}

TransferList BuildReadBack() {
    TransferList list;
    const CommandReport report = MakeReport(kCommandReadStage);
    AddSet(list, report);
    AddPause(list, 100);
    list.push_back({TransferKind::Get, {report.begin(), report.end()}, 0});
    return list;
}

TransferList BuildReadBackTail() {
    TransferList list;
    // The mouse settles for four seconds after it arrived before it takes the fixed parameters.
    AddPause(list, 4000);
    AddSet(list, FixedReport());
    return list;
}

bool DecodeReadBack(const std::array<uint8_t, 8>& answer, int32_t& cpiX) {
    if (answer[1] < 1 || answer[1] > kDpiLevelCount) {
        return false;
    }
    cpiX = answer[1] - 1;
    return true;
}

int TotalPauseMs(const TransferList& list) {
    int total = 0;
    for (const Transfer& t : list) {
        if (t.kind == TransferKind::Pause) {
            total += t.ms;
        }
    }
    return total;
}

std::string FormatTransfers(const TransferList& list) {
    std::string out;
    char hex[4];
    for (const Transfer& t : list) {
        switch (t.kind) {
        case TransferKind::Set:
            out += "SET";
            break;
        case TransferKind::Write:
            out += "WRITE";
            break;
        case TransferKind::Get:
            out += "GET";
            break;
        case TransferKind::Pause:
            out += "PAUSE " + std::to_string(t.ms);
            break;
        }
        for (uint8_t b : t.bytes) {
            std::snprintf(hex, sizeof hex, " %02X", b);
            out += hex;
        }
        out += '\n';
    }
    return out;
}
