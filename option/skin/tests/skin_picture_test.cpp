// Pictures, outlines and the skinned dialog base with real files.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "framework/handles.h"
#include "framework/trace.h"
#include "option/skin/skin_picture.h"
#include "option/skin/skinned_dialog.h"
#include "testing/skin_test_support.h"
#include "testing/temp_folder.h"

namespace {

// A 24-bit DIB section filled by a function of (x, y) -> 0x00RRGGBB-free COLORREF.
HBITMAP MakeMask(int w, int h, const std::function<bool(int, int)>& white) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h; // top-down, so rows are easy to fill
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    int stride = (w * 3 + 3) & ~3;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            BYTE v = white(x, y) ? 255 : 0;
            BYTE* p = static_cast<BYTE*>(bits) + y * stride + 3 * x;
            p[0] = p[1] = p[2] = v;
            if (!white(x, y) && (x + y) % 3 == 0) {
                p[1] = 255; // some opaque pixels are near-white: only pure white is outside
            }
        }
    }
    GdiFlush();
    return bmp;
}

void WriteBmp(const std::string& path, int w, int h, COLORREF colour) {
    int stride = (w * 3 + 3) & ~3;
    std::vector<BYTE> row(stride, 0);
    for (int x = 0; x < w; ++x) {
        row[3 * x] = GetBValue(colour);
        row[3 * x + 1] = GetGValue(colour);
        row[3 * x + 2] = GetRValue(colour);
    }
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = w;
    info.biHeight = h;
    info.biPlanes = 1;
    info.biBitCount = 24;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + stride * h;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    for (int y = 0; y < h; ++y) {
        out.write(reinterpret_cast<const char*>(row.data()), stride);
    }
}

// A bottom-up Windows bitmap file of `bits` per pixel: 1, 4 and 8 with `palette`, where `pixel` gives the index;
// 16 (5-5-5), 24 and 32, where it gives the colour as 0xRRGGBB (16: the 5-5-5 word).
std::string BmpFile(int w, int h, int bits, const std::vector<RGBQUAD>& palette,
                    const std::function<uint32_t(int, int)>& pixel) {
    const int stride = ((w * bits + 31) / 32) * 4;
    std::string rows;
    for (int y = h - 1; y >= 0; --y) {
        std::vector<uint8_t> row(stride, 0);
        for (int x = 0; x < w; ++x) {
            uint32_t v = pixel(x, y);
            if (bits < 8) {
                int bit = x * bits;
                row[bit / 8] |= static_cast<uint8_t>(v << (8 - bits - bit % 8));
            } else {
                for (int b = 0; b < bits / 8; ++b) {
                    row[x * bits / 8 + b] = static_cast<uint8_t>(v >> (8 * b));
                }
            }
        }
        rows.append(row.begin(), row.end());
    }
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = w;
    info.biHeight = h;
    info.biPlanes = 1;
    info.biBitCount = static_cast<WORD>(bits);
    info.biClrUsed = static_cast<DWORD>(palette.size());
    file.bfType = 0x4D42;
    file.bfOffBits = static_cast<DWORD>(sizeof file + sizeof info + palette.size() * sizeof(RGBQUAD));
    file.bfSize = static_cast<DWORD>(file.bfOffBits + rows.size());
    std::string out(reinterpret_cast<const char*>(&file), sizeof file);
    out.append(reinterpret_cast<const char*>(&info), sizeof info);
    out.append(reinterpret_cast<const char*>(palette.data()), palette.size() * sizeof(RGBQUAD));
    return out + rows;
}

// Every pixel of a bitmap as 0x00RRGGBB, top row first.
std::vector<uint32_t> PixelsOf(HBITMAP bitmap, SIZE size) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<uint32_t> pixels(static_cast<std::size_t>(size.cx) * size.cy);
    WindowDC screen(nullptr);
    EXPECT_EQ(size.cy, GetDIBits(screen.get(), bitmap, 0, size.cy, pixels.data(), &info, DIB_RGB_COLORS));
    for (uint32_t& p : pixels) {
        p &= 0xFFFFFF;
    }
    return pixels;
}

