// skingen: draws the pictures of every skin description file (skins/skin_*.ini) so that a window's layout and its
// pictures come from the same file. Also draws the program's own small icons and bitmaps.
//
//   skingen SKIN_SOURCE_DIR OUT_DIR          pictures of every skin_*.ini into OUT_DIR
//   skingen --resources OUT_DIR              icon 145 and the macro event bitmaps
//
// A control's kind is its "BUTTONPOS" label (button, toggle, pill, region, close, minimize, web, check, color, edit,
// spin, slider, area).
// Section "PAINT", which the programs do not read, carries what only the painter needs:
//   Size=w,h  Radius=r  PanelN=x,y,w,h  LineN=x0,y0,x1,y1  FrameN=x,y,w,h (a ring)  DotN=x,y,r,RRGGBB
//   Icon=warning,x,y,size  HueField=x,y,w,h (hue across, lightness down)  Picture=mouse,x,y,w,h (a mouse from above)
//   MarkerN=x,y,n (a numbered ring)  BadgeK=n (a number at the left of control K)  LabelK=digits (centred on K)
// Kinds radio and dropdown draw a round choice and a face with an open-list arrow.
//   MaskK=file.bmp (outline of region button K)  ThumbK=file.bmp (thumb of slider K)

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "canvas.h"
#include "option/skin/skin_description.h"
#include "theme.h"

namespace fs = std::filesystem;

