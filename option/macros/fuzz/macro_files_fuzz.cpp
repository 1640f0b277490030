// The sequence file and a macro file of any bytes. Whatever loads fits the library's rules, and what loaded, saved
// again, loads back record for record; a file without a readable record leaves the record untouched.
#include "common/ini_document.h"
#include "option/macros/macro_formats.h"
#include "testing/fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const IniDocument file(std::string(reinterpret_cast<const char*>(data), size));

    MacroLibrary library;
    const int skipped = ReadMacroLibrary(library, file);
    FUZZ_CHECK(skipped >= 0);
    for (const auto& record : library) {
        FUZZ_CHECK(FieldLength(record->Name) <= kMacroNameMax);
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
