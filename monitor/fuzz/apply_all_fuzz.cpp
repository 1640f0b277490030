// An apply-all from a shared block of any bytes (the block is writable by any program of the session), and the other
// things Monitor reads from the block. Whatever the
// block holds, every transfer has its fixed length and a valid checksum, the series has its fixed shape, and the
// mouse that takes the series ends up holding exactly the table and slots the encoder built: no write strays outside
// its slot or page.
#include "hiddriver/virtual_mouse.h"
#include "monitor/device/device_commands.h"
#include "monitor/game_match.h"
#include "monitor/osd_texts.h"
#include "testing/fuzz_block.h"
#include "testing/fuzz_check.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace {

bool ChecksumOk(const std::vector<uint8_t>& report) {
    unsigned sum = 0;
    for (uint8_t b : report) {
        sum += b;
    }
    return (sum & 0xFF) == 0xFF;
}

bool Refused(const vmouse::Outcome& outcome) {
    if (!outcome.ok) {
        return true;
    }
    for (const std::string& note : outcome.notes) {
        if (note.find("ignored") != std::string::npos || note.find("incomplete") != std::string::npos) {
            return true;
        }
    }
    return false;
}

// The series' fixed shape, and the mouse's memory after it.
void CheckSeries(const ProfileRecord& profile, const TransferList& list) {
    FUZZ_CHECK(!list.empty());
    int pages = 0;
    int slots = 0;
    int writesDue = 0;
    size_t writeLength = 0;
    vmouse::VirtualMouse mouse;
    for (const Transfer& t : list) {
        switch (t.kind) {
        case TransferKind::Set: {
            FUZZ_CHECK(writesDue == 0);
            FUZZ_CHECK(t.bytes.size() == 8 && ChecksumOk(t.bytes));
            const uint8_t command = t.bytes[0];
            if (command == kCommandStageTable) {
                writesDue = 1;
                writeLength = 8;
            } else if (command == kCommandButtonPage) {
                FUZZ_CHECK(t.bytes[1] == ++pages);
                writesDue = 2;
                writeLength = kDataBlockSize;
            } else if (command == kCommandSequenceSlot) {
                FUZZ_CHECK(t.bytes[1] == ++slots && slots <= kSequenceSlotCount);
                writesDue = 4;
                writeLength = kDataBlockSize;
            }
            FUZZ_CHECK(!Refused(mouse.SetFeature(t.bytes.data(), t.bytes.size())));
            break;
        }
        case TransferKind::Write:
            FUZZ_CHECK(writesDue > 0 && t.bytes.size() == writeLength);
            --writesDue;
            FUZZ_CHECK(!Refused(mouse.WriteBlock(t.bytes.data(), t.bytes.size())));
            break;
        case TransferKind::Get:
            FUZZ_CHECK(false); // an apply-all reads nothing back
            break;
        case TransferKind::Pause:
            FUZZ_CHECK(t.bytes.empty() && t.ms > 0 && t.ms <= 4000);
            break;
        }
    }
    FUZZ_CHECK(writesDue == 0 && pages == kButtonTablePages);

    const ButtonTable table = BuildButtonTable(profile);
    FUZZ_CHECK(static_cast<int>(table.slots.size()) == slots);
    const vmouse::Memory& m = mouse.memory();
    FUZZ_CHECK(std::equal(table.bytes.begin(), table.bytes.end(), m.buttons.begin()));
    for (int s = 0; s < vmouse::kSlotCount; ++s) {
        const auto& held = m.slots[static_cast<size_t>(s)];
        if (s < slots) {
            FUZZ_CHECK(std::equal(held.begin(), held.end(), table.slots[static_cast<size_t>(s)].begin()));
        } else {
            FUZZ_CHECK(std::all_of(held.begin(), held.end(), [](uint8_t b) { return b == 0; }));
        }
    }
    // Every sequence descriptor names one of the slots sent.
    for (int n = 0; n < kMacroKeyCount; ++n) {
        const uint8_t* d = &table.bytes[static_cast<size_t>(4 * n)];
        if (d[0] == 0x09 && d[2] != 0) {
            FUZZ_CHECK(d[2] <= slots);
        }
    }
    const DpiStageBlock stages = BuildDpiStageBlock(profile);
    FUZZ_CHECK(std::equal(stages.begin(), stages.end(), m.dpiTable.begin()));
    const bool stageValid = profile.Cpi_X >= 0 && profile.Cpi_X < kDpiLevelCount;
    FUZZ_CHECK(m.selectedStage == (stageValid ? profile.Cpi_X + 1 : vmouse::FactoryMemory().selectedStage));
    FUZZ_CHECK(!FormatTransfers(list).empty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The block starts as a reset one, and the input is laid over it from its first byte: short inputs change the
    // first profiles, a whole block's worth changes everything.
    static const auto block = std::make_unique<ShareData>();
    *block = ResetBlock();
    std::memcpy(block.get(), data, std::min(size, sizeof(ShareData)));
    // Half the time the profile number is made valid, so that the profile bytes are what gets encoded.
    if (size > 0 && (data[size - 1] & 1)) {
        block->CurrentProfile = static_cast<int32_t>(static_cast<uint32_t>(block->CurrentProfile) % kProfileCount);
    }

    // What else Monitor reads from the block: the program names of the foreground switch and the CPI message.
    for (int p = 0; p < kProfileCount; ++p) {
        const std::string name = GameFileName(block->Profile[p]);
        FUZZ_CHECK(name.size() <= sizeof block->Profile[p].GameFile);
        FUZZ_CHECK(name.find_first_of("\\/:") == std::string::npos);
        const int match = MatchGameProfile(*block, name);
        FUZZ_CHECK(name.empty() ? match == -1 : match >= 0 && match <= p);
        const int target = ForegroundSwitchTarget(*block, name);
        FUZZ_CHECK(target == -1 || (target == match && target != block->CurrentProfile));
        FUZZ_CHECK(CpiMessage(block->Profile[p]).size() <= 16);
    }

    const TransferList list = BuildApplyAll(*block);
    const ProfileRecord* active = ActiveProfile(*block);
    FUZZ_CHECK((active == nullptr) == list.empty());
    if (active) {
        CheckSeries(*active, list);
    }
    return 0;
}
