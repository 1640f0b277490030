#include "option/skin/skin_picture.h"

#include <windows.h>

#include <ole2.h>
#include <olectl.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "common/ini_file.h"
#include "framework/system_library.h"
#include "framework/trace.h"
#include "option/skin/bmp_header.h"
#include "option/skin/mask_runs.h"
#include "option/skin/skin_description.h"

namespace {

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

void PaintOverBackground(HDC dc, HBITMAP background, SIZE size, const std::function<void(HDC)>& over) {
    MemoryDC work(CreateCompatibleDC(dc));
    GdiBitmap canvas(CreateCompatibleBitmap(dc, size.cx, size.cy));
    if (!work || !canvas) {
        return;
    }
    SelectObjectGuard into(work.get(), canvas.get());
    {
        // A bitmap is selected into one DC at a time: the background is let go before `over` may draw from it.
        MemoryDC from(CreateCompatibleDC(dc));
        SelectObjectGuard keep(from.get(), background);
        BitBlt(work.get(), 0, 0, size.cx, size.cy, from.get(), 0, 0, SRCCOPY);
    }
    over(work.get());
    BitBlt(dc, 0, 0, size.cx, size.cy, work.get(), 0, 0, SRCCOPY);
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

std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0] | p[1] << 8 | p[2] << 16) | static_cast<std::uint32_t>(p[3]) << 24;
}

// A skin picture file, opened once: its first bytes are read to judge it, the rest as its loader needs it.
class SkinFile {
public:
    explicit SkinFile(const std::string& path)
        : file_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr)) {
        LARGE_INTEGER size{};
        // Pictures are small; a file beyond 64 MB is not a skin picture.
        if (!file_ || !GetFileSizeEx(file_.get(), &size) || size.QuadPart <= 0 || size.QuadPart > (64 << 20) ||
            !ReadFile(file_.get(), head_, sizeof head_, &headRead_, nullptr)) {
            file_.reset();
            return;
        }
        size_ = static_cast<std::uint64_t>(size.QuadPart);
    }

    bool Opened() const { return static_cast<bool>(file_); }

    BmpCheck Check() const {
        return file_ ? CheckBmp(head_, headRead_ < kBmpHeaderBytes ? headRead_ : kBmpHeaderBytes, size_)
                     : BmpCheck::kNotBmp;
    }

    // A file that Check found fitting, as a DIB section of its own depth, as the system's file loader makes it: the
    // headers from the bytes read, the rows read from the file straight into the section. Null for a run-length
    // picture (a section holds no packed rows) or when the system refuses the headers.
    GdiBitmap Dib() {
        const std::uint32_t offBits = Le32(head_ + 10);
        const std::uint32_t infoSize = Le32(head_ + 14);
        // The headers with their masks and colour table, copied to an aligned block that has room for the largest of
        // them whatever the file holds.
        const std::size_t room = infoSize + 3 * sizeof(DWORD) + 256 * sizeof(RGBQUAD);
        std::vector<DWORD> info((room + sizeof(DWORD) - 1) / sizeof(DWORD));
        std::memcpy(info.data(), head_ + 14, std::min<std::size_t>(headRead_ - 14, room));
        std::int64_t width = 0, height = 0, bits = 0;
        if (infoSize == sizeof(BITMAPCOREHEADER)) {
            const auto* core = reinterpret_cast<const BITMAPCOREHEADER*>(info.data());
            width = core->bcWidth;
            height = core->bcHeight;
            bits = core->bcBitCount;
        } else {
            const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(info.data());
            if (header->biCompression != BI_RGB && header->biCompression != BI_BITFIELDS) {
                return {};
            }
            width = header->biWidth;
            height = header->biHeight < 0 ? -static_cast<std::int64_t>(header->biHeight) : header->biHeight;
            bits = header->biBitCount;
        }
        // Check found the rows inside the file; the file is at most 64 MB.
        const std::uint64_t rows = static_cast<std::uint64_t>((width * bits + 31) / 32 * 4 * height);
        if (offBits + rows > size_) {
            return {};
        }
        void* pixels = nullptr;
        GdiBitmap bitmap(CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS,
                                          &pixels, nullptr, 0));
        LARGE_INTEGER at{};
        at.QuadPart = offBits;
        DWORD read = 0;
        if (!bitmap || !pixels || !SetFilePointerEx(file_.get(), at, nullptr, FILE_BEGIN) ||
            !ReadFile(file_.get(), pixels, static_cast<DWORD>(rows), &read, nullptr) || read != rows) {
            return {};
        }
        return bitmap;
    }

    // The whole file in a movable global block (the picture loader's stream), or null.
    HGLOBAL Whole() {
        LARGE_INTEGER start{};
        if (!file_ || !SetFilePointerEx(file_.get(), start, nullptr, FILE_BEGIN)) {
            return nullptr;
        }
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(size_));
        if (!block) {
            return nullptr;
        }
        void* data = GlobalLock(block);
        DWORD read = 0;
        bool ok = data && ReadFile(file_.get(), data, static_cast<DWORD>(size_), &read, nullptr) && read == size_;
        if (data) {
            GlobalUnlock(block);
        }
        if (!ok) {
            GlobalFree(block);
            return nullptr;
        }
        return block;
    }

