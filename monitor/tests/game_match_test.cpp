#include "monitor/game_match.h"
#include "testing/profiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {
void SetGame(ProfileRecord& p, const char* text) {
    std::memset(p.GameFile, 0, sizeof p.GameFile);
    std::strncpy(p.GameFile, text, sizeof p.GameFile - 1);
}
} // namespace

TEST(GameMatch, FileNameOfATrimmedPath) {
    ProfileRecord p{};
    SetGame(p, "  C:\\Games\\Arena\\ARENA.exe \t");
    EXPECT_EQ("ARENA.exe", GameFileName(p));
    SetGame(p, "/opt/x/run.bin");
    EXPECT_EQ("run.bin", GameFileName(p));
    SetGame(p, "   ");
    EXPECT_EQ("", GameFileName(p));
    std::memset(p.GameFile, 'g', sizeof p.GameFile); // no terminator
    EXPECT_EQ(sizeof p.GameFile, GameFileName(p).size());
}

TEST(GameMatch, FirstMatchingProfileCaseBlind) {
    auto data = DefaultData();
    SetGame(data->Profile[1], "D:\\a\\Racer.EXE");
    SetGame(data->Profile[3], "racer.exe");
    SetGame(data->Profile[4], "notepad.exe");
    EXPECT_EQ(1, MatchGameProfile(*data, "racer.exe"));
    EXPECT_EQ(4, MatchGameProfile(*data, "NOTEPAD.EXE"));
    EXPECT_EQ(-1, MatchGameProfile(*data, "explorer.exe"));
    EXPECT_EQ(-1, MatchGameProfile(*data, ""));
    data->CurrentProfile = 1;
    EXPECT_EQ(-1, ForegroundSwitchTarget(*data, "RACER.exe"));
    EXPECT_EQ(4, ForegroundSwitchTarget(*data, "notepad.exe"));
    data->CurrentProfile = 77; // a damaged block still gives a valid target
    EXPECT_EQ(1, ForegroundSwitchTarget(*data, "racer.exe"));
}

TEST(ForegroundSwitcher, ReturnsToTheProfileBeforeTheFirstGameOnlyWhenAskedAndNeverForOurPrograms) {
    auto data = DefaultData();
    SetGame(data->Profile[2], "racer.exe");
    SetGame(data->Profile[3], "arena.exe");
    data->CurrentProfile = 1;
    ForegroundSwitcher switcher;
    // Switching to the game's profile as the monitor then does.
    const auto show = [&](const char* exe, bool ours, bool enabled) {
        const int target = switcher.OnForeground(*data, exe, ours, enabled);
        if (target >= 0) {
            data->CurrentProfile = target;
        }
        return target;
    };

    EXPECT_EQ(-1, show("explorer.exe", false, true)); // no game yet: nothing to return to
    EXPECT_EQ(2, show("racer.exe", false, true));
    EXPECT_EQ(1, switcher.Previous());
    EXPECT_EQ(-1, show("racer.exe", false, true)); // already its profile
    EXPECT_EQ(3, show("ARENA.EXE", false, true));  // game to game keeps the profile before the first
    EXPECT_EQ(1, switcher.Previous());
    EXPECT_EQ(-1, show("Option.exe", true, true));     // our own program: no return
    EXPECT_EQ(-1, show("explorer.exe", false, false)); // return not asked for: the game's profile stays
    EXPECT_EQ(1, show("explorer.exe", false, true));
    EXPECT_EQ(-1, switcher.Previous());
    EXPECT_EQ(-1, show("explorer.exe", false, true)); // once

    // A profile the user chooses while the game's is current: nothing to return to.
    EXPECT_EQ(2, show("racer.exe", false, true));
    data->CurrentProfile = 4;
    switcher.Forget();
    EXPECT_EQ(-1, show("explorer.exe", false, true));
    EXPECT_EQ(4, data->CurrentProfile);

    // The game's profile already current when the game came: no switch, and nothing remembered.
    data->CurrentProfile = 2;
    EXPECT_EQ(-1, show("racer.exe", false, true));
    EXPECT_EQ(-1, show("explorer.exe", false, true));
    EXPECT_EQ(-1, show("", false, true));

    // The remembered profile is current again by other means: nothing to do.
    data->CurrentProfile = 0;
    EXPECT_EQ(2, show("racer.exe", false, true));
    data->CurrentProfile = 0;
    EXPECT_EQ(-1, show("explorer.exe", false, true));
}
