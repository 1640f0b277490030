#include "option/skin/skin_picture.h"

#include <windows.h>

#include <ole2.h>
#include <olectl.h>

#include <utility>
#include <vector>

#include "framework/system_library.h"
#include "framework/trace.h"
#include "option/skin/bmp_header.h"
#include "option/skin/mask_runs.h"

namespace {

// A global block holding the file and its size, or null.
HGLOBAL ReadFileToGlobal(const std::string& path, SIZE_T& blockSize) {
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
    blockSize = static_cast<SIZE_T>(size.QuadPart);
    return block;
}

// The OLE picture loader and the COM it needs, loaded with the first picture that is not a Windows bitmap: loading
// them costs more than the start of the window that shows the pictures.
struct PictureLoader {
    decltype(&CoInitialize) coInitialize = SystemFunction<decltype(&CoInitialize)>("ole32.dll", "CoInitialize");
    decltype(&CreateStreamOnHGlobal) createStream =
        SystemFunction<decltype(&CreateStreamOnHGlobal)>("ole32.dll", "CreateStreamOnHGlobal");
    decltype(&OleLoadPicture) loadPicture = SystemFunction<decltype(&OleLoadPicture)>("oleaut32.dll", "OleLoadPicture");
};

// The loader with COM on this thread (a thread that has COM already keeps its own); null when the system libraries
// are missing.
const PictureLoader* ComPictureLoader() {
    static const PictureLoader loader;
    if (!loader.coInitialize || !loader.createStream || !loader.loadPicture) {
        return nullptr;
    }
    static thread_local bool done = false;
    if (!done) {
        HRESULT hr = loader.coInitialize(nullptr);
        done = SUCCEEDED(hr) || hr == RPC_E_CHANGED_MODE;
    }
    return &loader;
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

enum class BmpCheck { kNotBmp, kFits, kDamaged };

// Whether a file's first bytes start a Windows bitmap, and if so whether its headers fit the file.
BmpCheck CheckBmp(const void* head, std::size_t headSize, std::uint64_t fileSize) {
    const auto* bytes = static_cast<const std::uint8_t*>(head);
    if (headSize < 2 || bytes[0] != 'B' || bytes[1] != 'M') {
        return BmpCheck::kNotBmp;
    }
    return BmpFitsFile(bytes, headSize, fileSize) ? BmpCheck::kFits : BmpCheck::kDamaged;
}

BmpCheck CheckBmpFile(const std::string& path) {
    KernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    std::uint8_t head[kBmpHeaderBytes] = {};
    DWORD read = 0;
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size) || !ReadFile(file.get(), head, sizeof head, &read, nullptr)) {
        return BmpCheck::kNotBmp;
    }
    return CheckBmp(head, read, static_cast<std::uint64_t>(size.QuadPart));
}

} // namespace

bool LoadSkinPicture(const std::string& path, GdiBitmap& bitmap, SIZE& size) {
    bitmap.reset();
    size = {0, 0};
    // Windows bitmaps, which every skin of ours ships, load several times faster from the file than through the
    // picture loader; what the file loader refuses still goes the picture loader's way.
    BmpCheck bmp = CheckBmpFile(path);
    if (bmp == BmpCheck::kDamaged) {
        Trace("Skin picture %s could not be decoded\n", path.c_str());
        return false;
    }
    if (bmp == BmpCheck::kFits) {
        bitmap.reset(static_cast<HBITMAP>(
            LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
        if (bitmap) {
            size = BitmapSize(bitmap.get());
            return true;
        }
    }
    return LoadPictureThroughOle(path, bitmap, size);
}

bool LoadPictureThroughOle(const std::string& path, GdiBitmap& bitmap, SIZE& size) {
    bitmap.reset();
    size = {0, 0};
    SIZE_T blockSize = 0;
    HGLOBAL block = ReadFileToGlobal(path, blockSize);
    if (!block) {
        Trace("Skin picture %s could not be opened\n", path.c_str());
        return false;
    }
    // The picture loader reads a damaged Windows bitmap past the end of the block.
    const void* data = GlobalLock(block);
    const bool damaged = !data || CheckBmp(data, blockSize < kBmpHeaderBytes ? blockSize : kBmpHeaderBytes,
                                           blockSize) == BmpCheck::kDamaged;
    GlobalUnlock(block);
    if (damaged) {
        GlobalFree(block);
        Trace("Skin picture %s could not be decoded\n", path.c_str());
        return false;
    }
    const PictureLoader* loader = ComPictureLoader();
    IStream* stream = nullptr;
    // The stream frees the block on release.
    if (!loader || FAILED(loader->createStream(block, TRUE, &stream)) || !stream) {
        GlobalFree(block);
        Trace("Skin picture %s could not be read\n", path.c_str());
        return false;
    }
    IPicture* picture = nullptr;
    HRESULT hr = loader->loadPicture(stream, 0, FALSE, IID_IPicture, reinterpret_cast<void**>(&picture));
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
    GdiBitmap bitmap;
    if (CheckBmpFile(path) == BmpCheck::kFits) {
        bitmap.reset(static_cast<HBITMAP>(
            LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
    }
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
