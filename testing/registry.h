#pragma once
// Values under HKEY_CURRENT_USER as tests read and set them, and the pointer values that a profile mirrors
// ("Control Panel\Mouse" and "Control Panel\Desktop"), kept and put back so that the tests leave the prefix's registry
// as they found it.

#include <windows.h>

#include <string>
#include <vector>

constexpr const char* kMouseRegistryKey = "Control Panel\\Mouse";
constexpr const char* kDesktopRegistryKey = "Control Panel\\Desktop";

// The value's text (without its closing NUL); false when it is missing. The type and the size in bytes as stored.
bool RegistryText(const char* key, const char* name, std::string& text, DWORD* type = nullptr, DWORD* size = nullptr);
// The value's text; empty when it is missing.
std::string RegistryText(const char* key, const char* name);
// Writes the text as a REG_SZ value, creating the key when it is missing.
void SetRegistryText(const char* key, const char* name, const std::string& text);
void DeleteRegistryValue(const char* key, const char* name);

// The six pointer values: double-click time, sensitivity, speed, both thresholds and the wheel's lines.
struct RegistryValueName {
    const char* key;
    const char* name;
};
extern const RegistryValueName kPointerRegistryValues[6];
// The six values as "name=text" in that order, "name=(missing)" for one that is not there.
std::vector<std::string> PointerRegistryTexts();
// The texts given for the six values in that order, as PointerRegistryTexts shows them.
std::vector<std::string> PointerTexts(const std::vector<std::string>& texts);
// Sets the six values in that order.
void SetPointerRegistry(const char* doubleClick, const char* sensitivity, const char* speed, const char* threshold1,
                        const char* threshold2, const char* wheelLines);

// Keeps the six pointer values and puts them back (a value that was missing is deleted again).
class PointerRegistryGuard {
public:
    PointerRegistryGuard();
    ~PointerRegistryGuard();
    PointerRegistryGuard(const PointerRegistryGuard&) = delete;
    PointerRegistryGuard& operator=(const PointerRegistryGuard&) = delete;

private:
    struct Value {
        bool present = false;
        std::string text;
    };
    std::vector<Value> values_;
};
