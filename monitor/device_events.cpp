#include "monitor/device_events.h"

#include "common/polling_rate.h"
#include "monitor/osd_texts.h"

uint32_t EventFromDeviceEvent(uint64_t wParam, int64_t lParam) {
    const uint32_t command = static_cast<uint32_t>(wParam & 0xFFFF);
    const uint32_t value = static_cast<uint32_t>(static_cast<uint64_t>(lParam) & 0xFFFF);
    return command << 16 | value;
}

uint32_t EventFromPresence(uint64_t wParam) {
    uint32_t value = 0;
    if (wParam == 1) {
        value = 1;
    } else if (wParam == 0) {
        value = 2;
    }
    return static_cast<uint32_t>(kPresenceCommand) << 16 | value;
}

EventAction ClassifyEvent(uint32_t code, int connectedFlag) {
    const unsigned w = CommandWord(code);
    const unsigned v = ValueWord(code);
    EventAction action;
    if (w == kPresenceCommand) {
        if (v == 1 && connectedFlag != kConnected) {
            action.kind = EventKind::Arrival;
        } else if (v == 2 && connectedFlag != kRemoved) {
            action.kind = EventKind::Removal;
        }
        return action;
    }
    if (w == 0x1000) {
        return action;
    }
    if ((w & 0xFF00) == 0x7000) {
        if (v >= 1 && v <= 5) {
            action.kind = EventKind::ProfileSwitch;
            action.index = static_cast<int>(v) - 1;
        }
        return action;
    }
    if ((w & 0xFF00) == 0x6000 && (w & 0xFF) >= 1 && (w & 0xFF) <= 15) {
        if (v < 0x100) {
            action.kind = EventKind::LaunchProgram;
            action.index = static_cast<int>(w & 0xFF) - 1;
        }
        return action;
    }
    if (w == 0xA000) {
        action.kind = EventKind::OpenOption;
        return action;
    }
    if ((w & 0xFF00) == 0x0700) {
        if (v >= 1 && v <= 6) {
            action.kind = EventKind::DpiStage;
            action.index = static_cast<int>(v) - 1;
        }
        return action;
    }
    if ((w & 0xFF00) == 0x0500) {
        const int rate = PollingCodeOfInterval(static_cast<int>(v));
        if (rate >= 0) {
            action.kind = EventKind::PollingRate;
            action.index = rate;
        }
        return action;
    }
    if (w == 0xC000) {
        const int low = static_cast<int>(v & 0xFF);
        const int high = static_cast<int>(v >> 8);
        action.sensitivityX = low >= 1 && low <= 20 ? low : 0;
        action.sensitivityY = high >= 1 && high <= 20 ? high : 0;
        if (action.sensitivityX != 0 || action.sensitivityY != 0) {
            action.kind = EventKind::Sensitivity;
        }
        return action;
    }
    return action;
}

SettingChange ApplySettingEvent(ShareData& data, const EventAction& action) {
    SettingChange change;
    ProfileRecord* profile = ActiveProfile(data);
    if (profile == nullptr) {
        return change;
    }
    switch (action.kind) {
    case EventKind::DpiStage:
        if (action.index < 0 || action.index >= kDpiLevelCount) {
            return change;
        }
        profile->Cpi_X = action.index;
        change.dpiStage = true;
        change.balloon = DpiText(profile->CpiLevel_X[action.index]);
        break;
    case EventKind::PollingRate:
        if (action.index < 0 || action.index > 3) {
            return change;
        }
        profile->PollingRate = action.index;
        change.balloon = PollingText(action.index);
        break;
    case EventKind::Sensitivity:
        if (action.sensitivityX >= 1 && action.sensitivityX <= 20) {
            profile->Sensitivity_X = action.sensitivityX;
        }
        if (action.sensitivityY >= 1 && action.sensitivityY <= 20) {
            profile->Sensitivity_Y = action.sensitivityY;
        }
        if (action.sensitivityX == 0 && action.sensitivityY == 0) {
            return change;
        }
        break;
    default:
        return change;
    }
    change.changed = true;
    return change;
}
