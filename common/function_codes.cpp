#include "common/function_codes.h"

#include "common/key_tables.h"

#include <algorithm>
#include <cstring>

namespace {

using D = std::array<uint8_t, 4>;
using K = std::array<uint8_t, 3>;

constexpr uint8_t kLCtrl = 0xE0, kLShift = 0xE1, kLAlt = 0xE2, kLWin = 0xE3;

constexpr FunctionInfo Item(uint8_t code, int command, int submenu, D descriptor,
                            EntryRule rule = EntryRule::AnyEntry) {
    return {code, command, command, command, submenu, rule, true, descriptor, 0, {}};
}
// A FunctionMenu item that plays a fixed key sequence (descriptor 09 00 slot count).
constexpr FunctionInfo Keys(uint8_t code, int command, int submenu, int count, K keys,
                            EntryRule rule = EntryRule::AnyEntry) {
    return {code, command, command, command, submenu, rule, true, D{0x09, 0, 0, uint8_t(count)}, uint8_t(count / 2),
            keys};
}
// A code that only defaults or files give an entry.
constexpr FunctionInfo Known(uint8_t code, int caption, bool hasDescriptor, D descriptor) {
    return {code, 0, caption, 0, kNotInMenu, EntryRule::AnyEntry, hasDescriptor, descriptor, 0, {}};
}
constexpr FunctionInfo KnownKeys(uint8_t code, int caption, int count, K keys) {
    return {
        code, 0, caption, 0, kNotInMenu, EntryRule::AnyEntry, true, D{0x09, 0, 0, uint8_t(count)}, uint8_t(count / 2),
        keys};
}

constexpr int kTop = kNoSubmenu;
constexpr int kDpiMenu = 1055, kType5Menu = 1107, kInternetMenu = 1006, kWindowsMenu = 1015, kEditMenu = 1026,
              kMediaMenu = 1040, kMacroMenu = 1062;

// clang-format off
constexpr FunctionInfo kFunctions[] = {
    Item(1, 1003, kTop, {0x01, 0, 0xF0, 0}),
    Item(2, 1005, kTop, {0x01, 0, 0xF1, 0}),
    Item(3, 1004, kTop, {0x01, 0, 0xF2, 0}),
    Item(9, 1008, kTop, {0x01, 0, 0xF3, 0}),
    Item(10, 1009, kTop, {0x01, 0, 0xF4, 0}),
    Item(84, 1059, kTop, {0x08, 0, 0x02, 0}, EntryRule::Entries0To13),
    Item(4, 1052, kTop, {0x0A, 0xF0, 0x32, 0x02}),
    Item(66, 1053, kTop, {0x0A, 0xF0, 0x32, 0x03}),
    Item(67, 1054, kTop, {0x0A, 0, 0, 0}),
    Item(5, 1060, kTop, {0x00, 0, 0, 0}),
    Item(7, 1058, kTop, {0x00, 0, 0, 0}),

    Item(96, 1104, kDpiMenu, {0x07, 0, 0x03, 0}),
    Item(102, 1105, kDpiMenu, {0x07, 0, 0x01, 0}),
    Item(103, 1106, kDpiMenu, {0x07, 0, 0x02, 0}),

    Item(112, 1108, kType5Menu, {0x05, 0, 0x03, 0}),
    Item(104, 1109, kType5Menu, {0x05, 0, 0x01, 0}),
    Item(105, 1110, kType5Menu, {0x05, 0, 0x02, 0}),

    Item(8, 1007, kInternetMenu, {0x03, 0, 0x23, 0x02}),
    Item(11, 1010, kInternetMenu, {0x03, 0, 0x26, 0x02}),
    Item(12, 1011, kInternetMenu, {0x03, 0, 0x27, 0x02}),
    Item(13, 1012, kInternetMenu, {0x03, 0, 0x21, 0x02}),
    Item(14, 1013, kInternetMenu, {0x03, 0, 0x2A, 0x02}),
    Item(15, 1014, kInternetMenu, {0x03, 0, 0x8A, 0x01}),
    Item(21, 1021, kInternetMenu, {0x03, 0, 0x94, 0x01}),
    Item(68, 1078, kInternetMenu, {0x03, 0, 0x92, 0x01}),

    Keys(20, 1020, kWindowsMenu, 4, {kLAlt, 0x2B}, EntryRule::NotEntries8And9),   // Alt+Tab
    Keys(22, 1022, kWindowsMenu, 4, {kLAlt, 0x3D}),                               // Alt+F4
    Keys(24, 1024, kWindowsMenu, 6, {kLAlt, 0x2C, 0x11}),                         // Alt+Space, N
    Keys(25, 1025, kWindowsMenu, 4, {kLWin, 0x07}),                               // Win+D
    Keys(80, 1056, kWindowsMenu, 4, {kLWin, 0x0F}),                               // Win+L
    Keys(81, 1057, kWindowsMenu, 4, {kLWin, 0x15}),                               // Win+R

    Keys(32, 1027, kEditMenu, 4, {kLCtrl, 0x12}),   // Ctrl+O
    Keys(33, 1028, kEditMenu, 4, {kLCtrl, 0x11}),   // Ctrl+N
    Keys(34, 1029, kEditMenu, 4, {kLCtrl, 0x1B}),   // Ctrl+X
    Keys(35, 1030, kEditMenu, 4, {kLCtrl, 0x06}),   // Ctrl+C
    Keys(36, 1031, kEditMenu, 4, {kLCtrl, 0x19}),   // Ctrl+V
    Keys(37, 1032, kEditMenu, 4, {kLCtrl, 0x16}),   // Ctrl+S
    Keys(38, 1033, kEditMenu, 4, {kLCtrl, 0x13}),   // Ctrl+P
    Keys(39, 1034, kEditMenu, 4, {kLCtrl, 0x09}),   // Ctrl+F
    Keys(40, 1035, kEditMenu, 4, {kLCtrl, 0x1C}),   // Ctrl+Y
    Keys(44, 1039, kEditMenu, 4, {kLCtrl, 0x04}),   // Ctrl+A

    Item(48, 1041, kMediaMenu, {0x03, 0, 0x83, 0x01}),
    Item(51, 1042, kMediaMenu, {0x03, 0, 0xB6, 0x00}),
    Item(52, 1043, kMediaMenu, {0x03, 0, 0xB5, 0x00}),
    Item(50, 1044, kMediaMenu, {0x03, 0, 0xB7, 0x00}),
    Item(49, 1045, kMediaMenu, {0x03, 0, 0xCD, 0x00}),
    Item(56, 1046, kMediaMenu, {0x03, 0, 0xE2, 0x00}),
    Item(54, 1047, kMediaMenu, {0x03, 0, 0xE9, 0x00}),
    Item(55, 1048, kMediaMenu, {0x03, 0, 0xEA, 0x00}),

    // The macro item: its caption is string 1143; the macro option goes into byte 1 on the device.
    {6, 1049, 1049, 1143, kMacroMenu, EntryRule::NotEntries14To15And46To47, true, D{0x09, 0, 0, 0}, 0, {}},

    Known(16, 1016, true, {0x04, 0, 0x01, 0}),
    Known(17, 1017, true, {0x04, 0, 0x02, 0}),
    Known(18, 1018, true, {0x04, 0, 0x03, 0}),
    Known(19, 1019, true, {0x04, 0, 0x04, 0}),
    KnownKeys(23, 1023, 6, {kLAlt, 0x2C, 0x1B}),   // Alt+Space, X
    KnownKeys(41, 1036, 4, {kLCtrl, 0x1D}),        // Ctrl+Z
    Known(42, 1037, false, {}),
    Known(43, 1038, false, {}),
    Known(65, 1051, false, {}),
    Known(64, 1050, false, {}),
    Known(99, 0, true, {0x06, 0, 0, 0}),
    Known(116, 1142, true, {0x08, 0, 0x03, 0}),
    Known(69, 0, true, {0x0A, 0, 0x0A, 0x0A}),
    KnownKeys(70, 0, 6, {kLCtrl, kLShift, 0x16}),   // Ctrl+Shift+S
    Known(71, 0, true, {0x07, 0, 0x04, 0x02}),
    KnownKeys(100, 0, 4, {kLCtrl, 0x08}),           // Ctrl+E
    Known(113, 0, true, {0x07, 0, 0x04, 0}),
};
// clang-format on

bool InFirstSet(int entry) {
    return entry >= 0 && entry < kBankSize;
}

// Entries 0-15 while ModeStatus is 1, 32-47 while it is 2; -1 for any other ModeStatus.
int FirstEntryOfEditedSet(const ProfileRecord& profile) {
    if (profile.ModeStatus == 1) {
        return 0;
    }
    if (profile.ModeStatus == 2) {
        return 2 * kBankSize;
    }
    return -1;
}

bool SetKeepsLeftClick(const ProfileRecord& profile, int entry, int newCode) {
    int first = FirstEntryOfEditedSet(profile);
    if (first < 0) {
        return false;
    }
    for (int i = first; i < first + kBankSize; ++i) {
        int code = i == entry ? newCode : profile.MacroKey[i].FunctionCode;
        if (code == kCodeLeftClick) {
            return true;
        }
    }
    return false;
}

void CopyMacro(MacroKeyInfo& entry, const MacroForEntry& macro) {
    int count = std::clamp(macro.eventCount, 0, kMacroEventMax);
    entry.ContentCount = static_cast<uint16_t>(count);
    std::memset(entry.MacroName, 0, sizeof entry.MacroName);
    std::memcpy(entry.MacroName, macro.name.data(), std::min(macro.name.size(), sizeof entry.MacroName - 1));
    std::memcpy(entry.Data, macro.events.data(), sizeof entry.Data);
    entry.RepeatCount = macro.repeatCount;
}

// The dialog steps; each is false when its dialog was cancelled, and sets `code` to the entry's default when the
// dialog gives nothing to store.
bool RunShortcutStep(MacroKeyInfo& entry, int entryIndex, int& code, AssignmentHost& host) {
    uint8_t key = entry.Data[0];
    std::array<bool, 5> flags{};
    for (int i = 0; i < 5; ++i) {
        flags[i] = (entry.Data[1] >> i) & 1;
    }
    if (!host.RunShortcutDialog(key, flags)) {
        return false;
    }
    uint8_t bits = 0;
    for (int i = 0; i < 5; ++i) {
        if (flags[i]) {
            bits |= uint8_t(1u << i);
        }
        if (flags[0]) {
            break; // "no modifier" is then the only bit
        }
    }
    entry.ContentCount = 1;
    entry.Data[0] = key;
    entry.Data[1] = bits;
    std::memset(entry.MacroName, 0, sizeof entry.MacroName);
    if (key == 0) {
        code = DefaultFunctionCode(entryIndex);
    }
    return true;
}

bool RunFireStep(MacroKeyInfo& entry, int entryIndex, int& code, AssignmentHost& host) {
    uint8_t key = entry.Data[0];
    int32_t valueA = entry.FunctionCode == kCodeFire ? entry.Param1 : 0;
    int32_t valueB = entry.FunctionCode == kCodeFire ? entry.Param2 : 5;
    if (!host.RunFireDialog(key, valueA, valueB)) {
        return false;
    }
    entry.ContentCount = 1;
    entry.Param1 = valueA;
    entry.Param2 = valueB;
    entry.Data[0] = key;
    std::memset(entry.MacroName, 0, sizeof entry.MacroName);
    if (key == 0) {
        code = DefaultFunctionCode(entryIndex);
    }
    return true;
}

bool RunMacroStep(MacroKeyInfo& entry, int entryIndex, int& code, AssignmentHost& host) {
    int32_t option = entry.MacroOption;
    int chosen = entry.FunctionCode == kCodeMacro ? host.FindMacroIndex(entry) : -1;
    if (!host.RunMacroSelectionDialog(option, chosen)) {
        return false;
    }
    entry.MacroOption = option;
    MacroForEntry macro;
    if (chosen >= 0 && host.MacroAt(chosen, macro)) {
        CopyMacro(entry, macro);
    } else {
        code = DefaultFunctionCode(entryIndex);
    }
    return true;
}

// The dialog step of a command; false when the dialog was cancelled.
bool RunDialog(MacroKeyInfo& entry, int entryIndex, int command, int& code, AssignmentHost& host) {
    if (command == kCommandShortcut) {
        return RunShortcutStep(entry, entryIndex, code, host);
    }
    if (command == kCommandFire) {
        return RunFireStep(entry, entryIndex, code, host);
    }
    if (command == kCommandMacro) {
        return RunMacroStep(entry, entryIndex, code, host);
    }
    if (command >= kCommandMacroBase) {
        // A macro chosen directly by its library position: copied as the selection dialog's OK would.
        MacroForEntry macro;
        if (host.MacroAt(command - kCommandMacroBase, macro)) {
            CopyMacro(entry, macro);
        } else {
            code = DefaultFunctionCode(entryIndex);
        }
    }
    return true;
}

} // namespace

