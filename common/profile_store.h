#pragma once
// Loading and saving ShareData: config.ini beside the programs, one profile file per profile in the "config"
// folder, and the system pointer settings in the registry that the active profile mirrors.

#include "common/profile_record.h"

#include <string>

// folder + "config.ini"; folder + "config\Default<n>.tvp" for the profile files 0..4. The folder ends with a
// backslash (ProgramFolder()).
std::string ConfigFilePath(const std::string& folder);
std::string ProfileFilePath(const std::string& folder, int n);

// Both return 1. Reading overwrites every field of the record: a missing integer key gives -1 (255 for the byte
// fields), a missing text an empty one, and a button entry whose value is missing or damaged its reset content.
int ReadProfileFile(ProfileRecord& record, const std::string& path);
int WriteProfileFile(const ProfileRecord& record, const std::string& path);

// The program folder's files; the overloads with a folder serve other folders (tests). Both return 1.
int LoadAllProfiles(ShareData& data);
int LoadAllProfiles(ShareData& data, const std::string& folder);
int SaveAllProfiles(const ShareData& data);
int SaveAllProfiles(const ShareData& data, const std::string& folder);

// The registry under HKEY_CURRENT_USER. Reading returns 1, 0 when "Control Panel\Mouse" can neither be opened nor
// created, -1 when "Control Panel\Desktop" cannot; a missing value keeps the profile's field. Writing returns 1, or
// -1 when either key can neither be opened nor created.
int ReadPointerSettings(ProfileRecord& record);
int WritePointerSettings(const ProfileRecord& record);

// "Device" of section "Setting" of the given config.ini: 1 while Monitor has the mouse open; 0 when missing.
int ReadDevice(const std::string& configPath);
