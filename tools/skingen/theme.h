#pragma once
// The one look of every skin: a dark theme on the programs' own colours (0x00BBGGRR values).

#include "canvas.h"

namespace theme {

inline const Rgb kCaption = FromColorRef(0xE6E6E6);
inline const Rgb kHover = FromColorRef(0xE60000);
inline const Rgb kBorder = FromColorRef(0x9E4812);
inline const Rgb kTitle = FromColorRef(0x0000FF);
inline const Rgb kDisabled = FromColorRef(0x969696);

inline const Rgb kWindowTop = Hex(0x23262d);
inline const Rgb kWindowBottom = Hex(0x16181c);
inline const Rgb kPanel = Hex(0x1b1e24);
inline const Rgb kPanelEdge = Hex(0x2c3240);
inline const Rgb kField = Hex(0x0b0c0f);

// Button faces: normal dark, hover lit (so the blue hover caption reads), pressed deep blue, disabled flat.
inline const Rgb kFaceTop = Hex(0x30343d);
inline const Rgb kFaceBottom = Hex(0x24272e);
inline const Rgb kFaceEdge = Hex(0x454c5c);
inline const Rgb kLitTop = Hex(0xdfe5ef);
inline const Rgb kLitBottom = Hex(0xb4c0d6);
inline const Rgb kPressTop = Hex(0x0c2a5e);
inline const Rgb kPressBottom = Hex(0x12489e);
inline const Rgb kPressEdge = Hex(0x061633);
inline const Rgb kOffFace = Hex(0x1e2024);
inline const Rgb kOffEdge = Hex(0x2b2d32);

inline const Rgb kThumbKey = Hex(0xff00ff);

} // namespace theme
