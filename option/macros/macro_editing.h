#pragma once
// The macro page's rules as logic: the event list's lines, which line comes into view, inserting and removing steps,
// the recorder's handling of captured keys, and the corrections of typed numbers. The page only supplies windows.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "option/macros/macro_record.h"

// Icons of the event list's lines (bitmap resources of the program).
inline constexpr int kPauseIcon = 135;
inline constexpr int kKeyReleaseIcon = 137;
inline constexpr int kKeyPressIcon = 138;
inline constexpr int kMouseButtonIcon = 146;

// The selected macro's events as the page edits them: a count and the 50 slots.
struct MacroEvents {
    int count = 0;
    MacroEvent events[kMacroRecordEvents] = {};

    // From a record (its count kept in 0..50) and back into one.
    static MacroEvents Of(const MacroRecord& record);
    void CopyInto(MacroRecord& record) const;
    bool Full() const { return count >= kMacroRecordEvents; }
};

struct EventLine {
    std::string text;
    int itemData = 0; // (event index + 1) * 65536 + icon
    int Event() const { return itemData / 65536 - 1; }
    int Icon() const { return itemData % 65536; }
    bool IsPause() const { return Icon() == kPauseIcon; }
};

bool IsMouseButtonCode(int code);
// One line per event, and a pause line after each event with a delay.
std::vector<EventLine> EventLines(const MacroEvents& events);
// The line that shows an event: its pause line when it has one; the last line for an event outside the list.
int LineOfEvent(const std::vector<EventLine>& lines, int event);
// The line to make the caret line so that line k can be seen with two lines below it: k clamped to the list, and
// k + 2 when 3 < k < n - 3.
int CaretLineFor(int k, int lineCount);

// Inserts at `position` (-1 appends); nothing when the list is full. With a position, it moves on by one so that
// events inserted one after another keep their order. Returns the index the event went to, or -1.
int InsertEvent(MacroEvents& events, int& position, const MacroEvent& event);
// Removes the event; the following ones move up. False for an index outside the list.
bool RemoveEvent(MacroEvents& events, int index);

// A repeat count typed into the box: 1..255.
int RepeatCountFromText(std::string_view text);
// A pause typed over a pause line: 1..65535.
int PauseFromText(std::string_view text);
// The insert-delay dialog's value: 0..65535 (0 leaves the event without a pause).
int InsertDelayFromText(std::string_view text);

// Whether "insert delay" on a line may go ahead: an event line other than the first, whose previous event has no
// pause yet. `event` is the index the pause will be stored on (the previous event) when it may.
bool InsertDelayTarget(const MacroEvents& events, const EventLine& line, int& event);

// The right-click menu's mouse commands: a press, a release or a click of one of the mouse buttons b = 0..4
// (0xF0..0xF4), numbered 1020 + 3 b + the action.
enum class MouseAction { Press, Release, Click };
inline constexpr int kMouseButtonCount = 5;
constexpr int MouseCommand(int button, MouseAction action) {
    return 1020 + 3 * button + static_cast<int>(action);
}
inline constexpr int kFirstMouseCommand = MouseCommand(0, MouseAction::Press);
inline constexpr int kLastMouseCommand = MouseCommand(kMouseButtonCount - 1, MouseAction::Click);
// A mouse command inserted at the selected event (-1 appends). A click needs two free slots. True when something was
// inserted.
bool InsertMouseCommand(MacroEvents& events, int command, int selectedEvent);

// The recorder: captured keys into events, with the pauses measured between them on the page's tick.
class MacroRecorder {
public:
    bool Recording() const { return recording_; }
    bool recordDelays = false;
    int insertPosition = -1;

    void Start();
    void Stop();
    // One KeyCaptured message: false when it repeats the last one (a key held down). After a stored key the
    // recording may have stopped itself at 50 events (Recording() false).
    bool OnKey(MacroEvents& events, int virtualKey, bool released, uint32_t tick);
    // The event to show selected after the next refresh.
    int LastInserted() const { return lastInserted_; }

private:
    bool recording_ = false;
    bool havePrevious_ = false;
    uint32_t lastTick_ = 0;
    int lastKey_ = 0;
    bool lastReleased_ = false;
    int lastInserted_ = -1;
};
