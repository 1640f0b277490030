// The sequence file and a macro file of any bytes. Whatever loads fits the library's rules, every record that can be
// read loads (whatever "number" says), and what loaded, saved again, loads back record for record; a file without a
// readable record leaves the record untouched.
#include "common/ini_document.h"
#include "option/macros/macro_formats.h"
#include "testing/fuzz_check.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// A key written as "%d" of a non-negative 32-bit number.
bool RecordKey(std::string_view key, unsigned long long& index) {
    if (key.empty() || key.size() > 10 || (key.size() > 1 && key[0] == '0')) {
        return false;
    }
    index = 0;
    for (char c : key) {
        if (c < '0' || c > '9') {
            return false;
        }
        index = index * 10 + static_cast<unsigned>(c - '0');
    }
    return index <= 0x7FFFFFFFu;
}

// The records of the file as a load must take them: the first key of each index, in the order of the indices, each
// as the library keeps a loaded record; `unreadable` counts the keys whose value does not decode.
MacroLibrary ReadableRecords(const IniDocument& file, int& unreadable) {
    std::vector<std::pair<unsigned long long, MacroRecord>> found;
    std::set<unsigned long long> seen;
    unreadable = 0;
    for (const IniDocument::Key& key : file.Keys("Macros")) {
        unsigned long long index = 0;
        if (!RecordKey(key.name, index) || !seen.insert(index).second) {
            continue;
        }
        MacroRecord record;
        if (key.value && DecodeStruct(*key.value, &record, sizeof record)) {
            found.emplace_back(index, record);
        } else {
            ++unreadable;
        }
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    MacroLibrary expected;
    for (const auto& [index, record] : found) {
        AddLoadedMacro(expected, record);
    }
    return expected;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const IniDocument file(std::string(reinterpret_cast<const char*>(data), size));

    MacroLibrary library;
    const int skipped = ReadMacroLibrary(library, file);
    FUZZ_CHECK(skipped >= 0);
    for (const auto& record : library) {
        FUZZ_CHECK(FieldLength(record->Name) <= kMacroNameMax);
    }
    // A load followed by a save keeps every record that was readable: the load has every one of them.
    int unreadable = 0;
    const MacroLibrary expected = ReadableRecords(file, unreadable);
    FUZZ_CHECK(unreadable == skipped);
    FUZZ_CHECK(expected.size() == library.size());
    for (size_t i = 0; i < library.size(); ++i) {
        FUZZ_CHECK(std::memcmp(expected[i].get(), library[i].get(), sizeof(MacroRecord)) == 0);
    }
    MacroLibrary again;
    FUZZ_CHECK(ReadMacroLibrary(again, IniDocument(MacroLibraryText(library))) == 0);
    FUZZ_CHECK(again.size() == library.size());
    for (size_t i = 0; i < library.size(); ++i) {
        FUZZ_CHECK(std::memcmp(again[i].get(), library[i].get(), sizeof(MacroRecord)) == 0);
    }

    MacroRecord record;
    std::memset(&record, 0x5A, sizeof record);
    if (!ReadMacroFile(file, record)) {
        MacroRecord untouched;
        std::memset(&untouched, 0x5A, sizeof untouched);
        FUZZ_CHECK(std::memcmp(&record, &untouched, sizeof record) == 0);
        return 0;
    }
    MacroRecord back;
    FUZZ_CHECK(ReadMacroFile(IniDocument(MacroFileText(record)), back));
    FUZZ_CHECK(std::memcmp(&back, &record, sizeof record) == 0);
    // Imported into the library it came with, under a name of its own.
    const MacroRecord& imported = AddImportedMacro(library, record);
    FUZZ_CHECK(FieldLength(imported.Name) <= kMacroNameMax);
    return 0;
}
