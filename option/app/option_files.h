#pragma once
// The file steps of profile import and export and the macro library's place in the program folder.

#include <string>

#include "common/profile_record.h"

// folder + "config\sequence.dat".
std::string MacroLibraryPath(const std::string& folder);

enum class ImportResult {
    Done,    // the target holds the chosen file's bytes, hidden
    Refused, // the chosen file could not be read whole (missing, locked, above the read bounds) or is no profile file
    Failed,  // the target could not be written; it is as it was
};
// Puts the chosen file in place of the active profile's file (target), hidden: the bytes that were read and checked
// are what the one-step writer puts there. Nothing changes unless the answer is Done. Choosing the target itself
// leaves it as it is (the dialog opens in the folder of the profile files) and counts as done.
ImportResult ImportProfileFile(const std::string& chosen, const std::string& target);

// Writes the record into path as a new file, its keys in the writer's order.
bool ExportProfileFile(const ProfileRecord& record, const std::string& path);

// True when both paths name the same file.
bool SameFile(const std::string& a, const std::string& b);
