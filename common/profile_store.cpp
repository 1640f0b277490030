#include <windows.h>

#include "common/profile_store.h"

#include "common/ini_file.h"
#include "common/pointer_table.h"
#include "common/profile_file.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kSection = "Setting";

// A registry key under HKEY_CURRENT_USER, opened with full access or created; closed when it goes.
class RegistryKey {
public:
    explicit RegistryKey(const char* path) {
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key_) != ERROR_SUCCESS) {
            key_ = nullptr;
            if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr) !=
                ERROR_SUCCESS) {
                key_ = nullptr;
            }
        }
    }
    ~RegistryKey() {
        if (key_) {
            RegCloseKey(key_);
        }
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    bool IsOpen() const { return key_ != nullptr; }

    // False when the value is missing or holds no text; the caller then keeps what it had.
    bool ReadNumber(const char* name, int& value) const {
        char text[64];
        DWORD type = 0;
        DWORD size = sizeof text - 1;
        if (RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS) {
            return false;
        }
        if (type != REG_SZ && type != REG_EXPAND_SZ) {
            return false;
        }
        // The stored text need not carry its terminator.
        text[size < sizeof text ? size : sizeof text - 1] = '\0';
        // An empty value delivers no text, as a missing one does: it must not turn the setting into 0 (a
        // double-click time of 0 ms).
        if (text[0] == '\0') {
            return false;
        }
        value = RegistryTextToInt(text);
        return true;
    }

    // Decimal text; the stored length counts the terminator.
    void WriteNumber(const char* name, int value) const {
        char text[16];
        int n = std::snprintf(text, sizeof text, "%d", value);
        RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(n + 1));
    }

private:
    HKEY key_ = nullptr;
};

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

int ReadProfileFile(ProfileRecord& record, const std::string& path) {
    IniDocument file;
    if (LoadIniDocument(path, file) != FileRead::Done) {
        return 0;
    }
    if (!IsProfileText(file)) {
        return 0;
    }
    ReadProfile(record, file);
    return 1;
}

int LoadAllProfiles(ShareData& data) {
    return LoadAllProfiles(data, ProgramFolder());
}

int LoadAllProfiles(ShareData& data, const std::string& folder) {
    // config.ini is read whole too (bounded); its keys are still written one by one.
    IniDocument config;
    LoadIniDocument(ConfigFilePath(folder), config);
    data.CurrentProfile = config.GetInt(kSection, "CurrentProfile", -1);
    data.MouseType = config.GetInt(kSection, "MouseType", -1);
    data.LedType = config.GetInt(kSection, "LedType", -1);
    // A missing file, and one that is no profile file (empty, cut before its first key, something else), give the
    // reset profile.
    for (int n = 0; n < kProfileCount; ++n) {
        if (!ReadProfileFile(data.Profile[n], ProfileFilePath(folder, n))) {
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
    IniFile config(ConfigFilePath(folder));
    bool ok = config.WriteInt(kSection, "CurrentProfile", data.CurrentProfile);
    ok = config.WriteInt(kSection, "MouseType", data.MouseType) && ok;
    ok = config.WriteInt(kSection, "LedType", data.LedType) && ok;
    // The programs are installed with config\, but a user may have removed it.
    CreateDirectoryA((folder + "config").c_str(), nullptr);
    for (int n = 0; n < kProfileCount; ++n) {
        ok = WriteProfileFile(data.Profile[n], ProfileFilePath(folder, n)) == 1 && ok;
    }
    return ok ? 1 : 0;
}

int ReadPointerSettings(ProfileRecord& r) {
    {
        RegistryKey mouse(kMouseKey);
        if (!mouse.IsOpen()) {
            return 0;
        }
        int value = 0;
        if (mouse.ReadNumber("DoubleClickSpeed", value)) {
            r.DbleClickSpeed = value;
        }
        if (mouse.ReadNumber("MouseSensitivity", value)) {
            r.MouseSpeed = value;
        }
        int speed = 0, threshold1 = 0, threshold2 = 0;
        if (mouse.ReadNumber("MouseSpeed", speed) && mouse.ReadNumber("MouseThreshold1", threshold1) &&
            mouse.ReadNumber("MouseThreshold2", threshold2)) {
            ApplyAccelerationValues(speed, threshold1, threshold2, r.Acceleration, r.AccelerationFlag);
        }
    }
    RegistryKey desktop(kDesktopKey);
    if (!desktop.IsOpen()) {
        return -1;
    }
    int lines = 0;
    if (desktop.ReadNumber("WheelScrollLines", lines)) {
        ApplyWheelScrollLines(lines, r.ScrollWheelSpeed, r.ScrollWheelFlag);
    }
    return 1;
}

int WritePointerSettings(const ProfileRecord& r) {
    const PointerValues values = PointerValuesToWrite(r);
    {
        RegistryKey mouse(kMouseKey);
        if (!mouse.IsOpen()) {
            return -1;
        }
        if (values.doubleClickSpeed) {
            mouse.WriteNumber("DoubleClickSpeed", *values.doubleClickSpeed);
        }
        if (values.mouseSensitivity) {
            mouse.WriteNumber("MouseSensitivity", *values.mouseSensitivity);
        }
        if (values.acceleration) {
            mouse.WriteNumber("MouseSpeed", values.acceleration->speed);
            mouse.WriteNumber("MouseThreshold1", values.acceleration->threshold1);
            mouse.WriteNumber("MouseThreshold2", values.acceleration->threshold2);
        }
    }
    RegistryKey desktop(kDesktopKey);
    if (!desktop.IsOpen()) {
        return -1;
    }
    if (values.wheelScrollLines) {
        desktop.WriteNumber("WheelScrollLines", *values.wheelScrollLines);
    }
    return 1;
}

int ReadDevice(const std::string& configPath) {
    return IniFile(configPath).GetInt(kSection, "Device", 0);
}