namespace {

enum class State { Normal, Over, Down, Disable };

std::vector<int> Numbers(const std::string& text) {
    std::vector<int> out;
    std::stringstream s(text);
    std::string part;
    while (std::getline(s, part, ',')) {
        try {
            out.push_back(std::stoi(part));
        } catch (...) {
            out.push_back(0);
        }
    }
    return out;
}

std::string Lower(std::string s) {
    for (char& c : s) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s;
}

Box BoxOf(const ButtonPos& p) {
    return {float(p.left), float(p.top), float(p.right), float(p.bottom)};
}

// The face of a push button in one state.
void DrawFace(Canvas& c, Box b, float radius, State s) {
    switch (s) {
    case State::Normal:
        c.FillRoundRectV(b, radius, theme::kFaceTop, theme::kFaceBottom);
        c.StrokeRoundRect(b, radius, 1, theme::kFaceEdge);
        c.Line(b.x0 + radius, b.y0 + 1.5f, b.x1 - radius, b.y0 + 1.5f, 1, Hex(0xffffff), 0.07f);
        break;
    case State::Over:
        c.FillRoundRectV(b, radius, theme::kLitTop, theme::kLitBottom);
        c.StrokeRoundRect(b, radius, 1, theme::kHover, 0.85f);
        break;
    case State::Down:
        c.FillRoundRectV(b, radius, theme::kPressTop, theme::kPressBottom);
        c.StrokeRoundRect(b, radius, 1, theme::kPressEdge);
        c.Line(b.x0 + radius, b.y0 + 1.5f, b.x1 - radius, b.y0 + 1.5f, 1, Hex(0x000000), 0.35f);
        break;
    case State::Disable:
        c.FillRoundRect(b, radius, theme::kOffFace);
        c.StrokeRoundRect(b, radius, 1, theme::kOffEdge);
        break;
    }
}

Rgb GlyphColour(State s) {
    switch (s) {
    case State::Over:
        return theme::kHover;
    case State::Down:
        return theme::kCaption;
    case State::Disable:
        return Hex(0x4a4d55);
    default:
        return Hex(0xa7adb8);
    }
}

void DrawClose(Canvas& c, Box b, State s) {
    float cx = (b.x0 + b.x1) / 2, cy = (b.y0 + b.y1) / 2, r = std::min(b.x1 - b.x0, b.y1 - b.y0) / 2 - 1;
    if (s == State::Over) {
        c.FillCircle(cx, cy, r, theme::kLitBottom);
        c.FillCircle(cx, cy, r - 1, theme::kLitTop);
    } else if (s == State::Down) {
        c.FillCircle(cx, cy, r, theme::kPressBottom);
    }
    float d = r * 0.42f;
    Rgb g = GlyphColour(s);
    c.Line(cx - d, cy - d, cx + d, cy + d, 1.8f, g);
    c.Line(cx - d, cy + d, cx + d, cy - d, 1.8f, g);
}

void DrawMinimize(Canvas& c, Box b, State s) {
    float cx = (b.x0 + b.x1) / 2, cy = (b.y0 + b.y1) / 2, r = std::min(b.x1 - b.x0, b.y1 - b.y0) / 2 - 1;
    if (s == State::Over) {
        c.FillCircle(cx, cy, r, theme::kLitBottom);
        c.FillCircle(cx, cy, r - 1, theme::kLitTop);
    } else if (s == State::Down) {
        c.FillCircle(cx, cy, r, theme::kPressBottom);
    }
    float d = r * 0.42f;
    c.Line(cx - d, cy + d * 0.6f, cx + d, cy + d * 0.6f, 1.8f, GlyphColour(s));
}

// A globe: the web page button.
void DrawWeb(Canvas& c, Box b, State s) {
    float cx = (b.x0 + b.x1) / 2, cy = (b.y0 + b.y1) / 2, r = std::min(b.x1 - b.x0, b.y1 - b.y0) / 2 - 1;
    if (s == State::Over) {
        c.FillCircle(cx, cy, r, theme::kLitBottom);
        c.FillCircle(cx, cy, r - 1, theme::kLitTop);
    } else if (s == State::Down) {
        c.FillCircle(cx, cy, r, theme::kPressBottom);
    }
    Rgb g = GlyphColour(s);
    float g0 = r * 0.55f;
    c.StrokeRoundRect({cx - g0, cy - g0, cx + g0, cy + g0}, g0, 1.4f, g);
    c.StrokeRoundRect({cx - g0 * 0.45f, cy - g0, cx + g0 * 0.45f, cy + g0}, g0 * 0.45f, 1.1f, g);
    c.Line(cx - g0, cy, cx + g0, cy, 1.1f, g);
}

// A check box: a square at the left edge, ticked in the pressed (checked) state; the caption goes right of it.
void DrawCheckBox(Canvas& c, Box b, State s) {
    float size = std::min(16.0f, b.y1 - b.y0 - 4);
    float top = std::floor((b.y0 + b.y1 - size) / 2);
    Box box{b.x0 + 4, top, b.x0 + 4 + size, top + size};
    if (s == State::Over) {
        c.FillRoundRect({b.x0, b.y0, b.x1, b.y1}, 4, theme::kPanelEdge);
    }
    c.FillRoundRect(box, 3, s == State::Disable ? theme::kOffFace : theme::kField);
    c.StrokeRoundRect(box, 3, 1,
                      s == State::Disable ? theme::kOffEdge
                      : s == State::Over  ? theme::kHover
                                          : theme::kBorder);
    if (s == State::Down) {
        float x = box.x0, y = box.y0, w = size;
        c.Line(x + w * 0.22f, y + w * 0.52f, x + w * 0.42f, y + w * 0.72f, 2.2f, theme::kCaption);
        c.Line(x + w * 0.42f, y + w * 0.72f, x + w * 0.8f, y + w * 0.28f, 2.2f, theme::kCaption);
    }
}

void DrawCheckGlyph(Canvas& c, Box b, State s) {
    float cx = (b.x0 + b.x1) / 2, cy = (b.y0 + b.y1) / 2;
    Rgb g = s == State::Normal ? theme::kCaption : GlyphColour(s);
    c.Line(cx - 7, cy, cx - 2, cy + 5, 2.4f, g);
    c.Line(cx - 2, cy + 5, cx + 8, cy - 6, 2.4f, g);
}

void DrawField(Canvas& c, Box b, State s) {
    Box frame{b.x0 - 2, b.y0 - 2, b.x1 + 2, b.y1 + 2};
    c.FillRoundRect(frame, 4, theme::kField);
    c.StrokeRoundRect(frame, 4, 1, s == State::Disable ? theme::kOffEdge : theme::kBorder);
}

void DrawSpin(Canvas& c, Box b, State s) {
    c.FillRoundRect(b, 3, theme::kField);
    c.StrokeRoundRect(b, 3, 1, s == State::Disable ? theme::kOffEdge : theme::kBorder);
    float w = b.x1 - b.x0;
    Box up{b.x0 + w - 18, b.y0 + 2, b.x0 + w - 2, b.y0 + 9};
    Box down{b.x0 + w - 18, b.y0 + 11, b.x0 + w - 2, b.y0 + 18};
    for (int i = 0; i < 2; ++i) {
        const Box& a = i == 0 ? up : down;
        Rgb glyph = GlyphColour(s);
        if (s == State::Over) {
            c.FillRoundRect(a, 2, theme::kLitTop);
        } else if (s == State::Down) {
            c.FillRoundRect(a, 2, theme::kPressBottom);
        } else {
            c.FillRoundRect(a, 2, theme::kFaceBottom);
        }
        float cx = (a.x0 + a.x1) / 2, cy = (a.y0 + a.y1) / 2;
        if (i == 0) {
            c.FillTriangle(cx - 3.5f, cy + 2, cx + 3.5f, cy + 2, cx, cy - 2, glyph);
        } else {
            c.FillTriangle(cx - 3.5f, cy - 2, cx + 3.5f, cy - 2, cx, cy + 2, glyph);
        }
    }
}

void DrawSliderTrack(Canvas& c, Box b, State s) {
    float cy = std::floor((b.y0 + b.y1) / 2);
    Box groove{b.x0 + 2, cy - 2, b.x1 - 2, cy + 2};
    c.FillRoundRect(groove, 2, theme::kField);
    c.StrokeRoundRect(groove, 2, 1, s == State::Disable ? theme::kOffEdge : theme::kBorder);
}

void DrawColorFrame(Canvas& c, Box b, State s) {
    Box ring{b.x0 - 2, b.y0 - 2, b.x1 + 2, b.y1 + 2};
    c.FillRoundRect(ring, 3, s == State::Disable ? theme::kOffEdge : theme::kFaceEdge);
    if (s == State::Disable) {
        c.FillRoundRect(b, 1, theme::kOffFace);
        c.Line(b.x0 + 3, b.y1 - 3, b.x1 - 3, b.y0 + 3, 1, theme::kDisabled, 0.6f);
    } else {
        c.FillRoundRect(b, 1, theme::kField);
    }
}

// A colour field to pick from: hue from red through the spectrum across, lightness from near white at the top to
// near black at the bottom, full saturation.
Rgb HueLightness(float hue, float lightness) {
    auto channel = [&](float n) {
        float k = std::fmod(n + hue * 12.0f, 12.0f);
        float a = std::min(lightness, 1.0f - lightness);
        return lightness - a * std::max(-1.0f, std::min({k - 3.0f, 9.0f - k, 1.0f}));
    };
    return {channel(0), channel(8), channel(4)};
}

void DrawHueField(Canvas& c, int x, int y, int w, int h) {
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            float hue = w > 1 ? float(i) / float(w - 1) : 0.0f;
            float lightness = 0.95f - 0.9f * (h > 1 ? float(j) / float(h - 1) : 0.0f);
            if (x + i >= 0 && y + j >= 0 && x + i < c.Width() && y + j < c.Height()) {
                c.Set(x + i, y + j, HueLightness(hue, lightness));
            }
        }
    }
    c.StrokeRoundRect({x - 1.0f, y - 1.0f, float(x + w + 1), float(y + h + 1)}, 1, 1, theme::kPanelEdge);
}

