#pragma once
// An initialisation file read and written through the platform's private-profile functions. Each call opens, reads
// or updates and closes the file; nothing is cached. Paths must be full paths (a relative name would go to the
// Windows folder).

#include <string>

class IniFile {
public:
    explicit IniFile(std::string path) : path_(std::move(path)) {}

    const std::string& Path() const { return path_; }

    // Reads into a 2048-byte buffer, as the programs always have.
    std::string GetString(const char* section, const char* key, const char* defaultText) const;
    void WriteString(const char* section, const char* key, const char* text) const;
    int GetInt(const char* section, const char* key, int defaultValue) const;
    void WriteInt(const char* section, const char* key, int value) const;
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
