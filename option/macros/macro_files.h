#pragma once
// The two macro file formats, both initialisation files in section "Macros" with each record stored as one value in
// the platform's structure encoding (522 upper-case hex characters: the 260 bytes and their checksum):
//  - the sequence file "config\sequence.dat" in the program folder: "number" = N, then keys "0" .. "N-1";
//  - a macro file ("*.macro"): the single key "0", no "number".

#include "option/macros/macro_library.h"

#include <string>

// The program folder followed by "config\sequence.dat".
std::string SequenceFilePath();

// Appends every readable record of the sequence file in order; a record that is missing, of the wrong length or with a
// bad checksum is skipped. A missing file, or "number" below 1, adds nothing.
void LoadMacroLibrary(MacroLibrary& library);
void LoadMacroLibrary(MacroLibrary& library, const std::string& path);

// Replaces the sequence file with the whole library. The callers do not examine the result (false when a write
// failed, for instance into a missing folder).
bool SaveMacroLibrary(const MacroLibrary& library);
bool SaveMacroLibrary(const MacroLibrary& library, const std::string& path);

// Appends the macro of a macro file with its name trimmed, cut to 19 characters and made unique. False, with nothing
// added, when the file holds no readable record.
bool ImportMacro(MacroLibrary& library, const std::string& path);

// Replaces the file at path with a macro file holding the record.
bool ExportMacro(const std::string& path, const MacroRecord& record);
