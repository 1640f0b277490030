// Option.exe: one instance; its main window is a modal dialog, and the program ends when it closes.
//   Option.exe                    the configuration program
//   Option.exe --measure-start    prints the milliseconds from the process's start to the first painted main window,
//                                 then closes (the start-up benchmark)

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "common/ini_file.h"
#include "common/language.h"
#include "framework/handles.h"
#include "framework/trace.h"
#include "option/app/main_window.h"
#include "option/skin/skin_description.h"
#include "option/skin/skin_menu.h"
#include "option/skin/skin_picture.h"

namespace {
constexpr char kInstanceMutexName[] = "Pellix79-configure";
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    KernelHandle instance(CreateMutexA(nullptr, FALSE, kInstanceMutexName));
    if (!instance || GetLastError() == ERROR_ALREADY_EXISTS) {
        return 0;
    }
    const double atWinMain = MillisecondsSinceProcessStart();
    const std::string programFolder = ProgramFolder();
    SetSkinFolder(programFolder + "skins\\");
    // The system's own start-up keeps this thread busy for a while: the pictures of the main window, its two pages
    // and the sliders' thumbs are read on another meanwhile.
    SkinPreload preload(SkinFolder(), {"skin_main.ini", "skin_button_page.ini", "skin_advance_setting.ini"},
                        {"slider_thumb.bmp", "scroll_arrow_down.bmp", "scroll_arrow_up.bmp"});
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    const double atControls = MillisecondsSinceProcessStart();

    auto context = std::make_unique<OptionContext>();
    context->programFolder = programFolder;
    InstallCoolMenu();
    LoadLanguageLibraryFrom(context->programFolder + "lan.dll");
    const double atLanguage = MillisecondsSinceProcessStart();
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
