#include "monitor/launch_rule.h"

#include "common/text.h"

#include <cctype>

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool EndsWithExe(std::string_view path) {
    constexpr std::string_view kExe = ".exe";
    if (path.size() < kExe.size() + 1) {
        return false;
    }
    if (!EqualIgnoringCase(path.substr(path.size() - kExe.size()), kExe)) {
        return false;
    }
    // A name, not just the extension after a separator.
    return !IsSeparator(path[path.size() - kExe.size() - 1]);
}

} // namespace

bool LaunchPathAllowed(std::string_view path) {
    if (path.size() < 4 || !std::isalpha(static_cast<unsigned char>(path[0])) || path[1] != ':' ||
        !IsSeparator(path[2])) {
        return false;
    }
    for (size_t i = 0; i < path.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (c < 0x20 || c == 0x7F || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|' ||
            (c == ':' && i != 1)) {
            return false;
        }
    }
    return EndsWithExe(path);
}
