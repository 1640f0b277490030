#include <windows.h>

#include "monitor/pointer_settings.h"

#include "common/pointer_table.h"
#include "framework/trace.h"
#include "monitor/registry_path.h"

namespace {
HKEY RootKey(RegistryRoot root) {
    switch (root) {
    case RegistryRoot::CurrentUser:
        return HKEY_CURRENT_USER;
    case RegistryRoot::CurrentConfig:
        return HKEY_CURRENT_CONFIG;
    case RegistryRoot::ClassesRoot:
        return HKEY_CLASSES_ROOT;
    case RegistryRoot::LocalMachine:
    default:
        return HKEY_LOCAL_MACHINE;
    }
}

int ReadNumber(HKEY key, const char* name) {
    return RegistryTextToInt(ReadRegistryText(key, name).c_str());
}
} // namespace

RegistryKey OpenRegistryPath(const std::string& path, REGSAM access) {
    const auto split = SplitRegistryPath(path);
    if (!split) {
        return {};
    }
    HKEY key = nullptr;
    if (RegOpenKeyExA(RootKey(split->root), split->subKey.c_str(), 0, access, &key) == ERROR_SUCCESS) {
        return RegistryKey(key);
    }
    if (RegCreateKeyExA(RootKey(split->root), split->subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                        nullptr, &key, nullptr) == ERROR_SUCCESS) {
        return RegistryKey(key);
    }
    return {};
}

std::string ReadRegistryText(HKEY key, const char* name) {
    if (key == nullptr) {
        return {};
    }
    char text[261] = {};
    DWORD size = 260;
    DWORD type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS) {
        return {};
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        return {};
    }
    text[size < 260 ? size : 260] = '\0';
    return text;
}

bool WriteRegistryText(HKEY key, const char* name, const std::string& text) {
    if (key == nullptr) {
        return false;
    }
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size())) == ERROR_SUCCESS;
}

void PointerSettings::Apply(ProfileRecord& profile) {
    const int a = ReadNumber(mouseKey_, "MouseSpeed");
    const int t2 = ReadNumber(mouseKey_, "MouseThreshold2");
    const int t1 = ReadNumber(mouseKey_, "MouseThreshold1");
    const PointerPlan plan = PlanPointerSettings(profile, a, t1, t2);
    if (plan.zeroAcceleration) {
        profile.Acceleration = 0;
    }
    KillTimer(self_, timerId_);
    sequence_.Start(plan);
    RunDue();
}

void PointerSettings::OnTimer() {
    KillTimer(self_, timerId_);
    if (sequence_.Pending()) {
        RunDue();
    }
}

void PointerSettings::Finish() {
    KillTimer(self_, timerId_);
    if (sequence_.Pending()) {
        sequence_.RunRest([this](PointerAction action) { Run(action); });
        Trace("CMonitorWnd pointer settings applied at shut-down\n");
    }
}

void PointerSettings::RunDue() {
    const int pause = sequence_.RunDue([this](PointerAction action) { Run(action); });
    if (pause > 0) {
        SetTimer(self_, timerId_, static_cast<UINT>(pause), nullptr);
    } else {
        Trace("CMonitorWnd pointer settings applied\n");
    }
}

void PointerSettings::Run(PointerAction action) {
    const PointerPlan& plan = sequence_.Plan();
    // Only the running system is changed: the registry mirror is WritePointerSettings' (Wine would store one-screen
    // scrolling as "4294967295" instead of "-1").
    const UINT flags = SPIF_SENDCHANGE;
    switch (action) {
    case PointerAction::DoubleClickTime:
        SetDoubleClickTime(static_cast<UINT>(plan.doubleClickTime));
        break;
    case PointerAction::ZeroRegistry:
        WriteRegistryText(mouseKey_, "MouseSpeed", "0");
        WriteRegistryText(mouseKey_, "MouseThreshold1", "0");
        WriteRegistryText(mouseKey_, "MouseThreshold2", "0");
        break;
    case PointerAction::SetMouse:
        for (int i = 0; i < 3; ++i) {
            mouse_[i] = plan.mouse[i];
        }
        SystemParametersInfoA(SPI_SETMOUSE, 0, mouse_, flags);
        break;
    case PointerAction::NotifyMouse:
        SendMessageA(self_, WM_SETTINGCHANGE, SPI_SETMOUSE, reinterpret_cast<LPARAM>(mouse_));
        break;
    case PointerAction::SetSpeed:
        // Windows takes the speed from pvParam, Wine from uiParam: pass it in both.
        SystemParametersInfoA(SPI_SETMOUSESPEED, static_cast<UINT>(plan.speed),
                              reinterpret_cast<void*>(static_cast<INT_PTR>(plan.speed)), flags);
        break;
    case PointerAction::NotifySpeed:
        SendMessageA(self_, WM_SETTINGCHANGE, SPI_SETMOUSESPEED, 0);
        break;
    case PointerAction::SetWheel: {
        const UINT lines = plan.wheelLines < 0 ? WHEEL_PAGESCROLL : static_cast<UINT>(plan.wheelLines);
        SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, lines, nullptr, flags);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, SPI_SETWHEELSCROLLLINES,
                            reinterpret_cast<LPARAM>("WheelScrollLines"), SMTO_ABORTIFHUNG, 200, &ignored);
        break;
    }
    }
}
