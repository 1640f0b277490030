#include <windows.h>

#include "option/macros/macro_files.h"

#include "common/ini_file.h"
#include "option/macros/macro_formats.h"

#include <algorithm>
#include <cstring>

std::string SequenceFilePath() {
    return ProgramFolder() + "config\\sequence.dat";
}

LibraryRead LoadMacroLibrary(MacroLibrary& library) {
    return LoadMacroLibrary(library, SequenceFilePath());
}

LibraryRead LoadMacroLibrary(MacroLibrary& library, const std::string& path) {
    IniDocument file;
    const FileRead read = LoadIniDocument(path, file);
    if (read == FileRead::Failed) {
        OutputDebugStringA("LoadMacroLibrary: the sequence file cannot be read\n");
        return LibraryRead::Unreadable;
    }
    const int skipped = ReadMacroLibrary(library, file);
    if (read == FileRead::Cut) {
        OutputDebugStringA("LoadMacroLibrary: the sequence file was cut at the read bound\n");
        return LibraryRead::Damaged;
    }
    if (skipped > 0) {
        OutputDebugStringA("LoadMacroLibrary: unreadable record skipped\n");
        return LibraryRead::Damaged;
    }
    return LibraryRead::Whole;
}

bool SaveMacroLibrary(const MacroLibrary& library) {
    // The programs are installed with config\, but a user may have removed it.
    CreateDirectoryA((ProgramFolder() + "config").c_str(), nullptr);
    return SaveMacroLibrary(library, SequenceFilePath());
}

bool SaveMacroLibrary(const MacroLibrary& library, const std::string& path) {
    return ReplaceFileContents(path, MacroLibraryText(library));
}

bool ImportMacro(MacroLibrary& library, const std::string& path) {
    // A file that could not be read whole is refused: what was read is not the macro the user chose.
    IniDocument file;
    if (LoadIniDocument(path, file) != FileRead::Done) {
        return false;
    }
    MacroRecord record;
    std::memset(&record, 0, sizeof record);
    if (!ReadMacroFile(file, record)) {
        return false;
    }
    AddImportedMacro(library, record);
    return true;
}

bool ExportMacro(const std::string& path, const MacroRecord& record) {
    return ReplaceFileContents(path, MacroFileText(record));
}