// Digits as seven segments (a, b, c, d, e, f, g), so the pictures need no font.
void DrawDigits(Canvas& c, float x, float y, float height, const std::string& digits, Rgb colour) {
    static const unsigned char kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    float w = height * 0.5f, h = height / 2, stroke = std::max(1.2f, height * 0.13f);
    for (char ch : digits) {
        if (ch < '0' || ch > '9') {
            x += w * 0.8f;
            continue;
        }
        unsigned char m = kSegments[ch - '0'];
        const float seg[7][4] = {{0, 0, w, 0},     {w, 0, w, h}, {w, h, w, 2 * h}, {0, 2 * h, w, 2 * h},
                                 {0, h, 0, 2 * h}, {0, 0, 0, h}, {0, h, w, h}};
        for (int i = 0; i < 7; ++i) {
            if (m & (1 << i)) {
                c.Line(x + seg[i][0], y + seg[i][1], x + seg[i][2], y + seg[i][3], stroke, colour);
            }
        }
        x += w + height * 0.3f;
    }
}

float DigitsWidth(const std::string& digits, float height) {
    return digits.empty() ? 0 : float(digits.size()) * (height * 0.8f) - height * 0.3f;
}

// A numbered ring: where a button sits on the mouse, and the same number on its entry button.
void DrawMarker(Canvas& c, float cx, float cy, const std::string& number, Rgb ring) {
    c.FillCircle(cx, cy, 9, ring);
    c.FillCircle(cx, cy, 7.6f, theme::kField);
    float h = 8;
    DrawDigits(c, cx - DigitsWidth(number, h) / 2, cy - h / 2, h, number, theme::kCaption);
}

