#include "option/skin/skin_picture.h"

#include <windows.h>

#include <ole2.h>
#include <olectl.h>

#include <utility>
#include <vector>

#include "framework/trace.h"
#include "option/skin/mask_runs.h"

namespace {

// A global block holding the file, or null.
HGLOBAL ReadFileToGlobal(const std::string& path) {
    KernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return nullptr;
    }
    LARGE_INTEGER size{};
    // Pictures are small; a file beyond 64 MB is not a skin picture.
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 || size.QuadPart > (64 << 20)) {
        return nullptr;
    }
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(size.QuadPart));
    if (!block) {
        return nullptr;
    }
    void* data = GlobalLock(block);
    DWORD read = 0;
    bool ok = data && ReadFile(file.get(), data, static_cast<DWORD>(size.QuadPart), &read, nullptr) &&
              read == static_cast<DWORD>(size.QuadPart);
    if (data) {
        GlobalUnlock(block);
    }
    if (!ok) {
        GlobalFree(block);
        return nullptr;
    }
    return block;
}

// The OLE picture loader needs COM on the thread; a thread that has it already keeps its own.
void EnsureCom() {
    static thread_local bool done = false;
    if (!done) {
        HRESULT hr = CoInitialize(nullptr);
        done = SUCCEEDED(hr) || hr == RPC_E_CHANGED_MODE;
    }
}

} // namespace

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    if (!bitmap || GetObjectA(bitmap, sizeof info, &info) != sizeof info) {
        return {0, 0};
    }
    return {info.bmWidth, info.bmHeight};
}

namespace {

// True when the file starts like a Windows bitmap file.
bool IsBmpFile(const std::string& path) {
    KernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    char magic[2] = {};
    DWORD read = 0;
    return file && ReadFile(file.get(), magic, 2, &read, nullptr) && read == 2 && magic[0] == 'B' && magic[1] == 'M';
}

} // namespace

bool LoadSkinPicture(const std::string& path, GdiBitmap& bitmap, SIZE& size) {
    bitmap.reset();
    size = {0, 0};
    // Windows bitmaps, which every skin of ours ships, load several times faster from the file than through the
    // picture loader; what the file loader refuses still goes the picture loader's way.
    if (IsBmpFile(path)) {
        bitmap.reset(static_cast<HBITMAP>(
            LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
        if (bitmap) {
            size = BitmapSize(bitmap.get());
            return true;
        }
    }
    EnsureCom();
    HGLOBAL block = ReadFileToGlobal(path);
    if (!block) {
        Trace("Skin picture %s could not be opened\n", path.c_str());
        return false;
    }
    IStream* stream = nullptr;
    // The stream frees the block on release.
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream)) || !stream) {
        GlobalFree(block);
        Trace("Skin picture %s could not be read\n", path.c_str());
        return false;
    }
    IPicture* picture = nullptr;
    HRESULT hr = OleLoadPicture(stream, 0, FALSE, IID_IPicture, reinterpret_cast<void**>(&picture));
    stream->Release();
    if (FAILED(hr) || !picture) {
        Trace("Skin picture %s could not be decoded\n", path.c_str());
        return false;
    }
    OLE_HANDLE handle = 0;
    SHORT type = PICTYPE_UNINITIALIZED;
    if (SUCCEEDED(picture->get_Type(&type)) && type == PICTYPE_BITMAP && SUCCEEDED(picture->get_Handle(&handle)) &&
        handle) {
        // The picture owns its bitmap; take a copy that outlives it.
        HBITMAP copy = static_cast<HBITMAP>(
            CopyImage(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)), IMAGE_BITMAP, 0, 0, 0));
        bitmap.reset(copy);
    }
    picture->Release();
    if (!bitmap) {
        Trace("Skin picture %s is not a bitmap picture\n", path.c_str());
        return false;
    }
    size = BitmapSize(bitmap.get());
    return true;
}

