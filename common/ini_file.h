#pragma once
// Files of the programs: whole-file reads and replacements for the files this program alone writes (profile files,
// the macro library, exported files), and IniFile for config.ini, which four writers (both programs, the on-screen
// display program, the device worker) update key by key, so that one never undoes another's key.

#include "common/ini_document.h"

#include <string>
#include <string_view>

// The most of a file that is read: 64 MB, about 120 000 macros; a real profile file has 67 KB. The rest of a larger
// file (a damaged one) is not read, so it can neither exhaust memory nor stall the program.
inline constexpr size_t kMaxReadBytes = size_t{64} << 20;

// The bounds of every whole-file read: bytes read, and lines parsed (IniDocument::kMaxLines).
struct ReadBounds {
    size_t bytes = kMaxReadBytes;
    size_t lines = IniDocument::kMaxLines;
};
ReadBounds CurrentReadBounds();
// Lowers the bounds of this process while it lives, so that a test tries a file above them without writing 64 MB.
class ScopedReadBounds {
public:
    explicit ScopedReadBounds(ReadBounds bounds);
    ~ScopedReadBounds();
    ScopedReadBounds(const ScopedReadBounds&) = delete;
    ScopedReadBounds& operator=(const ScopedReadBounds&) = delete;

private:
    ReadBounds previous_;
};

// Done: the whole file was read. Missing: there is no such file. Failed: it exists but cannot be read (locked, no
// access, a folder). Cut: it is larger than the read bound and only its first part was read; like Failed, such a
// file was not read whole and must not be written back from what was read.
enum class FileRead { Done, Missing, Failed, Cut };
// Reads the file, at most CurrentReadBounds().bytes of it; bytes is empty unless the result is Done or Cut.
FileRead ReadWholeFile(const std::string& path, std::string& bytes);

// Writes the bytes to a temporary file in the same folder, flushes it and moves it over path in one step, so that at
// every instant the file on disk is the old one or the new one, whole. A hidden file stays hidden. False, with the
// old file unchanged, when the folder is missing or read-only, the file read-only, or the disk full.
bool ReplaceFileContents(const std::string& path, std::string_view bytes);
// The temporary file ReplaceFileContents writes first: beside path, named after the calling process and thread.
std::string TemporaryPathFor(const std::string& path);

// An initialisation file read whole. Missing gives an empty document, Failed too; Cut (the bytes or the lines were
// cut at their bound) gives what was read, which the caller may show but must not write back.
FileRead LoadIniDocument(const std::string& path, IniDocument& document);

// An initialisation file read and written through the platform's private-profile functions. Each call opens, reads
// or updates and closes the file; nothing is cached. Paths must be full paths (a relative name would go to the
// Windows folder).

class IniFile {
public:
    explicit IniFile(std::string path) : path_(std::move(path)) {}

    const std::string& Path() const { return path_; }

    // Reads into a 2048-byte buffer, as the programs always have.
    std::string GetString(const char* section, const char* key, const char* defaultText) const;
    // False when the write failed (a missing folder, a read-only file).
    bool WriteString(const char* section, const char* key, const char* text) const;
    int GetInt(const char* section, const char* key, int defaultValue) const;
    bool WriteInt(const char* section, const char* key, int value) const;
    // True when the key exists with a non-empty value (an empty value reads as its default anyway).
    bool HasKey(const char* section, const char* key) const;
    // The platform's structure format: two upper-case hex digits per byte and a checksum byte. False when the value
    // is missing, has the wrong length or fails its checksum; the buffer is then left untouched.
    bool GetStruct(const char* section, const char* key, void* buffer, unsigned size) const;
    bool WriteStruct(const char* section, const char* key, const void* data, unsigned size) const;

private:
    std::string path_;
};

// The folder of the running program file with a trailing backslash; empty when the path cannot be obtained.
std::string ProgramFolder();

// True when the file can be opened for reading.
bool FileExists(const std::string& path);
