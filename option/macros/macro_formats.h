#pragma once
// The two macro file formats, both initialisation files in section "Macros" with each record stored as one value in
// the platform's structure encoding (522 upper-case hex characters: the 260 bytes and their checksum):
//  - the sequence file "config\sequence.dat": "number" = N, then keys "0" .. "N-1";
//  - a macro file ("*.macro"): the single key "0", no "number".
// No platform calls here: macro_files.cpp reads and replaces the files.

#include "common/ini_document.h"
#include "option/macros/macro_library.h"

#include <string>

// Appends the record of every key written as "%d" in order of its index, whatever "number" says and whatever the
// order in the file (of duplicate keys the first counts); a record of the wrong length or with a bad checksum is
// skipped. Returns the count of records skipped as unreadable: a save would lose them.
int ReadMacroLibrary(MacroLibrary& library, const IniDocument& file);
// The sequence file of the library, as the platform's writes into an empty file produce it.
std::string MacroLibraryText(const MacroLibrary& library);

// The record of key "0"; false, with the record untouched, when the file holds no readable one.
bool ReadMacroFile(const IniDocument& file, MacroRecord& record);
// A macro file holding the record.
std::string MacroFileText(const MacroRecord& record);
