#include "option/macros/macro_editing.h"

#include <algorithm>
#include <cstring>

#include "common/key_tables.h"
#include "option/skin/number_box.h"

MacroEvents MacroEvents::Of(const MacroRecord& record) {
    MacroEvents e;
    e.count = std::clamp(static_cast<int>(record.EventCount), 0, kMacroRecordEvents);
    std::memcpy(e.events, record.Events, sizeof e.events);
    return e;
}

void MacroEvents::CopyInto(MacroRecord& record) const {
    record.EventCount = count;
    std::memcpy(record.Events, events, sizeof events);
}

bool IsMouseButtonCode(int code) {
    return code >= kMacroLeftButton && code <= kMacroSideButton2;
}

std::vector<EventLine> EventLines(const MacroEvents& events) {
    std::vector<EventLine> lines;
    int count = std::clamp(events.count, 0, kMacroRecordEvents);
    for (int i = 0; i < count; ++i) {
        const MacroEvent& e = events.events[i];
        bool press = e.Action == kMacroPress;
        int icon = IsMouseButtonCode(e.MacroCode) ? kMouseButtonIcon : press ? kKeyPressIcon : kKeyReleaseIcon;
        std::string text = IsMouseButtonCode(e.MacroCode) ? EventLineText(e.MacroCode, press)
                                                          : KeyName(UsageToVirtualKey(e.MacroCode));
        lines.push_back({text, (i + 1) * 65536 + icon});
        if (e.Delay != 0) {
            lines.push_back({DelayLineText(e.Delay), (i + 1) * 65536 + kPauseIcon});
        }
    }
    return lines;
}

int LineOfEvent(const std::vector<EventLine>& lines, int event) {
    int found = -1;
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        if (lines[i].Event() == event) {
            found = i; // the pause line follows its event line
        }
    }
    return found >= 0 ? found : static_cast<int>(lines.size()) - 1;
}

int CaretLineFor(int k, int lineCount) {
    if (lineCount <= 0) {
        return -1;
    }
    k = std::clamp(k, 0, lineCount - 1);
    return k > 3 && k < lineCount - 3 ? k + 2 : k;
}

int InsertEvent(MacroEvents& events, int& position, const MacroEvent& event) {
    if (events.Full()) {
        return -1;
    }
    events.count = std::clamp(events.count, 0, kMacroRecordEvents - 1);
    int at = position < 0 ? events.count : std::min(position, events.count);
    std::memmove(&events.events[at + 1], &events.events[at], sizeof(MacroEvent) * (events.count - at));
    events.events[at] = event;
    ++events.count;
    if (position >= 0) {
        position = at + 1;
    }
    return at;
}

bool RemoveEvent(MacroEvents& events, int index) {
    if (index < 0 || index >= events.count || events.count > kMacroRecordEvents) {
        return false;
    }
    std::memmove(&events.events[index], &events.events[index + 1], sizeof(MacroEvent) * (events.count - index - 1));
    events.events[events.count - 1] = MacroEvent{};
    --events.count;
    return true;
}

int RepeatCountFromText(std::string_view text) {
    return static_cast<int>(std::clamp(LeadingNumber(text), 1, 255));
}

int PauseFromText(std::string_view text) {
    return static_cast<int>(std::clamp(LeadingNumber(text), 1, 65535));
}

int InsertDelayFromText(std::string_view text) {
    return static_cast<int>(std::clamp(LeadingNumber(text), 0, 65535));
}

bool InsertDelayTarget(const MacroEvents& events, const EventLine& line, int& event) {
    int selected = line.Event();
    if (line.IsPause() || selected <= 0 || selected >= events.count) {
        return false;
    }
    if (events.events[selected - 1].Delay != 0) {
        return false;
    }
    event = selected - 1;
    return true;
}

bool InsertMouseCommand(MacroEvents& events, int command, int selectedEvent) {
    if (command < kFirstMouseCommand || command > kLastMouseCommand || events.Full()) {
        return false;
    }
    const int offset = command - kFirstMouseCommand;
    uint8_t button = static_cast<uint8_t>(kMacroLeftButton + offset / 3);
    const auto kind = static_cast<MouseAction>(offset % 3);
    int position = selectedEvent;
    if (kind == MouseAction::Click) {
        if (events.count > kMacroRecordEvents - 2) {
            return false;
        }
        InsertEvent(events, position, {button, kMacroPress, 0});
        // Without a selection both go to the end; with one, the release follows the press.
        InsertEvent(events, position, {button, kMacroRelease, 0});
        return true;
    }
    return InsertEvent(events, position, {button, kind == MouseAction::Press ? kMacroPress : kMacroRelease, 0}) >= 0;
}

void MacroRecorder::Start() {
    recording_ = true;
    havePrevious_ = false;
    lastInserted_ = -1;
}

void MacroRecorder::Stop() {
    recording_ = false;
    lastTick_ = 0;
}

bool MacroRecorder::OnKey(MacroEvents& events, int virtualKey, bool released, uint32_t tick) {
    if (virtualKey == lastKey_ && released == lastReleased_) {
        return false; // a key held down repeats its press
    }
    int usage = 0;
    VirtualKeyToUsage(virtualKey, usage);
    if (havePrevious_ && recordDelays) {
        uint32_t elapsed = std::min<uint32_t>(tick - lastTick_, 65535);
        int before = insertPosition < 0 ? events.count - 1 : insertPosition - 1;
        if (before >= 0 && before < std::min(events.count, kMacroRecordEvents)) {
            events.events[before].Delay = static_cast<uint16_t>(elapsed);
        }
    }
    lastInserted_ =
        InsertEvent(events, insertPosition, {static_cast<uint8_t>(usage), released ? kMacroRelease : kMacroPress, 0});
    lastTick_ = tick;
    havePrevious_ = true;
    if (events.Full()) {
        Stop();
    }
    lastKey_ = virtualKey;
    lastReleased_ = released;
    return true;
}
