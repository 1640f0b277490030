#include <windows.h>

#include "option/macros/macro_files.h"

#include "common/ini_file.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kSection = "Macros";
constexpr const char* kCountKey = "number";

// "0=" and 522 characters and a line end: a file cannot hold more records than its size allows, so a damaged
// "number" costs no more reads than the file could answer.
constexpr unsigned long long kStoredRecordBytes = 2 + 2 * (sizeof(MacroRecord) + 1) + 2;

unsigned long long FileBytes(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void DeleteIfPresent(const std::string& path) {
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        DeleteFileA(path.c_str());
}

void KeyOf(int index, char (&key)[16]) { std::snprintf(key, sizeof key, "%d", index); }

} // namespace

std::string SequenceFilePath() { return ProgramFolder() + "config\\sequence.dat"; }

void LoadMacroLibrary(MacroLibrary& library) { LoadMacroLibrary(library, SequenceFilePath()); }

void LoadMacroLibrary(MacroLibrary& library, const std::string& path) {
    const IniFile file(path);
    const int number = file.GetInt(kSection, kCountKey, -1);
    if (number < 1)
        return;
    const unsigned long long fits = FileBytes(path) / kStoredRecordBytes;
    const int count = fits < static_cast<unsigned long long>(number) ? static_cast<int>(fits) : number;
    for (int i = 0; i < count; ++i) {
        char key[16];
        KeyOf(i, key);
        MacroRecord record;
        std::memset(&record, 0, sizeof record);
        if (!file.GetStruct(kSection, key, &record, sizeof record)) {
            OutputDebugStringA("LoadMacroLibrary: unreadable record skipped\n");
            continue;
        }
        AddLoadedMacro(library, record);
    }
}

bool SaveMacroLibrary(const MacroLibrary& library) { return SaveMacroLibrary(library, SequenceFilePath()); }

bool SaveMacroLibrary(const MacroLibrary& library, const std::string& path) {
    // Start from an empty file so that no key of an earlier, longer library survives.
    DeleteIfPresent(path);
    const IniFile file(path);
    file.WriteInt(kSection, kCountKey, static_cast<int>(library.size()));
    bool ok = file.HasKey(kSection, kCountKey);
    for (size_t i = 0; i < library.size(); ++i) {
        char key[16];
        KeyOf(static_cast<int>(i), key);
        ok = file.WriteStruct(kSection, key, library[i].get(), sizeof(MacroRecord)) && ok;
    }
    return ok;
}

bool ImportMacro(MacroLibrary& library, const std::string& path) {
    MacroRecord record;
    std::memset(&record, 0, sizeof record);
    if (!IniFile(path).GetStruct(kSection, "0", &record, sizeof record))
        return false;
    AddImportedMacro(library, record);
    return true;
}

bool ExportMacro(const std::string& path, const MacroRecord& record) {
    DeleteIfPresent(path);
    return IniFile(path).WriteStruct(kSection, "0", &record, sizeof record);
}
