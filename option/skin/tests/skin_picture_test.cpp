// Pictures, outlines and the skinned dialog base with real files.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
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
    EXPECT_EQ(nullptr, RegionFromMask(nullptr, RGB(255, 255, 255), 0));
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
