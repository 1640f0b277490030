#include "option/skin/skinned_dialog.h"

#include <windows.h>

#include <utility>

#include "common/ini_file.h"
#include "framework/trace.h"
#include "option/skin/skin_picture.h"

namespace {

double NowMs() {
    LARGE_INTEGER f{}, c{};
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return f.QuadPart ? 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart) : 0.0;
}

} // namespace

SkinnedDialog::SkinnedDialog(std::string descriptionFile, std::string screenSection)
    : descriptionFile_(std::move(descriptionFile)), section_(std::move(screenSection)) {}

INT_PTR SkinnedDialog::RunModal(HWND owner) {
    // Borderless: the picture is the whole window; the template's size does not matter (the skin build gives the
    // window the background picture's size).
    DialogTemplate t(WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 100, 60);
    return Dialog::RunModal(owner, t);
}

HWND SkinnedDialog::CreatePopup(HWND owner) {
    DialogTemplate t(WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE, 0, 0, 0, 100, 60);
    return CreateModeless(owner, t);
}

HWND SkinnedDialog::CreateChild(HWND parent) {
    return CreateModeless(parent, DialogTemplate::Child(100, 60));
}

ButtonPos SkinnedDialog::Position(int key) const {
    return ReadButtonPos(DescriptionValue(), key);
}

SkinValueReader SkinnedDialog::DescriptionValue() const {
    return [this](const char* section, const char* key) { return description_.GetString(section, key); };
}

bool SkinnedDialog::OnInitDialog() {
    // The skin is built when the dialog is bound, before the window's own initialisation; the window is not
    // visible yet, so nothing of it shows before its pictures are in.
    BuildSkin();
    return OnSkinInit();
}

void SkinnedDialog::BuildSkin() {
    double start = NowMs();
    HWND hwnd = Handle();
    descriptionPath_ = SkinFilePath(SkinFolder(), descriptionFile_);
    // Read once: every control asks for its place while the window is built. A file that is missing or cannot be
    // read gives no values, as the platform's reader does.
    LoadIniDocument(descriptionPath_, description_);
    SkinScreen names = ReadSkinScreen(DescriptionValue(), section_.c_str());

    const std::string& folder = SkinFolder();
    SIZE ignored{};
    GdiRegion outline = WindowOutline(SkinFilePath(folder, names.mask));
    // The normal screen is the background too: the controls cut their faces from it while the window keeps it.
    GdiBitmap over, down, disable;
    LoadSkinPicture(SkinFilePath(folder, names.normal), background_, size_);
    LoadSkinPicture(SkinFilePath(folder, names.over), over, ignored);
    LoadSkinPicture(SkinFilePath(folder, names.down), down, ignored);
    LoadSkinPicture(SkinFilePath(folder, names.disable), disable, ignored);

    // Position (0, 0) with the picture's size; client and window are the same for a borderless window.
    SetWindowPos(hwnd, nullptr, 0, 0, size_.cx, size_.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client{};
    GetClientRect(hwnd, &client);
    if (client.right != size_.cx || client.bottom != size_.cy) {
        RECT outer{0, 0, size_.cx, size_.cy};
        AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_EXSTYLE)));
        SetWindowPos(hwnd, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }

    double loaded = NowMs();
    loadMs_ = loaded - start;
    {
        WindowDC dc(hwnd);
        SkinScreens screens{dc.get(), background_.get(), over.get(), down.get(), disable.get()};
        CreateControls(screens);
    }
    controlsMs_ = NowMs() - loaded;
    if (keepScreens_) {
        over_ = std::move(over);
        down_ = std::move(down);
        disable_ = std::move(disable);
    }

    GiveWindowRegion(hwnd, outline, true);
    buildMs_ = NowMs() - start;
}

void SkinnedDialog::CentreOverOwner() {
    HWND hwnd = Handle();
    RECT self{}, over{};
    GetWindowRect(hwnd, &self);
    HWND owner = GetWindow(hwnd, GW_OWNER);
    if (!owner || !GetWindowRect(owner, &over)) {
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &over, 0);
    }
    int w = self.right - self.left, h = self.bottom - self.top;
    int x = over.left + (over.right - over.left - w) / 2;
    int y = over.top + (over.bottom - over.top - h) / 2;
    SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SkinnedDialog::OnPaint(HDC dc, const PAINTSTRUCT&) {
    RECT client{};
    GetClientRect(Handle(), &client);
    // The content may draw faces straight from the background.
    PaintOverBackground(dc, background_.get(), {client.right, client.bottom}, [this](HDC work) {
        SetBkMode(work, TRANSPARENT);
        PaintContent(work);
    });
}

LRESULT SkinnedDialog::OnEraseBkgnd(WPARAM, LPARAM) {
    if (!SwallowErase()) {
        return Default();
    }
    return TRUE;
}

void SkinnedDialog::OnLButtonDown(int, int, WPARAM) {
    // Dragging by the client area: the system moves the window as if its caption were held. A page is a child of
    // the main window and fills it: its background moves the main window, never the page inside it.
    POINT p = MessagePoint();
    PostMessageA(GetAncestor(Handle(), GA_ROOT), WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(p.x, p.y));
    Default();
}

LRESULT SkinnedDialog::OnNcDestroy(WPARAM, LPARAM) {
    background_.reset();
    over_.reset();
    down_.reset();
    disable_.reset();
    Default();
    return 0;
}

bool SkinnedDialog::ProcessMessage(WindowMessage& m) {
    return RouteMessage(*this, kMessageMap, m) || Dialog::ProcessMessage(m);
}
