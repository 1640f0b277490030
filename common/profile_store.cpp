#include <windows.h>

#include "common/profile_store.h"

#include "common/ini_file.h"
#include "common/pointer_table.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kSection = "Setting";

struct IntKey {
    const char* name;
    int32_t ProfileRecord::*field;
};

// The pointer and sensor values, in the order they are written.
constexpr IntKey kWrittenSettings[] = {
    {"DbleClickSpeed", &ProfileRecord::DbleClickSpeed},
    {"ScrollWheelSpeed", &ProfileRecord::ScrollWheelSpeed},
    {"ScrollWheelFlag", &ProfileRecord::ScrollWheelFlag},
    {"MouseSpeed", &ProfileRecord::MouseSpeed},
    {"Acceleration", &ProfileRecord::Acceleration},
    {"AccelerationFlag", &ProfileRecord::AccelerationFlag},
    {"TiltSpeed", &ProfileRecord::TiltSpeed},
    {"MediaOption", &ProfileRecord::MediaOption},
    {"Orientation", &ProfileRecord::Orientation},
    {"LightSwitch", &ProfileRecord::LightSwitch},
    {"LightType", &ProfileRecord::LightType},
    {"ColorOptions", &ProfileRecord::ColorOptions},
    {"XYSynchronous", &ProfileRecord::XYSynchronous},
    {"Sensitivity_X", &ProfileRecord::Sensitivity_X},
    {"Sensitivity_Y", &ProfileRecord::Sensitivity_Y},
    {"Sensitivity", &ProfileRecord::Sensitivity},
    {"Cpi_X", &ProfileRecord::Cpi_X},
    {"Cpi_Y", &ProfileRecord::Cpi_Y},
    {"XYCpiFlag", &ProfileRecord::XYCpiFlag},
};

// The same keys in the order the programs have always read them (Orientation after the lighting values).
constexpr IntKey kReadSettings[] = {
    {"DbleClickSpeed", &ProfileRecord::DbleClickSpeed},
    {"ScrollWheelSpeed", &ProfileRecord::ScrollWheelSpeed},
    {"ScrollWheelFlag", &ProfileRecord::ScrollWheelFlag},
    {"MouseSpeed", &ProfileRecord::MouseSpeed},
    {"Acceleration", &ProfileRecord::Acceleration},
    {"AccelerationFlag", &ProfileRecord::AccelerationFlag},
    {"TiltSpeed", &ProfileRecord::TiltSpeed},
    {"MediaOption", &ProfileRecord::MediaOption},
    {"LightSwitch", &ProfileRecord::LightSwitch},
    {"LightType", &ProfileRecord::LightType},
    {"ColorOptions", &ProfileRecord::ColorOptions},
    {"Orientation", &ProfileRecord::Orientation},
    {"XYSynchronous", &ProfileRecord::XYSynchronous},
    {"Sensitivity_X", &ProfileRecord::Sensitivity_X},
    {"Sensitivity_Y", &ProfileRecord::Sensitivity_Y},
    {"Sensitivity", &ProfileRecord::Sensitivity},
    {"Cpi_X", &ProfileRecord::Cpi_X},
    {"Cpi_Y", &ProfileRecord::Cpi_Y},
    {"XYCpiFlag", &ProfileRecord::XYCpiFlag},
};

// Device and lighting values, written and read in this order; ModeStatus follows them.
constexpr IntKey kDeviceSettings[] = {
    {"CpiStep", &ProfileRecord::CpiStep},         {"OTGSpeed", &ProfileRecord::OTGSpeed},
    {"PollingRate", &ProfileRecord::PollingRate}, {"Brightness", &ProfileRecord::Brightness},
    {"BreathSpeed", &ProfileRecord::BreathSpeed}, {"LoopColor", &ProfileRecord::LoopColor},
    {"BTNDelay", &ProfileRecord::BTNDelay},       {"B2WSens", &ProfileRecord::B2WSens},
    {"W2BDelay", &ProfileRecord::W2BDelay},       {"B2TSens", &ProfileRecord::B2TSens},
    {"LedColor", &ProfileRecord::LedColor},       {"LedLPColor", &ProfileRecord::LedLPColor},
};

std::string KeyName(const char* format, int i) {
    char key[48];
    std::snprintf(key, sizeof key, format, i);
    return key;
}

// A text field may lack its terminator (a damaged block); a line break would end the value early and turn the rest
// into lines of its own. Write only what the field holds, up to the first line break.
template <size_t N> std::string FieldText(const char (&field)[N]) {
    std::string text(field, FieldLength(field));
    size_t end = text.find_first_of("\r\n");
    if (end != std::string::npos)
        text.resize(end);
    return text;
}

// A text from the file cut to fit its field, with its terminator; the rest of the field is zero.
template <size_t N> void CopyToField(char (&field)[N], const std::string& text) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), text.size() < N ? text.size() : N - 1);
}

