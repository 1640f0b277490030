#include "osd/osd_request.h"

std::string OsdRequestText(uint64_t wParam, int64_t lParam, const std::string& messageText) {
    if (wParam == 40) {
        const uint64_t profile = (static_cast<uint64_t>(lParam) >> 16) & 0xFFFF;
        if (profile > 4) {
            return {};
        }
        return "Profile " + std::to_string(profile + 1);
    }
    if (wParam == 50) {
        std::string text = messageText.substr(0, kOsdTextMax);
        for (char& c : text) {
            if (static_cast<unsigned char>(c) < 0x20) {
                c = ' ';
            }
        }
        return text;
    }
    return {};
}

int NextFadeAlpha(int alpha) {
    const int next = alpha - kOsdFadeStep;
    return next > 0 ? next : 0;
}