std::vector<std::string> g_traces;
void KeepTrace(const char* line) {
    g_traces.push_back(line);
}

class PlainSkin : public SkinnedDialog {
public:
    using SkinnedDialog::SkinnedDialog;
};

} // namespace

TEST(RegionFromMask, AllWhiteGivesAnEmptyRegion) {
    GdiBitmap mask(MakeMask(40, 30, [](int, int) { return true; }));
    GdiRegion region(RegionFromMask(mask.get(), RGB(255, 255, 255), 0));
    ASSERT_TRUE(region);
    RECT box{};
    EXPECT_EQ(NULLREGION, GetRgnBox(region.get(), &box));
}

TEST(RegionFromMask, NoWhiteGivesTheFullRectangle) {
    GdiBitmap mask(MakeMask(40, 30, [](int, int) { return false; }));
    GdiRegion region(RegionFromMask(mask.get(), RGB(255, 255, 255), 0));
    ASSERT_TRUE(region);
    GdiRegion full(CreateRectRgn(0, 0, 40, 30));
    EXPECT_TRUE(EqualRgn(region.get(), full.get()));
}

TEST(RegionFromMask, MoreThan2000RunsGiveOneRegionEqualToTheirUnion) {
    // Every other pixel white: 100 runs in each of 60 rows, 6000 runs, three flushes.
    const int w = 200, h = 60;
    auto white = [](int x, int y) { return ((x + y) & 1) == 0; };
    GdiBitmap mask(MakeMask(w, h, white));
    GdiRegion region(RegionFromMask(mask.get(), RGB(255, 255, 255), 0));
    ASSERT_TRUE(region);
    int wrong = 0;
    for (int y = -1; y <= h; ++y) {
        for (int x = -1; x <= w; ++x) {
            bool inside = x >= 0 && y >= 0 && x < w && y < h && !white(x, y);
            wrong += (PtInRegion(region.get(), x, y) != FALSE) != inside;
        }
    }
    EXPECT_EQ(0, wrong);
}

TEST(RegionFromMask, WithoutABitmapThereIsNoRegion) {
    EXPECT_FALSE(RegionFromMask(nullptr, RGB(255, 255, 255), 0));
}

TEST(SkinPicture, AMissingPictureGivesAnEmptyBitmapAndATraceNamingIt) {
    g_traces.clear();
    TraceHook old = SetTraceHook(KeepTrace);
    GdiBitmap bmp(CreateCompatibleBitmap(WindowDC(nullptr).get(), 4, 4));
    SIZE size{99, 99};
    EXPECT_FALSE(LoadSkinPicture("C:\\no\\such\\folder\\nothing_here.bmp", bmp, size));
    SetTraceHook(old);
    EXPECT_FALSE(bmp);
    EXPECT_EQ(0, size.cx);
    EXPECT_EQ(0, size.cy);
    ASSERT_EQ(1u, g_traces.size());
    EXPECT_NE(std::string::npos, g_traces[0].find("nothing_here.bmp"));
}

TEST(SkinPicture, AFileThatIsNoPictureIsRefusedLikeAMissingOne) {
    const TempFolder temp;
    const std::string& folder = temp.Path();
    std::string path = folder + "junk.bmp";
    std::ofstream(path, std::ios::binary) << "BM this is not a picture at all";
    GdiBitmap bmp;
    SIZE size{};
    EXPECT_FALSE(LoadSkinPicture(path, bmp, size));
    EXPECT_EQ(0, size.cx);
}

TEST(SkinPicture, TheGeneratedScreenImagesLoadWithTheirSize) {
    UseBuildSkins();
    GdiBitmap bmp;
    SIZE size{};
    ASSERT_TRUE(LoadSkinPicture(SkinFolder() + "warn_normal.bmp", bmp, size));
    EXPECT_EQ(400, size.cx);
    EXPECT_EQ(264, size.cy);
    GdiBitmap mask(LoadSkinDib(SkinFolder() + "ok_mask.bmp"));
    ASSERT_TRUE(mask);
    GdiRegion pill(RegionFromMask(mask.get(), RGB(255, 255, 255), 0));
    // A pill: the middle is inside, the corners are not.
    EXPECT_TRUE(PtInRegion(pill.get(), 54, 15));
    EXPECT_FALSE(PtInRegion(pill.get(), 0, 0));
    EXPECT_FALSE(PtInRegion(pill.get(), 107, 29));
}

