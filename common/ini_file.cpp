#include <windows.h>

#include "common/ini_file.h"

#include "common/temporary_name.h"
#include "framework/handles.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <vector>

namespace {
constexpr size_t kStringBufferSize = IniDocument::kStringBufferSize;
// How often, and how far apart, a move over a file that another program holds open is tried.
constexpr int kReplaceAttempts = 25;
constexpr DWORD kReplaceRetryMs = 20;
// Temporary files younger than this may belong to a save under way.
constexpr ULONGLONG kLeftoverAgeMs = 60 * 1000;

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

namespace {

IniDocument ReadIni(const std::string& path) {
    IniDocument document;
    LoadIniDocument(path, document);
    return document;
}

// Owns the named mutex of the initialisation files while it lives, when it could be obtained.
class IniFileLock {
public:
    IniFileLock() : mutex_(CreateMutexA(nullptr, FALSE, kIniFileMutexName)) {
        if (!mutex_) {
            return;
        }
        const DWORD wait = WaitForSingleObject(mutex_.get(), kIniFileLockTimeoutMs);
        // A writer that died holding it left the file whole: it was replaced in one step or not at all.
        owned_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
        if (!owned_) {
            OutputDebugStringA("UpdateIniFile: mutex wait timed out, file not changed\n");
        }
    }
    ~IniFileLock() {
        if (owned_) {
            ReleaseMutex(mutex_.get());
        }
    }
    IniFileLock(const IniFileLock&) = delete;
    IniFileLock& operator=(const IniFileLock&) = delete;
    bool Owned() const { return owned_; }

private:
    KernelHandle mutex_;
    bool owned_ = false;
};

} // namespace

bool UpdateIniFile(const std::string& path, const std::function<void(IniDocument&)>& change) {
    if (path.empty()) {
        return false;
    }
    IniFileLock lock;
    if (!lock.Owned()) {
        return false;
    }
    IniDocument document;
    const FileRead read = LoadIniDocument(path, document);
    if (read == FileRead::Failed || read == FileRead::Cut) {
        return false;
    }
    change(document);
    if (read == FileRead::Done && !document.Changed()) {
        return true;
    }
    return ReplaceFileContents(path, document.Bytes());
}

std::string IniFile::GetString(const char* section, const char* key, const char* defaultText) const {
    const std::string fallback = defaultText ? defaultText : "";
    if (!section || !key) {
        return fallback.substr(0, kStringBufferSize - 1);
    }
    const IniDocument document = ReadIni(path_);
    if (!document.Value(section, key)) {
        return fallback.substr(0, kStringBufferSize - 1);
    }
    return document.GetString(section, key, kStringBufferSize);
}

bool IniFile::WriteString(const char* section, const char* key, const char* text) const {
    // A null text would delete the key, and a null key the whole section: neither is a write.
    if (!section || !key) {
        return false;
    }
    return UpdateIniFile(path_, [&](IniDocument& document) { document.SetString(section, key, text ? text : ""); });
}

int IniFile::GetInt(const char* section, const char* key, int defaultValue) const {
    if (!section || !key) {
        return defaultValue;
    }
    return ReadIni(path_).GetInt(section, key, defaultValue);
}

bool IniFile::WriteInt(const char* section, const char* key, int value) const {
    if (!section || !key) {
        return false;
    }
    return UpdateIniFile(path_, [&](IniDocument& document) { document.SetInt(section, key, value); });
}

bool IniFile::HasKey(const char* section, const char* key) const {
    if (!section || !key) {
        return false;
    }
    return ReadIni(path_).HasKey(section, key);
}

bool IniFile::GetStruct(const char* section, const char* key, void* buffer, unsigned size) const {
    if (!section || !key || !buffer || size == 0 || size > (1u << 20)) {
        return false;
    }
    return ReadIni(path_).GetStruct(section, key, buffer, size);
}

bool IniFile::WriteStruct(const char* section, const char* key, const void* data, unsigned size) const {
    if (!section || !key || !data) {
        return false;
    }
    return UpdateIniFile(path_, [&](IniDocument& document) { document.SetStruct(section, key, data, size); });
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
    const KernelHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
}

FileRead ReadWholeFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    const size_t limit = CurrentReadBounds().bytes;
    const KernelHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileRead::Missing : FileRead::Failed;
    }
    LARGE_INTEGER size{};
    FileRead result = FileRead::Failed;
    if (GetFileSizeEx(file.get(), &size) && size.QuadPart >= 0) {
        const bool over = static_cast<unsigned long long>(size.QuadPart) > limit;
        const size_t wanted = over ? limit : static_cast<size_t>(size.QuadPart);
        bytes.resize(wanted);
        size_t done = 0;
        result = over ? FileRead::Cut : FileRead::Done;
        while (done < wanted) {
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(wanted - done, 1u << 24));
            DWORD read = 0;
            if (!ReadFile(file.get(), bytes.data() + done, chunk, &read, nullptr)) {
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
    if (result == FileRead::Failed) {
        bytes.clear();
    }
    return result;
}

std::string TemporaryPathFor(const std::string& path) {
    return TemporaryName(path, GetCurrentProcessId(), GetCurrentThreadId());
}

void RemoveLeftoverTemporaryFiles(const std::string& programFolder) {
    if (programFolder.empty()) {
        return;
    }
    FILETIME nowTime{};
    GetSystemTimeAsFileTime(&nowTime);
    const ULONGLONG now = (static_cast<ULONGLONG>(nowTime.dwHighDateTime) << 32) | nowTime.dwLowDateTime;
    for (const std::string& folder : {programFolder, programFolder + "config\\"}) {
        WIN32_FIND_DATAA found;
        const FindHandle find(FindFirstFileA((folder + "*.tmp").c_str(), &found));
        if (!find) {
            continue;
        }
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !IsTemporaryName(found.cFileName)) {
                continue;
            }
            const ULONGLONG written = (static_cast<ULONGLONG>(found.ftLastWriteTime.dwHighDateTime) << 32) |
                                      found.ftLastWriteTime.dwLowDateTime;
            // File times count 100 ns.
            if (written > now || (now - written) / 10000 < kLeftoverAgeMs) {
                continue;
            }
            const std::string path = folder + found.cFileName;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (DeleteFileA(path.c_str())) {
                char line[1024];
                std::snprintf(line, sizeof line, "Removed the leftover temporary file %s\n", path.c_str());
                OutputDebugStringA(line);
            }
        } while (FindNextFileA(find.get(), &found));
    }
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
    KernelHandle file(CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr));
    if (!file) {
        return false;
    }
    bool ok = true;
    size_t done = 0;
    while (ok && done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
        DWORD written = 0;
        ok = WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr) && written == chunk;
        done += written;
    }
    // On disk before the name points at it: a crash after the move must not find a file of zeros.
    ok = ok && FlushFileBuffers(file.get());
    file.reset(); // closed before the move: the temporary file is opened without sharing
    for (int attempt = 0; ok; ++attempt) {
        if (MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            break;
        }
        // Held open without delete sharing by a reader (the platform's private-profile functions open files so):
        // it lets go in a moment.
        const DWORD error = GetLastError();
        ok = attempt + 1 < kReplaceAttempts &&
             (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION);
        if (ok) {
            Sleep(kReplaceRetryMs);
        }
    }
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
