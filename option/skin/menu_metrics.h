#pragma once
// Item sizes of the owner-drawn popup menu.

#include <cstddef>

inline constexpr int kSkinMenuItemHeight = 14;
inline constexpr int kSkinMenuSeparatorHeight = 5;
inline constexpr int kFunctionMenuMinWidth = 136;

// Every item is as wide as the widest of the minimum and 8 pixels per character of each appended item.
inline int SkinMenuWidth(int currentWidth, std::size_t appendedTextLength) {
    long long w = 8LL * static_cast<long long>(appendedTextLength);
    return w > currentWidth ? (w > 1000000 ? 1000000 : static_cast<int>(w)) : currentWidth;
}

inline int SkinMenuItemHeight(bool separator) {
    return separator ? kSkinMenuSeparatorHeight : kSkinMenuItemHeight + 5;
}
