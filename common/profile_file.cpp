#include "common/profile_file.h"

#include "common/function_codes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

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

// Device and lighting values, written and read in this order; ModeStatus follows them.
constexpr IntKey kDeviceSettings[] = {
    {"CpiStep", &ProfileRecord::CpiStep},         {"OTGSpeed", &ProfileRecord::OTGSpeed},
    {"PollingRate", &ProfileRecord::PollingRate}, {"Brightness", &ProfileRecord::Brightness},
    {"BreathSpeed", &ProfileRecord::BreathSpeed}, {"LoopColor", &ProfileRecord::LoopColor},
    {"BTNDelay", &ProfileRecord::BTNDelay},       {"B2WSens", &ProfileRecord::B2WSens},
    {"W2BDelay", &ProfileRecord::W2BDelay},       {"B2TSens", &ProfileRecord::B2TSens},
    {"LedColor", &ProfileRecord::LedColor},       {"LedLPColor", &ProfileRecord::LedLPColor},
};

// The numbered keys: "%d" counts from 0.
struct KeyRange {
    const char* format;
    int count;
};

constexpr KeyRange kNumberedKeys[] = {
    {"CpiLevel_X%d", 6},    {"CpiLevel_Y%d", 6},         {"LedDPIColor%d", 4},
    {"8SLEDColor%d", 8},    {"ColorFlag%d", 8},          {"dpiStepFlag%d", 8},
    {"dpiIndicator%d", 10}, {"dpibyDpiIndicator%d", 10}, {"MacroKeyInfo%d", kMacroKeyCount},
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
    if (end != std::string::npos) {
        text.resize(end);
    }
    return text;
}

// A text from the file cut to fit its field, with its terminator; the rest of the field is zero.
template <size_t N> void CopyToField(char (&field)[N], const std::string& text) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), text.size() < N ? text.size() : N - 1);
}

template <size_t N> void ReadInts(const IniDocument& file, const char* format, int32_t (&values)[N]) {
    for (size_t i = 0; i < N; ++i) {
        values[i] = file.GetInt(kSection, KeyName(format, static_cast<int>(i)), -1);
    }
}

template <size_t N> void WriteInts(IniDocument& file, const char* format, const int32_t (&values)[N]) {
    for (size_t i = 0; i < N; ++i) {
        file.SetInt(kSection, KeyName(format, static_cast<int>(i)), values[i]);
    }
}

uint8_t ReadByte(const IniDocument& file, const std::string& key) {
    return static_cast<uint8_t>(file.GetInt(kSection, key, -1));
}

// What ResetProfile gives button entry n.
void ResetMacroKey(MacroKeyInfo& entry, int n) {
    std::memset(&entry, 0, sizeof entry);
    entry.ButtonNumber = static_cast<uint8_t>(n);
    entry.FunctionCode = static_cast<uint8_t>(DefaultFunctionCode(n));
}

// Every key a profile file may hold, the older indicator keys included.
const std::vector<std::string>& ProfileKeys() {
    static const std::vector<std::string> keys = [] {
        std::vector<std::string> all = {"ProFileName", "GameFile", "ModeStatus", "DpiIndicationType"};
        for (const IntKey& k : kWrittenSettings) {
            all.push_back(k.name);
        }
        for (const IntKey& k : kDeviceSettings) {
            all.push_back(k.name);
        }
        for (const KeyRange& range : kNumberedKeys) {
            for (int i = 0; i < range.count; ++i) {
                all.push_back(KeyName(range.format, i));
            }
        }
        return all;
    }();
    return keys;
}

} // namespace

bool IsProfileText(const IniDocument& file) {
    if (!file.HasSection(kSection)) {
        return false;
    }
    const auto& keys = ProfileKeys();
    return std::any_of(keys.begin(), keys.end(), [&](const std::string& key) { return file.HasKey(kSection, key); });
}

bool IsProfileText(std::string bytes) {
    return IsProfileText(IniDocument(std::move(bytes)));
}

void ReadProfile(ProfileRecord& r, const IniDocument& file) {
    CopyToField(r.ProFileName, file.GetString(kSection, "ProFileName"));
    CopyToField(r.GameFile, file.GetString(kSection, "GameFile"));
    for (const IntKey& k : kWrittenSettings) {
        r.*k.field = file.GetInt(kSection, k.name, -1);
    }
    ReadInts(file, "CpiLevel_X%d", r.CpiLevel_X);
    ReadInts(file, "CpiLevel_Y%d", r.CpiLevel_Y);
    for (const IntKey& k : kDeviceSettings) {
        r.*k.field = file.GetInt(kSection, k.name, -1);
    }
    r.ModeStatus = ReadByte(file, "ModeStatus");
    ReadInts(file, "LedDPIColor%d", r.LedDPIColor);
    ReadInts(file, "8SLEDColor%d", r.SLEDColor8);
    ReadInts(file, "ColorFlag%d", r.ColorFlag);
    ReadInts(file, "dpiStepFlag%d", r.dpiStepFlag);
    // The indicators are written as "dpiIndicator%d"; files of older versions hold "dpibyDpiIndicator%d" only.
    for (int i = 0; i < 10; ++i) {
        std::string key = KeyName("dpiIndicator%d", i);
        if (!file.HasKey(kSection, key)) {
            std::string older = KeyName("dpibyDpiIndicator%d", i);
            if (file.HasKey(kSection, older)) {
                key = older;
            }
        }
        r.dpiIndicator[i] = ReadByte(file, key);
    }
    r.DpiIndicationType = ReadByte(file, "DpiIndicationType");
    for (int n = 0; n < kMacroKeyCount; ++n) {
        MacroKeyInfo& entry = r.MacroKey[n];
        if (!file.GetStruct(kSection, KeyName("MacroKeyInfo%d", n), &entry, sizeof entry)) {
            ResetMacroKey(entry, n);
        }
    }
    KeepRepeatCountsInRange(r);
}

void WriteProfile(const ProfileRecord& r, IniDocument& file) {
    file.SetString(kSection, "ProFileName", FieldText(r.ProFileName));
    file.SetString(kSection, "GameFile", FieldText(r.GameFile));
    for (const IntKey& k : kWrittenSettings) {
        file.SetInt(kSection, k.name, r.*k.field);
    }
    WriteInts(file, "CpiLevel_X%d", r.CpiLevel_X);
    WriteInts(file, "CpiLevel_Y%d", r.CpiLevel_Y);
    for (const IntKey& k : kDeviceSettings) {
        file.SetInt(kSection, k.name, r.*k.field);
    }
    file.SetInt(kSection, "ModeStatus", r.ModeStatus);
    WriteInts(file, "LedDPIColor%d", r.LedDPIColor);
    WriteInts(file, "8SLEDColor%d", r.SLEDColor8);
    WriteInts(file, "ColorFlag%d", r.ColorFlag);
    WriteInts(file, "dpiStepFlag%d", r.dpiStepFlag);
    for (int i = 0; i < 10; ++i) {
        file.SetInt(kSection, KeyName("dpiIndicator%d", i), r.dpiIndicator[i]);
    }
    file.SetInt(kSection, "DpiIndicationType", r.DpiIndicationType);
    for (int n = 0; n < kMacroKeyCount; ++n) {
        file.SetStruct(kSection, KeyName("MacroKeyInfo%d", n), &r.MacroKey[n], sizeof(MacroKeyInfo));
    }
}
