#pragma once
// The corrections of the fire button dialog's two number boxes when one of its boxes loses the focus.

#include <string>
#include <string_view>

struct FireBoxes {
    std::string valueA; // what the boxes show
    std::string valueB;
};

struct FireCorrection {
    int valueA = 0;
    int valueB = 0;
    bool changeA = false; // the box must show "%d" of its corrected value
    bool changeB = false;
};

// Value A is kept within 0..255; value B within 1..255 and, unless the focus went into the value B box itself, at
// least 5. Both are read as leading decimal numbers.
FireCorrection CorrectFireValues(const FireBoxes& boxes, bool focusInValueB);
