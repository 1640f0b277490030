#pragma once
// A small raster for drawing skin pictures: RGB floats, anti-aliased shapes from signed distances, and writers for
// 24-bit Windows bitmaps and 32-bit icons.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct Rgb {
    float r = 0, g = 0, b = 0;
};

// From the programs' 0x00BBGGRR colour values.
Rgb FromColorRef(uint32_t c);
// From web-style 0xRRGGBB.
Rgb Hex(uint32_t rgb);
Rgb Mix(Rgb a, Rgb b, float t);

struct Box {
    float x0, y0, x1, y1;
};

class Canvas {
public:
    Canvas(int w, int h, Rgb fill = {});
    int Width() const { return w_; }
    int Height() const { return h_; }

    Rgb Get(int x, int y) const { return px_[y * w_ + x]; }
    void Set(int x, int y, Rgb c) { px_[y * w_ + x] = c; }
    void Blend(int x, int y, Rgb c, float alpha);

    // Fills where the signed distance (negative inside) says so, with 4x4 supersampled coverage. paint gives the
    // colour at a point.
    void Shade(const Box& bounds, const std::function<float(float, float)>& distance,
               const std::function<Rgb(float, float)>& paint, float alpha = 1.0f);

    void FillRoundRect(Box b, float radius, Rgb c, float alpha = 1.0f);
    void FillRoundRectV(Box b, float radius, Rgb top, Rgb bottom, float alpha = 1.0f);
    // A ring of the given width whose outer edge is the box.
    void StrokeRoundRect(Box b, float radius, float width, Rgb c, float alpha = 1.0f);
    void FillCircle(float cx, float cy, float r, Rgb c, float alpha = 1.0f);
    void Line(float x0, float y0, float x1, float y1, float width, Rgb c, float alpha = 1.0f);
    void FillTriangle(float ax, float ay, float bx, float by, float cx, float cy, Rgb c, float alpha = 1.0f);

    bool SaveBmp(const std::string& path) const;

private:
    int w_, h_;
    std::vector<Rgb> px_;
};

// Signed distance to a rounded rectangle.
float RoundRectDistance(float x, float y, const Box& b, float radius);

// A binary mask: white outside, black inside (no blending, so regions built from it are exact).
bool SaveMaskBmp(const std::string& path, int w, int h, const std::function<bool(int, int)>& inside);

// A 32-bit icon with alpha from a canvas and a coverage plane.
bool SaveIcon(const std::string& path, const Canvas& c, const std::vector<float>& alpha);
