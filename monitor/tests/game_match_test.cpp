#include "monitor/game_match.h"

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
    std::memset(p.GameFile, 'g', sizeof p.GameFile);   // no terminator
    EXPECT_EQ(sizeof p.GameFile, GameFileName(p).size());
}

TEST(GameMatch, FirstMatchingProfileCaseBlind) {
    auto data = std::make_unique<ShareData>();
    ResetAll(*data);
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
    data->CurrentProfile = 77;   // a damaged block still gives a valid target
    EXPECT_EQ(1, ForegroundSwitchTarget(*data, "racer.exe"));
}
