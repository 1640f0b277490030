// One "BUTTONPOS" value of any text. The numbers must read as "%d,%d,%d,%d" after the first comma reads them, for
// every value whose numbers fit an int; beyond that they saturate, and the rectangle's sizes stay defined.
#include "option/skin/button_pos.h"
#include "testing/fuzz_check.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace {

// True when no run of digits is long enough to overflow an int, where the C library's reading is undefined.
bool NumbersFit(std::string_view s) {
    std::size_t run = 0;
    for (char c : s) {
        run = (c >= '0' && c <= '9') ? run + 1 : 0;
        if (run > 9) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view value(reinterpret_cast<const char*>(data), size);
    const ButtonPos pos = ParseButtonPos(value);

    FUZZ_CHECK(pos.label.size() <= kButtonLabelMax);
    FUZZ_CHECK(pos.tooltip.size() <= kButtonTooltipMax);
    FUZZ_CHECK(value.substr(0, kButtonLabelMax).starts_with(pos.label));
    const long long width = pos.Width();
    const long long height = pos.Height();

    // The platform's reader hands over text without NULs, so the comparison takes the text up to the first one.
    const std::string text(value.substr(0, value.find('\0')));
    if (text.size() != value.size() || !NumbersFit(text)) {
        return 0;
    }
    const std::size_t comma = text.find(',');
    int n[4] = {0, 0, 0, 0};
    if (comma != std::string::npos) {
        std::sscanf(text.c_str() + comma + 1, "%d,%d,%d,%d", &n[0], &n[1], &n[2], &n[3]);
    }
    FUZZ_CHECK(pos.left == n[0]);
    FUZZ_CHECK(pos.top == n[1]);
    FUZZ_CHECK(width == n[2] || pos.right == INT_MAX || pos.right == INT_MIN);
    FUZZ_CHECK(height == n[3] || pos.bottom == INT_MAX || pos.bottom == INT_MIN);
    return 0;
}
