#include "common/profile_record.h"

#include "common/function_codes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {
constexpr uint8_t kDefaultCodes[16] = {1, 2, 3, 9, 10, 7, 0x60, 7, 7, 7, 7, 7, 7, 7, 0x10, 0x11};
constexpr int32_t kDefaultDpiLevels[6] = {4, 6, 9, 10, 13, 14};
constexpr int32_t kDefaultStepFlags[8] = {1, 1, 1, 1, 1, 1, 0, 0};
constexpr uint8_t kDefaultIndicators[10] = {1, 2, 3, 4, 4, 5, 5, 6, 6, 0};
constexpr int32_t kDefaultDpiColors[4] = {0x0000FF, 0x00FF00, 0xFF0000, 0xFF00FF};
constexpr int32_t kDefaultLedColors[8] = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF, 0xFFFF00, 0, 0};
} // namespace

void KeepRepeatCountsInRange(ProfileRecord& record) {
    for (MacroKeyInfo& entry : record.MacroKey) {
        if (entry.FunctionCode == kCodeMacro) {
            entry.RepeatCount = std::clamp<int32_t>(entry.RepeatCount, 1, 255);
        }
    }
}

void KeepRepeatCountsInRange(ShareData& data) {
    for (ProfileRecord& record : data.Profile) {
        KeepRepeatCountsInRange(record);
    }
}

int DefaultFunctionCode(int entry) {
    if (entry < 0 || entry >= kMacroKeyCount) {
        return 0;
    }
    return kDefaultCodes[entry % kBankSize];
}

void ResetProfile(ProfileRecord& r, int index) {
    std::memset(r.ProFileName, 0, sizeof r.ProFileName);
    std::snprintf(r.ProFileName, sizeof r.ProFileName, "Default%d", index + 1);
    std::memset(r.GameFile, 0, sizeof r.GameFile);

    r.DbleClickSpeed = 500;
    r.ScrollWheelSpeed = 3;
    r.ScrollWheelFlag = 0;
    r.MouseSpeed = 10;
    r.Acceleration = 10;
    r.AccelerationFlag = 0;
    r.TiltSpeed = 3;
    r.MediaOption = 0;
    r.Orientation = 0;
    r.XYSynchronous = 1;
    r.Sensitivity_X = 5;
    r.Sensitivity_Y = 5;
    r.Sensitivity = 5;
    r.Brightness = 10;
    r.BreathSpeed = 2;
    r.LoopColor = 1;
    r.OTGSpeed = 10;
    r.PollingRate = 2;
    r.LightSwitch = 3;
    r.LightType = 1;
    r.ColorOptions = 0;
    r.BTNDelay = 1;
    r.B2WSens = 0;
    r.W2BDelay = 0;
    r.B2TSens = 0;
    r.DpiIndicationType = 1;
    r.ModeStatus = 1;
    r.Cpi_X = 1;
    r.Cpi_Y = 0;
    r.XYCpiFlag = 1;
    r.CpiStep = 1;

    for (int i = 0; i < 8; ++i) {
        r.dpiStepFlag[i] = kDefaultStepFlags[i];
        r.ColorFlag[i] = i < 7 ? 1 : 0;
        r.SLEDColor8[i] = kDefaultLedColors[i];
    }
    for (int i = 0; i < 10; ++i) {
        r.dpiIndicator[i] = kDefaultIndicators[i];
    }
    for (int i = 0; i < kDpiLevelCount; ++i) {
        r.CpiLevel_X[i] = kDefaultDpiLevels[i];
        r.CpiLevel_Y[i] = kDefaultDpiLevels[i];
    }
    for (int i = 0; i < 4; ++i) {
        r.LedDPIColor[i] = kDefaultDpiColors[i];
    }

    // LedColor and LedLPColor keep what the record held.
    std::memset(r.MacroKey, 0, sizeof r.MacroKey);
    for (int n = 0; n < kMacroKeyCount; ++n) {
        r.MacroKey[n].ButtonNumber = static_cast<uint8_t>(n);
        r.MacroKey[n].FunctionCode = static_cast<uint8_t>(DefaultFunctionCode(n));
    }
}

void ResetAll(ShareData& data) {
    data.CurrentProfile = 0;
    for (int i = 0; i < kProfileCount; ++i) {
        ResetProfile(data.Profile[i], i);
    }
}

void InitShareData(ShareData& data) {
    data.CurrentProfile = -1;
    data.MouseType = 0;
    data.LedType = 0;
}

ProfileRecord* ProfileAt(ShareData& data, int index) {
    return index >= 0 && index < kProfileCount ? &data.Profile[index] : nullptr;
}

const ProfileRecord* ProfileAt(const ShareData& data, int index) {
    return index >= 0 && index < kProfileCount ? &data.Profile[index] : nullptr;
}

ProfileRecord* ActiveProfile(ShareData& data) {
    return ProfileAt(data, data.CurrentProfile);
}

const ProfileRecord* ActiveProfile(const ShareData& data) {
    return ProfileAt(data, data.CurrentProfile);
}
