// The mouse's reports, presence notifications and read-back answers, any words and any bytes, against a block whose
// profile number and DPI levels are any values too. Every action carries only indices its handler may use, and a
// setting event changes the one field it names in the active profile and nothing else of the block.
#include "monitor/device/device_commands.h"
#include "monitor/device_events.h"
#include "monitor/osd_texts.h"
#include "testing/fuzz_block.h"
#include "testing/fuzz_check.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {

void CheckAction(const EventAction& a, uint32_t code, int connectedFlag) {
    switch (a.kind) {
    case EventKind::None:
    case EventKind::OpenOption:
        break;
    case EventKind::Arrival:
        FUZZ_CHECK(CommandWord(code) == kPresenceCommand && connectedFlag != kConnected);
        break;
    case EventKind::Removal:
        FUZZ_CHECK(CommandWord(code) == kPresenceCommand && connectedFlag != kRemoved);
        break;
    case EventKind::ProfileSwitch:
        FUZZ_CHECK(a.index >= 0 && a.index < kProfileCount);
        break;
    case EventKind::LaunchProgram:
        FUZZ_CHECK(a.index >= 0 && a.index < 15);
        break;
    case EventKind::DpiStage:
        FUZZ_CHECK(a.index >= 0 && a.index < kDpiLevelCount);
        break;
    case EventKind::PollingRate:
        FUZZ_CHECK(a.index >= 0 && a.index <= 3);
        break;
    case EventKind::Sensitivity:
        FUZZ_CHECK(a.sensitivityX >= 0 && a.sensitivityX <= 20 && a.sensitivityY >= 0 && a.sensitivityY <= 20);
        FUZZ_CHECK(a.sensitivityX != 0 || a.sensitivityY != 0);
        break;
    }
}

// The input: a header (CurrentProfile, Cpi_X and the six CpiLevel_X of the active profile as little-endian ints, then
// the connected flag as one signed byte), then records of 17 bytes: a kind byte (modulo 4: presence notification,
// device event, device event, read-back answer) and two little-endian 64-bit words (wParam and lParam; the answer is
// the first eight bytes).
constexpr std::size_t kHeaderBytes = 33;
constexpr std::size_t kRecordBytes = 17;

uint64_t Le(const uint8_t* p, int bytes) {
    uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        v = v << 8 | p[i];
    }
    return v;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Blocks are large: kept between inputs, set from the reset one each time.
    static const auto block = std::make_unique<ShareData>();
    static const auto expected = std::make_unique<ShareData>();
    uint8_t header[kHeaderBytes] = {};
    std::memcpy(header, data, std::min(size, kHeaderBytes));
    *block = ResetBlock();
    block->CurrentProfile = static_cast<int32_t>(Le(header, 4));
    if (ProfileRecord* active = ActiveProfile(*block)) {
        active->Cpi_X = static_cast<int32_t>(Le(header + 4, 4));
        for (int i = 0; i < kDpiLevelCount; ++i) {
            active->CpiLevel_X[i] = static_cast<int32_t>(Le(header + 8 + 4 * i, 4));
        }
    }
    *expected = *block;
    int connected = static_cast<int8_t>(header[32]);

    for (std::size_t at = kHeaderBytes; at + kRecordBytes <= size; at += kRecordBytes) {
        const uint8_t* record = data + at;
        const uint64_t wParam = Le(record + 1, 8);
        const int64_t lParam = static_cast<int64_t>(Le(record + 9, 8));
        const int what = record[0] % 4;
        if (what == 3) {
            std::array<uint8_t, 8> answer{};
            std::memcpy(answer.data(), record + 1, answer.size());
            int32_t cpiX = -99;
            const bool stage = DecodeReadBack(answer, cpiX);
            FUZZ_CHECK(stage == (answer[1] >= 1 && answer[1] <= kDpiLevelCount));
            FUZZ_CHECK(stage ? cpiX == answer[1] - 1 : cpiX == -99);
            continue;
        }
        uint32_t code = 0;
        if (what == 0) {
            code = EventFromPresence(wParam);
            FUZZ_CHECK(CommandWord(code) == kPresenceCommand && ValueWord(code) <= 2);
        } else {
            code = EventFromDeviceEvent(wParam, lParam);
            FUZZ_CHECK(CommandWord(code) == (wParam & 0xFFFF));
            FUZZ_CHECK(ValueWord(code) == (static_cast<uint64_t>(lParam) & 0xFFFF));
        }

        const EventAction action = ClassifyEvent(code, connected);
        CheckAction(action, code, connected);
        if (action.kind == EventKind::Arrival) {
            connected = kConnected;
        } else if (action.kind == EventKind::Removal) {
            connected = kRemoved;
        }

        const SettingChange change = ApplySettingEvent(*block, action);
        ProfileRecord* active = ActiveProfile(*expected);
        FUZZ_CHECK(!change.changed || active != nullptr);
        FUZZ_CHECK(!change.dpiStage || action.kind == EventKind::DpiStage);
        if (change.changed) {
            switch (action.kind) {
            case EventKind::DpiStage:
                active->Cpi_X = action.index;
                FUZZ_CHECK(change.balloon == DpiText(active->CpiLevel_X[action.index]));
                CpiMessage(*active);
                break;
            case EventKind::PollingRate:
                active->PollingRate = action.index;
                FUZZ_CHECK(!change.balloon.empty());
                break;
            case EventKind::Sensitivity:
                if (action.sensitivityX != 0) {
                    active->Sensitivity_X = action.sensitivityX;
                }
                if (action.sensitivityY != 0) {
                    active->Sensitivity_Y = action.sensitivityY;
                }
                break;
            default:
                FUZZ_CHECK(false); // only setting events change the block
            }
        }
        FUZZ_CHECK(std::memcmp(block.get(), expected.get(), sizeof(ShareData)) == 0);
    }
    return 0;
}
