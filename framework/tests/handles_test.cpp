#include "framework/handles.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

// Counts closes per handle value, so a test sees every close, including a second one of the same value.
struct CountingTraits {
    using Type = int;
    static inline int closes[8] = {};
    static constexpr Type Empty() noexcept { return 0; }
    static bool IsEmpty(Type h) noexcept { return h == 0 || h == -1; }
    static void Close(Type h) noexcept { ++closes[h]; }
    static void Clear() {
        for (int& c : closes) {
            c = 0;
        }
    }
};
using Counted = UniqueHandle<CountingTraits>;

} // namespace

TEST(UniqueHandle, ClosesExactlyOnceThroughMovesResetsAndReleases) {
    CountingTraits::Clear();
    {
        Counted a(1);
        Counted b(std::move(a));
        EXPECT_EQ(0, a.get());
        EXPECT_FALSE(a);
        EXPECT_EQ(1, b.get());
        Counted c(2);
        c = std::move(b); // closes 2, takes 1
        EXPECT_EQ(1, CountingTraits::closes[2]);
        EXPECT_EQ(0, CountingTraits::closes[1]);
        c = std::move(c); // self-move keeps it
        EXPECT_EQ(1, c.get());
        c.reset(1); // resetting to the same handle must not close it
        EXPECT_EQ(0, CountingTraits::closes[1]);
        c.reset(3);
        EXPECT_EQ(1, CountingTraits::closes[1]);
        int given = c.release();
        EXPECT_EQ(3, given);
        Counted d(-1); // the traits' second empty value
        EXPECT_FALSE(d);
        EXPECT_EQ(0, d.get());
        Counted e(4);
    }
    EXPECT_EQ(1, CountingTraits::closes[1]);
    EXPECT_EQ(1, CountingTraits::closes[2]);
    EXPECT_EQ(0, CountingTraits::closes[3]) << "released, so not ours to close";
    EXPECT_EQ(1, CountingTraits::closes[4]);
    EXPECT_EQ(0, CountingTraits::closes[0]);
}

TEST(GdiOwners, DeleteTheirObjectsAtTheEnd) {
    HDC screen = GetDC(nullptr);
    HBITMAP raw = CreateCompatibleBitmap(screen, 8, 8);
    HBRUSH rawBrush = CreateSolidBrush(RGB(1, 2, 3));
    HRGN rawRegion = CreateRectRgn(0, 0, 4, 4);
    HDC rawDc = CreateCompatibleDC(screen);
    HFONT rawFont = CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
    HPEN rawPen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(OBJ_BITMAP, GetObjectType(raw));
    {
        GdiBitmap bitmap(raw);
        GdiBitmap moved(std::move(bitmap));
        GdiBrush brush(rawBrush);
        GdiRegion region(rawRegion);
        MemoryDC dc(rawDc);
        GdiFont font(rawFont);
        GdiPen pen(rawPen);
        EXPECT_EQ(static_cast<DWORD>(OBJ_FONT), GetObjectType(font.get()));
        EXPECT_EQ(static_cast<DWORD>(OBJ_PEN), GetObjectType(pen.get()));
        EXPECT_EQ(OBJ_MEMDC, GetObjectType(dc.get()));
        EXPECT_EQ(OBJ_BRUSH, GetObjectType(brush.get()));
        EXPECT_EQ(nullptr, bitmap.get());
        EXPECT_EQ(raw, moved.get());
    }
    EXPECT_EQ(0u, GetObjectType(raw));
    EXPECT_EQ(0u, GetObjectType(rawBrush));
    EXPECT_EQ(0u, GetObjectType(rawRegion));
    EXPECT_EQ(0u, GetObjectType(rawDc));
    EXPECT_EQ(0u, GetObjectType(rawFont));
    EXPECT_EQ(0u, GetObjectType(rawPen));

    // A region handed to the window is the window's: release() gives it away undeleted.
    HRGN given;
    {
        GdiRegion region(CreateRectRgn(0, 0, 2, 2));
        given = region.release();
    }
    EXPECT_EQ(static_cast<DWORD>(OBJ_REGION), GetObjectType(given));
    DeleteObject(given);
}

