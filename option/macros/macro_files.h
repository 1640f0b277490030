#pragma once
// The sequence file and macro files on disk (their formats: macro_formats.h). Each file is read once, and written
// whole to a temporary file that then replaces it in one step: a crash, a log-off or a full disk leaves the old
// file or the new one, never half of one.

#include "common/ini_file.h"
#include "option/macros/macro_library.h"

#include <string>

// The program folder followed by "config\sequence.dat".
std::string SequenceFilePath();

// How the sequence file was read. Whole: read whole with every record readable, or missing. Otherwise the library
// holds what could be read, and the file must not be written over, or what could not be read would be lost:
// Unreadable when it exists but could not be opened (held open by another program, no access), Damaged when it was
// cut at the read bound or held records that failed their check.
enum class LibraryRead { Whole, Unreadable, Damaged };

// Appends every readable record of the sequence file in order (macro_formats.h); a record of the wrong length or with
// a bad checksum is skipped. At most limit bytes of the file are read.
LibraryRead LoadMacroLibrary(MacroLibrary& library);
LibraryRead LoadMacroLibrary(MacroLibrary& library, const std::string& path, size_t limit = kMaxReadBytes);

// Replaces the sequence file with the whole library; the version without a path creates config\ when it is missing.
// False, with the old file whole, when it cannot be written (a missing or read-only folder, a full disk).
bool SaveMacroLibrary(const MacroLibrary& library);
bool SaveMacroLibrary(const MacroLibrary& library, const std::string& path);

// Appends the macro of a macro file with its name trimmed, cut to 19 characters and made unique. False, with nothing
// added, when the file holds no readable record.
bool ImportMacro(MacroLibrary& library, const std::string& path);

// Replaces the file at path with a macro file holding the record; false, with the old file whole, when it cannot.
bool ExportMacro(const std::string& path, const MacroRecord& record);
