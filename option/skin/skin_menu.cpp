#include "option/skin/skin_menu.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "option/skin/menu_metrics.h"

namespace {

constexpr const char* kOwnerClass = "KorvaneSkinMenuOwner";

// The owner window of a tracked menu: answers the measure and draw requests of SkinMenu items.
LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_MEASUREITEM && SkinMenu::Measure(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))) {
        return TRUE;
    }
    if (message == WM_DRAWITEM && SkinMenu::Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) {
        return TRUE;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace

SkinMenu::SkinMenu(HFONT font) : menu_(CreatePopupMenu()), font_(font) {}

SkinMenu::~SkinMenu() {
    // Submenus belong to their own SkinMenu objects: detach them before destroying ours.
    if (menu_) {
        for (int i = GetMenuItemCount(menu_.get()) - 1; i >= 0; --i) {
            if (GetSubMenu(menu_.get(), i)) {
                RemoveMenu(menu_.get(), static_cast<UINT>(i), MF_BYPOSITION);
            }
        }
    }
}

SkinMenu::Item& SkinMenu::Add(const std::string& text, bool separator, bool submenu) {
    items_.push_back({this, static_cast<int>(items_.size()), text, separator, submenu});
    width_ = SkinMenuWidth(std::max(width_, minimumWidth_), text.size());
    return items_.back();
}

void SkinMenu::AppendItem(UINT id, const std::string& text) {
    Item& item = Add(text, false, false);
    AppendMenuA(menu_.get(), MF_OWNERDRAW, id, reinterpret_cast<LPCSTR>(&item));
}

void SkinMenu::AppendSubmenu(SkinMenu& submenu, const std::string& text) {
    Item& item = Add(text, false, true);
    AppendMenuA(menu_.get(), MF_OWNERDRAW | MF_POPUP, reinterpret_cast<UINT_PTR>(submenu.menu_.get()),
                reinterpret_cast<LPCSTR>(&item));
}

void SkinMenu::AppendSeparator() {
    Item& item = Add("", true, false);
    AppendMenuA(menu_.get(), MF_OWNERDRAW | MF_SEPARATOR, 0, reinterpret_cast<LPCSTR>(&item));
}

void SkinMenu::SetMinimumWidth(int width) {
    minimumWidth_ = width;
    width_ = std::max(width_, width);
}

UINT SkinMenu::Track(HWND owner, int x, int y) {
    static const bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kOwnerClass;
        return RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    if (!registered) {
        return 0;
    }
    HWND helper =
        CreateWindowExA(0, kOwnerClass, "", WS_POPUP, 0, 0, 0, 0, owner, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!helper) {
        return 0;
    }
    UINT command = static_cast<UINT>(
        TrackPopupMenu(menu_.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, x, y,
                       0, helper, nullptr));
    DestroyWindow(helper);
    return command;
}

bool SkinMenu::Measure(MEASUREITEMSTRUCT& m) {
    if (m.CtlType != ODT_MENU || m.itemData == 0) {
        return false;
    }
    const Item& item = *reinterpret_cast<const Item*>(m.itemData);
    m.itemWidth = static_cast<UINT>(item.menu->width_);
    m.itemHeight = item.separator ? kSkinMenuSeparatorHeight : static_cast<UINT>(item.menu->itemHeight_ + 5);
    return true;
}

bool SkinMenu::Draw(const DRAWITEMSTRUCT& d) {
    if (d.CtlType != ODT_MENU || d.itemData == 0) {
        return false;
    }
    const Item& item = *reinterpret_cast<const Item*>(d.itemData);
    const SkinMenu& menu = *item.menu;
    HDC dc = d.hDC;
    RECT r = d.rcItem;
    if (item.separator) {
        GdiBrush back(CreateSolidBrush(menu.normalBack_));
        FillRect(dc, &r, back.get());
        GdiBrush line(CreateSolidBrush(menu.separatorColour_));
        int mid = (r.top + r.bottom) / 2;
        RECT l{r.left, mid, r.right, mid + 1};
        FillRect(dc, &l, line.get());
    } else {
        bool selected = d.itemState & ODS_SELECTED;
        GdiBrush back(CreateSolidBrush(selected ? menu.selectedBack_ : menu.normalBack_));
        FillRect(dc, &r, back.get());
        SelectObjectGuard font(dc, menu.font_);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, menu.textColour_);
        RECT text = r;
        text.left += 2;
        DrawTextA(dc, item.text.c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        if (item.submenu) {
            if (HICON arrow = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(145))) {
                DrawIcon(dc, r.right - 19, r.top - 9, arrow);
            }
        }
    }
    // Keeps the system from drawing its own submenu arrow over the item.
    ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
    return true;
}

