#include "option/skin/number_box.h"

#include "common/text.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

constexpr unsigned kVkBack = 0x08, kVkReturn = 0x0D, kVkEnd = 0x23, kVkHome = 0x24, kVkLeft = 0x25, kVkRight = 0x27,
                   kVkDelete = 0x2E, kVkOemPlus = 0xBB, kVkOemMinus = 0xBD;

int Saturate(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

// A step below 1 would divide by zero; the boxes treat it as 1.
int64_t StepOf(const SpinRange& r) {
    return r.step < 1 ? 1 : r.step;
}

// step * ((v + step / 2) / step) with C's truncating division.
int64_t Snap(int64_t v, int64_t step) {
    return step * ((v + step / 2) / step);
}

int64_t Clamp(int64_t v, const SpinRange& r) {
    // An owner that sets the ends the wrong way round still gets a value inside them.
    return std::clamp<int64_t>(v, std::min(r.minimum, r.maximum), std::max(r.minimum, r.maximum));
}

} // namespace

bool DigitFieldKeyPasses(unsigned vk) {
    if ((vk >= '0' && vk <= '9') || (vk >= 0x60 && vk <= 0x69)) {
        return true;
    }
    switch (vk) {
    case kVkBack:
    case kVkReturn:
    case kVkEnd:
    case kVkHome:
    case kVkLeft:
    case kVkRight:
    case kVkDelete:
    case kVkOemPlus:
    case kVkOemMinus:
        return true;
    default:
        return false;
    }
}

std::string LeadingNumberRun(std::string_view text, bool signsAllowed) {
    std::string_view allowed = signsAllowed ? "0123456789-+" : "0123456789";
    std::size_t n = text.find_first_not_of(allowed);
    return std::string(text.substr(0, n));
}

std::string NumberText(int v) {
    return std::to_string(v);
}

int LeadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t v = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        if (v <= INT_MAX) {
            v = v * 10 + (text[i] - '0');
        }
        ++i;
    }
    return Saturate(negative ? -v : v);
}

int SpinTextLimit(const SpinRange& r) {
    return static_cast<int>(NumberText(r.maximum).size()) + (r.minimum < 0 ? 1 : 0);
}

bool SpinSignAllowed(const SpinRange& r) {
    return r.minimum < 0;
}

std::optional<int> SpinUp(int v, const SpinRange& r) {
    if (v > r.maximum) {
        return std::nullopt;
    }
    int64_t step = StepOf(r);
    int64_t w = std::min<int64_t>(static_cast<int64_t>(v) + step, r.maximum);
    w = Snap(std::max<int64_t>(w, r.minimum), step);
    return Saturate(w);
}

std::optional<int> SpinDown(int v, const SpinRange& r) {
    if (v < r.minimum) {
        return std::nullopt;
    }
    int64_t step = StepOf(r);
    int64_t w = std::max<int64_t>(static_cast<int64_t>(v) - step, r.minimum);
    w = Snap(std::min<int64_t>(w, r.maximum), step);
    return Saturate(w);
}

int SpinSettledValue(std::string_view text, const SpinRange& r) {
    int64_t v = LeadingNumber(TrimBlanks(text));
    return Saturate(Clamp(Snap(v, StepOf(r)), r));
}

SpinEnterResult SpinEnterValue(std::string_view text, const SpinRange& r) {
    std::size_t start = text.find_first_of("-+123456789");
    std::string kept;
    if (start != std::string_view::npos) {
        for (std::size_t i = start; i < text.size(); ++i) {
            char c = text[i];
            if (c >= '0' && c <= '9') {
                kept += c;
            } else if ((c == '-' || c == '+') && i == start) {
                kept += c;
            }
        }
    }
    int c = Saturate(Clamp(LeadingNumber(kept), r));
    return {c, c >= r.minimum && r.maximum >= r.minimum};
}