TEST(SkinPicture, WindowsBitmapsOfEveryDepthDecodeAsThePictureLoaderDecodesThemAndOtherFormatsStillLoad) {
    const TempFolder temp;
    const std::string& folder = temp.Path();
    const std::vector<RGBQUAD> two = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    const std::vector<RGBQUAD> sixteen = {{255, 255, 255, 0}, {0, 0, 255, 0},  {0, 255, 0, 0},     {255, 0, 0, 0},
                                          {10, 20, 30, 0},    {90, 80, 70, 0}, {128, 128, 128, 0}, {1, 2, 3, 0}};
    std::vector<RGBQUAD> many;
    for (int i = 0; i < 256; ++i) {
        many.push_back({static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i * 7), 0});
    }
    many[0] = {255, 255, 255, 0};
    auto colour = [](int x, int y) -> uint32_t {
        return (x + y) % 4 == 0 ? 0xFFFFFF : static_cast<uint32_t>((x * 19 & 255) << 16 | (y * 37 & 255) << 8 | x * y);
    };
    struct Case {
        const char* name;
        std::string bytes;
    };
    // Odd widths, so that every row ends in padding.
    std::vector<Case> cases = {
        {"d1.bmp", BmpFile(13, 7, 1, two, [](int x, int y) { return static_cast<uint32_t>((x * y + x + 1) % 2); })},
        {"d4.bmp", BmpFile(13, 7, 4, sixteen, [](int x, int y) { return static_cast<uint32_t>((x + 3 * y) % 8); })},
        {"d8.bmp", BmpFile(13, 7, 8, many, [](int x, int y) { return static_cast<uint32_t>((x * 23 + y * 5) % 256); })},
        {"d16.bmp", BmpFile(13, 7, 16, {},
                            [](int x, int y) {
                                return (x + y) % 4 == 0 ? 0x7FFFu : static_cast<uint32_t>(x * 2500 + y * 31) & 0x7FFF;
                            })},
        {"d24.bmp", BmpFile(13, 7, 24, {}, colour)},
        {"d32.bmp", BmpFile(13, 7, 32, {}, colour)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::ofstream(folder + c.name, std::ios::binary) << c.bytes;
        GdiBitmap fast, ole;
        SIZE fastSize{}, oleSize{};
        ASSERT_TRUE(LoadSkinPicture(folder + c.name, fast, fastSize));
        ASSERT_TRUE(LoadPictureThroughOle(folder + c.name, ole, oleSize));
        EXPECT_EQ(13, fastSize.cx);
        EXPECT_EQ(7, fastSize.cy);
        EXPECT_EQ(oleSize.cx, fastSize.cx);
        EXPECT_EQ(oleSize.cy, fastSize.cy);
        std::vector<uint32_t> pixels = PixelsOf(fast.get(), fastSize);
        EXPECT_EQ(PixelsOf(ole.get(), oleSize), pixels);
        EXPECT_EQ(0xFFFFFFu, pixels[0]) << "every picture has white at the top left";
        EXPECT_NE(pixels[0], pixels[1]);
        GdiRegion fastRegion(RegionFromMask(fast.get(), RGB(255, 255, 255), 0));
        GdiRegion oleRegion(RegionFromMask(ole.get(), RGB(255, 255, 255), 0));
        ASSERT_TRUE(fastRegion && oleRegion);
        EXPECT_TRUE(EqualRgn(fastRegion.get(), oleRegion.get()));
        EXPECT_FALSE(PtInRegion(fastRegion.get(), 0, 0));
    }

    // Damaged files, the rows cut short and a header that promises far more than the file holds, are refused by
    // both loaders (the picture loader would read past the end of the file) and by the mask loader.
    std::string whole = BmpFile(13, 7, 24, {}, colour);
    std::string big = whole;
    big[18] = big[22] = '\x7F'; // 127 x 127
    for (const Case& c : {Case{"cut.bmp", whole.substr(0, whole.size() / 2)}, Case{"big.bmp", big}}) {
        SCOPED_TRACE(c.name);
        std::ofstream(folder + c.name, std::ios::binary) << c.bytes;
        g_traces.clear();
        SetTraceHook(KeepTrace);
        GdiBitmap fast, ole;
        SIZE fastSize{1, 1}, oleSize{1, 1};
        EXPECT_FALSE(LoadSkinPicture(folder + c.name, fast, fastSize));
        EXPECT_FALSE(LoadPictureThroughOle(folder + c.name, ole, oleSize));
        GdiBitmap mask(LoadSkinDib(folder + c.name));
        SetTraceHook(nullptr);
        EXPECT_FALSE(fast || ole || mask);
        EXPECT_EQ(0, fastSize.cx + fastSize.cy + oleSize.cx + oleSize.cy);
        ASSERT_EQ(3u, g_traces.size());
        for (const std::string& t : g_traces) {
            EXPECT_NE(std::string::npos, t.find(c.name)) << t;
        }
    }

    // A GIF of one red pixel still goes through the picture loader.
    const unsigned char gif[] = {'G', 'I',  'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 255,  0, 0, 0,   0,
                                 0,   0x2C, 0,   0,   0,   0,   1, 0, 1, 0, 0,    2, 2, 0x44, 1, 0, 0x3B};
    std::ofstream(folder + "red.gif", std::ios::binary).write(reinterpret_cast<const char*>(gif), sizeof gif);
    GdiBitmap red;
    SIZE redSize{};
    ASSERT_TRUE(LoadSkinPicture(folder + "red.gif", red, redSize));
    EXPECT_EQ(1, redSize.cx);
    EXPECT_EQ(1, redSize.cy);
    EXPECT_EQ(std::vector<uint32_t>{0xFF0000u}, PixelsOf(red.get(), redSize));
}