// A mouse seen from above: body, the two main buttons, the wheel and a side panel.
void DrawMouse(Canvas& c, Box b) {
    float w = b.x1 - b.x0, h = b.y1 - b.y0, cx = (b.x0 + b.x1) / 2;
    Box body{b.x0, b.y0, b.x1, b.y1};
    c.FillRoundRectV(body, w * 0.46f, Hex(0x343945), Hex(0x1c1f25));
    c.StrokeRoundRect(body, w * 0.46f, 1.5f, theme::kFaceEdge);
    float split = b.y0 + h * 0.36f;
    c.Line(cx, b.y0 + 2, cx, split, 1.5f, Hex(0x0b0c0f));
    c.Line(b.x0 + w * 0.04f, split, b.x1 - w * 0.04f, split, 1.5f, Hex(0x0b0c0f), 0.8f);
    Box wheel{cx - w * 0.06f, b.y0 + h * 0.07f, cx + w * 0.06f, b.y0 + h * 0.24f};
    c.FillRoundRectV(wheel, w * 0.06f, Hex(0x5a6273), Hex(0x2a2e36));
    for (int i = 1; i < 6; ++i) {
        float y = wheel.y0 + (wheel.y1 - wheel.y0) * i / 6.0f;
        c.Line(wheel.x0 + 2, y, wheel.x1 - 2, y, 1, Hex(0x15171b), 0.7f);
    }
    // The accent strip of the lighting along the back.
    c.FillRoundRect({cx - w * 0.2f, b.y1 - h * 0.1f, cx + w * 0.2f, b.y1 - h * 0.07f}, 2, theme::kBorder, 0.9f);
    // Side panel on the thumb side.
    c.FillRoundRect({b.x0 - 3, b.y0 + h * 0.42f, b.x0 + w * 0.12f, b.y0 + h * 0.8f}, 4, Hex(0x23262d));
    c.StrokeRoundRect({b.x0 - 3, b.y0 + h * 0.42f, b.x0 + w * 0.12f, b.y0 + h * 0.8f}, 4, 1, theme::kFaceEdge);
}

void DrawRadio(Canvas& c, Box b, State s) {
    float cx = (b.x0 + b.x1) / 2, cy = (b.y0 + b.y1) / 2, r = std::min(b.x1 - b.x0, b.y1 - b.y0) / 2 - 1;
    Rgb edge = s == State::Disable ? theme::kOffEdge : s == State::Over ? theme::kHover : theme::kBorder;
    c.FillCircle(cx, cy, r, edge);
    c.FillCircle(cx, cy, r - 1.5f, s == State::Disable ? theme::kOffFace : theme::kField);
    if (s == State::Down) {
        c.FillCircle(cx, cy, r * 0.45f, theme::kCaption);
    }
}

