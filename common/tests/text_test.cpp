#include "common/text.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

TEST(Text, NamesMatchWithoutRegardToTheCaseOfAsciiLettersOnly) {
    EXPECT_TRUE(EqualIgnoringCase("Game.EXE", "game.exe"));
    EXPECT_TRUE(EqualIgnoringCase("HKEY_CURRENT_USER", "hkey_current_user"));
    EXPECT_TRUE(EqualIgnoringCase("", ""));
    EXPECT_TRUE(EqualIgnoringCase("a\0B"s, "A\0b"s));
    // Different lengths, and a prefix, never match.
    EXPECT_FALSE(EqualIgnoringCase("game.exe", "game.exe "));
    EXPECT_FALSE(EqualIgnoringCase("game", "game.exe"));
    EXPECT_FALSE(EqualIgnoringCase("a\0b"s, "a"));
    // Characters 32 apart that are not letters stay apart: '@' and '`', '[' and '{', '^' and '~'.
    EXPECT_FALSE(EqualIgnoringCase("@[^", "`{~"));
    EXPECT_FALSE(EqualIgnoringCase("key@", "KEY`"));
    // Bytes above 127 are compared as they are, whatever a code page makes of them.
    EXPECT_FALSE(EqualIgnoringCase("\xC4", "\xE4"));
    EXPECT_TRUE(EqualIgnoringCase("\xC4x", "\xC4X"));

    for (int c = 0; c < 256; ++c) {
        const bool upper = c >= 'A' && c <= 'Z';
        EXPECT_EQ(upper ? c + 32 : c, FoldCase(static_cast<unsigned char>(c))) << c;
    }
    static_assert(EqualIgnoringCase(".EXE", ".exe"));
}
