#include "monitor/registry_path.h"

#include "common/text.h"

std::optional<RegistryPath> SplitRegistryPath(const std::string& path) {
    const size_t slash = path.find('\\');
    if (slash == std::string::npos) {
        return std::nullopt;
    }
    const std::string first = path.substr(0, slash);
    RegistryPath result;
    result.subKey = path.substr(slash + 1);
    if (EqualIgnoringCase(first, "HKEY_LOCAL_MACHINE")) {
        result.root = RegistryRoot::LocalMachine;
    } else if (EqualIgnoringCase(first, "HKEY_CURRENT_USER")) {
        result.root = RegistryRoot::CurrentUser;
    } else if (EqualIgnoringCase(first, "HKEY_CURRENT_CONFIG")) {
        result.root = RegistryRoot::CurrentConfig;
    } else if (EqualIgnoringCase(first, "HKEY_CLASSES_ROOT")) {
        result.root = RegistryRoot::ClassesRoot;
    } else {
        result.root = RegistryRoot::LocalMachine;
        result.subKey = path;
    }
    return result;
}