TEST(MaskRegion, ButtonsSharingAMaskGetEqualShapesOfTheirOwnFromOneReadingUntilTheFileChanges) {
    const TempFolder temp;
    const std::string path = temp.Path() + "shared_mask.bmp";
    // White left columns and top rows around a dark block: the shape is the block.
    std::ofstream(path, std::ios::binary)
        << BmpFile(21, 9, 24, {}, [](int x, int y) { return x < 3 || y < 2 ? 0xFFFFFFu : 0x102030u; });
    GdiRegion first = MaskRegion(path);
    ASSERT_TRUE(first);
    EXPECT_FALSE(PtInRegion(first.get(), 1, 1));
    EXPECT_TRUE(PtInRegion(first.get(), 10, 5));
    {
        // Held open by another program without sharing: the file cannot be read again, and the next button gets the
        // shape of the first reading.
        KernelHandle held(
            CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held);
        ASSERT_FALSE(LoadSkinDib(path));
        GdiRegion second = MaskRegion(path);
        ASSERT_TRUE(second);
        EXPECT_NE(first.get(), second.get());
        EXPECT_TRUE(EqualRgn(first.get(), second.get()));
        // A window takes over the region it is given: the other button's shape stays.
        first.reset();
        EXPECT_TRUE(PtInRegion(second.get(), 10, 5));
        EXPECT_FALSE(PtInRegion(second.get(), 1, 1));
    }
    // Another picture under the same name gives its own shape.
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        << BmpFile(25, 9, 24, {}, [](int x, int) { return x < 12 ? 0xFFFFFFu : 0x102030u; });
    GdiRegion changed = MaskRegion(path);
    ASSERT_TRUE(changed);
    EXPECT_FALSE(PtInRegion(changed.get(), 10, 5));
    EXPECT_TRUE(PtInRegion(changed.get(), 20, 5));
}

