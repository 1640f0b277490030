#pragma once
// The profile file's format: section "Setting" with one key per field of the record, the numbers as "%d", the two
// texts as they are and each button entry in the platform's structure format. No platform calls here:
// profile_store.cpp reads and replaces the files.

#include "common/ini_document.h"
#include "common/profile_record.h"

#include <string>

// True when the file is a profile file: its "Setting" section holds at least one key of a profile with a value. An
// empty file, one cut before its first key, or any other initialisation file is not.
bool IsProfileText(const IniDocument& file);
bool IsProfileText(std::string bytes);

// Reads every field of the record from the file, as the programs always have: a missing integer key gives -1 (255
// for the byte fields), a missing text an empty one, and a button entry whose value is missing or damaged its reset
// content. The repeat count of a macro entry is kept in 1..255, the range the editor allows.
void ReadProfile(ProfileRecord& record, const IniDocument& file);

// Sets every key of the record in the file, in the order of a newly written file: keys already there are updated
// where they are, other sections and unknown keys stay.
void WriteProfile(const ProfileRecord& record, IniDocument& file);
