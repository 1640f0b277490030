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

// The foreground profile switch with the return to the profile that was current before a game came to the
// foreground. The remembered profile is the one before the first game: going from one game to another keeps it. A
// profile the user chooses (Forget) clears it. The return happens, when enabled, as soon as a program that matches no
// profile is in the foreground, unless it is one of our own programs (so that Option can edit the game's profile).
class ForegroundSwitcher {
public:
    // The program in the foreground (ours: Option, Monitor or the OSD program); the profile to switch to, or -1.
    int OnForeground(const ShareData& data, const std::string& exeName, bool ours, bool returnEnabled);
    // The user chose a profile: there is nothing to return to.
    void Forget() { previous_ = -1; }
    // The profile a return would switch to; -1 for none.
    int Previous() const { return previous_; }

private:
    int previous_ = -1;
};
