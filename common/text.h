#pragma once
// Small text helpers that both programs use.

#include <string_view>

// Blanks: spaces and tabs. White space: blanks, line and page breaks (what the C locale's isspace accepts).
inline constexpr std::string_view kBlanks = " \t";
inline constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";

// The text without the given characters at either end (a view into the same text).
std::string_view TrimBlanks(std::string_view text, std::string_view blanks = kWhiteSpace);
