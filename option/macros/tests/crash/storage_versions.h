#pragma once
// The versions that the crash test's child saves, one after the other: version v of the macro library and of the
// five profiles, and the exact bytes each file holds once version v is saved. The child and the test share them.

#include "common/ini_document.h"
#include "common/profile_file.h"
#include "option/macros/macro_formats.h"
#include "option/macros/macro_library.h"
#include "testing/profiles.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

inline constexpr int kVersionMacros = 40;

inline MacroLibrary VersionLibrary(int v) {
    MacroLibrary library;
    for (int i = 0; i < kVersionMacros; ++i) {
        char name[20];
        std::snprintf(name, sizeof name, "V%d-%d", v, i);
        auto record = NewMacroRecord(name);
        record->RepeatCount = 1 + (v + i) % 255;
        record->EventCount = kMacroRecordEvents;
        for (int e = 0; e < kMacroRecordEvents; ++e) {
            record->Events[e] =
                MacroEvent{static_cast<uint8_t>(4 + (v + i + e) % 90),
                           static_cast<uint8_t>(e % 2 ? kMacroRelease : kMacroPress), static_cast<uint16_t>(v * 7 + e)};
        }
        library.push_back(std::move(record));
    }
    return library;
}

// Version v of the five profiles; no profile is active, so the registry is left alone.
inline std::unique_ptr<ShareData> VersionProfiles(int v) {
    auto data = DefaultData(-1);
    for (int n = 0; n < kProfileCount; ++n) {
        ProfileRecord& p = data->Profile[n];
        std::snprintf(p.ProFileName, sizeof p.ProFileName, "Version %d", v);
        p.Brightness = v;
        p.OTGSpeed = v % 97 + n;
        p.MacroKey[n].Param1 = v;
    }
    return data;
}

inline std::string VersionProfileText(int v, int n) {
    IniDocument file;
    WriteProfile(VersionProfiles(v)->Profile[n], file);
    return file.Bytes();
}

// The version a file's text holds, -1 when none can be read from it.
inline int LibraryVersion(const std::string& bytes) {
    MacroLibrary library;
    ReadMacroLibrary(library, IniDocument(bytes));
    return library.empty() ? -1 : std::atoi(library[0]->Name + 1);
}

inline int ProfileVersion(const std::string& bytes) {
    const IniDocument file(bytes);
    const std::string name = file.GetString("Setting", "ProFileName");
    return name.rfind("Version ", 0) == 0 ? std::atoi(name.c_str() + 8) : -1;
}
