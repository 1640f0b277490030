#pragma once
// Move-only owners of GDI objects, device contexts, kernel handles, mapped views, modules, registry keys, menus,
// hooks, icons and file searches. Copying is deleted; a hand-off is explicit: GiveWindowRegion lets go of the region
// only when the window took it.
//
//   GdiBitmap face(CreateCompatibleBitmap(screen, w, h));
//   MemoryDC dc(CreateCompatibleDC(screen));
//   SelectObjectGuard keep(dc.get(), face.get());   // restores the previous bitmap into dc at scope end
//   GiveWindowRegion(hwnd, region, true);            // the window owns the region now, unless it refused it

#include <windows.h>

#include <utility>

// The rules of one handle kind: its type, its empty value, what counts as empty and how it is closed.
template <typename H, BOOL(WINAPI* CloseFunction)(H)> struct HandleTraits {
    using Type = H;
    static constexpr Type Empty() noexcept { return nullptr; }
    static bool IsEmpty(Type h) noexcept { return h == nullptr; }
    static void Close(Type h) noexcept { CloseFunction(h); }
};

// A kernel handle is empty when null or INVALID_HANDLE_VALUE (CreateFile's failure value).
struct KernelHandleTraits {
    using Type = HANDLE;
    static constexpr Type Empty() noexcept { return nullptr; }
    static bool IsEmpty(Type h) noexcept { return h == nullptr || h == INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { CloseHandle(h); }
};

struct MappedViewTraits {
    using Type = void*;
    static constexpr Type Empty() noexcept { return nullptr; }
    static bool IsEmpty(Type h) noexcept { return h == nullptr; }
    static void Close(Type h) noexcept { UnmapViewOfFile(h); }
};

// RegCloseKey answers with an error code rather than a BOOL. The predefined roots (HKEY_CURRENT_USER...) are never
// given to an owner.
struct RegistryKeyTraits {
    using Type = HKEY;
    static constexpr Type Empty() noexcept { return nullptr; }
    static bool IsEmpty(Type h) noexcept { return h == nullptr; }
    static void Close(Type h) noexcept { RegCloseKey(h); }
};

// FindFirstFile fails with INVALID_HANDLE_VALUE; a search is ended with FindClose, never CloseHandle.
struct FindHandleTraits {
    using Type = HANDLE;
    static Type Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsEmpty(Type h) noexcept { return h == nullptr || h == INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { FindClose(h); }
};

template <typename G> struct GdiObjectTraits {
    using Type = G;
    static constexpr Type Empty() noexcept { return nullptr; }
    static bool IsEmpty(Type h) noexcept { return h == nullptr; }
    static void Close(Type h) noexcept { DeleteObject(h); }
};

// Owns one handle and closes it exactly once: at destruction, reset() or move-assignment over it.
template <typename Traits> class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Type h) noexcept : handle_(Traits::IsEmpty(h) ? Traits::Empty() : h) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }

    Type get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return !Traits::IsEmpty(handle_); }

    // Gives the handle away without closing it.
    [[nodiscard]] Type release() noexcept { return std::exchange(handle_, Traits::Empty()); }

    // Closes the held handle (if any) and takes the new one.
    void reset(Type h = Traits::Empty()) noexcept {
        Type old = std::exchange(handle_, Traits::IsEmpty(h) ? Traits::Empty() : h);
        if (!Traits::IsEmpty(old) && old != h) {
            Traits::Close(old);
        }
    }

private:
    Type handle_ = Traits::Empty();
};

template <typename G> using GdiObject = UniqueHandle<GdiObjectTraits<G>>;
using GdiBitmap = GdiObject<HBITMAP>;
using GdiFont = GdiObject<HFONT>;
using GdiBrush = GdiObject<HBRUSH>;
using GdiRegion = GdiObject<HRGN>;
using GdiPen = GdiObject<HPEN>;

// A DC from CreateCompatibleDC, deleted with DeleteDC.
using MemoryDC = UniqueHandle<HandleTraits<HDC, DeleteDC>>;
// CloseHandle; null and INVALID_HANDLE_VALUE are both empty.
using KernelHandle = UniqueHandle<KernelHandleTraits>;
// A view from MapViewOfFile, unmapped with UnmapViewOfFile.
using MappedView = UniqueHandle<MappedViewTraits>;
// A module from LoadLibrary, freed with FreeLibrary.
using LibraryModule = UniqueHandle<HandleTraits<HMODULE, FreeLibrary>>;

