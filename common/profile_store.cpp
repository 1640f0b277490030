#include <windows.h>

#include "common/profile_store.h"

#include "common/ini_file.h"
#include "common/pointer_table.h"
#include "common/profile_file.h"
#include "framework/handles.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

constexpr const char* kSection = "Setting";

// A registry key under HKEY_CURRENT_USER, opened with full access or created; empty when neither works.
RegistryKey OpenUserKey(const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        return RegistryKey(key);
    }
    key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
        return RegistryKey(key);
    }
    return {};
}

// False when the value is missing or holds no text; the caller then keeps what it had.
bool ReadNumber(const RegistryKey& key, const char* name, int& value) {
    char text[64];
    DWORD type = 0;
    DWORD size = sizeof text - 1;
    if (RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS) {
        return false;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        return false;
    }
    // The stored text need not carry its terminator.
    text[size < sizeof text ? size : sizeof text - 1] = '\0';
    // An empty value delivers no text, as a missing one does: it must not turn the setting into 0 (a double-click
    // time of 0 ms).
    if (text[0] == '\0') {
        return false;
    }
    value = RegistryTextToInt(text);
    return true;
}

// Decimal text; the stored length counts the terminator.
void WriteNumber(const RegistryKey& key, const char* name, int value) {
    char text[16];
    int n = std::snprintf(text, sizeof text, "%d", value);
    RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(n + 1));
}

// Files that exist but could not be read whole when this program last read them (locked by another program, no
// access, above the read bounds): what the program holds for them is a default, and a save that wrote it would
// destroy the user's file. Both of Monitor's threads load and save.
class UnreadFiles {
public:
    // Unread when the last read did not get the file whole; a read that got it (or found it gone) releases it.
    void Mark(const std::string& path, bool unread) {
        const std::string key = Key(path);
        std::lock_guard<std::mutex> hold(lock_);
        auto found = std::find(paths_.begin(), paths_.end(), key);
        if (unread && found == paths_.end()) {
            paths_.push_back(key);
        } else if (!unread && found != paths_.end()) {
            paths_.erase(found);
        }
    }
    bool Holds(const std::string& path) const {
        const std::string key = Key(path);
        std::lock_guard<std::mutex> hold(lock_);
        return std::find(paths_.begin(), paths_.end(), key) != paths_.end();
    }

private:
    // File names match without regard to case.
    static std::string Key(const std::string& path) {
        std::string key = path;
        for (char& c : key) {
            c = c == '/' ? '\\' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        return key;
    }
    mutable std::mutex lock_;
    std::vector<std::string> paths_;
};

UnreadFiles& Unread() {
    static UnreadFiles files;
    return files;
}

void TraceFile(const char* format, const std::string& path) {
    char line[1024];
    std::snprintf(line, sizeof line, format, path.c_str());
    OutputDebugStringA(line);
}

constexpr const char* kMouseKey = "Control Panel\\Mouse";
constexpr const char* kDesktopKey = "Control Panel\\Desktop";

} // namespace

std::string ConfigFilePath(const std::string& folder) {
    return folder + "config.ini";
}

std::string ProfileFilePath(const std::string& folder, int n) {
    char name[32];
    std::snprintf(name, sizeof name, "Default%d.tvp", n);
    return folder + "config\\" + name;
}

bool IsProfileFile(const std::string& path) {
    IniDocument file;
    return LoadIniDocument(path, file) == FileRead::Done && IsProfileText(file);
}

int WriteProfileFile(const ProfileRecord& record, const std::string& path) {
    // Rewritten over what is there: other sections and unknown keys stay. A file that exists but cannot be read
    // whole is left alone rather than replaced by one without them.
    IniDocument file;
    const FileRead read = LoadIniDocument(path, file);
    if (read == FileRead::Failed || read == FileRead::Cut) {
        return 0;
    }
    WriteProfile(record, file);
    if (read == FileRead::Done && !file.Changed()) {
        return 1;
    }
    return ReplaceFileContents(path, file.Bytes()) ? 1 : 0;
}

ProfileRead ReadProfileFile(ProfileRecord& record, const std::string& path) {
    IniDocument file;
    const FileRead read = LoadIniDocument(path, file);
    Unread().Mark(path, read == FileRead::Failed || read == FileRead::Cut);
    switch (read) {
    case FileRead::Missing:
        return ProfileRead::Missing;
    case FileRead::Failed:
    case FileRead::Cut:
        return ProfileRead::Unreadable;
    case FileRead::Done:
    default:
        break;
    }
    if (!IsProfileText(file)) {
        return ProfileRead::NotProfile;
    }
    ReadProfile(record, file);
    return ProfileRead::Done;
}

int LoadAllProfiles(ShareData& data) {
    return LoadAllProfiles(data, ProgramFolder());
}

