#pragma once
// Registry key paths as text: the first part names the root, the rest is the key below it.

#include <optional>
#include <string>

enum class RegistryRoot { LocalMachine, CurrentUser, CurrentConfig, ClassesRoot };

struct RegistryPath {
    RegistryRoot root = RegistryRoot::LocalMachine;
    std::string subKey;
};

// "HKEY_CURRENT_USER\Control Panel\Mouse" -> CurrentUser, "Control Panel\Mouse". The root is compared ignoring case;
// a path without a backslash is refused; an unknown first part leaves the whole path under HKEY_LOCAL_MACHINE.
std::optional<RegistryPath> SplitRegistryPath(const std::string& path);
