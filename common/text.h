#pragma once
// Small text helpers that both programs use.

#include <string_view>

// Blanks: spaces and tabs. White space: blanks, line and page breaks (what the C locale's isspace accepts).
inline constexpr std::string_view kBlanks = " \t";
inline constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";

// The text without the given characters at either end (a view into the same text).
std::string_view TrimBlanks(std::string_view text, std::string_view blanks = kWhiteSpace);

// An ASCII letter in lower case; any other byte as it is. The C locale's tolower, without its locale.
constexpr unsigned char FoldCase(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// True when the texts differ at most in the case of ASCII letters: how program, file, key and section names match.
constexpr bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(static_cast<unsigned char>(a[i])) != FoldCase(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}