// ---- CoolMenu ------------------------------------------------------------------------------------------------------

namespace {

constexpr const char* kOldProcProperty = "CoolMenu_oldProc";
constexpr std::size_t kBuckets = 1000;

WindowsHook g_hook;
// Subclassed menu windows, in buckets by handle / 16; freed with the last one.
std::unique_ptr<std::array<std::vector<HWND>, kBuckets>> g_table;
int g_count = 0;

std::size_t Bucket(HWND hwnd) {
    return (reinterpret_cast<uintptr_t>(hwnd) / 16) % kBuckets;
}

void Remember(HWND hwnd) {
    if (!g_table) {
        g_table = std::make_unique<std::array<std::vector<HWND>, kBuckets>>();
    }
    (*g_table)[Bucket(hwnd)].push_back(hwnd);
    ++g_count;
}

void Forget(HWND hwnd) {
    if (!g_table) {
        return;
    }
    auto& bucket = (*g_table)[Bucket(hwnd)];
    for (auto it = bucket.begin(); it != bucket.end(); ++it) {
        if (*it == hwnd) {
            bucket.erase(it);
            if (--g_count == 0) {
                g_table.reset();
            }
            return;
        }
    }
}

void DrawMenuBorder(HWND hwnd, HDC dc) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    OffsetRect(&r, -r.left, -r.top);
    GdiBrush outer(CreateSolidBrush(0x9E4812));
    FrameRect(dc, &r, outer.get());
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    InflateRect(&r, -1, -1);
    FrameRect(dc, &r, black);
    InflateRect(&r, -1, -1);
    FrameRect(dc, &r, black);
}

LRESULT CALLBACK MenuSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto old = reinterpret_cast<WNDPROC>(GetPropA(hwnd, kOldProcProperty));
    if (!old) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    switch (message) {
    case WM_SHOWWINDOW:
        if (wParam != 0) {
            break;
        }
        [[fallthrough]];
    case WM_NCDESTROY:
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
        RemovePropA(hwnd, kOldProcProperty);
        Forget(hwnd);
        break;
    case WM_NCPAINT: {
        if (WindowDC dc(hwnd, DcArea::WholeWindow); dc) {
            DrawMenuBorder(hwnd, dc.get());
        }
        return 0;
    }
    case WM_PRINT: {
        LRESULT r = CallWindowProcA(old, hwnd, message, wParam, lParam);
        if (lParam & PRF_NONCLIENT) {
            DrawMenuBorder(hwnd, reinterpret_cast<HDC>(wParam));
        }
        return r;
    }
    default:
        break;
    }
    return CallWindowProcA(old, hwnd, message, wParam, lParam);
}

LRESULT CALLBACK CallWndHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        // Windows sends 0x1E2 to a menu window before showing it; Wine only the creation messages.
        if (call->message == WM_CREATE || call->message == 0x1E2) {
            char name[16] = {};
            GetClassNameA(call->hwnd, name, sizeof name);
            if (lstrcmpA(name, "#32768") == 0 && !GetPropA(call->hwnd, kOldProcProperty)) {
                LONG_PTR old = GetWindowLongPtrA(call->hwnd, GWLP_WNDPROC);
                if (old && SetPropA(call->hwnd, kOldProcProperty, reinterpret_cast<HANDLE>(old))) {
                    Remember(call->hwnd);
                    SetWindowLongPtrA(call->hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MenuSubclassProc));
                }
            }
        }
    }
    return CallNextHookEx(g_hook.get(), code, wParam, lParam);
}

} // namespace

bool InstallCoolMenu() {
    if (!g_hook) {
        g_hook.reset(SetWindowsHookExA(WH_CALLWNDPROC, CallWndHook, nullptr, GetCurrentThreadId()));
    }
    return static_cast<bool>(g_hook);
}

void RemoveCoolMenu() {
    g_hook.reset();
}

int CoolMenuWindowCount() {
    return g_count;
}