// A key from RegOpenKeyEx or RegCreateKeyEx, closed with RegCloseKey.
using RegistryKey = UniqueHandle<RegistryKeyTraits>;
// A menu from CreateMenu or CreatePopupMenu that no window holds, destroyed with DestroyMenu.
using OwnedMenu = UniqueHandle<HandleTraits<HMENU, DestroyMenu>>;
// A hook from SetWindowsHookEx, removed with UnhookWindowsHookEx.
using WindowsHook = UniqueHandle<HandleTraits<HHOOK, UnhookWindowsHookEx>>;
// An icon from CreateIconIndirect, CopyIcon or LoadImage without LR_SHARED, destroyed with DestroyIcon.
using OwnedIcon = UniqueHandle<HandleTraits<HICON, DestroyIcon>>;
// A search from FindFirstFile, ended with FindClose.
using FindHandle = UniqueHandle<FindHandleTraits>;

// SetWindowRgn: the window owns the region once it accepted it; a refused region stays with its owner and is deleted
// with it. False when the window refused it.
inline bool GiveWindowRegion(HWND hwnd, GdiRegion& region, bool redraw) noexcept {
    if (!region || !SetWindowRgn(hwnd, region.get(), redraw ? TRUE : FALSE)) {
        return false;
    }
    static_cast<void>(region.release());
    return true;
}

// Which part of a window a WindowDC draws on: the client area (GetDC) or the whole window with its frame
// (GetWindowDC).
enum class DcArea { Client, WholeWindow };

// A window's DC from GetDC or GetWindowDC, given back with ReleaseDC to the same window.
class WindowDC {
public:
    WindowDC() noexcept = default;
    explicit WindowDC(HWND hwnd, DcArea area = DcArea::Client) noexcept
        : hwnd_(hwnd), dc_(area == DcArea::WholeWindow ? GetWindowDC(hwnd) : GetDC(hwnd)) {}
    ~WindowDC() { reset(); }

    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    WindowDC(WindowDC&& other) noexcept
        : hwnd_(std::exchange(other.hwnd_, nullptr)), dc_(std::exchange(other.dc_, nullptr)) {}
    WindowDC& operator=(WindowDC&& other) noexcept {
        if (this != &other) {
            reset();
            hwnd_ = std::exchange(other.hwnd_, nullptr);
            dc_ = std::exchange(other.dc_, nullptr);
        }
        return *this;
    }

    HDC get() const noexcept { return dc_; }
    HWND window() const noexcept { return hwnd_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

    void reset() noexcept {
        if (dc_ != nullptr) {
            ReleaseDC(hwnd_, dc_);
        }
        dc_ = nullptr;
        hwnd_ = nullptr;
    }

private:
    HWND hwnd_ = nullptr;
    HDC dc_ = nullptr;
};

// Selects an object into a DC and puts the previous one back into that same DC when it goes out of scope. When the
// selection fails nothing is restored.
class SelectObjectGuard {
public:
    SelectObjectGuard(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(nullptr) {
        if (dc_ != nullptr && object != nullptr) {
            HGDIOBJ old = SelectObject(dc_, object);
            // Selecting a region returns a region type, not a handle: nothing to put back then.
            if (old != nullptr && old != HGDI_ERROR && GetObjectType(object) != OBJ_REGION) {
                previous_ = old;
            }
        }
    }
    ~SelectObjectGuard() {
        if (previous_ != nullptr) {
            SelectObject(dc_, previous_);
        }
    }

    SelectObjectGuard(const SelectObjectGuard&) = delete;
    SelectObjectGuard& operator=(const SelectObjectGuard&) = delete;
    SelectObjectGuard(SelectObjectGuard&&) = delete;
    SelectObjectGuard& operator=(SelectObjectGuard&&) = delete;

    // The object that was selected before; null when the selection failed.
    HGDIOBJ previous() const noexcept { return previous_; }
    bool selected() const noexcept { return previous_ != nullptr; }

private:
    HDC dc_;
    HGDIOBJ previous_;
};
