#pragma once
// The owner-drawn popup menu in the skin's colours, and the CoolMenu hook that gives the thread's menu windows a
// border of our own.

#include <windows.h>

#include <list>
#include <string>

#include "framework/handles.h"
#include "framework/window.h"
#include "option/skin/caption_style.h"

class SkinMenu {
public:
    explicit SkinMenu(HFONT font);
    ~SkinMenu();
    SkinMenu(const SkinMenu&) = delete;
    SkinMenu& operator=(const SkinMenu&) = delete;

    void AppendItem(UINT id, const std::string& text);
    void AppendSubmenu(SkinMenu& submenu, const std::string& text);
    void AppendSeparator();
    void SetMinimumWidth(int width);
    // Shows the menu at a screen point for the owner; returns the chosen command, 0 when none was chosen.
    UINT Track(HWND owner, int x, int y);

    HMENU Handle() const { return menu_.get(); }
    int Width() const { return width_; }
    int ItemCount() const { return static_cast<int>(items_.size()); }

    // What the owner of a tracked menu receives for an item of a SkinMenu (WM_MEASUREITEM, WM_DRAWITEM).
    static bool Measure(MEASUREITEMSTRUCT& item);
    static bool Draw(const DRAWITEMSTRUCT& item);

private:
    struct Item {
        SkinMenu* menu;
        int position;
        std::string text;
        bool separator;
        bool submenu;
    };
    Item& Add(const std::string& text, bool separator, bool submenu);

    OwnedMenu menu_;
    HFONT font_;
    int itemHeight_ = 14;
    int minimumWidth_ = 0;
    int width_ = 0;
    COLORREF normalBack_ = 0x000000;
    COLORREF selectedBack_ = 0x9E4812;
    COLORREF textColour_ = kSkinText;
    COLORREF separatorColour_ = 0x9E4812;
    std::list<Item> items_;
};

// The border hook on the thread's window-procedure calls. Install once; Remove at exit.
bool InstallCoolMenu();
void RemoveCoolMenu();
// Menu windows subclassed right now.
int CoolMenuWindowCount();
