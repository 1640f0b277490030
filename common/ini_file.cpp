#include <windows.h>

#include "common/ini_file.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
constexpr DWORD kStringBufferSize = 2048;
} // namespace

std::string IniFile::GetString(const char* section, const char* key, const char* defaultText) const {
    char buffer[kStringBufferSize];
    buffer[0] = '\0';
    DWORD n = GetPrivateProfileStringA(section, key, defaultText ? defaultText : "", buffer, kStringBufferSize,
                                       path_.c_str());
    if (n >= kStringBufferSize)
        n = kStringBufferSize - 1;
    return std::string(buffer, n);
}

void IniFile::WriteString(const char* section, const char* key, const char* text) const {
    // A null text would delete the key, and a null key the whole section: neither is a write.
    if (!section || !key)
        return;
    WritePrivateProfileStringA(section, key, text ? text : "", path_.c_str());
}

int IniFile::GetInt(const char* section, const char* key, int defaultValue) const {
    return static_cast<int>(GetPrivateProfileIntA(section, key, defaultValue, path_.c_str()));
}

void IniFile::WriteInt(const char* section, const char* key, int value) const {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    WriteString(section, key, text);
}

bool IniFile::HasKey(const char* section, const char* key) const {
    if (!section || !key)
        return false;
    char buffer[4];
    return GetPrivateProfileStringA(section, key, "", buffer, sizeof buffer, path_.c_str()) > 0;
}

bool IniFile::GetStruct(const char* section, const char* key, void* buffer, unsigned size) const {
    if (!section || !key || !buffer || size == 0 || size > (1u << 20))
        return false;
    // Some platforms take a value with surplus digits after the checksum as good: insist on the exact length.
    std::vector<char> text(2 * static_cast<size_t>(size) + 4);
    DWORD n = GetPrivateProfileStringA(section, key, "", text.data(), static_cast<DWORD>(text.size()), path_.c_str());
    if (n != 2 * static_cast<size_t>(size) + 2)
        return false;
    // The platform decodes into the caller's buffer before it compares the checksum, so a damaged value would leave
    // half-written bytes behind. Decode into a scratch buffer and copy only a value that passed.
    std::vector<unsigned char> scratch(size);
    if (!GetPrivateProfileStructA(section, key, scratch.data(), size, path_.c_str()))
        return false;
    std::copy(scratch.begin(), scratch.end(), static_cast<unsigned char*>(buffer));
    return true;
}

bool IniFile::WriteStruct(const char* section, const char* key, const void* data, unsigned size) const {
    if (!section || !key || !data)
        return false;
    return WritePrivateProfileStructA(section, key, const_cast<void*>(data), size, path_.c_str()) != FALSE;
}

std::string ProgramFolder() {
    // Long paths are possible; grow the buffer until the name fits.
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return std::string();
        if (n < buffer.size()) {
            std::string path(buffer.data(), n);
            size_t slash = path.find_last_of("\\/");
            if (slash == std::string::npos)
                return std::string();
            path.resize(slash);
            path += '\\';
            return path;
        }
        if (buffer.size() >= 32768)
            return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

bool FileExists(const std::string& path) {
    if (path.empty())
        return false;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}
