#include <windows.h>

#include "monitor/pointer_settings.h"

#include "common/pointer_table.h"
#include "monitor/pointer_plan.h"
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

HKEY OpenRegistryPath(const std::string& path, REGSAM access) {
    const auto split = SplitRegistryPath(path);
    if (!split) {
        return nullptr;
    }
    HKEY key = nullptr;
    if (RegOpenKeyExA(RootKey(split->root), split->subKey.c_str(), 0, access, &key) == ERROR_SUCCESS) {
        return key;
    }
    if (RegCreateKeyExA(RootKey(split->root), split->subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                        nullptr, &key, nullptr) == ERROR_SUCCESS) {
        return key;
    }
    return nullptr;
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

void ApplyPointerSettings(ProfileRecord& profile, HKEY mouseKey, HWND self) {
    const int a = ReadNumber(mouseKey, "MouseSpeed");
    const int t2 = ReadNumber(mouseKey, "MouseThreshold2");
    const int t1 = ReadNumber(mouseKey, "MouseThreshold1");
    const PointerPlan plan = PlanPointerSettings(profile, a, t1, t2);
    // Only the running system is changed: the registry mirror is WritePointerSettings' (Wine would store one-screen
    // scrolling as "4294967295" instead of "-1").
    const UINT flags = SPIF_SENDCHANGE;

    if (plan.doubleClickTime > 0) {
        SetDoubleClickTime(static_cast<UINT>(plan.doubleClickTime));
    }

    if (plan.zeroRegistry) {
        profile.Acceleration = 0;
        WriteRegistryText(mouseKey, "MouseSpeed", "0");
        WriteRegistryText(mouseKey, "MouseThreshold1", "0");
        WriteRegistryText(mouseKey, "MouseThreshold2", "0");
    }
    int mouse[3] = {plan.mouse[0], plan.mouse[1], plan.mouse[2]};
    SystemParametersInfoA(SPI_SETMOUSE, 0, mouse, flags);
    // Programs re-read the pointer settings on WM_SETTINGCHANGE; give the broadcast time to settle first.
    Sleep(300);
    SendMessageA(self, WM_SETTINGCHANGE, SPI_SETMOUSE, reinterpret_cast<LPARAM>(mouse));
    Sleep(300);

    if (plan.applySpeed) {
        // Windows takes the speed from pvParam, Wine from uiParam: pass it in both.
        SystemParametersInfoA(SPI_SETMOUSESPEED, static_cast<UINT>(plan.speed),
                              reinterpret_cast<void*>(static_cast<INT_PTR>(plan.speed)), flags);
        Sleep(300);
        SendMessageA(self, WM_SETTINGCHANGE, SPI_SETMOUSESPEED, 0);
    }

    if (!plan.applyWheel) {
        return;
    }
    const UINT lines = plan.wheelLines < 0 ? WHEEL_PAGESCROLL : static_cast<UINT>(plan.wheelLines);
    SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, lines, nullptr, flags);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, SPI_SETWHEELSCROLLLINES,
                        reinterpret_cast<LPARAM>("WheelScrollLines"), SMTO_ABORTIFHUNG, 200, &ignored);
}