void WriteInts(const IniFile& ini, const char* format, const int32_t* values, int count) {
    for (int i = 0; i < count; ++i)
        ini.WriteInt(kSection, KeyName(format, i).c_str(), values[i]);
}

void ReadInts(const IniFile& ini, const char* format, int32_t* values, int count) {
    for (int i = 0; i < count; ++i)
        values[i] = ini.GetInt(kSection, KeyName(format, i).c_str(), -1);
}

uint8_t ReadByte(const IniFile& ini, const char* key) {
    return static_cast<uint8_t>(ini.GetInt(kSection, key, -1));
}

// What ResetProfile gives button entry n.
void ResetMacroKey(MacroKeyInfo& entry, int n) {
    std::memset(&entry, 0, sizeof entry);
    entry.ButtonNumber = static_cast<uint8_t>(n);
    entry.FunctionCode = static_cast<uint8_t>(DefaultFunctionCode(n));
}

// A registry key under HKEY_CURRENT_USER, opened with full access or created; closed when it goes.
class RegistryKey {
public:
    explicit RegistryKey(const char* path) {
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key_) != ERROR_SUCCESS) {
            key_ = nullptr;
            if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr) !=
                ERROR_SUCCESS)
                key_ = nullptr;
        }
    }
    ~RegistryKey() {
        if (key_)
            RegCloseKey(key_);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    bool IsOpen() const { return key_ != nullptr; }

    // False when the value is missing or holds no text; the caller then keeps what it had.
    bool ReadNumber(const char* name, int& value) const {
        char text[64];
        DWORD type = 0;
        DWORD size = sizeof text - 1;
        if (RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS)
            return false;
        if (type != REG_SZ && type != REG_EXPAND_SZ)
            return false;
        // The stored text need not carry its terminator.
        text[size < sizeof text ? size : sizeof text - 1] = '\0';
        // An empty value delivers no text, as a missing one does: it must not turn the setting into 0 (a
        // double-click time of 0 ms).
        if (text[0] == '\0')
            return false;
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
    return folder + "config\\" + KeyName("Default%d", n) + ".tvp";
}

int WriteProfileFile(const ProfileRecord& r, const std::string& path) {
    IniFile ini(path);
    ini.WriteString(kSection, "ProFileName", FieldText(r.ProFileName).c_str());
    ini.WriteString(kSection, "GameFile", FieldText(r.GameFile).c_str());
    for (const IntKey& k : kWrittenSettings)
        ini.WriteInt(kSection, k.name, r.*k.field);
    WriteInts(ini, "CpiLevel_X%d", r.CpiLevel_X, 6);
    WriteInts(ini, "CpiLevel_Y%d", r.CpiLevel_Y, 6);
    for (const IntKey& k : kDeviceSettings)
        ini.WriteInt(kSection, k.name, r.*k.field);
    ini.WriteInt(kSection, "ModeStatus", r.ModeStatus);
    WriteInts(ini, "LedDPIColor%d", r.LedDPIColor, 4);
    WriteInts(ini, "8SLEDColor%d", r.SLEDColor8, 8);
    WriteInts(ini, "ColorFlag%d", r.ColorFlag, 8);
    WriteInts(ini, "dpiStepFlag%d", r.dpiStepFlag, 8);
    for (int i = 0; i < 10; ++i)
        ini.WriteInt(kSection, KeyName("dpiIndicator%d", i).c_str(), r.dpiIndicator[i]);
    ini.WriteInt(kSection, "DpiIndicationType", r.DpiIndicationType);
    for (int n = 0; n < kMacroKeyCount; ++n)
        ini.WriteStruct(kSection, KeyName("MacroKeyInfo%d", n).c_str(), &r.MacroKey[n], sizeof(MacroKeyInfo));
    return 1;
}

int ReadProfileFile(ProfileRecord& r, const std::string& path) {
    IniFile ini(path);
    CopyToField(r.ProFileName, ini.GetString(kSection, "ProFileName", ""));
    CopyToField(r.GameFile, ini.GetString(kSection, "GameFile", ""));
    for (const IntKey& k : kReadSettings)
        r.*k.field = ini.GetInt(kSection, k.name, -1);
    ReadInts(ini, "CpiLevel_X%d", r.CpiLevel_X, 6);
    ReadInts(ini, "CpiLevel_Y%d", r.CpiLevel_Y, 6);
    for (const IntKey& k : kDeviceSettings)
        r.*k.field = ini.GetInt(kSection, k.name, -1);
    r.ModeStatus = ReadByte(ini, "ModeStatus");
    ReadInts(ini, "LedDPIColor%d", r.LedDPIColor, 4);
    ReadInts(ini, "8SLEDColor%d", r.SLEDColor8, 8);
    ReadInts(ini, "ColorFlag%d", r.ColorFlag, 8);
    ReadInts(ini, "dpiStepFlag%d", r.dpiStepFlag, 8);
    // The indicators are written as "dpiIndicator%d"; files of older versions hold "dpibyDpiIndicator%d" only.
    for (int i = 0; i < 10; ++i) {
        std::string key = KeyName("dpiIndicator%d", i);
        if (!ini.HasKey(kSection, key.c_str())) {
            std::string older = KeyName("dpibyDpiIndicator%d", i);
            if (ini.HasKey(kSection, older.c_str()))
                key = older;
        }
        r.dpiIndicator[i] = ReadByte(ini, key.c_str());
    }
    r.DpiIndicationType = ReadByte(ini, "DpiIndicationType");
    for (int n = 0; n < kMacroKeyCount; ++n) {
        if (!ini.GetStruct(kSection, KeyName("MacroKeyInfo%d", n).c_str(), &r.MacroKey[n], sizeof(MacroKeyInfo)))
            ResetMacroKey(r.MacroKey[n], n);
    }
    return 1;
}

int LoadAllProfiles(ShareData& data) {
    return LoadAllProfiles(data, ProgramFolder());
}

int LoadAllProfiles(ShareData& data, const std::string& folder) {
    IniFile config(ConfigFilePath(folder));
    data.CurrentProfile = config.GetInt(kSection, "CurrentProfile", -1);
    data.MouseType = config.GetInt(kSection, "MouseType", -1);
    data.LedType = config.GetInt(kSection, "LedType", -1);
    for (int n = 0; n < kProfileCount; ++n) {
        std::string path = ProfileFilePath(folder, n);
        if (FileExists(path))
            ReadProfileFile(data.Profile[n], path);
        else
            ResetProfile(data.Profile[n], n);
    }
    // The system's own pointer settings win over the file for the active profile.
    if (ProfileRecord* active = ActiveProfile(data))
        ReadPointerSettings(*active);
    return 1;
}

int SaveAllProfiles(const ShareData& data) {
    return SaveAllProfiles(data, ProgramFolder());
}

int SaveAllProfiles(const ShareData& data, const std::string& folder) {
    if (const ProfileRecord* active = ActiveProfile(data))
        WritePointerSettings(*active);
    IniFile config(ConfigFilePath(folder));
    config.WriteInt(kSection, "CurrentProfile", data.CurrentProfile);
    config.WriteInt(kSection, "MouseType", data.MouseType);
    config.WriteInt(kSection, "LedType", data.LedType);
    for (int n = 0; n < kProfileCount; ++n)
        WriteProfileFile(data.Profile[n], ProfileFilePath(folder, n));
    return 1;
}

int ReadPointerSettings(ProfileRecord& r) {
    {
        RegistryKey mouse(kMouseKey);
        if (!mouse.IsOpen())
            return 0;
        int value = 0;
        if (mouse.ReadNumber("DoubleClickSpeed", value))
            r.DbleClickSpeed = value;
        if (mouse.ReadNumber("MouseSensitivity", value))
            r.MouseSpeed = value;
        int speed = 0, threshold1 = 0, threshold2 = 0;
        if (mouse.ReadNumber("MouseSpeed", speed) && mouse.ReadNumber("MouseThreshold1", threshold1) &&
            mouse.ReadNumber("MouseThreshold2", threshold2))
            ApplyAccelerationValues(speed, threshold1, threshold2, r.Acceleration, r.AccelerationFlag);
    }
    RegistryKey desktop(kDesktopKey);
    if (!desktop.IsOpen())
        return -1;
    int lines = 0;
    if (desktop.ReadNumber("WheelScrollLines", lines))
        ApplyWheelScrollLines(lines, r.ScrollWheelSpeed, r.ScrollWheelFlag);
    return 1;
}

int WritePointerSettings(const ProfileRecord& r) {
    {
        RegistryKey mouse(kMouseKey);
        if (!mouse.IsOpen())
            return -1;
        mouse.WriteNumber("DoubleClickSpeed", r.DbleClickSpeed);
        mouse.WriteNumber("MouseSensitivity", r.MouseSpeed);
        AccelerationRow row = AccelerationRowToWrite(r.Acceleration, r.AccelerationFlag);
        mouse.WriteNumber("MouseSpeed", row.speed);
        mouse.WriteNumber("MouseThreshold1", row.threshold1);
        mouse.WriteNumber("MouseThreshold2", row.threshold2);
    }
    RegistryKey desktop(kDesktopKey);
    if (!desktop.IsOpen())
        return -1;
    desktop.WriteNumber("WheelScrollLines", WheelScrollLinesToWrite(r.ScrollWheelSpeed, r.ScrollWheelFlag));
    return 1;
}

int ReadDevice(const std::string& configPath) {
    return IniFile(configPath).GetInt(kSection, "Device", 0);
}
