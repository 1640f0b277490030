#include "framework/file_dialog.h"

#include <windows.h>

#include <commdlg.h>

#include <cstring>
#include <vector>

#include "framework/system_library.h"

namespace {

std::string Choose(HWND owner, const std::string& initial, const char* filter, const char* extension, bool save) {
    // '|' separators become the '\0' separators the platform wants, with a second '\0' at the end.
    std::vector<char> filters(filter, filter + std::strlen(filter) + 1);
    for (char& c : filters) {
        if (c == '|') {
            c = '\0';
        }
    }
    filters.push_back('\0');
    char file[MAX_PATH] = {};
    initial.copy(file, sizeof file - 1);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filters.data();
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrDefExt = extension;
    ofn.Flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_NOCHANGEDIR |
                (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
    // The dialog library is loaded when the first dialog opens; without it the dialog counts as cancelled.
    static const auto open = SystemFunction<decltype(&GetOpenFileNameA)>("comdlg32.dll", "GetOpenFileNameA");
    static const auto saveAs = SystemFunction<decltype(&GetSaveFileNameA)>("comdlg32.dll", "GetSaveFileNameA");
    auto dialog = save ? saveAs : open;
    BOOL chosen = dialog && dialog(&ofn);
    return chosen ? std::string(file) : std::string();
}

} // namespace

std::string ChooseFileToOpen(HWND owner, const std::string& initial, const char* filter, const char* extension) {
    return Choose(owner, initial, filter, extension, false);
}

std::string ChooseFileToSave(HWND owner, const std::string& initial, const char* filter, const char* extension) {
    return Choose(owner, initial, filter, extension, true);
}
