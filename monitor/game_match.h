#pragma once
// The foreground profile switch: which profile's GameFile names the program in the foreground.

#include "common/profile_record.h"

#include <string>

// GameFile trimmed of white space at both ends, reduced to its file name and extension; read only within the field.
std::string GameFileName(const ProfileRecord& profile);

// The first profile 0..4 whose GameFile names exeName (case-blind); -1 when none does or exeName is empty.
int MatchGameProfile(const ShareData& data, const std::string& exeName);

// What timer 500 should do: the profile to switch to, or -1 when none matched or it is already current.
int ForegroundSwitchTarget(const ShareData& data, const std::string& exeName);
