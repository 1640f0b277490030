#include "canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

uint8_t ToByte(float v) {
    return static_cast<uint8_t>(std::clamp(std::lround(v * 255.0f), 0L, 255L));
}

void Put16(std::vector<uint8_t>& out, unsigned v) {
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<uint8_t>& out, unsigned v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void InfoHeader(std::vector<uint8_t>& out, int w, int h, int bpp, unsigned imageSize) {
    Put32(out, 40);
    Put32(out, static_cast<unsigned>(w));
    Put32(out, static_cast<unsigned>(h));
    Put16(out, 1);
    Put16(out, static_cast<unsigned>(bpp));
    Put32(out, 0);
    Put32(out, imageSize);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& data) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "skingen: cannot write %s\n", path.c_str());
        return false;
    }
    bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    ok = std::fclose(f) == 0 && ok;
    return ok;
}

bool SaveBmpRows(const std::string& path, int w, int h, const std::function<void(int, int, uint8_t*)>& pixel) {
    unsigned stride = (static_cast<unsigned>(w) * 3 + 3) & ~3u;
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, 54 + stride * h);
    Put32(out, 0);
    Put32(out, 54);
    InfoHeader(out, w, h, 24, stride * h);
    for (int y = h - 1; y >= 0; --y) {
        std::size_t row = out.size();
        out.resize(row + stride, 0);
        for (int x = 0; x < w; ++x) {
            pixel(x, y, &out[row + 3 * x]);
        }
    }
    return WriteFile(path, out);
}

} // namespace

Rgb FromColorRef(uint32_t c) {
    return {(c & 0xFF) / 255.0f, ((c >> 8) & 0xFF) / 255.0f, ((c >> 16) & 0xFF) / 255.0f};
}
Rgb Hex(uint32_t rgb) {
    return FromColorRef(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
}
Rgb Mix(Rgb a, Rgb b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Canvas::Canvas(int w, int h, Rgb fill) : w_(w), h_(h), px_(static_cast<std::size_t>(w) * h, fill) {}

void Canvas::Blend(int x, int y, Rgb c, float alpha) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_ || alpha <= 0) {
        return;
    }
    Rgb& p = px_[y * w_ + x];
    p = Mix(p, c, std::min(alpha, 1.0f));
}

void Canvas::Shade(const Box& bounds, const std::function<float(float, float)>& distance,
                   const std::function<Rgb(float, float)>& paint, float alpha) {
    int x0 = std::max(0, static_cast<int>(std::floor(bounds.x0)) - 1);
    int y0 = std::max(0, static_cast<int>(std::floor(bounds.y0)) - 1);
    int x1 = std::min(w_, static_cast<int>(std::ceil(bounds.x1)) + 1);
    int y1 = std::min(h_, static_cast<int>(std::ceil(bounds.y1)) + 1);
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            int hits = 0;
            for (int sy = 0; sy < 4; ++sy) {
                for (int sx = 0; sx < 4; ++sx) {
                    if (distance(x + (sx + 0.5f) / 4, y + (sy + 0.5f) / 4) <= 0) {
                        ++hits;
                    }
                }
            }
            if (hits) {
                Blend(x, y, paint(x + 0.5f, y + 0.5f), alpha * hits / 16.0f);
            }
        }
    }
}

