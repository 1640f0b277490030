#include <windows.h>

#include "common/ini_file.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <vector>

namespace {
constexpr DWORD kStringBufferSize = 2048;

// Read by every thread of the program, lowered only by tests.
std::atomic<size_t> boundBytes{kMaxReadBytes};
std::atomic<size_t> boundLines{IniDocument::kMaxLines};
} // namespace

ReadBounds CurrentReadBounds() {
    return ReadBounds{boundBytes.load(), boundLines.load()};
}

ScopedReadBounds::ScopedReadBounds(ReadBounds bounds) : previous_(CurrentReadBounds()) {
    boundBytes = bounds.bytes;
    boundLines = bounds.lines;
}

ScopedReadBounds::~ScopedReadBounds() {
    boundBytes = previous_.bytes;
    boundLines = previous_.lines;
}

std::string IniFile::GetString(const char* section, const char* key, const char* defaultText) const {
    char buffer[kStringBufferSize];
    buffer[0] = '\0';
    DWORD n = GetPrivateProfileStringA(section, key, defaultText ? defaultText : "", buffer, kStringBufferSize,
                                       path_.c_str());
    if (n >= kStringBufferSize) {
        n = kStringBufferSize - 1;
    }
    return std::string(buffer, n);
}

bool IniFile::WriteString(const char* section, const char* key, const char* text) const {
    // A null text would delete the key, and a null key the whole section: neither is a write.
    if (!section || !key) {
        return false;
    }
    return WritePrivateProfileStringA(section, key, text ? text : "", path_.c_str()) != FALSE;
}

int IniFile::GetInt(const char* section, const char* key, int defaultValue) const {
    return static_cast<int>(GetPrivateProfileIntA(section, key, defaultValue, path_.c_str()));
}

bool IniFile::WriteInt(const char* section, const char* key, int value) const {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return WriteString(section, key, text);
}

bool IniFile::HasKey(const char* section, const char* key) const {
    if (!section || !key) {
        return false;
    }
    char buffer[4];
    return GetPrivateProfileStringA(section, key, "", buffer, sizeof buffer, path_.c_str()) > 0;
}

bool IniFile::GetStruct(const char* section, const char* key, void* buffer, unsigned size) const {
    if (!section || !key || !buffer || size == 0 || size > (1u << 20)) {
        return false;
    }
    // Some platforms take a value with surplus digits after the checksum as good: insist on the exact length.
    std::vector<char> text(2 * static_cast<size_t>(size) + 4);
    DWORD n = GetPrivateProfileStringA(section, key, "", text.data(), static_cast<DWORD>(text.size()), path_.c_str());
    if (n != 2 * static_cast<size_t>(size) + 2) {
        return false;
    }
    // The platform decodes into the caller's buffer before it compares the checksum, so a damaged value would leave
    // half-written bytes behind. Decode into a scratch buffer and copy only a value that passed.
    std::vector<unsigned char> scratch(size);
    if (!GetPrivateProfileStructA(section, key, scratch.data(), size, path_.c_str())) {
        return false;
    }
    std::copy(scratch.begin(), scratch.end(), static_cast<unsigned char*>(buffer));
    return true;
}

bool IniFile::WriteStruct(const char* section, const char* key, const void* data, unsigned size) const {
    if (!section || !key || !data) {
        return false;
    }
    return WritePrivateProfileStructA(section, key, const_cast<void*>(data), size, path_.c_str()) != FALSE;
}

std::string ProgramFolder() {
    // Long paths are possible; grow the buffer until the name fits.
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) {
            return std::string();
        }
        if (n < buffer.size()) {
            std::string path(buffer.data(), n);
            size_t slash = path.find_last_of("\\/");
            if (slash == std::string::npos) {
                return std::string();
            }
            path.resize(slash);
            path += '\\';
            return path;
        }
        if (buffer.size() >= 32768) {
            return std::string();
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool FileExists(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(file);
    return true;
}

FileRead ReadWholeFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    const size_t limit = CurrentReadBounds().bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileRead::Missing : FileRead::Failed;
    }
    LARGE_INTEGER size{};
    FileRead result = FileRead::Failed;
    if (GetFileSizeEx(file, &size) && size.QuadPart >= 0) {
        const bool over = static_cast<unsigned long long>(size.QuadPart) > limit;
        const size_t wanted = over ? limit : static_cast<size_t>(size.QuadPart);
        bytes.resize(wanted);
        size_t done = 0;
        result = over ? FileRead::Cut : FileRead::Done;
        while (done < wanted) {
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(wanted - done, 1u << 24));
            DWORD read = 0;
            if (!ReadFile(file, bytes.data() + done, chunk, &read, nullptr)) {
                result = FileRead::Failed;
                break;
            }
            if (read == 0) {
                break; // the file became shorter meanwhile
            }
            done += read;
        }
        bytes.resize(done);
    }
    CloseHandle(file);
    if (result == FileRead::Failed) {
        bytes.clear();
    }
    return result;
}

std::string TemporaryPathFor(const std::string& path) {
    // Beside the file, so that the move is a rename within one volume; named after the process and thread, so two
    // writers of the same file never share one.
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, ".%lu-%lu.tmp", GetCurrentProcessId(), GetCurrentThreadId());
    return path + suffix;
}

bool ReplaceFileContents(const std::string& path, std::string_view bytes) {
    if (path.empty()) {
        return false;
    }
    const std::string temp = TemporaryPathFor(path);
    DWORD attributes = GetFileAttributesA(path.c_str());
    attributes = attributes == INVALID_FILE_ATTRIBUTES
                     ? FILE_ATTRIBUTE_NORMAL
                     : (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE));
    if (attributes == 0) {
        attributes = FILE_ATTRIBUTE_NORMAL;
    }
    HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool ok = true;
    size_t done = 0;
    while (ok && done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
        DWORD written = 0;
        ok = WriteFile(file, bytes.data() + done, chunk, &written, nullptr) && written == chunk;
        done += written;
    }
    // On disk before the name points at it: a crash after the move must not find a file of zeros.
    ok = ok && FlushFileBuffers(file);
    CloseHandle(file);
    ok = ok && MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) {
        DeleteFileA(temp.c_str());
    }
    return ok;
}

FileRead LoadIniDocument(const std::string& path, IniDocument& document) {
    std::string bytes;
    const FileRead read = ReadWholeFile(path, bytes);
    document = IniDocument(std::move(bytes), CurrentReadBounds().lines);
    return read == FileRead::Done && document.Cut() ? FileRead::Cut : read;
}
