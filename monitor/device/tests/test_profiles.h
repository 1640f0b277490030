#pragma once
// Profiles that several device tests use. golden/apply_all_mixed.txt was produced from MixedData.

#include "common/function_codes.h"
#include "common/profile_record.h"
#include "testing/profiles.h"

#include <memory>

inline void SetMacroEvent(MacroKeyInfo& entry, int j, uint8_t usage, uint8_t action, uint16_t pauseMs) {
    entry.Data[4 * j] = usage;
    entry.Data[4 * j + 1] = action;
    entry.Data[4 * j + 2] = static_cast<uint8_t>(pauseMs & 0xFF);
    entry.Data[4 * j + 3] = static_cast<uint8_t>(pauseMs >> 8);
}

// Profile 1 with a bit of everything, three sequence slots among them (see golden/apply_all_mixed.txt).
inline std::unique_ptr<ShareData> MixedData() {
    auto data = DefaultData();
    data->CurrentProfile = 1;
    ProfileRecord& p = data->Profile[1];
    p.PollingRate = 3;
    p.LightSwitch = 2;
    p.BreathSpeed = 20;
    p.ColorOptions = 4;
    p.Cpi_X = 3;
    p.dpiStepFlag[2] = 0;
    p.MacroKey[4].FunctionCode = kCodeLaunch;
    MacroKeyInfo& key = p.MacroKey[5];
    key.FunctionCode = kCodeShortcut;
    key.ContentCount = 1;
    key.Data[0] = 0x04;
    key.Data[1] = 0x04 | 0x08; // Ctrl+Alt
    MacroKeyInfo& fire = p.MacroKey[7];
    fire.FunctionCode = kCodeFire;
    fire.ContentCount = 1;
    fire.Data[0] = 0x1D;
    fire.Param1 = 10;
    fire.Param2 = 3;
    p.MacroKey[8].FunctionCode = 35; // Ctrl+C
    MacroKeyInfo& macro = p.MacroKey[9];
    macro.FunctionCode = kCodeMacro;
    macro.MacroOption = 1;
    macro.RepeatCount = 3;
    macro.ContentCount = 4;
    SetMacroEvent(macro, 0, 0x04, 1, 50);
    SetMacroEvent(macro, 1, 0x04, 2, 2000);
    SetMacroEvent(macro, 2, 0x05, 1, 0);
    SetMacroEvent(macro, 3, 0x05, 2, 20000);
    p.MacroKey[40].FunctionCode = 24; // Alt+Space, N
    return data;
}
