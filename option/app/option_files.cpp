#include "option/app/option_files.h"

#include <windows.h>

#include "common/ini_file.h"
#include "common/profile_file.h"
#include "common/profile_store.h"
#include "framework/handles.h"

std::string MacroLibraryPath(const std::string& folder) {
    return folder + "config\\sequence.dat";
}

namespace {

bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    KernelHandle file(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && GetFileInformationByHandle(file.get(), &info);
}

std::string FullPath(const std::string& path) {
    char full[MAX_PATH * 2] = {};
    DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    return n > 0 && n < sizeof full ? std::string(full) : path;
}

} // namespace

bool SameFile(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION ia{}, ib{};
    if (FileIdentity(a, ia) && FileIdentity(b, ib)) {
        return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
               ia.nFileIndexLow == ib.nFileIndexLow;
    }
    return lstrcmpiA(FullPath(a).c_str(), FullPath(b).c_str()) == 0;
}

bool ImportProfileFile(const std::string& chosen, const std::string& target) {
    {
        KernelHandle file(CreateFileA(chosen.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            return false;
        }
    }
    // A file without profile keys would replace the profile with -1 everywhere.
    if (!IsProfileFile(chosen)) {
        return false;
    }
    if (!SameFile(chosen, target)) {
        // A hidden target refuses to be copied over: it goes first.
        DeleteFileA(target.c_str());
        CopyFileA(chosen.c_str(), target.c_str(), FALSE);
    }
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN);
    return true;
}

bool ExportProfileFile(const ProfileRecord& record, const std::string& path) {
    // A new file, so that the keys come in the writer's order and nothing of an older file stays. It is written
    // whole under the writer's own temporary name and takes the chosen file's place in one step: a failed export
    // leaves the user's file as it was, and no other file of theirs is touched.
    IniDocument file;
    WriteProfile(record, file);
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY))) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    return ReplaceFileContents(path, file.Bytes());
}
