#pragma once
// Text and value rules of the numeric edit field (BitmapEdit) and the number box built on it (SpinEdit).

#include <optional>
#include <string>
#include <string_view>

// Virtual-key codes the digits-only field lets through: main and keypad digits, Backspace, Enter, End, Home, Left,
// Right, Delete, and the plus/equals and minus keys of the main keyboard.
bool DigitFieldKeyPasses(unsigned virtualKey);

// The leading run of text made of "0123456789" (or "0123456789-+" when signs are allowed).
std::string LeadingNumberRun(std::string_view text, bool signsAllowed);

// "%d" of an integer, as a box shows it.
std::string NumberText(int v);
// The number at the start of a text as the C library reads it ("12a" -> 12, "" -> 0), saturated to int.
int LeadingNumber(std::string_view text);

struct SpinRange {
    int minimum = 0;
    int maximum = 10;
    int step = 1;
};

// Characters the box takes: those of "%d" of the maximum, one more when the minimum is negative.
int SpinTextLimit(const SpinRange& r);
bool SpinSignAllowed(const SpinRange& r);

// The arrows: the new value from the box's number v, or nothing when v lies beyond the end the arrow moves to.
std::optional<int> SpinUp(int v, const SpinRange& r);
std::optional<int> SpinDown(int v, const SpinRange& r);

// Text change or focus loss: the number of the trimmed text snapped to the step and clamped.
int SpinSettledValue(std::string_view text, const SpinRange& r);

// Enter: characters before the first of "-+123456789" dropped, then digits and one leading sign kept; the number
// clamped to the range. notify tells whether the owner hears of it.
struct SpinEnterResult {
    int value;
    bool notify;
};
SpinEnterResult SpinEnterValue(std::string_view text, const SpinRange& r);