GdiBitmap LoadSkinDib(const std::string& path) {
    GdiBitmap bitmap(static_cast<HBITMAP>(
        LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
    if (!bitmap) {
        Trace("Skin picture %s could not be loaded\n", path.c_str());
    }
    return bitmap;
}

namespace {

// One batch of rows runs as a region.
GdiRegion RegionFromRuns(const RunBlock& block) {
    const auto& rects = block.Rects();
    std::vector<BYTE> data(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
    header->dwSize = sizeof(RGNDATAHEADER);
    header->iType = RDH_RECTANGLES;
    header->nCount = static_cast<DWORD>(rects.size());
    header->nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
    if (rects.empty()) {
        SetRect(&header->rcBound, 0, 0, 0, 0);
    } else {
        const RunRect& b = block.Bound();
        SetRect(&header->rcBound, b.left, b.top, b.right, b.bottom);
    }
    auto* out = reinterpret_cast<RECT*>(data.data() + sizeof(RGNDATAHEADER));
    for (std::size_t i = 0; i < rects.size(); ++i) {
        SetRect(&out[i], rects[i].left, rects[i].top, rects[i].right, rects[i].bottom);
    }
    return GdiRegion(
        ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), reinterpret_cast<RGNDATA*>(data.data())));
}

} // namespace

GdiRegion RegionFromMask(HBITMAP mask, COLORREF transparent, COLORREF tolerance) {
    if (!mask) {
        return {};
    }
    MemoryDC sectionDC(CreateCompatibleDC(nullptr));
    if (!sectionDC) {
        return {};
    }
    SIZE size = BitmapSize(mask);
    if (size.cx <= 0 || size.cy <= 0) {
        return {};
    }
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = size.cx;
    info.biHeight = size.cy; // bottom-up
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    void* bits = nullptr;
    GdiBitmap section(
        CreateDIBSection(sectionDC.get(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!section || !bits) {
        return {};
    }
    {
        SelectObjectGuard intoSection(sectionDC.get(), section.get());
        MemoryDC maskDC(CreateCompatibleDC(sectionDC.get()));
        if (!maskDC) {
            return {};
        }
        SelectObjectGuard fromMask(maskDC.get(), mask);
        BitBlt(sectionDC.get(), 0, 0, size.cx, size.cy, maskDC.get(), 0, 0, SRCCOPY);
    }
    GdiFlush();

    const std::size_t stride = MaskStride(size.cx);
    const auto* base = static_cast<const uint8_t*>(bits);
    GdiRegion result;
    ScanMaskRuns(
        size.cx, size.cy, [&](int y) { return base + stride * static_cast<std::size_t>(size.cy - 1 - y); },
        TransparentRange(transparent, tolerance),
        [&](const RunBlock& block) {
            GdiRegion part = RegionFromRuns(block);
            if (!part) {
                return;
            }
            if (result) {
                CombineRgn(result.get(), result.get(), part.get(), RGN_OR);
            } else {
                result = std::move(part);
            }
        });
    return result;
}

void CutFaces(HDC windowDC, const RECT& part, std::initializer_list<FaceCut> cuts) {
    const int w = part.right - part.left, h = part.bottom - part.top;
    // One pair of memory DCs for all of a control's faces: a page cuts hundreds of them while it is built.
    MemoryDC to(CreateCompatibleDC(windowDC));
    MemoryDC from(CreateCompatibleDC(windowDC));
    for (const FaceCut& cut : cuts) {
        if (!cut.screen) {
            continue;
        }
        cut.face.reset(CreateCompatibleBitmap(windowDC, w, h));
        if (!cut.face || !to || !from) {
            continue;
        }
        SelectObjectGuard a(to.get(), cut.face.get());
        SelectObjectGuard b(from.get(), cut.screen);
        StretchBlt(to.get(), 0, 0, w, h, from.get(), part.left, part.top, w, h, SRCCOPY);
    }
}

void CutFace(HDC windowDC, GdiBitmap& face, HBITMAP screen, int left, int top, int right, int bottom) {
    CutFaces(windowDC, {left, top, right, bottom}, {{face, screen}});
}

GdiFont CreateSkinFont(int height, int width) {
    return GdiFont(CreateFontA(height, width, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS | DEFAULT_PITCH, "Arial"));
}
