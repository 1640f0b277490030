#pragma once
// The texts Monitor shows about the mouse: balloons at its tray icon and the CPI message for the on-screen display.
// The OSD settings record that says which displays are wanted is common/osd_settings.h.

#include "common/osd_settings.h"
#include "common/profile_record.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// DPI number of a DPI code 1..14 (250 ... 7250); 0 for any other code.
int DpiOfCode(int code);
// "2500 DPI" for code 9; empty for a code that names no DPI.
std::string DpiText(int code);
// "125 Hz" ... "1000 Hz" for PollingRate 0..3; empty otherwise.
std::string PollingText(int pollingRate);

// "CPI: 2500" for the active stage of the profile (CpiLevel_X entry Cpi_X); empty when Cpi_X is outside 0..5 or
// that level names no DPI.
std::string CpiMessage(const ProfileRecord& profile);

// A text from another program made fit for one initialisation-file value: control characters (line breaks that
// would start new keys or sections) become blanks.
std::string SingleLineText(const std::string& text);

// The platform's structure encoding of an initialisation-file value: two upper-case hex digits per byte followed by
// the checksum byte (low 8 bits of the byte sum). Used to lay out a config.ini at build time.
std::string EncodeStructValue(const uint8_t* data, size_t size);