void DrawDropdown(Canvas& c, Box b, State s) {
    DrawFace(c, b, 4, s);
    float cx = b.x1 - 12, cy = (b.y0 + b.y1) / 2;
    c.FillTriangle(cx - 4, cy - 2, cx + 4, cy - 2, cx, cy + 3, GlyphColour(s));
}

// A warning sign in the title colour: a rounded triangle with an exclamation mark.
void DrawWarningIcon(Canvas& c, float x, float y, float size) {
    float cx = x + size / 2;
    c.FillTriangle(cx, y, x, y + size * 0.9f, x + size, y + size * 0.9f, theme::kTitle);
    c.FillTriangle(cx, y + 3.2f, x + 2.6f, y + size * 0.9f - 1.6f, x + size - 2.6f, y + size * 0.9f - 1.6f,
                   Hex(0x1d2026));
    c.Line(cx, y + size * 0.34f, cx, y + size * 0.58f, 2.2f, theme::kTitle);
    c.FillCircle(cx, y + size * 0.72f, 1.3f, theme::kTitle);
}

struct Skin {
    std::string file;
    IniText ini;
    int width = 0, height = 0;
};

bool g_failed = false;
void Fail(const std::string& what) {
    std::fprintf(stderr, "skingen: %s\n", what.c_str());
    g_failed = true;
}

// Shared pictures (region-button outlines, slider thumbs) may be named by several skins; they must agree.
std::map<std::string, std::pair<int, int>> g_sharedSizes;
bool Shared(const std::string& name, int w, int h) {
    auto [it, fresh] = g_sharedSizes.emplace(Lower(name), std::make_pair(w, h));
    if (!fresh && it->second != std::make_pair(w, h)) {
        Fail(name + " is named with two sizes (" + std::to_string(it->second.first) + "x" +
             std::to_string(it->second.second) + " and " + std::to_string(w) + "x" + std::to_string(h) + ")");
    }
    return fresh;
}

void DrawBackground(Canvas& c, const Skin& skin, float radius) {
    Box all{0, 0, float(skin.width), float(skin.height)};
    c.FillRoundRectV(all, radius, theme::kWindowTop, theme::kWindowBottom);
    // A thin accent along the top edge, then the outline ring.
    c.Line(radius + 8, 1.5f, skin.width - radius - 8, 1.5f, 2, theme::kBorder, 0.9f);
    c.StrokeRoundRect(all, radius, 1, theme::kBorder);
    c.StrokeRoundRect({1, 1, all.x1 - 1, all.y1 - 1}, radius - 1, 1, Hex(0xffffff), 0.04f);
    for (int i = 1; i <= 40; ++i) {
        std::vector<int> p = Numbers(skin.ini.Get("PAINT", "Panel" + std::to_string(i)));
        if (p.size() == 4) {
            Box b{float(p[0]), float(p[1]), float(p[0] + p[2]), float(p[1] + p[3])};
            c.FillRoundRect(b, 6, theme::kPanel);
            c.StrokeRoundRect(b, 6, 1, theme::kPanelEdge);
        }
        std::vector<int> l = Numbers(skin.ini.Get("PAINT", "Line" + std::to_string(i)));
        if (l.size() == 4) {
            c.Line(l[0] + 0.5f, l[1] + 0.5f, l[2] + 0.5f, l[3] + 0.5f, 1, theme::kBorder, 0.55f);
        }
        std::vector<int> f = Numbers(skin.ini.Get("PAINT", "Frame" + std::to_string(i)));
        if (f.size() == 4) {
            c.StrokeRoundRect({float(f[0]), float(f[1]), float(f[0] + f[2]), float(f[1] + f[3])}, 3, 1,
                              theme::kFaceEdge);
        }
        std::string dot = skin.ini.Get("PAINT", "Dot" + std::to_string(i));
        std::vector<int> d = Numbers(dot);
        if (d.size() == 4) {
            uint32_t rgb =
                static_cast<uint32_t>(std::strtoul(dot.substr(dot.find_last_of(',') + 1).c_str(), nullptr, 16));
            c.FillCircle(float(d[0]), float(d[1]), float(d[2]), Hex(rgb));
        }
    }
    std::vector<std::string> picture;
    {
        std::stringstream s(skin.ini.Get("PAINT", "Picture"));
        std::string part;
        while (std::getline(s, part, ',')) {
            picture.push_back(part);
        }
    }
    if (picture.size() == 5 && Lower(picture[0]) == "mouse") {
        DrawMouse(c, {std::stof(picture[1]), std::stof(picture[2]), std::stof(picture[1]) + std::stof(picture[3]),
                      std::stof(picture[2]) + std::stof(picture[4])});
    }
    for (int i = 1; i <= 40; ++i) {
        std::vector<int> m = Numbers(skin.ini.Get("PAINT", "Marker" + std::to_string(i)));
        if (m.size() == 3) {
            DrawMarker(c, float(m[0]), float(m[1]), std::to_string(m[2]), theme::kBorder);
        }
    }
    std::vector<int> hue = Numbers(skin.ini.Get("PAINT", "HueField"));
    if (hue.size() == 4) {
        DrawHueField(c, hue[0], hue[1], hue[2], hue[3]);
    }
    std::vector<std::string> icon;
    {
        std::stringstream s(skin.ini.Get("PAINT", "Icon"));
        std::string part;
        while (std::getline(s, part, ',')) {
            icon.push_back(part);
        }
    }
    if (icon.size() == 4 && Lower(icon[0]) == "warning") {
        DrawWarningIcon(c, std::stof(icon[1]), std::stof(icon[2]), std::stof(icon[3]));
    }
}

