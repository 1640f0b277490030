#pragma once
// What Monitor sends to the mouse: the 8-byte command reports, the data blocks that follow some of them, and the
// whole apply-all and read-back as ordered lists of transfers and pauses. Pure logic: the DeviceWorker carries a
// list out over the HID transport; tests compare lists with golden files.

#include "common/function_codes.h"
#include "common/profile_record.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

using CommandReport = std::array<uint8_t, 8>;
using SequenceSlot = std::array<uint8_t, 128>;
using ButtonTableBytes = std::array<uint8_t, 256>;
using DpiStageBlock = std::array<uint8_t, 8>;

inline constexpr uint8_t kCommandPollingRate = 0x01;
inline constexpr uint8_t kCommandFixed = 0x03;
inline constexpr uint8_t kCommandSelectStage = 0x0B;
inline constexpr uint8_t kCommandLighting = 0x0D;
inline constexpr uint8_t kCommandStageTable = 0x11;
inline constexpr uint8_t kCommandButtonPage = 0x12;
inline constexpr uint8_t kCommandSequenceSlot = 0x13;
inline constexpr uint8_t kCommandReadStage = 0x8B;

inline constexpr int kSequenceSlotCount = 11;
inline constexpr int kButtonTablePages = 4;
inline constexpr int kDataBlockSize = 32;

// A zero-filled report with the command, up to six parameter bytes and the checksum in byte 7: 0xFF minus the sum of
// bytes 0 to 6, so that all eight bytes sum to 0xFF modulo 256.
CommandReport MakeReport(uint8_t command, std::initializer_list<uint8_t> parameters = {});
uint8_t ReportChecksum(const CommandReport& report);

// Report interval in milliseconds for a polling-rate code: 0 -> 8, 1 -> 4, 2 -> 2, 3 -> 1, anything else -> 2.
uint8_t PollingInterval(int32_t pollingRate);
CommandReport PollingRateReport(const ProfileRecord& profile);
CommandReport FixedReport();
CommandReport LightingReport(const ProfileRecord& profile);

// Stage code of a DPI level code 1..14 (any other level gives 0x06).
uint8_t StageCode(int32_t level);
// Stage codes of stages 1 to 6, then 0x80 0x80. A disabled stage is 0x80 with the code of the nearest enabled stage
// before it (its own level's code when none precedes it).
DpiStageBlock BuildDpiStageBlock(const ProfileRecord& profile);
// 0x0B with stage Cpi_X + 1; false (nothing to send) when Cpi_X is not a stage index 0..5.
bool SelectStageReport(const ProfileRecord& profile, CommandReport& report);

// The fixed key sequence of a code: header 00 01, the keys pressed in order, released in reverse; all zero for a
// code without one.
SequenceSlot FixedSequenceSlot(int code);
// A macro copy in a button entry: the repeat count as a 16-bit big-endian header, then its events. At most 50
// events are read (the entry's count is not trusted); encoding stops after the last whole event that fits the 126
// bytes; a long pause whose pause / 50 exceeds a byte is sent as 255. No events: all zero.
SequenceSlot MacroSequenceSlot(const MacroKeyInfo& entry);

// The device descriptor of entry 0..63 before any slot is given (byte 2 of a type-09 descriptor is 0); the profile's
// OTGSpeed gives code 69 its bytes.
std::array<uint8_t, 4> EntryDescriptor(const MacroKeyInfo& entry, int entryIndex, int32_t otgSpeed);

struct ButtonTable {
    ButtonTableBytes bytes{};
    std::vector<SequenceSlot> slots; // slots[s - 1] is slot s; at most eleven
};
// The 256-byte table of entries 0..63 (24 to 29 stay zero) and the sequence slots in entry order.
ButtonTable BuildButtonTable(const ProfileRecord& profile);

// One step of a command series.
enum class TransferKind { Set, Write, Get, Pause };
struct Transfer {
    TransferKind kind;
    std::vector<uint8_t> bytes; // the report or block (Set, Write), the buffer handed to GetFeature (Get)
    int ms = 0;                 // Pause only
};
using TransferList = std::vector<Transfer>;

// The apply-all of profile CurrentProfile; empty when CurrentProfile is not 0..4.
TransferList BuildApplyAll(const ShareData& data);
TransferList BuildApplyAll(const ProfileRecord& profile);
// Read-back: 0x8B, 100 ms, GetFeature of a buffer holding the same eight bytes.
TransferList BuildReadBack();
// What job 2 does after the read-back: 4000 ms, then command 0x03.
TransferList BuildReadBackTail();

// Stage index from a read-back answer (byte 1 is the stage 1..6); false when the answer holds no such stage.
bool DecodeReadBack(const std::array<uint8_t, 8>& answer, int32_t& cpiX);

// Sum of the pauses of a list in milliseconds.
int TotalPauseMs(const TransferList& list);
// One line per step, "SET 01 02 ...", "WRITE ...", "GET ..." (upper-case hex pairs) or "PAUSE <ms>".
std::string FormatTransfers(const TransferList& list);
