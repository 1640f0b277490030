// The child of the crash test: saves the macro library and the five profiles of a folder, version after version,
// until it is killed.
//   storage_crash_child <folder> <first version> <name of the event to set once running>

#include <windows.h>

#include "common/profile_store.h"
#include "option/macros/macro_files.h"
#include "option/macros/tests/crash/storage_versions.h"

#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc < 4) {
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "\\";
    const int first = std::atoi(argv[2]);
    HANDLE running = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[3]);
    for (int v = first;; ++v) {
        const MacroLibrary library = VersionLibrary(v);
        const auto profiles = VersionProfiles(v);
        if (running) {
            SetEvent(running);
            CloseHandle(running);
            running = nullptr;
        }
        if (!SaveMacroLibrary(library, folder + "config\\sequence.dat") || SaveAllProfiles(*profiles, folder) != 1) {
            return 1;
        }
    }
}