int LoadAllProfiles(ShareData& data, const std::string& folder) {
    IniDocument config;
    const std::string configPath = ConfigFilePath(folder);
    const FileRead configRead = LoadIniDocument(configPath, config);
    const bool configUnread = configRead == FileRead::Failed || configRead == FileRead::Cut;
    Unread().Mark(configPath, configUnread);
    if (configUnread) {
        TraceFile("LoadAllProfiles: %s could not be read whole; its settings are not saved until it is read\n",
                  configPath);
    }
    data.CurrentProfile = config.GetInt(kSection, "CurrentProfile", -1);
    data.MouseType = config.GetInt(kSection, "MouseType", -1);
    data.LedType = config.GetInt(kSection, "LedType", -1);
    for (int n = 0; n < kProfileCount; ++n) {
        const std::string path = ProfileFilePath(folder, n);
        const ProfileRead read = ReadProfileFile(data.Profile[n], path);
        if (read == ProfileRead::Unreadable) {
            TraceFile("LoadAllProfiles: %s could not be read whole; its profile is a reset one and is not saved until "
                      "the file is read\n",
                      path);
        }
        if (read != ProfileRead::Done) {
            ResetProfile(data.Profile[n], n);
        }
    }
    // The system's own pointer settings win over the file for the active profile.
    if (ProfileRecord* active = ActiveProfile(data)) {
        ReadPointerSettings(*active);
    }
    return 1;
}

int SaveAllProfiles(const ShareData& data) {
    return SaveAllProfiles(data, ProgramFolder());
}

int SaveAllProfiles(const ShareData& data, const std::string& folder) {
    if (const ProfileRecord* active = ActiveProfile(data)) {
        WritePointerSettings(*active);
    }
    bool ok = true;
    const std::string configPath = ConfigFilePath(folder);
    if (Unread().Holds(configPath)) {
        TraceFile("SaveAllProfiles: %s was not read whole; its settings are kept as they are\n", configPath);
    } else {
        ok = UpdateIniFile(configPath, [&](IniDocument& config) {
            config.SetInt(kSection, "CurrentProfile", data.CurrentProfile);
            config.SetInt(kSection, "MouseType", data.MouseType);
            config.SetInt(kSection, "LedType", data.LedType);
        });
    }
    // The programs are installed with config\, but a user may have removed it.
    CreateDirectoryA((folder + "config").c_str(), nullptr);
    for (int n = 0; n < kProfileCount; ++n) {
        const std::string path = ProfileFilePath(folder, n);
        if (Unread().Holds(path)) {
            TraceFile("SaveAllProfiles: %s was not read whole; it is kept as it is\n", path);
            continue;
        }
        ok = WriteProfileFile(data.Profile[n], path) == 1 && ok;
    }
    return ok ? 1 : 0;
}

int ReadPointerSettings(ProfileRecord& r) {
    {
        const RegistryKey mouse = OpenUserKey(kMouseKey);
        if (!mouse) {
            return 0;
        }
        int value = 0;
        if (ReadNumber(mouse, "DoubleClickSpeed", value)) {
            r.DbleClickSpeed = value;
        }
        if (ReadNumber(mouse, "MouseSensitivity", value)) {
            r.MouseSpeed = value;
        }
        int speed = 0, threshold1 = 0, threshold2 = 0;
        if (ReadNumber(mouse, "MouseSpeed", speed) && ReadNumber(mouse, "MouseThreshold1", threshold1) &&
            ReadNumber(mouse, "MouseThreshold2", threshold2)) {
            ApplyAccelerationValues(speed, threshold1, threshold2, r.Acceleration, r.AccelerationFlag);
        }
    }
    const RegistryKey desktop = OpenUserKey(kDesktopKey);
    if (!desktop) {
        return -1;
    }
    int lines = 0;
    if (ReadNumber(desktop, "WheelScrollLines", lines)) {
        ApplyWheelScrollLines(lines, r.ScrollWheelSpeed, r.ScrollWheelFlag);
    }
    return 1;
}

int WritePointerSettings(const ProfileRecord& r) {
    const PointerValues values = PointerValuesToWrite(r);
    {
        const RegistryKey mouse = OpenUserKey(kMouseKey);
        if (!mouse) {
            return -1;
        }
        if (values.doubleClickSpeed) {
            WriteNumber(mouse, "DoubleClickSpeed", *values.doubleClickSpeed);
        }
        if (values.mouseSensitivity) {
            WriteNumber(mouse, "MouseSensitivity", *values.mouseSensitivity);
        }
        if (values.acceleration) {
            WriteNumber(mouse, "MouseSpeed", values.acceleration->speed);
            WriteNumber(mouse, "MouseThreshold1", values.acceleration->threshold1);
            WriteNumber(mouse, "MouseThreshold2", values.acceleration->threshold2);
        }
    }
    const RegistryKey desktop = OpenUserKey(kDesktopKey);
    if (!desktop) {
        return -1;
    }
    if (values.wheelScrollLines) {
        WriteNumber(desktop, "WheelScrollLines", *values.wheelScrollLines);
    }
    return 1;
}

int ReadDevice(const std::string& configPath) {
    return IniFile(configPath).GetInt(kSection, "Device", 0);
}
