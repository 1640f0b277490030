// The macro library's operations over records and button entries of any bytes (a damaged sequence file, a macro
// file from anywhere, a profile file or shared block): loading and importing records, then refreshing the macro copies
// in the five profiles. Names always fit a button entry, imported names are unique, and a refresh touches only the
// macro entries of the edited banks, each of which ends up as the current copy of its macro or disabled.
#include "common/text.h"
#include "option/macros/macro_library.h"
#include "testing/fuzz_block.h"
#include "testing/fuzz_check.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace {

// The input: one byte with the number of library records (low four bits) and, per record, whether it is loaded from
// the sequence file or imported from a macro file (bit set: imported, in the next byte); the records of 260 bytes;
// then button entries of 504 bytes, each placed in profile Reserved[0] % 5 at entry ButtonNumber % 64.
constexpr std::size_t kRecordBytes = sizeof(MacroRecord);
constexpr std::size_t kEntryBytes = sizeof(MacroKeyInfo);
constexpr int kMaxEntries = 16;

// A macro name as the library compares it: without spaces and tabs at either end.
std::string Trimmed(std::string_view name) {
    return std::string(TrimBlanks(name, kBlanks));
}

void CheckNameFits(const MacroRecord& record) {
    FUZZ_CHECK(FieldLength(record.Name) <= kMacroNameMax);
}