float RoundRectDistance(float x, float y, const Box& b, float radius) {
    float cx = (b.x0 + b.x1) / 2, cy = (b.y0 + b.y1) / 2;
    float hx = (b.x1 - b.x0) / 2 - radius, hy = (b.y1 - b.y0) / 2 - radius;
    float qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
    float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

void Canvas::FillRoundRect(Box b, float radius, Rgb c, float alpha) {
    Shade(
        b, [&](float x, float y) { return RoundRectDistance(x, y, b, radius); }, [&](float, float) { return c; },
        alpha);
}

void Canvas::FillRoundRectV(Box b, float radius, Rgb top, Rgb bottom, float alpha) {
    Shade(
        b, [&](float x, float y) { return RoundRectDistance(x, y, b, radius); },
        [&](float, float y) { return Mix(top, bottom, std::clamp((y - b.y0) / (b.y1 - b.y0), 0.0f, 1.0f)); }, alpha);
}

void Canvas::StrokeRoundRect(Box b, float radius, float width, Rgb c, float alpha) {
    Box inner{b.x0 + width, b.y0 + width, b.x1 - width, b.y1 - width};
    float innerRadius = std::max(0.0f, radius - width);
    Shade(
        b,
        [&](float x, float y) {
            return std::max(RoundRectDistance(x, y, b, radius), -RoundRectDistance(x, y, inner, innerRadius));
        },
        [&](float, float) { return c; }, alpha);
}

void Canvas::FillCircle(float cx, float cy, float r, Rgb c, float alpha) {
    Shade(
        {cx - r, cy - r, cx + r, cy + r}, [&](float x, float y) { return std::hypot(x - cx, y - cy) - r; },
        [&](float, float) { return c; }, alpha);
}

void Canvas::Line(float x0, float y0, float x1, float y1, float width, Rgb c, float alpha) {
    float dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
    Box b{std::min(x0, x1) - width, std::min(y0, y1) - width, std::max(x0, x1) + width, std::max(y0, y1) + width};
    Shade(
        b,
        [&](float x, float y) {
            float t = len2 > 0 ? std::clamp(((x - x0) * dx + (y - y0) * dy) / len2, 0.0f, 1.0f) : 0.0f;
            return std::hypot(x - (x0 + t * dx), y - (y0 + t * dy)) - width / 2;
        },
        [&](float, float) { return c; }, alpha);
}

void Canvas::FillTriangle(float ax, float ay, float bx, float by, float cx, float cy, Rgb c, float alpha) {
    auto edge = [](float px, float py, float qx, float qy, float x, float y) {
        return (qx - px) * (y - py) - (qy - py) * (x - px);
    };
    float area = edge(ax, ay, bx, by, cx, cy);
    Box b{std::min({ax, bx, cx}), std::min({ay, by, cy}), std::max({ax, bx, cx}), std::max({ay, by, cy})};
    Shade(
        b,
        [&](float x, float y) {
            float s = area < 0 ? -1.0f : 1.0f;
            float e0 = s * edge(ax, ay, bx, by, x, y), e1 = s * edge(bx, by, cx, cy, x, y),
                  e2 = s * edge(cx, cy, ax, ay, x, y);
            return (e0 >= 0 && e1 >= 0 && e2 >= 0) ? -1.0f : 1.0f;
        },
        [&](float, float) { return c; }, alpha);
}

bool Canvas::SaveBmp(const std::string& path) const {
    return SaveBmpRows(path, w_, h_, [this](int x, int y, uint8_t* p) {
        Rgb c = Get(x, y);
        p[0] = ToByte(c.b);
        p[1] = ToByte(c.g);
        p[2] = ToByte(c.r);
    });
}

bool SaveMaskBmp(const std::string& path, int w, int h, const std::function<bool(int, int)>& inside) {
    return SaveBmpRows(path, w, h, [&](int x, int y, uint8_t* p) {
        uint8_t v = inside(x, y) ? 0 : 255;
        p[0] = p[1] = p[2] = v;
    });
}

bool SaveIcon(const std::string& path, const Canvas& c, const std::vector<float>& alpha) {
    int w = c.Width(), h = c.Height();
    unsigned maskStride = ((static_cast<unsigned>(w) + 31) / 32) * 4;
    unsigned imageSize = 40 + static_cast<unsigned>(w) * h * 4 + maskStride * h;
    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, 1);
    out.push_back(static_cast<uint8_t>(w));
    out.push_back(static_cast<uint8_t>(h));
    out.push_back(0);
    out.push_back(0);
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, imageSize);
    Put32(out, 22);
    InfoHeader(out, w, h * 2, 32, 0);
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            Rgb p = c.Get(x, y);
            float a = alpha[y * w + x];
            out.push_back(ToByte(p.b));
            out.push_back(ToByte(p.g));
            out.push_back(ToByte(p.r));
            out.push_back(ToByte(a));
        }
    }
    for (int y = h - 1; y >= 0; --y) {
        std::vector<uint8_t> row(maskStride, 0);
        for (int x = 0; x < w; ++x) {
            if (alpha[y * w + x] <= 0.0f) {
                row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return WriteFile(path, out);
}