TEST(SkinnedDialogBase, ClientAreaIsTheNormalPictureWhateverTheTemplateAndSectionCase) {
    const TempFolder temp;
    const std::string& folder = temp.Path();
    WriteBmp(folder + "n.bmp", 400, 300, RGB(30, 30, 30));
    WriteBmp(folder + "m.bmp", 400, 300, RGB(0, 0, 0));
    // The section is written "Screen" and asked for as "SCREEN".
    std::ofstream(folder + "skin_t.ini") << "[Screen]\r\nMask=m.bmp\r\nNormal=n.bmp\r\nOver=n.bmp\r\nDown=n.bmp\r\n"
                                            "Disable=n.bmp\r\n";
    SetSkinFolder(folder);
    {
        PlainSkin dialog("skin_t.ini");
        HWND hwnd = dialog.CreatePopup(nullptr);
        ASSERT_NE(nullptr, hwnd);
        RECT client{}, window{};
        GetClientRect(hwnd, &client);
        GetWindowRect(hwnd, &window);
        EXPECT_EQ(400, client.right);
        EXPECT_EQ(300, client.bottom);
        EXPECT_EQ(0, window.left);
        EXPECT_EQ(0, window.top);
        GdiRegion region(CreateRectRgn(0, 0, 0, 0));
        EXPECT_EQ(SIMPLEREGION, GetWindowRgn(hwnd, region.get()));
        dialog.Destroy();
    }
    UseBuildSkins();
}

TEST(SkinnedDialogBase, MissingPicturesLeaveAnEmptyRectangularWindowAndTraces) {
    const TempFolder temp;
    const std::string& folder = temp.Path();
    std::ofstream(folder + "skin_x.ini") << "[SCREEN]\r\nMask=gone_mask.bmp\r\nNormal=gone.bmp\r\n";
    SetSkinFolder(folder);
    g_traces.clear();
    TraceHook old = SetTraceHook(KeepTrace);
    {
        PlainSkin dialog("skin_x.ini");
        HWND hwnd = dialog.CreatePopup(nullptr);
        ASSERT_NE(nullptr, hwnd);
        RECT client{};
        GetClientRect(hwnd, &client);
        EXPECT_EQ(0, client.right);
        EXPECT_EQ(0, client.bottom);
        UpdateWindow(hwnd);
        dialog.Destroy();
    }
    SetTraceHook(old);
    bool named = false;
    for (const auto& t : g_traces) {
        named = named || t.find("gone.bmp") != std::string::npos;
    }
    EXPECT_TRUE(named);
    UseBuildSkins();
}

