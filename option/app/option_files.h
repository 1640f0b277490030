#pragma once
// The file steps of profile import and export and the macro library's place in the program folder.

#include <string>

#include "common/profile_record.h"

// folder + "config\sequence.dat".
std::string MacroLibraryPath(const std::string& folder);

// Puts the chosen file in place of the active profile's file (target), hidden. Nothing changes, and false comes back,
// when the chosen file cannot be opened or is not a profile file. Choosing the target itself leaves it as it is (the
// dialog opens in the folder of the profile files) and counts as done.
bool ImportProfileFile(const std::string& chosen, const std::string& target);

// Writes the record into path as a new file, its keys in the writer's order.
bool ExportProfileFile(const ProfileRecord& record, const std::string& path);

// True when both paths name the same file.
bool SameFile(const std::string& a, const std::string& b);
