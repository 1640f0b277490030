#pragma once
// Files of the programs: whole-file reads and replacements in one step, and IniFile for config.ini, which four
// writers in three processes (both programs, the on-screen display program, Monitor's device worker) change key by
// key: each change is read, made and moved over the file under one named mutex, so that one writer never undoes
// another's key and the file on disk is always whole.

#include "common/ini_document.h"

#include <functional>
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
// every instant the file on disk is the old one or the new one, whole. A hidden file stays hidden. Another program
// that reads the file through the platform's functions keeps it from being replaced for a moment: the move is tried
// again for up to about half a second. False, with the old file unchanged, when the folder is missing or read-only,
// the file read-only or held open, or the disk full.
bool ReplaceFileContents(const std::string& path, std::string_view bytes);
// The temporary file ReplaceFileContents writes first: beside path, named after the calling process and thread
// (temporary_name.h).
std::string TemporaryPathFor(const std::string& path);

// Removes the temporary files that a writer killed during a save left in the program folder and its config\ folder,
// those whose last write is more than a minute old (a younger one may belong to a save under way). Both programs
// call it when they start.
void RemoveLeftoverTemporaryFiles(const std::string& programFolder);

// An initialisation file read whole. Missing gives an empty document, Failed too; Cut (the bytes or the lines were
// cut at their bound) gives what was read, which the caller may show but must not write back.
FileRead LoadIniDocument(const std::string& path, IniDocument& document);

// The named mutex under which every change of an initialisation file through UpdateIniFile is made, in every
// process of the session.
inline constexpr char kIniFileMutexName[] = "Korvane_Config_Mutex_Object";
// Longest wait for that mutex before a change gives up.
inline constexpr unsigned kIniFileLockTimeoutMs = 5000;

// Reads the file whole, makes the change in the document and replaces the file with it in one step, all under
// kIniFileMutexName. A missing file starts empty. True when the file holds the change (a change that changes nothing
// writes nothing); false, with the file as it was, when it could not be read whole, the mutex was not obtained in
// time or the file could not be replaced.
bool UpdateIniFile(const std::string& path, const std::function<void(IniDocument&)>& change);

// An initialisation file, read whole for each read (with delete sharing, so that a writer in another process can
// replace it meanwhile) and changed through UpdateIniFile for each write; nothing is cached. The values read and
// written are those of the platform's private-profile functions (IniDocument). Paths must be full paths.

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
