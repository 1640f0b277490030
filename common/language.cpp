#include <windows.h>

#include "common/language.h"

#include "common/ini_file.h"

#include <atomic>

namespace {
// Loaded while the main window is created and freed when it is destroyed; read by every look-up.
std::atomic<HMODULE> languageModule{nullptr};
constexpr int kTextBuffer = 260;
} // namespace

bool LoadLanguageLibraryFrom(const std::string& path) {
    FreeLanguageLibrary();
    HMODULE module = LoadLibraryA(path.c_str());
    languageModule.store(module);
    return module != nullptr;
}

bool LoadLanguageLibrary() {
    std::string folder = ProgramFolder();
    if (folder.empty()) {
        return false;
    }
    return LoadLanguageLibraryFrom(folder + "lan.dll");
}

void FreeLanguageLibrary() {
    if (HMODULE module = languageModule.exchange(nullptr)) {
        FreeLibrary(module);
    }
}

std::string Fetch(int number) {
    HMODULE module = languageModule.load();
    // Without a module LoadString would read the program's own strings.
    if (!module || number < 0 || number > 0xFFFF) {
        return std::string();
    }
    char text[kTextBuffer] = {};
    int n = LoadStringA(module, static_cast<UINT>(number), text, kTextBuffer);
    if (n <= 0) {
        return std::string();
    }
    return std::string(text, static_cast<size_t>(n < kTextBuffer ? n : kTextBuffer - 1));
}