void DrawControl(Canvas& c, const std::string& kind, const ButtonPos& p, State s) {
    Box b = BoxOf(p);
    if (p.Width() <= 0 || p.Height() <= 0) {
        return;
    }
    if (kind == "button" || kind == "toggle") {
        DrawFace(c, b, 5, s);
    } else if (kind == "pill") {
        DrawFace(c, b, (b.y1 - b.y0) / 2, s);
    } else if (kind == "region") {
        DrawFace(c, b, (b.y1 - b.y0) / 2, s);
        DrawCheckGlyph(c, b, s);
    } else if (kind == "close") {
        DrawClose(c, b, s);
    } else if (kind == "minimize") {
        DrawMinimize(c, b, s);
    } else if (kind == "web") {
        DrawWeb(c, b, s);
    } else if (kind == "check") {
        DrawCheckBox(c, b, s);
    } else if (kind == "radio") {
        DrawRadio(c, b, s);
    } else if (kind == "dropdown") {
        DrawDropdown(c, b, s);
    } else if (kind == "color") {
        DrawColorFrame(c, b, s);
    } else if (kind == "edit") {
        DrawField(c, b, s);
    } else if (kind == "spin") {
        DrawSpin(c, b, s);
    } else if (kind == "slider") {
        DrawSliderTrack(c, b, s);
    } else if (kind != "area") {
        Fail("unknown control kind \"" + kind + "\"");
    }
}

void WritePillMask(const fs::path& out, const std::string& name, const ButtonPos& p) {
    int w = p.Width(), h = p.Height();
    if (!Shared(name, w, h)) {
        return;
    }
    Box b{0, 0, float(w), float(h)};
    float r = h / 2.0f;
    // Pixel centres inside the pill; the faces are drawn with the same radius.
    if (!SaveMaskBmp((out / name).string(), w, h,
                     [&](int x, int y) { return RoundRectDistance(x + 0.5f, y + 0.5f, b, r) <= 0.0f; })) {
        Fail("cannot write " + name);
    }
}

