#include <windows.h>

#include "option/macros/macro_files.h"

#include "common/ini_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr const char* kSection = "Macros";
constexpr const char* kCountKey = "number";

// The indices below count whose key of section "Macros" is present, in ascending order. A damaged "number" may be
// huge; the keys that are actually there bound the reads. Only keys written as "%d" count, as only they are read.
std::vector<int> PresentRecordKeys(const std::string& path, int count) {
    std::vector<char> buffer(4096);
    for (;;) {
        DWORD n = GetPrivateProfileStringA(kSection, nullptr, "", buffer.data(), static_cast<DWORD>(buffer.size()),
                                           path.c_str());
        if (n + 2 < buffer.size() || buffer.size() >= (64u << 20))
            break;
        buffer.resize(buffer.size() * 2);
    }
    buffer.push_back('\0'); // a list cut at the largest buffer still ends
    buffer.push_back('\0');
    std::vector<int> indices;
    for (const char* key = buffer.data(); *key != '\0'; key += std::strlen(key) + 1) {
        char* end = nullptr;
        errno = 0;
        const long value = std::strtol(key, &end, 10);
        if (errno != 0 || *end != '\0' || value < 0 || value >= count)
            continue;
        char canonical[16];
        std::snprintf(canonical, sizeof canonical, "%ld", value);
        if (std::strcmp(canonical, key) == 0)
            indices.push_back(static_cast<int>(value));
    }
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    return indices;
}

void DeleteIfPresent(const std::string& path) {
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        DeleteFileA(path.c_str());
}

void KeyOf(int index, char (&key)[16]) {
    std::snprintf(key, sizeof key, "%d", index);
}

} // namespace

std::string SequenceFilePath() {
    return ProgramFolder() + "config\\sequence.dat";
}

void LoadMacroLibrary(MacroLibrary& library) {
    LoadMacroLibrary(library, SequenceFilePath());
}

void LoadMacroLibrary(MacroLibrary& library, const std::string& path) {
    const IniFile file(path);
    const int number = file.GetInt(kSection, kCountKey, -1);
    if (number < 1)
        return;
    // Reading key 0 .. number-1 one by one, skipping the absent ones, reads exactly these.
    for (int i : PresentRecordKeys(path, number)) {
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

bool SaveMacroLibrary(const MacroLibrary& library) {
    return SaveMacroLibrary(library, SequenceFilePath());
}

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