std::span<const FunctionInfo> FunctionTable() {
    return kFunctions;
}

const FunctionInfo* FindFunction(int code) {
    for (const auto& f : kFunctions) {
        if (f.code == code) {
            return &f;
        }
    }
    return nullptr;
}

const FunctionInfo* FindFunctionByCommand(int command) {
    if (command <= 0) {
        return nullptr;
    }
    for (const auto& f : kFunctions) {
        if (f.command == command) {
            return &f;
        }
    }
    return nullptr;
}

bool OfferedForEntry(const FunctionInfo& function, int entryIndex) {
    if (function.submenu == kNotInMenu || entryIndex < 0 || entryIndex >= kMacroKeyCount) {
        return false;
    }
    switch (function.rule) {
    case EntryRule::AnyEntry:
        return true;
    case EntryRule::Entries0To13:
        return entryIndex <= 13;
    case EntryRule::NotEntries8And9:
        return entryIndex != 8 && entryIndex != 9;
    case EntryRule::NotEntries14To15And46To47:
        return entryIndex != 14 && entryIndex != 15 && entryIndex != 46 && entryIndex != 47;
    }
    return false;
}

std::array<uint8_t, 4> FunctionDescriptor(int code, int entryIndex) {
    const FunctionInfo* f = FindFunction(code);
    if (!f || !f->hasDescriptor) {
        return {0, 0, 0, 0};
    }
    std::array<uint8_t, 4> d = f->descriptor;
    if (code == kCodeLaunch) {
        d[3] = static_cast<uint8_t>(entryIndex + 1);
    }
    return d;
}

