#include "common/temporary_name.h"

#include <cstdio>

namespace {

constexpr std::string_view kSuffix = ".tmp";

// Removes a run of decimal digits from the end of the text; false when there is none.
bool DropNumber(std::string_view& text) {
    size_t n = 0;
    while (n < text.size() && text[text.size() - 1 - n] >= '0' && text[text.size() - 1 - n] <= '9') {
        ++n;
    }
    if (n == 0 || n > 10) {
        return false;
    }
    text.remove_suffix(n);
    return true;
}

bool DropChar(std::string_view& text, char c) {
    if (text.empty() || text.back() != c) {
        return false;
    }
    text.remove_suffix(1);
    return true;
}

} // namespace

std::string TemporaryName(const std::string& path, unsigned long process, unsigned long thread) {
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, ".%lu-%lu.tmp", process, thread);
    return path + suffix;
}

bool IsTemporaryName(std::string_view name) {
    if (name.size() <= kSuffix.size()) {
        return false;
    }
    // The suffix matches without regard to case, as file names do.
    for (size_t i = 0; i < kSuffix.size(); ++i) {
        const char c = name[name.size() - kSuffix.size() + i];
        if ((c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) != kSuffix[i]) {
            return false;
        }
    }
    name.remove_suffix(kSuffix.size());
    return DropNumber(name) && DropChar(name, '-') && DropNumber(name) && DropChar(name, '.') && !name.empty();
}