void WriteThumb(const fs::path& out, const std::string& name, int trackHeight) {
    int w = 12, h = trackHeight;
    if (!Shared(name, w, h)) {
        return;
    }
    Canvas c(w, h, theme::kWindowBottom);
    Box knob{0.5f, 1.5f, w - 0.5f, h - 1.5f};
    c.FillRoundRectV(knob, 3, theme::kLitTop, theme::kLitBottom);
    c.StrokeRoundRect(knob, 3, 1, theme::kBorder);
    // Two grip lines; a single line reads as a digit at this size.
    c.Line(w / 2.0f - 1.5f, 7, w / 2.0f - 1.5f, h - 7, 1, theme::kBorder, 0.8f);
    c.Line(w / 2.0f + 1.5f, 7, w / 2.0f + 1.5f, h - 7, 1, theme::kBorder, 0.8f);
    // Shape: everything outside the knob takes the key colour of the top-left pixel, with hard edges.
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (RoundRectDistance(x + 0.5f, y + 0.5f, knob, 3) > 0.0f) {
                c.Set(x, y, theme::kThumbKey);
            }
        }
    }
    if (!c.SaveBmp((out / name).string())) {
        Fail("cannot write " + name);
    }
}

void Generate(const fs::path& file, const fs::path& out) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    Skin skin{file.filename().string(), IniText(text.str())};
    std::vector<int> size = Numbers(skin.ini.Get("PAINT", "Size"));
    if (size.size() != 2 || size[0] <= 0 || size[1] <= 0 || size[0] > 4096 || size[1] > 4096) {
        Fail(skin.file + ": [PAINT] Size=w,h is missing or out of range");
        return;
    }
    skin.width = size[0];
    skin.height = size[1];
    float radius = float(std::max(0, std::stoi("0" + skin.ini.Get("PAINT", "Radius"))));
    SkinScreen screen = ReadSkinScreen(skin.ini.Reader());
    if (!skin.ini.HasSection(kScreenSection)) {
        Fail(skin.file + ": no [SCREEN] section");
        return;
    }

    struct Control {
        std::string kind;
        ButtonPos pos;
    };
    std::vector<std::pair<std::string, Control>> controls;
    for (const std::string& key : skin.ini.Keys(kButtonPosSection)) {
        ButtonPos p = ParseButtonPos(skin.ini.Get(kButtonPosSection, key));
        if (p.left < 0 || p.top < 0 || p.right > skin.width || p.bottom > skin.height) {
            Fail(skin.file + ": control " + key + " lies outside the window");
        }
        controls.push_back({key, {Lower(p.label), p}});
    }

    const std::pair<State, std::string> states[] = {{State::Normal, screen.normal},
                                                    {State::Over, screen.over},
                                                    {State::Down, screen.down},
                                                    {State::Disable, screen.disable}};
    for (const auto& [state, name] : states) {
        if (name.empty()) {
            Fail(skin.file + ": a screen picture is not named");
            continue;
        }
        Canvas c(skin.width, skin.height);
        DrawBackground(c, skin, radius);
        for (const auto& [key, control] : controls) {
            DrawControl(c, control.kind, control.pos, state);
            Box b = BoxOf(control.pos);
            std::string badge = skin.ini.Get("PAINT", "Badge" + key);
            if (!badge.empty() && control.pos.Width() > 0) {
                DrawMarker(c, b.x0 + 12, (b.y0 + b.y1) / 2, badge,
                           state == State::Over ? theme::kHover : theme::kBorder);
            }
            std::string label = skin.ini.Get("PAINT", "Label" + key);
            if (!label.empty() && control.pos.Width() > 0) {
                float h = std::min(10.0f, b.y1 - b.y0 - 8);
                Rgb colour = state == State::Over      ? theme::kHover
                             : state == State::Disable ? theme::kDisabled
                                                       : theme::kCaption;
                DrawDigits(c, (b.x0 + b.x1 - DigitsWidth(label, h)) / 2, (b.y0 + b.y1 - h) / 2, h, label, colour);
            }
        }
        if (!c.SaveBmp((out / name).string())) {
            Fail("cannot write " + name);
        }
    }
    if (!screen.mask.empty()) {
        Box all{0, 0, float(skin.width), float(skin.height)};
        SaveMaskBmp((out / screen.mask).string(), skin.width, skin.height,
                    [&](int x, int y) { return RoundRectDistance(x + 0.5f, y + 0.5f, all, radius) <= 0.0f; });
    }
    for (const auto& [key, control] : controls) {
        std::string mask = skin.ini.Get("PAINT", "Mask" + key);
        if (!mask.empty()) {
            WritePillMask(out, mask, control.pos);
        }
        std::string thumb = skin.ini.Get("PAINT", "Thumb" + key);
        if (!thumb.empty()) {
            WriteThumb(out, thumb, control.pos.Height());
        }
    }
}

