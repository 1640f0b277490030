#pragma once
// The virtual mouse: a model of the mouse's on-board memory and of how it takes the host's command reports and data
// blocks. No Windows here; hiddriver.cpp wraps it in the eleven transport exports, the files and the control window.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vmouse {

inline constexpr int kStageCount = 6;
inline constexpr int kButtonTableBytes = 256;
inline constexpr int kSlotCount = 11;
inline constexpr int kSlotBytes = 128;
inline constexpr int kButtonCount = 16; // buttons a person can press: entries 0..15 of the table

// Report sizes on the wire.
inline constexpr size_t kReportBytes = 8;
inline constexpr size_t kBlockBytes = 32;

// Command words of the reports the mouse sends to the host (the value word follows each).
inline constexpr uint16_t kReportDpiStage = 0x0700;    // value: stage 1..6
inline constexpr uint16_t kReportPolling = 0x0500;     // value: interval in ms (8, 4, 2, 1)
inline constexpr uint16_t kReportProfile = 0x7000;     // value: profile 1..5
inline constexpr uint16_t kReportLaunch = 0x6000;      // | button table entry + 1; value 0
inline constexpr uint16_t kReportSensitivity = 0xC000; // value: x in the low byte, y in the high byte

struct Memory {
    bool plugged = true;
    uint8_t pollingInterval = 2;                                     // ms between reports: 1, 2, 4 or 8
    std::array<uint8_t, 6> fixedParameters{};                        // bytes 1..6 of the last 0x03
    std::array<uint8_t, 3> lighting{};                               // mode, value 1, value 2
    std::array<uint8_t, 8> dpiTable{};                               // stage codes of stages 1..6, then 80 80
    uint8_t selectedStage = 1;                                       // 1..6
    std::array<uint8_t, kButtonTableBytes> buttons{};                // four bytes per entry 0..63
    std::array<std::array<uint8_t, kSlotBytes>, kSlotCount> slots{}; // slots 1..11 at index 0..10

    bool operator==(const Memory&) const = default;
};

// What the mouse holds when it leaves the factory (and after its memory file is lost).
Memory FactoryMemory();

// The checksum byte of a command report: all eight bytes sum to 0xFF.
uint8_t ReportChecksum(const uint8_t* report);
// A command report with the checksum filled in.
std::array<uint8_t, 8> MakeReport(std::initializer_list<uint8_t> bytes);

// Something the mouse tells the host: a DeviceEvent with command word and value word.
struct HostReport {
    uint16_t command = 0;
    uint16_t value = 0;
    bool operator==(const HostReport&) const = default;
};

// What one operation did, for the caller to log, post and persist.
struct Outcome {
    bool ok = false;                 // the transfer was taken (the export's result)
    bool memoryChanged = false;      // persist the memory
    std::vector<std::string> notes;  // diagnostic lines, without the leading "# "
    std::vector<HostReport> reports; // reports to post to the host, in order
    std::optional<bool> presence;    // plugged in (true) or pulled out (false): a presence notification
};

// The mouse's command decoder and on-board memory. Not thread-safe: the caller serialises.
class VirtualMouse {
public:
    VirtualMouse() : memory_(FactoryMemory()) {}
    explicit VirtualMouse(const Memory& memory) : memory_(memory) {}

    const Memory& memory() const { return memory_; }

    // Host transfers. The buffers are untrusted: any length, any content.
    Outcome SetFeature(const uint8_t* data, size_t length);
    Outcome WriteBlock(const uint8_t* data, size_t length);
    // Fills answer (8 bytes) on success.
    Outcome GetFeature(std::array<uint8_t, 8>& answer);

    // What a person does with the mouse. Each reports what the real mouse reports.
    Outcome Plug(bool plugged);
    Outcome SelectStage(int stage);                  // the DPI button stepped to stage 1..6
    Outcome SetPollingRate(int hertz);               // 125, 250, 500 or 1000
    Outcome SwitchProfile(int profile);              // 1..5
    Outcome SetSensitivity(int x, int y);            // 1..20 each
    Outcome Press(int button);                       // 1..16: carries out button table entry button - 1
    Outcome Event(uint32_t command, uint32_t value); // any report, sent as given (words taken modulo 0x10000)

private:
    void AbandonPendingBlocks(Outcome& outcome);
    // A checked command report of 8 bytes: a setting into the memory, or a command that announces data blocks.
    // Each gives why the mouse ignores the report, empty when it took it.
    std::string TakeSetting(const uint8_t* r);
    std::string AnnounceBlocks(const uint8_t* r);
    Outcome StepDpi(int function, int entry);

    Memory memory_;
    // Blocks that the last command announced: where they go and how many are still to come.
    enum class Target { None, DpiTable, ButtonPage, Slot };
    Target pendingTarget_ = Target::None;
    int pendingIndex_ = 0; // page 1..4 or slot 1..11
    int blocksExpected_ = 0;
    int blocksReceived_ = 0;
    std::optional<std::array<uint8_t, 8>> answer_; // armed by 0x8B, valid until the next command
};

// The memory file: a fixed-size image with a magic, a version and a CRC-32. Anything else gives nullopt.
std::vector<uint8_t> SerializeMemory(const Memory& memory);
std::optional<Memory> DeserializeMemory(const std::vector<uint8_t>& bytes);
inline constexpr size_t kMemoryFileBytes =
    8 + 4 + 1 + 1 + 6 + 3 + 8 + 1 + kButtonTableBytes + kSlotCount * kSlotBytes + 4;
// The CRC-32 that ends the memory file (reflected, polynomial 0xEDB88320, as zip files use), over length bytes.
uint32_t Crc32(const uint8_t* data, size_t length);

// One transfer line of the log: "<ms> <kind> <hex pairs>".
std::string FormatTransferLine(uint64_t milliseconds, const char* kind, const uint8_t* data, size_t length);

} // namespace vmouse
