#include "framework/system_library.h"

#include <windows.h>

FARPROC SystemLibraryFunction(const char* library, const char* name) {
    // Only the system folder: a library of the same name beside the program or in the current folder is not ours.
    // Each call adds a reference that is never given back, so the library stays loaded.
    HMODULE module = LoadLibraryExA(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module ? GetProcAddress(module, name) : nullptr;
}