TEST(KernelOwners, CloseHandlesViewsAndTreatInvalidAsEmpty) {
    HANDLE raw = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD flags = 0;
    ASSERT_TRUE(GetHandleInformation(raw, &flags));
    {
        KernelHandle event(raw);
        EXPECT_TRUE(event);
    }
    EXPECT_FALSE(GetHandleInformation(raw, &flags));

    KernelHandle invalid(INVALID_HANDLE_VALUE);
    EXPECT_FALSE(invalid);
    EXPECT_EQ(nullptr, invalid.get());
    KernelHandle missing(CreateFileA("C:\\no\\such\\file.bin", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(missing);

    void* address = nullptr;
    {
        KernelHandle mapping(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 65536, nullptr));
        ASSERT_TRUE(mapping);
        MappedView view(MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, 0));
        ASSERT_TRUE(view);
        address = view.get();
        static_cast<char*>(address)[0] = 1;
        MEMORY_BASIC_INFORMATION info{};
        ASSERT_NE(0u, VirtualQuery(address, &info, sizeof info));
        EXPECT_EQ(static_cast<DWORD>(MEM_COMMIT), info.State);
    }
    MEMORY_BASIC_INFORMATION info{};
    ASSERT_NE(0u, VirtualQuery(address, &info, sizeof info));
    EXPECT_EQ(static_cast<DWORD>(MEM_FREE), info.State);

    {
        LibraryModule module(LoadLibraryA("msimg32.dll"));
        EXPECT_TRUE(module);
        EXPECT_NE(nullptr, GetProcAddress(module.get(), "TransparentBlt"));
    }
}

// Each owner closes with its own function: a registry key, a menu, a hook, an icon and a file search are gone after
// their owner (a search's handle is freed memory afterwards, not asked again), and an owner of a failed call holds
// nothing.
TEST(SystemOwners, CloseKeysMenusHooksIconsAndSearches) {
    HKEY rawKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\KorvaneHandlesTest", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &rawKey, nullptr));
    {
        RegistryKey key(rawKey);
        EXPECT_TRUE(key);
        EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key.get(), "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2));
    }
    EXPECT_NE(ERROR_SUCCESS, RegSetValueExA(rawKey, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2));
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\KorvaneHandlesTest");

    HMENU rawMenu = CreatePopupMenu();
    {
        OwnedMenu menu(rawMenu);
        ASSERT_TRUE(menu);
        EXPECT_TRUE(IsMenu(menu.get()));
    }
    EXPECT_FALSE(IsMenu(rawMenu));

    HHOOK rawHook = SetWindowsHookExA(
        WH_GETMESSAGE, [](int code, WPARAM w, LPARAM l) { return CallNextHookEx(nullptr, code, w, l); }, nullptr,
        GetCurrentThreadId());
    ASSERT_NE(nullptr, rawHook);
    { WindowsHook hook(rawHook); }
    EXPECT_FALSE(UnhookWindowsHookEx(rawHook));

    const BYTE andMask[4 * 4] = {};
    const BYTE xorMask[4 * 4] = {};
    HICON rawIcon = CreateIcon(nullptr, 16, 16, 1, 1, andMask, xorMask);
    ASSERT_NE(nullptr, rawIcon);
    { OwnedIcon icon(rawIcon); }
    ICONINFO info{};
    EXPECT_FALSE(GetIconInfo(rawIcon, &info));

    WIN32_FIND_DATAA found{};
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    {
        FindHandle search(FindFirstFileA((std::string(windows) + "\\*").c_str(), &found));
        ASSERT_TRUE(search);
        EXPECT_TRUE(FindNextFileA(search.get(), &found));
    }
    FindHandle none(FindFirstFileA("C:\\no\\such\\folder\\*", &found));
    EXPECT_FALSE(none);
    EXPECT_EQ(INVALID_HANDLE_VALUE, none.get());
}

