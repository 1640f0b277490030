#pragma once
// A dialog whose whole look comes from a skin description file and its pictures: background, window outline from
// the mask, controls placed by "BUTTONPOS" with faces cut from the four screen images.
//
//   class CWarnDlg : public SkinnedDialog {
//       CWarnDlg() : SkinnedDialog("skin_warn.ini") {}
//       void CreateControls(const SkinScreens& screens) override;   // its controls, in the window's order
//       void PaintContent(HDC work) override;                         // texts over the background
//   };

#include <windows.h>

#include <string>

#include "framework/dialog.h"
#include "framework/handles.h"
#include "option/skin/button_pos.h"
#include "option/skin/skin_description.h"

// The four screen images while a window is being created; deleted once the controls have their faces, unless the
// window keeps them (KeepScreens).
struct SkinScreens {
    HDC windowDC = nullptr;
    HBITMAP normal = nullptr;
    HBITMAP over = nullptr;
    HBITMAP down = nullptr;
    HBITMAP disable = nullptr;
};

class SkinnedDialog : public Dialog {
public:
    explicit SkinnedDialog(std::string descriptionFile, std::string screenSection = kScreenSection);

    // Modal, as a borderless popup.
    INT_PTR RunModal(HWND owner);
    // A child page of another window (not visible until shown).
    HWND CreateChild(HWND parent);
    // A modeless borderless popup (tools and tests); visible.
    HWND CreatePopup(HWND owner);

    SIZE SkinSize() const { return size_; }
    HBITMAP Background() const { return background_.get(); }
    // Milliseconds the last skin build took (pictures loaded, faces cut, outline built).
    double BuildMilliseconds() const { return buildMs_; }
    // Its parts: loading the pictures with the outline from the mask, creating the controls with their faces.
    double LoadMilliseconds() const { return loadMs_; }
    double ControlsMilliseconds() const { return controlsMs_; }

protected:
    // Creates and sets up the controls, in the window's own order, once the window has the background picture's size
    // and before its outline is cut from the mask; the screen images are alive only during the call.
    virtual void CreateControls(const SkinScreens& screens) { (void)screens; }
    // From CreateControls: the window keeps its screen images as long as it lives, for controls that draw their faces
    // straight from them (a ButtonRow's). Its paint then draws the content with the background selected nowhere.
    void KeepScreens() { keepScreens_ = true; }
    // After the skin is built: what the window's own initialisation does (centring, texts). True lets the dialog
    // manager set the focus.
    virtual bool OnSkinInit() { return true; }
    // Draws the window's own texts and pictures onto the work bitmap (transparent background set already).
    virtual void PaintContent(HDC work) { (void)work; }
    // False passes background erasing on to the default handler.
    virtual bool SwallowErase() const { return true; }

    // The "BUTTONPOS" entry of a key.
    ButtonPos Position(int key) const;
    // Values of the description file, as read when the skin was built.
    SkinValueReader DescriptionValue() const;
    const std::string& DescriptionPath() const { return descriptionPath_; }
    // Centres the window over its owner (or the screen without one).
    void CentreOverOwner();

    bool ProcessMessage(WindowMessage& m) override;

private:
    bool OnInitDialog();
    void OnPaint(HDC dc, const PAINTSTRUCT& paint);
    LRESULT OnEraseBkgnd(WPARAM wParam, LPARAM lParam);
    void OnLButtonDown(int x, int y, WPARAM keys);
    LRESULT OnNcDestroy(WPARAM wParam, LPARAM lParam);
    void BuildSkin();

    using Entry = MessageEntry<SkinnedDialog>;
    static constexpr Entry kMessageMap[] = {
        Entry::InitDialog(&SkinnedDialog::OnInitDialog),
        Entry::Paint(&SkinnedDialog::OnPaint),
        Entry::Raw(WM_ERASEBKGND, &SkinnedDialog::OnEraseBkgnd),
        Entry::Mouse(WM_LBUTTONDOWN, &SkinnedDialog::OnLButtonDown),
        Entry::Raw(WM_NCDESTROY, &SkinnedDialog::OnNcDestroy),
    };

    std::string descriptionFile_;
    std::string section_;
    std::string descriptionPath_;
    IniDocument description_;
    GdiBitmap background_;
    // The other screen images, kept only when asked (KeepScreens).
    GdiBitmap over_, down_, disable_;
    bool keepScreens_ = false;
    SIZE size_{0, 0};
    double buildMs_ = 0;
    double loadMs_ = 0;
    double controlsMs_ = 0;
};
