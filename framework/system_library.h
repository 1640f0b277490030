#pragma once
// Functions of system libraries that a program needs only now and then (file dialogs, opening a web page, pictures
// in other formats than Windows bitmaps): the library is loaded from the system folder on first use and stays
// loaded, so the program does not pay for loading it at start.

#include <windows.h>

// The function `name` of the system library `library` ("comdlg32.dll"); null when either cannot be found.
FARPROC SystemLibraryFunction(const char* library, const char* name);

// The same, typed: SystemFunction<decltype(&GetOpenFileNameA)>("comdlg32.dll", "GetOpenFileNameA").
template <typename Function> Function SystemFunction(const char* library, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(SystemLibraryFunction(library, name)));
}
