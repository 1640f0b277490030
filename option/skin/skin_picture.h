#pragma once
// Loading skin pictures, cutting button faces out of screen images, window outlines from mask pictures, and the one
// font every skinned window and control uses.

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

#include "framework/handles.h"

// Decodes a skin picture (Windows bitmap, JPEG, GIF) and puts the decoded bitmap into `bitmap` (deleting what it
// held). The file is opened once: a Windows bitmap whose headers fit the file is read straight into a section of its
// own depth (a run-length one goes to the system's bitmap loader); what they refuse, and every other format, goes to
// the OLE picture loader. A file that cannot be opened or decoded leaves an empty bitmap of size 0 x 0 and writes a
// trace line naming the file. False then.
bool LoadSkinPicture(const std::string& path, GdiBitmap& bitmap, SIZE& size);
// The same through the OLE picture loader alone: reads the whole file into a movable global block and decodes it.
bool LoadPictureThroughOle(const std::string& path, GdiBitmap& bitmap, SIZE& size);

// A Windows bitmap file from disk as a device-independent section (masks of region buttons, slider pictures), read
// as LoadSkinPicture reads one. Null when it cannot be loaded.
GdiBitmap LoadSkinDib(const std::string& path);

// The shape of a region button's mask picture (a Windows bitmap): every pixel but white. A mask file is read and
// scanned once while it stays the same file (size and time of the last write): buttons that share a mask share its
// scan. Each call gives a region of its own, since a window takes over the region it is given. Null when the file
// cannot be loaded (with LoadSkinDib's trace).
GdiRegion MaskRegion(const std::string& path);

// A window's outline from its mask picture, loaded as LoadSkinPicture loads it: every pixel but white. Null when the
// picture cannot be loaded (with LoadSkinPicture's trace).
GdiRegion WindowOutline(const std::string& maskPath);

// Reads the pictures of the windows a program opens first on a worker thread while the program starts: the screen
// images named by their description files (each mask with its outline) and other pictures by name. LoadSkinPicture,
// LoadSkinDib and WindowOutline take what it read for their file while the file is the same (size and time of the
// last write), wait while the worker is on that very file, and else load it themselves as ever. Only Windows bitmaps
// that fit their file are read ahead: every other file, and every one the worker could not read, is loaded by the
// window with its trace. The worker never touches windows. One at a time; its end stops the worker after the file it
// is on, waits for it and deletes what no window took.
class SkinPreload {
public:
    SkinPreload(std::string folder, std::vector<std::string> descriptionFiles, std::vector<std::string> pictures);
    ~SkinPreload();
    SkinPreload(const SkinPreload&) = delete;
    SkinPreload& operator=(const SkinPreload&) = delete;

    // Waits until the worker has read every file (tests).
    void Finish();

private:
    std::thread worker_;
};

// The region of every pixel outside the transparent range; null without a bitmap or device context. An all-white
// mask gives an empty region, not null.
GdiRegion RegionFromMask(HBITMAP mask, COLORREF transparent, COLORREF tolerance);

// Cuts (left, top)-(right, bottom) of a screen image into a new bitmap compatible with the window's DC. Nothing
// happens when the screen image holds no bitmap.
void CutFace(HDC windowDC, GdiBitmap& face, HBITMAP screen, int left, int top, int right, int bottom);
// The same rectangle of several screen images into their faces at once (normal, over, down, disabled of a control).
struct FaceCut {
    GdiBitmap& face;
    HBITMAP screen;
};
void CutFaces(HDC windowDC, const RECT& part, std::initializer_list<FaceCut> cuts);

// "Arial", normal weight, ANSI, Swiss family; width 0 keeps the face's own aspect.
GdiFont CreateSkinFont(int height, int width);

// The pointer where the message being handled was made (the cursor may have moved on since).
inline POINT MessagePoint() {
    DWORD pos = GetMessagePos();
    return {static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
}

// Width and height of a bitmap; 0 x 0 for none.
SIZE BitmapSize(HBITMAP bitmap);
// Paints `size` (from the top-left corner) with `background` and what `over` draws on top of it, put together in
// memory first so that nothing flickers; nothing when the memory cannot be had. `over` may draw from `background`.
void PaintOverBackground(HDC dc, HBITMAP background, SIZE size, const std::function<void(HDC)>& over);
