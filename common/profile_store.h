#pragma once
// Loading and saving ShareData: config.ini beside the programs, one profile file per profile in the "config"
// folder, and the system pointer settings in the registry that the active profile mirrors.

#include "common/profile_record.h"

#include <string>

// folder + "config.ini"; folder + "config\Default<n>.tvp" for the profile files 0..4. The folder ends with a
// backslash (ProgramFolder()).
std::string ConfigFilePath(const std::string& folder);
std::string ProfileFilePath(const std::string& folder, int n);

// True when the file can be read and is a profile file: its "Setting" section holds at least one key of a profile
// with a value (profile_file.h). An empty file, one cut before its first key, or another kind of file is not.
bool IsProfileFile(const std::string& path);

// What ReadProfileFile found.
enum class ProfileRead {
    Done,       // a profile file, read whole: every field of the record is set from it
    Missing,    // there is no such file
    Unreadable, // the file exists but could not be read whole (locked, no access, above the read bounds)
    NotProfile, // the file was read whole but is no profile file
};
// Reads the file once and overwrites every field of the record (profile_file.h: a missing integer key gives -1, 255
// for the byte fields); any other answer leaves the record untouched. Unreadable also marks the file so that
// SaveAllProfiles keeps it as it is until a later read gets it whole.
ProfileRead ReadProfileFile(ProfileRecord& record, const std::string& path);
// Composes the file in memory over what is there (other sections and unknown keys stay) and replaces it in one step;
// a file whose values are all the same already is left as it is. Returns 1; 0, with the old file whole, when it
// cannot be written (missing or read-only folder, read-only file, full disk).
int WriteProfileFile(const ProfileRecord& record, const std::string& path);

// The program folder's files; the overloads with a folder serve other folders (tests). Loading returns 1; a profile
// file that is missing, no profile file or could not be read whole gives the reset profile, and config.ini that could
// not be read whole gives -1 for its three values. A file that exists but could not be read whole is never written
// by a save that did not read it: SaveAllProfiles skips it (and for config.ini its three keys) until a later load
// reads it, and traces which. Saving creates config\ when it is missing and returns 1, or 0 when a file could not be
// written.
int LoadAllProfiles(ShareData& data);
int LoadAllProfiles(ShareData& data, const std::string& folder);
int SaveAllProfiles(const ShareData& data);
int SaveAllProfiles(const ShareData& data, const std::string& folder);

// The registry under HKEY_CURRENT_USER. Reading returns 1, 0 when "Control Panel\Mouse" can neither be opened nor
// created, -1 when "Control Panel\Desktop" cannot; a missing value keeps the profile's field. Writing returns 1, or
// -1 when either key can neither be opened nor created; it leaves out the values a damaged profile does not know
// (PointerValuesToWrite).
int ReadPointerSettings(ProfileRecord& record);
int WritePointerSettings(const ProfileRecord& record);

// "Device" of section "Setting" of the given config.ini: 1 while Monitor has the mouse open; 0 when missing.
int ReadDevice(const std::string& configPath);
