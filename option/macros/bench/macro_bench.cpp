// Time to save and to load the sequence file for libraries of 10, 100 and 1000 macros. The platform's profile
// functions rewrite (and re-read) the whole file for every key, so the cost per macro grows with the library. The
// reference is one plain write of a file of the same size.
//   macro_bench [rounds]

#include <windows.h>

#include "option/macros/macro_files.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

MacroLibrary Library(int count) {
    MacroLibrary library;
    for (int i = 0; i < count; ++i) {
        char name[20];
        std::snprintf(name, sizeof name, "Macro%d", i);
        auto record = NewMacroRecord(name);
        record->EventCount = kMacroRecordEvents;
        for (int e = 0; e < kMacroRecordEvents; ++e)
            record->Events[e] = MacroEvent{static_cast<uint8_t>(4 + (i + e) % 90),
                                           static_cast<uint8_t>(e % 2 ? kMacroRelease : kMacroPress),
                                           static_cast<uint16_t>(10 * e + i)};
        library.push_back(std::move(record));
    }
    return library;
}

// One write of the file's bytes through the plain file functions.
double ReferenceWrite(const std::string& path, size_t bytes) {
    std::string text(bytes, 'A');
    const double start = Now();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (file != INVALID_HANDLE_VALUE) {
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
    }
    return Now() - start;
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    char temp[MAX_PATH];
    if (!GetTempPathA(MAX_PATH, temp))
        return 1;
    char unique[40];
    std::snprintf(unique, sizeof unique, "macro_bench_%lu\\", GetCurrentProcessId());
    const std::string folder = std::string(temp) + unique;
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string path = folder + "sequence.dat";
    const std::string reference = folder + "reference.dat";

    std::printf("%8s %12s %12s %14s %14s %12s %12s\n", "macros", "save ms", "load ms", "save ms/macro", "load ms/macro",
                "save/ref", "load/ref");
    for (int count : {10, 100, 1000}) {
        MacroLibrary library = Library(count);
        double save = 1e300, load = 1e300, ref = 1e300;
        size_t loadedCount = 0;
        for (int r = 0; r < rounds; ++r) {
            double start = Now();
            SaveMacroLibrary(library, path);
            save = std::min(save, Now() - start);

            MacroLibrary loaded;
            start = Now();
            LoadMacroLibrary(loaded, path);
            load = std::min(load, Now() - start);
            loadedCount = loaded.size();

            WIN32_FILE_ATTRIBUTE_DATA data{};
            GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
            ref = std::min(ref, ReferenceWrite(reference, data.nFileSizeLow));
        }
        if (loadedCount != library.size())
            std::printf("loaded %zu of %d macros\n", loadedCount, count);
        std::printf("%8d %12.2f %12.2f %14.4f %14.4f %12.1f %12.1f\n", count, save, load, save / count, load / count,
                    save / ref, load / ref);
    }
    DeleteFileA(path.c_str());
    DeleteFileA(reference.c_str());
    RemoveDirectoryA(folder.c_str());
    return 0;
}
