#include <windows.h>

#include "testing/registry.h"

#include <iterator>

bool RegistryText(const char* key, const char* name, std::string& text, DWORD* type, DWORD* size) {
    char buffer[261];
    DWORD t = 0, s = sizeof buffer;
    if (RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_ANY | RRF_NOEXPAND, &t, buffer, &s) != ERROR_SUCCESS) {
        return false;
    }
    text.assign(buffer, s && buffer[s - 1] == '\0' ? s - 1 : s);
    if (type) {
        *type = t;
    }
    if (size) {
        *size = s;
    }
    return true;
}

std::string RegistryText(const char* key, const char* name) {
    std::string text;
    return RegistryText(key, name, text) ? text : std::string();
}

void SetRegistryText(const char* key, const char* name, const std::string& text) {
    RegSetKeyValueA(HKEY_CURRENT_USER, key, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

void DeleteRegistryValue(const char* key, const char* name) {
    RegDeleteKeyValueA(HKEY_CURRENT_USER, key, name);
}

const RegistryValueName kPointerRegistryValues[6] = {
    {kMouseRegistryKey, "DoubleClickSpeed"}, {kMouseRegistryKey, "MouseSensitivity"},
    {kMouseRegistryKey, "MouseSpeed"},       {kMouseRegistryKey, "MouseThreshold1"},
    {kMouseRegistryKey, "MouseThreshold2"},  {kDesktopRegistryKey, "WheelScrollLines"}};

std::vector<std::string> PointerRegistryTexts() {
    std::vector<std::string> found;
    for (const RegistryValueName& v : kPointerRegistryValues) {
        std::string text;
        found.push_back(RegistryText(v.key, v.name, text) ? text : "(missing)");
    }
    return PointerTexts(found);
}

std::vector<std::string> PointerTexts(const std::vector<std::string>& texts) {
    std::vector<std::string> named;
    for (size_t i = 0; i < texts.size() && i < std::size(kPointerRegistryValues); ++i) {
        named.push_back(std::string(kPointerRegistryValues[i].name) + "=" + texts[i]);
    }
    return named;
}

void SetPointerRegistry(const char* doubleClick, const char* sensitivity, const char* speed, const char* threshold1,
                        const char* threshold2, const char* wheelLines) {
    const char* texts[] = {doubleClick, sensitivity, speed, threshold1, threshold2, wheelLines};
    for (size_t i = 0; i < std::size(texts); ++i) {
        SetRegistryText(kPointerRegistryValues[i].key, kPointerRegistryValues[i].name, texts[i]);
    }
}

PointerRegistryGuard::PointerRegistryGuard() {
    for (const RegistryValueName& v : kPointerRegistryValues) {
        Value kept;
        kept.present = RegistryText(v.key, v.name, kept.text);
        values_.push_back(kept);
    }
}

PointerRegistryGuard::~PointerRegistryGuard() {
    for (size_t i = 0; i < values_.size(); ++i) {
        const RegistryValueName& v = kPointerRegistryValues[i];
        if (values_[i].present) {
            SetRegistryText(v.key, v.name, values_[i].text);
        } else {
            DeleteRegistryValue(v.key, v.name);
        }
    }
}