// The window takes a region it accepts; a refused one stays with its owner, which deletes it.
TEST(GiveWindowRegion, LetsGoOnlyOfARegionTheWindowTook) {
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 40, 40, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);
    GdiRegion taken(CreateRectRgn(0, 0, 10, 10));
    EXPECT_TRUE(GiveWindowRegion(window, taken, false));
    EXPECT_FALSE(taken);
    GdiRegion copy(CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(SIMPLEREGION, GetWindowRgn(window, copy.get()));
    RECT box{};
    GetRgnBox(copy.get(), &box);
    EXPECT_EQ(10, box.right);

    GdiRegion refused(CreateRectRgn(0, 0, 5, 5));
    HRGN raw = refused.get();
    DestroyWindow(window);
    EXPECT_FALSE(GiveWindowRegion(window, refused, false));
    EXPECT_EQ(raw, refused.get());
    EXPECT_EQ(static_cast<DWORD>(OBJ_REGION), GetObjectType(raw));
    GdiRegion none;
    EXPECT_FALSE(GiveWindowRegion(GetDesktopWindow(), none, false));
}

TEST(WindowDC, GivesTheDcBackToItsWindow) {
    HWND desktop = GetDesktopWindow();
    WindowDC dc(desktop);
    ASSERT_TRUE(dc);
    EXPECT_EQ(desktop, dc.window());
    WindowDC moved(std::move(dc));
    EXPECT_FALSE(dc);
    EXPECT_TRUE(moved);
    EXPECT_NE(0, GetDeviceCaps(moved.get(), BITSPIXEL));
}

TEST(SelectObjectGuard, RestoresThePreviousObjectIntoItsOwnDc) {
    HDC screen = GetDC(nullptr);
    MemoryDC first(CreateCompatibleDC(screen));
    MemoryDC second(CreateCompatibleDC(screen));
    GdiBitmap a(CreateCompatibleBitmap(screen, 4, 4));
    GdiBitmap b(CreateCompatibleBitmap(screen, 4, 4));
    GdiBitmap c(CreateCompatibleBitmap(screen, 4, 4));
    ReleaseDC(nullptr, screen);
    HGDIOBJ stockFirst = GetCurrentObject(first.get(), OBJ_BITMAP);
    HGDIOBJ stockSecond = GetCurrentObject(second.get(), OBJ_BITMAP);
    {
        SelectObjectGuard outer(first.get(), a.get());
        EXPECT_EQ(stockFirst, outer.previous());
        {
            SelectObjectGuard inner(first.get(), b.get());
            EXPECT_EQ(a.get(), inner.previous());
            SelectObjectGuard other(second.get(), c.get());
            EXPECT_EQ(b.get(), GetCurrentObject(first.get(), OBJ_BITMAP));
            EXPECT_EQ(c.get(), GetCurrentObject(second.get(), OBJ_BITMAP));
        }
        EXPECT_EQ(a.get(), GetCurrentObject(first.get(), OBJ_BITMAP));
        EXPECT_EQ(stockSecond, GetCurrentObject(second.get(), OBJ_BITMAP));
        // A bitmap cannot be selected into two DCs: the failed selection restores nothing.
        {
            SelectObjectGuard refused(second.get(), a.get());
            EXPECT_FALSE(refused.selected());
        }
        EXPECT_EQ(a.get(), GetCurrentObject(first.get(), OBJ_BITMAP));
        EXPECT_EQ(stockSecond, GetCurrentObject(second.get(), OBJ_BITMAP));
    }
    EXPECT_EQ(stockFirst, GetCurrentObject(first.get(), OBJ_BITMAP));
    // Deleting a selected bitmap fails; deleted now, they were all put back.
    EXPECT_TRUE(DeleteObject(a.release()));
}
