#pragma once
// The platform's open and save file dialogs. The filter is written as "Text(*.ext)|*.ext|"; the dialog starts with
// `initial` as its file name, so it opens in that name's folder. Both hide the read-only box; the open dialog wants
// an existing file, the save dialog asks before it replaces one. Empty when the user cancels.

#include <windows.h>

#include <string>

std::string ChooseFileToOpen(HWND owner, const std::string& initial, const char* filter, const char* extension);
std::string ChooseFileToSave(HWND owner, const std::string& initial, const char* filter, const char* extension);
