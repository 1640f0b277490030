#include <windows.h>

#include "common/ini_file.h"
#include "common/messages.h"
#include "osd/osd_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // One display per session.
    if (FindWindowA(nullptr, kOsdWindowTitle) != nullptr) {
        return 0;
    }
    OsdWindow osd(ProgramFolder());
    osd.EnsureSettingRecord();
    if (!osd.Create(instance)) {
        return 1;
    }
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
