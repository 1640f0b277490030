#include "option/skin/button_pos.h"

#include "common/text.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

// Reads one "%d" at pos: leading blanks, an optional sign, digits. Saturates instead of overflowing, so a damaged
// file cannot make the arithmetic below undefined.
bool ReadInt(std::string_view s, std::size_t& pos, int& out) {
    std::size_t i = pos;
    while (i < s.size() && kWhiteSpace.find(s[i]) != std::string_view::npos) {
        ++i;
    }
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
        negative = s[i] == '-';
        ++i;
    }
    if (i >= s.size() || s[i] < '0' || s[i] > '9') {
        return false;
    }
    int64_t value = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        if (value <= INT_MAX) {
            value = value * 10 + (s[i] - '0');
        }
        ++i;
    }
    if (negative) {
        value = -value;
    }
    out = static_cast<int>(value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : value);
    pos = i;
    return true;
}

int SaturatedAdd(int a, int b) {
    int64_t sum = static_cast<int64_t>(a) + b;
    return static_cast<int>(sum < INT_MIN ? INT_MIN : sum > INT_MAX ? INT_MAX : sum);
}

} // namespace

ButtonPos ParseButtonPos(std::string_view value) {
    ButtonPos pos;
    std::size_t firstComma = value.find(',');
    pos.label = std::string(value.substr(0, std::min(firstComma, value.size())).substr(0, kButtonLabelMax));
    if (firstComma == std::string_view::npos) {
        return pos;
    }

    int numbers[4] = {0, 0, 0, 0};
    std::size_t at = firstComma + 1;
    for (int n = 0; n < 4; ++n) {
        if (n > 0) {
            if (at >= value.size() || value[at] != ',') {
                break;
            }
            ++at;
        }
        if (!ReadInt(value, at, numbers[n])) {
            break;
        }
    }
    pos.left = numbers[0];
    pos.top = numbers[1];
    pos.right = SaturatedAdd(numbers[0], numbers[2]);
    pos.bottom = SaturatedAdd(numbers[1], numbers[3]);

    std::size_t lastComma = value.rfind(',');
    pos.tooltip = std::string(TrimBlanks(value.substr(lastComma + 1)).substr(0, kButtonTooltipMax));
    return pos;
}
