#pragma once
// Button function codes: byte 1 of a MacroKeyInfo entry. One table gives each code its FunctionMenu command, caption
// string, menu place, device descriptor and, for on-board key sequences (descriptor type 09), the keys it plays.
// The assignment of a code from a menu command (left-click guard, second-set twin, the three dialogs) is logic
// here; the button page supplies the dialogs and the controls through AssignmentHost.

#include "common/profile_record.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

// Codes with their own handling.
inline constexpr int kCodeLeftClick = 1;
inline constexpr int kCodeShortcut = 5; // key with modifiers: key usage at byte 42, modifier flags at 43
inline constexpr int kCodeMacro = 6;    // macro copy: name at 16, repeat count 36, event count 40, events 42
inline constexpr int kCodeDisabled = 7;
inline constexpr int kCodeFire = 67;        // fire key at byte 42, fire values A at 4 and B at 8
inline constexpr int kCodeClickRepeat = 69; // the device takes OTGSpeed / 2 for its bytes 2 and 3
inline constexpr int kCodeSetSwitch = 84;   // switches between the two button sets
inline constexpr int kCodeLaunch = 99;      // program path at 242

// Menu commands with their own handling.
inline constexpr int kCommandShortcut = 1060;
inline constexpr int kCommandFire = 1054;
inline constexpr int kCommandMacro = 1049;
inline constexpr int kCommandSetSwitch = 1059;
inline constexpr int kCommandMacroBase = 1200; // 1200 + n: macro n of the library (the macro selection menu)

// Where a FunctionMenu item appears.
enum class EntryRule : uint8_t {
    AnyEntry,
    Entries0To13,              // set switch
    NotEntries8And9,           // Alt+Tab
    NotEntries14To15And46To47, // macro submenu
};

inline constexpr int kNoSubmenu = 0;  // FunctionInfo::submenu of a top-level item
inline constexpr int kNotInMenu = -1; // FunctionInfo::submenu of a code that no menu item assigns

struct FunctionInfo {
    uint8_t code;
    int command;     // FunctionMenu command that assigns the code; 0 when no item does
    int caption;     // language string of the entry caption; 0 when none (code 99 shows the program's file name)
    int itemCaption; // language string of the menu item (the command, except 1143 for the macro item); 0 if none
    int submenu;     // kNoSubmenu, the language string that titles the item's submenu, or kNotInMenu
    EntryRule rule;
    bool hasDescriptor;                // false: the device gets 00 00 00 00
    std::array<uint8_t, 4> descriptor; // as written into the button table; entry-specific bytes are 0 here
    uint8_t keyCount;                  // type-09 fixed sequences: keys pressed in order, released in reverse
    std::array<uint8_t, 3> keys;       // HID keyboard usages
};

// Every known code: first the FunctionMenu items in menu order (top level, then submenus 1055, 1107, 1006, 1015,
// 1026, 1040, 1062), then the codes that only defaults or files give an entry.
std::span<const FunctionInfo> FunctionTable();
// nullptr for an unknown code.
const FunctionInfo* FindFunction(int code);
// nullptr for a command of no item (macro commands 1200+ included).
const FunctionInfo* FindFunctionByCommand(int command);
// True when the menu item of the function is offered for the entry (0..63).
bool OfferedForEntry(const FunctionInfo& function, int entryIndex);

// The device descriptor of a code for entry 0..63: the table's four bytes (00 00 00 00 for a code without one), with
// byte 3 = entry index + 1 for code 99. The bytes that depend on the entry's data (codes 5, 6, 67, 69) and the slot
// of a type-09 code (byte 2) are the device encoder's.
std::array<uint8_t, 4> FunctionDescriptor(int code, int entryIndex);

struct KeySequence {
    int count = 0;                 // 0 when the code has no fixed sequence
    std::array<uint8_t, 3> keys{}; // pressed in this order, released in reverse
};
KeySequence KeySequenceOf(int code);

// The default code of an entry is DefaultFunctionCode(entry) of profile_record.h (each bank of 16 repeats 1, 2, 3,
// 9, 10, 7, 96, 7 ... 7, 16, 17).

// Language texts by number; the programs pass Fetch (language.h).
using TextSource = std::function<std::string(int number)>;

// The caption of an entry button. Name and program path are read only within their fields.
std::string EntryCaption(const MacroKeyInfo& entry, const TextSource& text);
// The program path of an entry (code 99), read only within its field.
std::string ProgramPath(const MacroKeyInfo& entry);
// The program paths of the entries that start a program (code 99), each once, in entry order.
std::vector<std::string> LaunchedPrograms(const ProfileRecord& profile);
// The file name and extension of the program path of an entry (code 99's caption).
std::string ProgramFileName(const MacroKeyInfo& entry);

// A macro of the library as the assignment copies it into an entry.
struct MacroForEntry {
    std::string name; // cut to 19 characters in the entry
    int32_t repeatCount = 0;
    int32_t eventCount = 0; // events beyond 50 are not copied
    std::array<uint8_t, kMacroEventBytes> events{};
};

// What the assignment needs from the button page.
class AssignmentHost {
public:
    virtual ~AssignmentHost() = default;
    // Shortcut key dialog: key usage and modifier flags 0..4 in and out; true on OK.
    virtual bool RunShortcutDialog(uint8_t& key, std::array<bool, 5>& flags) = 0;
    // Fire button dialog: key usage, fire values A and B in and out; true on OK.
    virtual bool RunFireDialog(uint8_t& key, int32_t& valueA, int32_t& valueB) = 0;
    // Macro selection dialog: macro option and chosen library index (-1 for none) in and out; true on OK.
    virtual bool RunMacroSelectionDialog(int32_t& macroOption, int& chosenIndex) = 0;
    // Library index of the macro named by the entry (library names compared trimmed, case-blind), or -1.
    virtual int FindMacroIndex(const MacroKeyInfo& entry) = 0;
    // The macro at a library index; false when there is none.
    virtual bool MacroAt(int index, MacroForEntry& macro) = 0;
    // The warning shown when a change would leave the set without a left click.
    virtual void ShowLeftClickWarning() = 0;
    virtual void EnableEntryButton(int entryIndex, bool enabled) = 0;
    virtual void SetEntryCaption(int entryIndex, const std::string& caption) = 0;
    virtual std::string Text(int number) = 0;
    // Asked when a dialog has ended: whether the profile it was opened for is still the one the page shows. While a
    // dialog is open the program may take a profile switch or a read-back of the mouse into the page.
    virtual bool StillShown(const ProfileRecord& profile) {
        (void)profile;
        return true;
    }
};

enum class AssignResult {
    Stored,    // the entry holds its new function
    Refused,   // left-click guard (or a bad entry index): nothing changed
    Cancelled, // the dialog was cancelled: the entry is unchanged, the twin rule has been applied
    Dropped,   // the dialog ended after its profile stopped being shown: nothing stored, no caption painted
};

// Carries out FunctionMenu command `command` chosen for entry 0..63 of the profile being edited.
AssignResult AssignFunction(ProfileRecord& profile, int entryIndex, int command, AssignmentHost& host);

// Gives every one of the 64 entry buttons its caption.
void RebuildCaptions(const ProfileRecord& profile, AssignmentHost& host);