private:
    KernelHandle file_;
    std::uint64_t size_ = 0;
    // The file header, the largest information header, three colour masks and the largest colour table.
    std::uint8_t head_[14 + 124 + 3 * 4 + 256 * 4] = {};
    DWORD headRead_ = 0;
};

GdiBitmap LoadBmpFromFile(const std::string& path) {
    return GdiBitmap(static_cast<HBITMAP>(
        LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
}

// The picture loader's half of LoadPictureThroughOle, for a file that was checked already and read into a block
// (null when it could not be read).
bool DecodeThroughOle(const std::string& path, HGLOBAL block, GdiBitmap& bitmap, SIZE& size) {
    if (!block) {
        Trace("Skin picture %s could not be opened\n", path.c_str());
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

// The file opened and its bitmap header checked, with the trace of a file that cannot be used: the decoders read a
// damaged Windows bitmap past the end of the file. False when the file is not to be decoded.
bool OpenSkinPicture(const std::string& path, SkinFile& file, BmpCheck& bmp) {
    if (!file.Opened()) {
        Trace("Skin picture %s could not be opened\n", path.c_str());
        return false;
    }
    bmp = file.Check();
    if (bmp == BmpCheck::kDamaged) {
        Trace("Skin picture %s could not be decoded\n", path.c_str());
        return false;
    }
    return true;
}

// Which version of a file is on disk: its size and the time of its last write.
struct FileStamp {
    bool known = false;
    std::uint64_t size = 0;
    FILETIME written{};

    bool Same(const FileStamp& other) const {
        return known && other.known && size == other.size && CompareFileTime(&written, &other.written) == 0;
    }
};

FileStamp StampOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA file{};
    FileStamp stamp;
    stamp.known = GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &file) != 0;
    if (stamp.known) {
        stamp.size = static_cast<std::uint64_t>(file.nFileSizeHigh) << 32 | file.nFileSizeLow;
        stamp.written = file.ftLastWriteTime;
    }
    return stamp;
}

// A picture the preload worker reads, by its path: queued, being read, or read (with nothing when it could not be).
struct ReadAhead {
    enum class State { kQueued, kReading, kRead };
    State state = State::kQueued;
    // A mask: its outline is built too.
    bool outline = false;
    FileStamp stamp;
    GdiBitmap bitmap;
    GdiRegion region;
};

struct ReadAheads {
    std::mutex lock;
    std::condition_variable read;
    std::map<std::string, ReadAhead> files;
    bool stop = false;
};

ReadAheads& Preloaded() {
    static ReadAheads ahead;
    return ahead;
}

// On the worker: a Windows bitmap that fits its file, as LoadSkinPicture reads it first, and a mask's outline; no
// trace (a file that fails is loaded again by its window, with the trace).
ReadAhead ReadQuietly(const std::string& path, bool outline) {
    ReadAhead result;
    result.stamp = StampOf(path);
    SkinFile file(path);
    if (file.Check() == BmpCheck::kFits) {
        result.bitmap = file.Dib();
    }
    if (result.bitmap && outline) {
        result.region = RegionFromMask(result.bitmap.get(), RGB(255, 255, 255), 0);
    }
    return result;
}

// What the worker read for a file, taken out of the preload: waits while the worker is on it; nothing when it was not
// read ahead, could not be read or has changed since.
ReadAhead TakeReadAhead(const std::string& path) {
    ReadAheads& ahead = Preloaded();
    ReadAhead taken;
    {
        std::unique_lock<std::mutex> hold(ahead.lock);
        ahead.read.wait(hold, [&] {
            auto found = ahead.files.find(path);
            return found == ahead.files.end() || found->second.state != ReadAhead::State::kReading;
        });
        auto found = ahead.files.find(path);
        if (found == ahead.files.end()) {
            return taken;
        }
        // Queued still: the worker skips it, the window loads it itself.
        if (found->second.state == ReadAhead::State::kRead) {
            taken = std::move(found->second);
        }
        ahead.files.erase(found);
    }
    if (taken.bitmap && !taken.stamp.Same(StampOf(path))) {
        return ReadAhead{};
    }
    return taken;
}

// The worker: the pictures of every description file, then the other pictures, queued first and read in that order.
void ReadAheadAll(const std::string& folder, const std::vector<std::string>& descriptionFiles,
                  const std::vector<std::string>& pictures) {
    ReadAheads& ahead = Preloaded();
    std::vector<std::string> order;
    try {
        std::vector<std::pair<std::string, bool>> queue;
        for (const std::string& name : descriptionFiles) {
            IniDocument description;
            LoadIniDocument(SkinFilePath(folder, name), description);
            SkinScreen screen = ReadSkinScreen(
                [&](const char* section, const char* key) { return description.GetString(section, key); });
            queue.emplace_back(screen.mask, true);
            for (const std::string* picture : {&screen.normal, &screen.over, &screen.down, &screen.disable}) {
                queue.emplace_back(*picture, false);
            }
        }
        for (const std::string& name : pictures) {
            queue.emplace_back(name, false);
        }
        std::lock_guard<std::mutex> hold(ahead.lock);
        for (const auto& [name, outline] : queue) {
            if (name.empty()) {
                continue;
            }
            std::string path = SkinFilePath(folder, name);
            auto [entry, added] = ahead.files.try_emplace(path);
            entry->second.outline = entry->second.outline || outline;
            if (added) {
                order.push_back(std::move(path));
            }
        }
    } catch (...) {
        // What was queued stays queued: the windows load it themselves.
        return;
    }
    for (const std::string& path : order) {
        bool outline = false;
        {
            std::lock_guard<std::mutex> hold(ahead.lock);
            auto found = ahead.files.find(path);
            if (ahead.stop) {
                return;
            }
            if (found == ahead.files.end() || found->second.state != ReadAhead::State::kQueued) {
                continue;
            }
            found->second.state = ReadAhead::State::kReading;
            outline = found->second.outline;
        }
        ReadAhead result;
        try {
            result = ReadQuietly(path, outline);
        } catch (...) {
            result = ReadAhead{};
        }
        {
            // A file being read stays in the store: a window that wants it waits for it.
            std::lock_guard<std::mutex> hold(ahead.lock);
            ReadAhead& entry = ahead.files.find(path)->second;
            entry.stamp = result.stamp;
            entry.bitmap = std::move(result.bitmap);
            entry.region = std::move(result.region);
            entry.state = ReadAhead::State::kRead;
        }
        ahead.read.notify_all();
    }
}

} // namespace

SkinPreload::SkinPreload(std::string folder, std::vector<std::string> descriptionFiles,
                         std::vector<std::string> pictures) {
    try {
        worker_ = std::thread(ReadAheadAll, std::move(folder), std::move(descriptionFiles), std::move(pictures));
    } catch (...) {
        // No thread: every window loads its pictures itself.
    }
}

void SkinPreload::Finish() {
    if (worker_.joinable()) {
        worker_.join();
    }
}

SkinPreload::~SkinPreload() {
    ReadAheads& ahead = Preloaded();
    {
        std::lock_guard<std::mutex> hold(ahead.lock);
        ahead.stop = true;
    }
    Finish();
    std::map<std::string, ReadAhead> untaken;
    {
        std::lock_guard<std::mutex> hold(ahead.lock);
        untaken.swap(ahead.files);
        ahead.stop = false;
    }
}

bool LoadSkinPicture(const std::string& path, GdiBitmap& bitmap, SIZE& size) {
    bitmap.reset();
    size = {0, 0};
    ReadAhead ahead = TakeReadAhead(path);
    if (ahead.bitmap) {
        bitmap = std::move(ahead.bitmap);
        size = BitmapSize(bitmap.get());
        return true;
    }
    SkinFile file(path);
    BmpCheck bmp{};
    if (!OpenSkinPicture(path, file, bmp)) {
        return false;
    }
    // Windows bitmaps, which every skin of ours ships, are read straight into a bitmap; the picture loader is several
    // times slower.
    if (bmp == BmpCheck::kFits) {
        bitmap = file.Dib();
        if (!bitmap) {
            bitmap = LoadBmpFromFile(path);
        }
        if (bitmap) {
            size = BitmapSize(bitmap.get());
            return true;
        }
    }
    return DecodeThroughOle(path, file.Whole(), bitmap, size);
}

bool LoadPictureThroughOle(const std::string& path, GdiBitmap& bitmap, SIZE& size) {
    bitmap.reset();
    size = {0, 0};
    SkinFile file(path);
    BmpCheck bmp{};
    if (!OpenSkinPicture(path, file, bmp)) {
        return false;
    }
    return DecodeThroughOle(path, file.Whole(), bitmap, size);
}

GdiBitmap LoadSkinDib(const std::string& path) {
    GdiBitmap bitmap = std::move(TakeReadAhead(path).bitmap);
    if (bitmap) {
        return bitmap;
    }
    SkinFile file(path);
    if (file.Check() == BmpCheck::kFits) {
        bitmap = file.Dib();
        if (!bitmap) {
            bitmap = LoadBmpFromFile(path);
        }
    }
    if (!bitmap) {
        Trace("Skin picture %s could not be loaded\n", path.c_str());
    }
    return bitmap;
}

GdiRegion MaskRegion(const std::string& path) {
    struct Shape {
        FileStamp stamp;
        GdiRegion region;
    };
    static std::mutex lock;
    static std::map<std::string, Shape> shapes;

    const FileStamp stamp = StampOf(path);
    auto copyOf = [](HRGN region) {
        GdiRegion copy(CreateRectRgn(0, 0, 0, 0));
        if (copy && CombineRgn(copy.get(), region, nullptr, RGN_COPY) == ERROR) {
            copy.reset();
        }
        return copy;
    };
    std::lock_guard<std::mutex> hold(lock);
    auto found = shapes.find(path);
    if (found != shapes.end() && found->second.stamp.Same(stamp)) {
        return copyOf(found->second.region.get());
    }
    GdiBitmap mask = LoadSkinDib(path);
    GdiRegion region = RegionFromMask(mask.get(), RGB(255, 255, 255), 0);
    if (!region || !stamp.known) {
        return region;
    }
    GdiRegion copy = copyOf(region.get());
    shapes[path] = Shape{stamp, std::move(region)};
    return copy;
}

GdiRegion WindowOutline(const std::string& maskPath) {
    ReadAhead ahead = TakeReadAhead(maskPath);
    if (ahead.region) {
        return std::move(ahead.region);
    }
    GdiBitmap mask = std::move(ahead.bitmap);
    SIZE ignored{};
    if (!mask) {
        LoadSkinPicture(maskPath, mask, ignored);
    }
    return RegionFromMask(mask.get(), RGB(255, 255, 255), 0);
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