// Icon 145: a small right arrow for submenu items, placed so that it sits centred in a 19-pixel menu row when the
// menu draws the 32 x 32 icon at (right - 19, top - 9).
void WriteArrowIcon(const fs::path& out) {
    Canvas c(32, 32);
    Canvas cover(32, 32);
    c.FillTriangle(7, 14, 7, 24, 12.5f, 19, theme::kCaption);
    cover.FillTriangle(7, 14, 7, 24, 12.5f, 19, Hex(0xffffff));
    std::vector<float> alpha(32 * 32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            alpha[y * 32 + x] = cover.Get(x, y).r;
        }
    }
    if (!SaveIcon((out / "arrow145.ico").string(), c, alpha)) {
        Fail("cannot write arrow145.ico");
    }
}

// The macro event list's 16 x 16 bitmaps on the list's dark background: pause (135), key release (137), key press
// (138), mouse button (146).
void WriteEventBitmaps(const fs::path& out) {
    Rgb bg = theme::kField;
    {
        Canvas c(16, 16, bg);
        c.StrokeRoundRect({1.5f, 1.5f, 14.5f, 14.5f}, 6.5f, 1.5f, theme::kCaption);
        c.Line(8, 8, 8, 4.5f, 1.5f, theme::kCaption);
        c.Line(8, 8, 10.8f, 9.8f, 1.5f, theme::kCaption);
        c.SaveBmp((out / "event135.bmp").string());
    }
    for (int release = 0; release < 2; ++release) {
        Canvas c(16, 16, bg);
        c.StrokeRoundRect({1.5f, 3.5f, 14.5f, 14.5f}, 2.5f, 1.2f, theme::kDisabled);
        Rgb arrow = release ? theme::kCaption : FromColorRef(0xF0A040);
        if (release) {
            c.FillTriangle(4.5f, 9.5f, 11.5f, 9.5f, 8, 5.5f, arrow);
            c.Line(8, 9, 8, 12.5f, 2, arrow);
        } else {
            c.FillTriangle(4.5f, 8.5f, 11.5f, 8.5f, 8, 12.5f, arrow);
            c.Line(8, 5, 8, 9, 2, arrow);
        }
        c.SaveBmp((out / (release ? "event137.bmp" : "event138.bmp")).string());
    }
    {
        Canvas c(16, 16, bg);
        c.FillRoundRect({3.5f, 1.5f, 12.5f, 14.5f}, 4.5f, Hex(0x9aa0ab));
        c.FillRoundRect({4.5f, 2.5f, 11.5f, 13.5f}, 3.5f, Hex(0x30343d));
        c.FillRoundRect({4.5f, 2.5f, 8, 7.5f}, 1.5f, FromColorRef(0xF0A040));
        c.Line(8, 2.5f, 8, 7.5f, 1, Hex(0x9aa0ab));
        c.Line(4.5f, 7.5f, 11.5f, 7.5f, 1, Hex(0x9aa0ab));
        c.SaveBmp((out / "event146.bmp").string());
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--resources") {
        fs::create_directories(argv[2]);
        WriteArrowIcon(argv[2]);
        WriteEventBitmaps(argv[2]);
        return g_failed ? 1 : 0;
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: skingen SKIN_SOURCE_DIR OUT_DIR | skingen --resources OUT_DIR\n");
        return 2;
    }
    fs::path source = argv[1], out = argv[2];
    fs::create_directories(out);
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(source)) {
        std::string name = Lower(entry.path().filename().string());
        if (name.rfind("skin_", 0) == 0 && entry.path().extension() == ".ini") {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& f : files) {
        Generate(f, out);
    }
    return g_failed ? 1 : 0;
}
