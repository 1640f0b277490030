#include "monitor/registry_path.h"

#include <cctype>

namespace {
bool SameIgnoringCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return i == a.size() && b[i] == '\0';
}
} // namespace

std::optional<RegistryPath> SplitRegistryPath(const std::string& path) {
    const size_t slash = path.find('\\');
    if (slash == std::string::npos) {
        return std::nullopt;
    }
    const std::string first = path.substr(0, slash);
    RegistryPath result;
    result.subKey = path.substr(slash + 1);
    if (SameIgnoringCase(first, "HKEY_LOCAL_MACHINE")) {
        result.root = RegistryRoot::LocalMachine;
    } else if (SameIgnoringCase(first, "HKEY_CURRENT_USER")) {
        result.root = RegistryRoot::CurrentUser;
    } else if (SameIgnoringCase(first, "HKEY_CURRENT_CONFIG")) {
        result.root = RegistryRoot::CurrentConfig;
    } else if (SameIgnoringCase(first, "HKEY_CLASSES_ROOT")) {
        result.root = RegistryRoot::ClassesRoot;
    } else {
        result.root = RegistryRoot::LocalMachine;
        result.subKey = path;
    }
    return result;
}
