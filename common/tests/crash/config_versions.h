#pragma once
// What the config.ini child writes in version v: values that tell the versions apart, so that the test can say which
// version a key holds.

#include <string>

inline int DeviceOfVersion(int v) {
    return 1000 + v;
}
inline std::string OsdDataOfVersion(int v) {
    return "CPI: " + std::to_string(v) + " 00 DPI";
}
inline int CurrentProfileOfVersion(int v) {
    return 2000000 + v;
}