// The entry as a refresh leaves it: the copy of the macro the entry names, or code 7 with nothing else changed.
void CheckRefreshedEntry(const MacroLibrary& library, const MacroKeyInfo& before, const MacroKeyInfo& after) {
    const std::string name(before.MacroName, FieldLength(before.MacroName));
    int found = -1;
    for (std::size_t i = 0; i < library.size() && found < 0; ++i) {
        if (SameNameIgnoringCase(Trimmed(MacroNameOf(*library[i])), name)) {
            found = static_cast<int>(i);
        }
    }
    if (found < 0) {
        MacroKeyInfo expected = before;
        expected.FunctionCode = kCodeDisabled;
        FUZZ_CHECK(std::memcmp(&expected, &after, sizeof expected) == 0);
        return;
    }
    const MacroRecord& record = *library[static_cast<std::size_t>(found)];
    FUZZ_CHECK(after.FunctionCode == kCodeMacro);
    FUZZ_CHECK(after.ContentCount == EventCountOf(record) && after.ContentCount <= kMacroEventMax);
    FUZZ_CHECK(after.RepeatCount == record.RepeatCount);
    FUZZ_CHECK(std::memcmp(after.Data, record.Events, sizeof after.Data) == 0);
    FUZZ_CHECK(FieldLength(after.MacroName) <= kMacroNameMax);
    FUZZ_CHECK(std::string(after.MacroName, FieldLength(after.MacroName)) == Trimmed(MacroNameOf(record)));
    // Fields the macro does not own stay as they were.
    FUZZ_CHECK(after.ButtonNumber == before.ButtonNumber && after.MacroOption == before.MacroOption);
    FUZZ_CHECK(after.Param1 == before.Param1 && after.Param2 == before.Param2);
    FUZZ_CHECK(std::memcmp(after.ProgramPath, before.ProgramPath, sizeof after.ProgramPath) == 0);
    // Looking the entry up again finds the same macro, identical now.
    const MacroLookup again = FindMacroEntry(library, after);
    FUZZ_CHECK(again.index == found && again.identical);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const auto working = std::make_unique<ShareData>();
    static const auto before = std::make_unique<ShareData>();
    if (size < 2) {
        return 0;
    }
    const int records = data[0] & 0x0F;
    const unsigned imported = data[1];
    std::size_t at = 2;

    MacroLibrary library;
    for (int r = 0; r < records && at + kRecordBytes <= size; ++r, at += kRecordBytes) {
        MacroRecord record;
        std::memcpy(&record, data + at, kRecordBytes);
        if (imported & (1u << (r % 8))) {
            const std::string wanted = Trimmed(Trimmed(MacroNameOf(record)).substr(0, kMacroNameMax));
            const MacroRecord& added = AddImportedMacro(library, record);
            const std::string name = MacroNameOf(added);
            // The trimmed name, or its start followed by the first free number.
            std::string stem = name;
            while (!stem.empty() && stem.back() >= '0' && stem.back() <= '9') {
                stem.pop_back();
            }
            FUZZ_CHECK(name == wanted || (stem.size() < name.size() && wanted.starts_with(stem)));
            // Unique among the macros before it.
            int same = 0;
            for (const auto& other : library) {
                same += SameNameIgnoringCase(Trimmed(MacroNameOf(*other)), name) ? 1 : 0;
            }
            FUZZ_CHECK(same == 1);
            // The repeat count within the editor's range, the rest as read.
            MacroRecord kept = record;
            kept.RepeatCount = std::clamp(record.RepeatCount, kMacroRepeatMin, kMacroRepeatMax);
            FUZZ_CHECK(std::memcmp(&added.RepeatCount, &kept.RepeatCount, kRecordBytes - kMacroNameBytes) == 0);
        } else {
            const MacroRecord& added = AddLoadedMacro(library, record);
            MacroRecord kept = record;
            kept.RepeatCount = std::clamp(record.RepeatCount, kMacroRepeatMin, kMacroRepeatMax);
            if (FieldLength(record.Name) <= kMacroNameMax) {
                FUZZ_CHECK(std::memcmp(&added, &kept, kRecordBytes) == 0); // kept byte for byte but the repeat count
            }
        }
        CheckNameFits(*library.back());
        const MacroForEntry copy = MacroForEntryOf(*library.back());
        FUZZ_CHECK(copy.name.size() <= kMacroNameMax && copy.eventCount >= 0 && copy.eventCount <= kMacroEventMax);
        FUZZ_CHECK(!MacroNameExists(library, UniqueMacroName(library, MacroNameOf(*library.back()))));
    }

    *working = ResetBlock();
    for (int e = 0; e < kMaxEntries && at + kEntryBytes <= size; ++e, at += kEntryBytes) {
        MacroKeyInfo entry;
        std::memcpy(&entry, data + at, kEntryBytes);
        working->Profile[entry.Reserved[0] % kProfileCount].MacroKey[entry.ButtonNumber % kMacroKeyCount] = entry;
    }
    *before = *working;
    SyncMacroEntries(*working, library);

    for (int p = 0; p < kProfileCount; ++p) {
        for (int e = 0; e < kMacroKeyCount; ++e) {
            const MacroKeyInfo& was = before->Profile[p].MacroKey[e];
            const MacroKeyInfo& now = working->Profile[p].MacroKey[e];
            if (SyncedEntry(e) && was.FunctionCode == kCodeMacro && FieldLength(was.MacroName) > 0) {
                CheckRefreshedEntry(library, was, now);
            } else {
                FUZZ_CHECK(std::memcmp(&was, &now, sizeof was) == 0);
            }
        }
    }
    // Everything outside the entries is left alone.
    FUZZ_CHECK(working->CurrentProfile == before->CurrentProfile && working->MouseType == before->MouseType);
    for (int p = 0; p < kProfileCount; ++p) {
        FUZZ_CHECK(std::memcmp(&working->Profile[p], &before->Profile[p], offsetof(ProfileRecord, MacroKey)) == 0);
    }

    // Removing by any index removes exactly what is there.
    const std::size_t count = library.size();
    FUZZ_CHECK(!RemoveMacroAt(library, -1) && !RemoveMacroAt(library, static_cast<int>(count)));
    if (count > 0) {
        FUZZ_CHECK(RemoveMacroAt(library, static_cast<int>(data[0] >> 4) % static_cast<int>(count)));
        FUZZ_CHECK(library.size() == count - 1);
    }
    return 0;
}
