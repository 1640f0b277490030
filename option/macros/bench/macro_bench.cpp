// Time to save and to load the sequence file for libraries of 10 to 10 000 macros, and the five profile files with
// config.ini (SaveAllProfiles / LoadAllProfiles). The reference is one plain write, or one plain read, of a file of
// the same size: the write from bytes at hand, the read into a buffer it allocates, as any read of a file into memory
// does (under Wine, allocating 5 MB costs more than reading them from the cache). The ratios are what to watch, and
// the cost per macro should not grow with the library. Saving flushes every file before it replaces the old one, so
// the profiles are also compared with five plain writes of their bytes, each flushed.
//   macro_bench [rounds] [largest library]

#include <windows.h>

#include "common/profile_store.h"
#include "framework/handles.h"
#include "option/macros/macro_files.h"
#include "testing/profiles.h"
#include "testing/temp_folder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

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
        for (int e = 0; e < kMacroRecordEvents; ++e) {
            record->Events[e] = MacroEvent{static_cast<uint8_t>(4 + (i + e) % 90),
                                           static_cast<uint8_t>(e % 2 ? kMacroRelease : kMacroPress),
                                           static_cast<uint16_t>(10 * e + i)};
        }
        library.push_back(std::move(record));
    }
    return library;
}

size_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return data.nFileSizeLow;
}

// One write of the file's bytes through the plain file functions.
double ReferenceWrite(const std::string& path, size_t bytes) {
    std::string text(bytes, 'A');
    const double start = Now();
    {
        KernelHandle file(
            CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (file) {
            WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        }
    }
    return Now() - start;
}

// One read of the file's bytes through the plain file functions, into a buffer of its own.
double ReferenceRead(const std::string& path, size_t bytes) {
    const double start = Now();
    std::string text(bytes, '\0');
    {
        KernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD read = 0;
        if (file) {
            ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
        }
    }
    return Now() - start;
}

// Plain writes of these files' bytes, each flushed to disk: the least a save that must survive a crash costs.
double FlushedWrites(const std::vector<std::string>& paths, const std::string& reference) {
    std::vector<std::string> contents;
    for (const std::string& path : paths) {
        std::string bytes(FileSize(path), '\0');
        KernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD read = 0;
        if (file) {
            ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
        }
        contents.push_back(std::move(bytes));
    }
    const double start = Now();
    for (size_t i = 0; i < contents.size(); ++i) {
        const std::string path = reference + std::to_string(i);
        KernelHandle file(
            CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (file) {
            WriteFile(file.get(), contents[i].data(), static_cast<DWORD>(contents[i].size()), &written, nullptr);
            FlushFileBuffers(file.get());
        }
    }
    const double time = Now() - start;
    for (size_t i = 0; i < contents.size(); ++i) {
        DeleteFileA((reference + std::to_string(i)).c_str());
    }
    return time;
}

void BenchLibraries(const std::string& folder, int rounds, int largest) {
    const std::string path = folder + "sequence.dat";
    const std::string reference = folder + "reference.dat";
    std::printf("%8s %12s %12s %14s %14s %12s %12s\n", "macros", "save ms", "load ms", "save ms/macro", "load ms/macro",
                "save/ref", "load/ref");
    for (int count = 10; count <= largest; count *= 10) {
        MacroLibrary library = Library(count);
        double save = 1e300, load = 1e300, refWrite = 1e300, refRead = 1e300;
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

            const size_t bytes = FileSize(path);
            refWrite = std::min(refWrite, ReferenceWrite(reference, bytes));
            refRead = std::min(refRead, ReferenceRead(reference, bytes));
        }
        if (loadedCount != library.size()) {
            std::printf("loaded %zu of %d macros\n", loadedCount, count);
        }
        std::printf("%8d %12.2f %12.2f %14.4f %14.4f %12.1f %12.1f\n", count, save, load, save / count, load / count,
                    save / refWrite, load / refRead);
    }
}

// The five profile files and config.ini of a program folder. No profile is active, so the registry is left alone:
// what is measured is the files. Every round changes a value of every profile, so every file is rewritten; an Apply
// usually changes one profile, and the files whose values are all the same are left as they are.
void BenchProfiles(const std::string& folder, int rounds) {
    auto data = DefaultData(-1);
    for (int n = 0; n < kProfileCount; ++n) {
        data->Profile[n].Brightness = 20 + n;
        data->Profile[n].MacroKey[n].FunctionCode = 6;
    }
    std::vector<std::string> paths = {ConfigFilePath(folder)};
    for (int n = 0; n < kProfileCount; ++n) {
        paths.push_back(ProfileFilePath(folder, n));
    }
    const std::string reference = folder + "reference.dat";
    double save = 1e300, saveOne = 1e300, load = 1e300, refWrite = 1e300, refRead = 1e300, refFlushed = 1e300;
    for (int r = 0; r < rounds; ++r) {
        for (int n = 0; n < kProfileCount; ++n) {
            data->Profile[n].OTGSpeed = 2 * r;
        }
        double start = Now();
        SaveAllProfiles(*data, folder);
        save = std::min(save, Now() - start);

        data->Profile[2].OTGSpeed = 2 * r + 1;
        start = Now();
        SaveAllProfiles(*data, folder);
        saveOne = std::min(saveOne, Now() - start);

        auto loaded = std::make_unique<ShareData>();
        start = Now();
        LoadAllProfiles(*loaded, folder);
        load = std::min(load, Now() - start);

        size_t bytes = 0;
        for (const std::string& path : paths) {
            bytes += FileSize(path);
        }
        refWrite = std::min(refWrite, ReferenceWrite(reference, bytes));
        refRead = std::min(refRead, ReferenceRead(reference, bytes));
        refFlushed = std::min(refFlushed, FlushedWrites(paths, reference));
    }
    std::printf("\n%-30s %10s %14s %20s\n", "", "ms", "ratio to ref", "ratio to flushed ref");
    std::printf("%-30s %10.2f %14.1f %20.1f\n", "SaveAllProfiles", save, save / refWrite, save / refFlushed);
    std::printf("%-30s %10.2f %14.1f\n", "SaveAllProfiles, one changed", saveOne, saveOne / refWrite);
    std::printf("%-30s %10.2f %14.1f\n", "LoadAllProfiles", load, load / refRead);
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const int largest = argc > 2 ? std::max(10, std::atoi(argv[2])) : 10000;
    // A program folder with its config\, removed with the files at the end.
    const TempFolder folder;
    BenchLibraries(folder.Path(), rounds, largest);
    BenchProfiles(folder.Path(), rounds);
    return 0;
}
