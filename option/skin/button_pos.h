#pragma once
// One entry of a skin description file's "BUTTONPOS" section: "label,x,y,width,height,tooltip".

#include <string>
#include <string_view>

struct tagRECT; // the platform's RECT

inline constexpr std::size_t kButtonLabelMax = 39;
inline constexpr std::size_t kButtonTooltipMax = 103;

struct ButtonPos {
    std::string label; // before the first comma; only a name for the skin author
    int left = 0;
    int top = 0;
    int right = 0;       // x + width
    int bottom = 0;      // y + height
    std::string tooltip; // after the last comma, trimmed

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    // The rectangle as the platform's RECT (the programs only; defined beside the window code).
    tagRECT Rect() const;
};

// Parses one value. The numbers are read as "%d,%d,%d,%d" right after the first comma; numbers that are missing stay
// 0. Without a sixth field the text after the last comma is the height digits, and those become the tooltip: skin
// files rely on that. An empty value gives an all-zero rectangle.
ButtonPos ParseButtonPos(std::string_view value);
