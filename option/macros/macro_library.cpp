#include "option/macros/macro_library.h"

#include "common/text.h"

#include <algorithm>
#include <cstring>

namespace {

// A macro name without blanks (spaces, tabs) at either end: the form in which names are compared and copied.
std::string TrimmedName(std::string_view name) {
    return std::string(TrimBlanks(name, kBlanks));
}

char FoldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Clears the whole name field and stores at most 19 characters of the text, so the field is always terminated and
// a later copy into a button entry loses nothing.
void SetMacroName(MacroRecord& record, std::string_view name) {
    std::memset(record.Name, 0, sizeof record.Name);
    std::memcpy(record.Name, name.data(), std::min(name.size(), kMacroNameMax));
}

std::string EntryNameOf(const MacroKeyInfo& entry) {
    return std::string(entry.MacroName, FieldLength(entry.MacroName));
}

} // namespace

int EventCountOf(const MacroRecord& record) {
    return std::clamp<int32_t>(record.EventCount, 0, kMacroRecordEvents);
}

std::string MacroNameOf(const MacroRecord& record) {
    return std::string(record.Name, FieldLength(record.Name));
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i])) {
            return false;
        }
    }
    return true;
}

MacroRecord* MacroAt(const MacroLibrary& library, int index) {
    if (index < 0 || static_cast<size_t>(index) >= library.size()) {
        return nullptr;
    }
    return library[static_cast<size_t>(index)].get();
}

bool MacroNameExists(const MacroLibrary& library, std::string_view name) {
    return std::any_of(library.begin(), library.end(), [&](const std::unique_ptr<MacroRecord>& record) {
        return SameNameIgnoringCase(TrimmedName(MacroNameOf(*record)), name);
    });
}

MacroLookup FindMacroEntry(const MacroLibrary& library, const MacroKeyInfo& entry) {
    MacroLookup result;
    const std::string name = EntryNameOf(entry);
    for (size_t i = 0; i < library.size(); ++i) {
        const MacroRecord& record = *library[i];
        if (!SameNameIgnoringCase(TrimmedName(MacroNameOf(record)), name)) {
            continue;
        }
        result.index = static_cast<int>(i);
        const int count = EventCountOf(record);
        result.identical = count == entry.ContentCount &&
                           std::memcmp(record.Events, entry.Data, static_cast<size_t>(count) * sizeof(MacroEvent)) == 0;
        break;
    }
    return result;
}

void CopyMacroIntoEntry(const MacroRecord& record, MacroKeyInfo& entry) {
    entry.ContentCount = static_cast<uint16_t>(EventCountOf(record));
    // The entry's name is what finds the macro again, and the library side of that lookup is trimmed: store it so.
    const std::string name = TrimmedName(MacroNameOf(record));
    std::memset(entry.MacroName, 0, sizeof entry.MacroName);
    std::memcpy(entry.MacroName, name.data(), std::min(name.size(), kMacroNameMax));
    static_assert(sizeof entry.Data == sizeof record.Events);
    std::memcpy(entry.Data, record.Events, sizeof entry.Data);
    entry.RepeatCount = record.RepeatCount;
}

MacroForEntry MacroForEntryOf(const MacroRecord& record) {
    MacroForEntry macro;
    macro.name = TrimmedName(MacroNameOf(record)).substr(0, kMacroNameMax);
    macro.repeatCount = record.RepeatCount;
    macro.eventCount = EventCountOf(record);
    static_assert(sizeof macro.events == sizeof record.Events);
    std::memcpy(macro.events.data(), record.Events, sizeof record.Events);
    return macro;
}

bool SyncedEntry(int entryIndex) {
    return (entryIndex >= 0 && entryIndex < kBankSize) || (entryIndex >= 2 * kBankSize && entryIndex < 3 * kBankSize);
}

void SyncMacroEntries(ShareData& working, const MacroLibrary& library) {
    for (ProfileRecord& profile : working.Profile) {
        for (int e = 0; e < kMacroKeyCount; ++e) {
            if (!SyncedEntry(e)) {
                continue;
            }
            MacroKeyInfo& entry = profile.MacroKey[e];
            if (entry.FunctionCode != kCodeMacro || FieldLength(entry.MacroName) == 0) {
                continue;
            }
            const MacroLookup found = FindMacroEntry(library, entry);
            if (found.index < 0) {
                entry.FunctionCode = kCodeDisabled;
            } else {
                CopyMacroIntoEntry(*library[static_cast<size_t>(found.index)], entry);
            }
        }
    }
}

std::unique_ptr<MacroRecord> NewMacroRecord(std::string_view name) {
    auto record = std::make_unique<MacroRecord>();
    std::memset(record.get(), 0, sizeof(MacroRecord));
    SetMacroName(*record, name);
    record->RepeatCount = 1;
    return record;
}

bool RemoveMacroAt(MacroLibrary& library, int index) {
    if (!MacroAt(library, index)) {
        return false;
    }
    library.erase(library.begin() + index);
    return true;
}

std::string UniqueMacroName(const MacroLibrary& library, std::string_view name) {
    const std::string_view base = name.substr(0, kMacroNameMax);
    if (!MacroNameExists(library, base)) {
        return std::string(base);
    }
    // Candidates with the same number of digits differ from each other, so a finite library always leaves one free.
    for (unsigned long long c = 1;; ++c) {
        const std::string digits = std::to_string(c);
        std::string candidate(base.substr(0, kMacroNameMax - std::min(digits.size(), kMacroNameMax)));
        candidate += digits;
        if (!MacroNameExists(library, candidate)) {
            return candidate;
        }
    }
}

MacroRecord& AddLoadedMacro(MacroLibrary& library, const MacroRecord& record) {
    auto copy = std::make_unique<MacroRecord>(record);
    copy->RepeatCount = std::clamp(copy->RepeatCount, kMacroRepeatMin, kMacroRepeatMax);
    // A record written by us never has a longer name; keep its bytes exactly, and cut only one that would not fit.
    if (FieldLength(copy->Name) > kMacroNameMax) {
        SetMacroName(*copy, std::string(copy->Name, kMacroNameMax));
    }
    library.push_back(std::move(copy));
    return *library.back();
}

MacroRecord& AddImportedMacro(MacroLibrary& library, const MacroRecord& record) {
    auto copy = std::make_unique<MacroRecord>(record);
    copy->RepeatCount = std::clamp(copy->RepeatCount, kMacroRepeatMin, kMacroRepeatMax);
    const std::string trimmed = TrimmedName(MacroNameOf(record));
    SetMacroName(*copy, UniqueMacroName(library, TrimmedName(std::string_view(trimmed).substr(0, kMacroNameMax))));
    library.push_back(std::move(copy));
    return *library.back();
}