TEST(SkinPreload, WindowsTakeWhatTheWorkerReadWhileTheFileIsTheSameAndLoadTheRestAsEver) {
    const TempFolder temp;
    const std::string& folder = temp.Path();
    auto mask = [](int x, int y) { return x < 4 || y < 3 || (x > 20 && y > 12) ? 0xFFFFFFu : 0x203040u; };
    auto normal = [](int x, int y) { return static_cast<uint32_t>((x * 7 & 255) << 16 | (y * 11 & 255) << 8 | 0x40); };
    std::ofstream(folder + "m.bmp", std::ios::binary) << BmpFile(30, 20, 24, {}, mask);
    std::ofstream(folder + "n.bmp", std::ios::binary) << BmpFile(30, 20, 24, {}, normal);
    std::ofstream(folder + "o.bmp", std::ios::binary) << BmpFile(30, 20, 24, {}, normal);
    std::ofstream(folder + "thumb.bmp", std::ios::binary) << BmpFile(9, 5, 24, {}, mask);
    std::ofstream(folder + "left.bmp", std::ios::binary) << BmpFile(9, 5, 24, {}, normal);
    std::ofstream(folder + "changed.bmp", std::ios::binary) << BmpFile(30, 20, 24, {}, normal);
    const std::string whole = BmpFile(30, 20, 24, {}, normal);
    std::ofstream(folder + "cut.bmp", std::ios::binary) << whole.substr(0, whole.size() / 2);
    std::ofstream(folder + "skin_p.ini") << "[SCREEN]\r\nMask=m.bmp\r\nNormal=n.bmp\r\nOver=o.bmp\r\nDown=cut.bmp\r\n"
                                            "Disable=gone.bmp\r\n";
    SetSkinFolder(folder);

    // The pictures as the picture loader decodes them, which never looks at the preload.
    GdiBitmap normalRef, maskRef, thumbRef;
    SIZE normalSize{}, maskSize{}, thumbSize{};
    ASSERT_TRUE(LoadPictureThroughOle(folder + "n.bmp", normalRef, normalSize));
    ASSERT_TRUE(LoadPictureThroughOle(folder + "m.bmp", maskRef, maskSize));
    ASSERT_TRUE(LoadPictureThroughOle(folder + "thumb.bmp", thumbRef, thumbSize));
    const GdiRegion outlineRef(RegionFromMask(maskRef.get(), RGB(255, 255, 255), 0));
    ASSERT_TRUE(outlineRef);
    // The traces of the damaged and the missing picture without a preload, and a window built once, so that what the
    // system creates for the first window of a kind is there before the count.
    g_traces.clear();
    TraceHook old = SetTraceHook(KeepTrace);
    {
        PlainSkin dialog("skin_p.ini");
        ASSERT_NE(nullptr, dialog.CreatePopup(nullptr));
        dialog.Destroy();
    }
    const std::vector<std::string> unpreloaded = g_traces;
    ASSERT_EQ(2u, unpreloaded.size());

    const unsigned gdiBefore = GdiObjectCount();
    {
        // The count sees one more object.
        GdiRegion probe(CreateRectRgn(0, 0, 1, 1));
        ASSERT_EQ(gdiBefore + 1, GdiObjectCount());
    }
    {
        SkinPreload preload(folder, {"skin_p.ini"}, {"thumb.bmp", "changed.bmp", "left.bmp"});
        preload.Finish();
        // Changed after it was read: another picture under the same name, loaded afresh.
        std::ofstream(folder + "changed.bmp", std::ios::binary | std::ios::trunc) << BmpFile(31, 20, 24, {}, mask);
        g_traces.clear();
        {
            // Held by another program without sharing: only what the worker read can be had.
            std::vector<KernelHandle> held;
            for (const char* name : {"m.bmp", "n.bmp", "thumb.bmp"}) {
                held.emplace_back(CreateFileA((folder + name).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
                ASSERT_TRUE(held.back()) << name;
            }
            PlainSkin dialog("skin_p.ini");
            HWND hwnd = dialog.CreatePopup(nullptr);
            ASSERT_NE(nullptr, hwnd);
            EXPECT_EQ(30, dialog.SkinSize().cx);
            EXPECT_EQ(20, dialog.SkinSize().cy);
            EXPECT_EQ(PixelsOf(normalRef.get(), normalSize), PixelsOf(dialog.Background(), dialog.SkinSize()));
            GdiRegion outline(CreateRectRgn(0, 0, 0, 0));
            EXPECT_EQ(COMPLEXREGION, GetWindowRgn(hwnd, outline.get()));
            EXPECT_TRUE(EqualRgn(outline.get(), outlineRef.get()));
            dialog.Destroy();

            GdiBitmap thumb = LoadSkinDib(folder + "thumb.bmp");
            ASSERT_TRUE(thumb);
            EXPECT_EQ(PixelsOf(thumbRef.get(), thumbSize), PixelsOf(thumb.get(), BitmapSize(thumb.get())));
            // Each picture is taken once: the window owns it, and a second asker loads the file itself.
            GdiBitmap again;
            SIZE againSize{};
            EXPECT_FALSE(LoadSkinPicture(folder + "n.bmp", again, againSize));
            g_traces.pop_back();
        }
        // The damaged and the missing picture: what they gave without the preload, and nothing else.
        EXPECT_EQ(unpreloaded, g_traces);
        GdiBitmap changed;
        SIZE changedSize{};
        ASSERT_TRUE(LoadSkinPicture(folder + "changed.bmp", changed, changedSize));
        EXPECT_EQ(31, changedSize.cx);
        // "left.bmp" is never taken: the preload's end deletes it.
    }
    SetTraceHook(old);
    EXPECT_EQ(gdiBefore, GdiObjectCount());
    UseBuildSkins();
}
