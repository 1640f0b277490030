#pragma once
// A fresh folder under the temporary path, with an empty config\ inside, removed with everything in it at the end.

#include <string>

class TempFolder {
public:
    TempFolder();
    // Takes over a folder that exists or will (an installed program folder): removed the same way at the end.
    explicit TempFolder(std::string existing);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    // With a trailing backslash.
    const std::string& Path() const { return path_; }
    // Copies a file into the folder under the name; false when it could not.
    bool CopyFrom(const std::string& source, const std::string& name) const;

private:
    std::string path_;
};

// Removes the folder with everything in it, read-only files too; true when it is gone (or never was).
bool RemoveFolder(const std::string& folder);

// Sets the file's last write time to that many minutes ago, as a file left long ago would have it. False when the
// file cannot be opened or its time set.
bool AgeFile(const std::string& path, int minutes);
