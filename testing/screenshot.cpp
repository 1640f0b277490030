#include "testing/screenshot.h"

#include <windows.h>

#include <cstdlib>
#include <fstream>

#include "testing/pump.h"

void HoldForScreenshot(const std::string& name) {
    const char* folder = std::getenv("KORVANE_SCREENSHOT_DIR");
    if (!folder || !*folder) {
        return;
    }
    std::string base = std::string(folder) + "\\" + name;
    std::ofstream(base + ".ready") << name << "\n";
    const std::string done = base + ".done";
    PumpUntil([&] { return GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES; }, 60000);
}
