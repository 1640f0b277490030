// The child of the config.ini tests: changes keys of one config.ini through IniFile, as the four writers of the
// programs do.
//   config_writer_child <config.ini> versions <first version> <name of the event to set once running>
//       writes "Device", "OSDData" and "CurrentProfile" of version after version until it is killed;
//   config_writer_child <config.ini> count <section> <key> <times>
//       writes the key 1, 2, ... times and ends with 0 (1 when a write failed).

#include <windows.h>

#include "common/ini_file.h"
#include "common/messages.h"
#include "common/tests/crash/config_versions.h"

#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc < 5) {
        return 2;
    }
    const IniFile config(argv[1]);
    const std::string mode = argv[2];
    if (mode == "versions") {
        HANDLE running = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[4]);
        for (int v = std::atoi(argv[3]);; ++v) {
            if (running) {
                SetEvent(running);
                CloseHandle(running);
                running = nullptr;
            }
            if (!config.WriteInt(kDeviceSection, kDeviceKey, DeviceOfVersion(v)) ||
                !config.WriteString(kOsdDataSection, kOsdDataKey, OsdDataOfVersion(v).c_str()) ||
                !config.WriteInt("Setting", "CurrentProfile", CurrentProfileOfVersion(v))) {
                return 1;
            }
        }
    }
    if (mode == "count" && argc >= 6) {
        const int times = std::atoi(argv[5]);
        for (int i = 1; i <= times; ++i) {
            if (!config.WriteInt(argv[3], argv[4], i)) {
                return 1;
            }
        }
        return 0;
    }
    return 2;
}
