#include <windows.h>

#include "common/ini_file.h"
#include "common/messages.h"
#include "osd/osd_window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // One display per session.
    if (FindWindowA(nullptr, kOsdWindowTitle) != nullptr) {
        return 0;
    }
    OsdWindow osd(ProgramFolder());
    osd.EnsureSettingRecord();
    if (!osd.Create()) {
        return 1;
    }
    RunMessageLoop();
    return 0;
}
