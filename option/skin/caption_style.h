#pragma once
// How the skin's texts look: the colours of the buttons' captions in each of their states and of the texts painted
// over the pictures, and where a caption sits on its button.

#include <windows.h>

// Light grey: captions and the texts painted over the pictures.
inline constexpr COLORREF kSkinText = 0xE6E6E6;
// The caption under the pointer (blue: a COLORREF holds blue in its high byte).
inline constexpr COLORREF kSkinHover = 0xE60000;
inline constexpr COLORREF kSkinDisabled = 0x969696;
// The caption of a check box under the pointer: its box shows the state, the caption only lights up.
inline constexpr COLORREF kSkinCheckHover = 0xFFFFFF;

// A caption's colour in each state of its button.
struct CaptionPalette {
    COLORREF normal;
    COLORREF hover;
    COLORREF pressed;
    COLORREF disabled;
};

// The buttons' captions: light grey, blue under the pointer, grey when disabled.
inline constexpr CaptionPalette kCaptionPalette{kSkinText, kSkinHover, kSkinText, kSkinDisabled};
// Check boxes with a caption beside the box.
inline constexpr CaptionPalette kCheckCaptionPalette{kSkinText, kSkinCheckHover, kSkinText, kSkinDisabled};
// Captions that show a value and keep their colour in every state.
inline constexpr CaptionPalette kValueCaptionPalette{kSkinText, kSkinText, kSkinText, kSkinText};

// Where a caption sits on its button: centred, or left-aligned at an offset; always one vertically centred line.
enum class CaptionPlacement {
    Centred = 4,
    DropDown = 5,  // 10 pixels in, the value of a drop-down button
    Entry = 6,     // 25 pixels in, a button entry of the basic page
    BesideBox = 7, // 30 pixels in, beside the box of a check box
    Indented = 8,  // 40 pixels in (any other mode of a skin)
};
