#pragma once
// The macro library: the user's macros in order, each record owned separately by the list. The position of a macro is
// its index (the order of the macro list and of the selection menu). This file also holds the copy of a macro inside
// a button entry, which is what reaches the mouse, and the refresh of those copies after the library changes.

#include "common/function_codes.h"
#include "common/profile_record.h"
#include "option/macros/macro_record.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

using MacroLibrary = std::vector<std::unique_ptr<MacroRecord>>;

// A button entry's name field has 20 bytes; every name in the library fits it with its terminator.
inline constexpr size_t kMacroNameMax = 19;

// The event count as every copy and comparison uses it: a stored value above 50 counts as 50, below 0 as 0.
int EventCountOf(const MacroRecord& record);
// The name within its field (never past the 52 bytes, terminated or not).
std::string MacroNameOf(const MacroRecord& record);
// Letter case ignored (ASCII letters).
bool SameNameIgnoringCase(std::string_view a, std::string_view b);

// The record at index, or nullptr when the index is outside the library.
MacroRecord* MacroAt(const MacroLibrary& library, int index);
// True when a library name, trimmed, equals name (not trimmed) with case ignored.
bool MacroNameExists(const MacroLibrary& library, std::string_view name);

struct MacroLookup {
    int index = -1;         // first macro whose trimmed name equals the entry's name, case ignored; -1 for none
    bool identical = false; // the entry's event count and events equal the macro's
};
MacroLookup FindMacroEntry(const MacroLibrary& library, const MacroKeyInfo& entry);

// Writes the macro's fields of a button entry: event count at 40, the name (trimmed, at most 19 characters, the 20
// bytes cleared first) at 16, the 200 event bytes at 42 and the repeat count at 36. The function code and the macro
// option are left to the caller.
void CopyMacroIntoEntry(const MacroRecord& record, MacroKeyInfo& entry);
// The macro as the button assignment copies it (the same name, count and events as CopyMacroIntoEntry).
MacroForEntry MacroForEntryOf(const MacroRecord& record);

// The entries of a profile that SyncMacroEntries visits: the banks the button page edits (0..15 and 32..47).
bool SyncedEntry(int entryIndex);
// Over the five profiles: an entry of code 6 with a name either takes the current copy of its macro or, when no macro
// has that name any more, becomes code 7 with nothing else changed. Entries of other codes are not touched.
void SyncMacroEntries(ShareData& working, const MacroLibrary& library);

// A new macro as the editor creates it: 260 zero bytes, the name (cut to 19 characters) and repeat count 1.
std::unique_ptr<MacroRecord> NewMacroRecord(std::string_view name);
// Removes and frees the record at index; false when there is none.
bool RemoveMacroAt(MacroLibrary& library, int index);

// The name itself when no library name clashes with it, else name followed by 1, 2, 3 ... (the first free one), the
// name shortened so that name and digits still fit 19 characters.
std::string UniqueMacroName(const MacroLibrary& library, std::string_view name);
// Appends a record read from the sequence file; a name that would not fit an entry is cut to 19 characters. Like
// AddImportedMacro it keeps the repeat count in 1..255, so that a damaged file cannot make the mouse play a macro
// thousands of times.
MacroRecord& AddLoadedMacro(MacroLibrary& library, const MacroRecord& record);
// Appends a record read from a macro file: the name trimmed, cut to 19 characters and made unique.
MacroRecord& AddImportedMacro(MacroLibrary& library, const MacroRecord& record);