KeySequence KeySequenceOf(int code) {
    KeySequence s;
    if (const FunctionInfo* f = FindFunction(code)) {
        s.count = f->keyCount;
        s.keys = f->keys;
    }
    return s;
}

std::string ProgramPath(const MacroKeyInfo& entry) {
    return std::string(entry.ProgramPath, FieldLength(entry.ProgramPath));
}

std::vector<std::string> LaunchedPrograms(const ProfileRecord& profile) {
    std::vector<std::string> paths;
    for (const MacroKeyInfo& entry : profile.MacroKey) {
        if (entry.FunctionCode != kCodeLaunch) {
            continue;
        }
        std::string path = ProgramPath(entry);
        if (std::find(paths.begin(), paths.end(), path) == paths.end()) {
            paths.push_back(path);
        }
    }
    return paths;
}

std::string ProgramFileName(const MacroKeyInfo& entry) {
    std::string path = ProgramPath(entry);
    size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string EntryCaption(const MacroKeyInfo& entry, const TextSource& text) {
    switch (entry.FunctionCode) {
    case kCodeShortcut:
        if (entry.ContentCount == 0) {
            return "";
        }
        return KeyCombinationText(entry.Data[0], entry.Data[1]);
    case kCodeFire:
        if (entry.ContentCount == 0) {
            return "";
        }
        return text(1054) + " + " + KeyName(UsageToVirtualKey(entry.Data[0]));
    case kCodeMacro:
        return std::string(entry.MacroName, FieldLength(entry.MacroName));
    case kCodeLaunch:
        return ProgramFileName(entry);
    default:
        break;
    }
    const FunctionInfo* f = FindFunction(entry.FunctionCode);
    if (!f || f->caption == 0) {
        return "";
    }
    return text(f->caption);
}

void RebuildCaptions(const ProfileRecord& profile, AssignmentHost& host) {
    TextSource text = [&host](int number) { return host.Text(number); };
    for (int i = 0; i < kMacroKeyCount; ++i) {
        host.SetEntryCaption(i, EntryCaption(profile.MacroKey[i], text));
    }
}

AssignResult AssignFunction(ProfileRecord& profile, int entryIndex, int command, AssignmentHost& host) {
    if (entryIndex < 0 || entryIndex >= kMacroKeyCount) {
        return AssignResult::Refused;
    }

    int code = 0;
    if (command >= kCommandMacroBase) {
        code = kCodeMacro;
    } else if (const FunctionInfo* f = FindFunctionByCommand(command)) {
        code = f->code;
    }

    if (!SetKeepsLeftClick(profile, entryIndex, code)) {
        host.ShowLeftClickWarning();
        return AssignResult::Refused;
    }

    // The set switch must sit on the same button in both sets, so the second set's twin follows; any other
    // function gives the twin back its default. This stands even if the dialog below is cancelled.
    if (InFirstSet(entryIndex)) {
        int twin = entryIndex + 2 * kBankSize;
        if (command == kCommandSetSwitch) {
            profile.MacroKey[twin].FunctionCode = kCodeSetSwitch;
            host.EnableEntryButton(twin, false);
        } else {
            profile.MacroKey[twin].FunctionCode = static_cast<uint8_t>(DefaultFunctionCode(twin));
            host.EnableEntryButton(twin, true);
        }
    }

    MacroKeyInfo& entry = profile.MacroKey[entryIndex];
    MacroKeyInfo edited = entry;
    bool confirmed = RunDialog(edited, entryIndex, command, code, host);
    // The edit lands where the user sees it, or nowhere: another profile's captions are on the page by now.
    if (!host.StillShown(profile)) {
        return AssignResult::Dropped;
    }
    if (!confirmed) {
        RebuildCaptions(profile, host);
        return AssignResult::Cancelled;
    }
    edited.FunctionCode = static_cast<uint8_t>(code);
    if (code != kCodeShortcut && code != kCodeMacro && code != kCodeFire) {
        edited.ContentCount = 0;
        std::memset(edited.Data, 0, sizeof edited.Data);
        std::memset(edited.MacroName, 0, sizeof edited.MacroName);
    }
    entry = edited;
    RebuildCaptions(profile, host);
    return AssignResult::Stored;
}
