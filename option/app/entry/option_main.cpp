// Option.exe: one instance; its main window is a modal dialog, and the program ends when it closes.
//   Option.exe                    the configuration program
//   Option.exe --measure-start    prints the milliseconds from the process's start to the first painted main window,
//                                 then closes (the start-up benchmark)

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "common/ini_file.h"
#include "common/language.h"
#include "framework/handles.h"
#include "framework/trace.h"
#include "option/app/main_window.h"
#include "option/skin/skin_description.h"
#include "option/skin/skin_menu.h"

namespace {
constexpr char kInstanceMutexName[] = "Pellix79-configure";
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    KernelHandle instance(CreateMutexA(nullptr, FALSE, kInstanceMutexName));
    if (!instance || GetLastError() == ERROR_ALREADY_EXISTS) {
        return 0;
    }
    const double atWinMain = MillisecondsSinceProcessStart();
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    const double atControls = MillisecondsSinceProcessStart();

    auto context = std::make_unique<OptionContext>();
    context->programFolder = ProgramFolder();
    InstallCoolMenu();
    LoadLanguageLibraryFrom(context->programFolder + "lan.dll");
    const double atLanguage = MillisecondsSinceProcessStart();
    SetSkinFolder(context->programFolder + "skins\\");
    {
        MainWindow window(*context);
        window.SetMeasureStart(commandLine != nullptr && std::strstr(commandLine, "--measure-start") != nullptr);
        char marks[128];
        std::snprintf(marks, sizeof marks, "WinMain %.1f, common controls %.1f, language %.1f, window object",
                      atWinMain, atControls, atLanguage);
        window.MarkStart(marks);
        window.RunModal(nullptr);
    }
    context.reset();
    FreeLanguageLibrary();
    return 0;
}
