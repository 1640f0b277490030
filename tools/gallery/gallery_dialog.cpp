#include "tools/gallery/gallery_dialog.h"

#include <windows.h>

#include <cstdio>

#include "option/skin/menu_metrics.h"
#include "option/skin/skin_picture.h"

namespace {

constexpr COLORREF kSwatches[] = {0x0060FF, 0x00C8FF, 0x40D040, 0xE6A000, 0xE60000, 0xC040C0};

void CaptionButton(SkinButton& b, HWND parent, const ButtonPos& p, int id, const SkinScreens& s,
                   const std::string& caption) {
    b.Create(parent, p.Rect(), id);
    b.SetFaces(p.left, p.top, p.right, p.bottom, s.normal, s.over, s.down, s.disable);
    b.SetCaption(caption);
    b.SetCaptionColours(kCaptionPalette);
    b.SetTooltip(p.tooltip, true);
}

void DrawLabel(HDC dc, int x, int y, const char* text, COLORREF colour, int height) {
    GdiFont font(CreateSkinFont(height, 0));
    SelectObjectGuard use(dc, font.get());
    SetTextColor(dc, colour);
    TextOutA(dc, x, y, text, lstrlenA(text));
}

} // namespace

GalleryDialog::GalleryDialog() : SkinnedDialog("skin_gallery.ini") {}
GalleryDialog::~GalleryDialog() = default;

void GalleryDialog::CreateControls(const SkinScreens& s) {
    HWND hwnd = Handle();
    const std::string& folder = SkinFolder();
    CaptionButton(plain_, hwnd, Position(1), kPlainId, s, "Button");
    CaptionButton(toggle_, hwnd, Position(2), kToggleId, s, "Toggle");
    toggle_.SetToggle(true);
    CaptionButton(disabled_, hwnd, Position(3), kDisabledId, s, "Disabled");
    EnableWindow(disabled_.Handle(), FALSE);

    ButtonPos p = Position(4);
    colour_.Create(hwnd, p.Rect(), kColourId);
    colour_.SetFaces(p.left, p.top, p.right, p.bottom, s.normal, s.over, s.down, s.disable);
    colour_.SetColour(kSwatches[0]);
    colour_.SetTooltip(p.tooltip, true);

    p = Position(5);
    region_.SetMaskFile(SkinFilePath(folder, "ok_mask.bmp"));
    region_.Create(hwnd, p.Rect(), kRegionId);
    region_.SetFaces(p.left, p.top, p.right, p.bottom, s.normal, s.over, s.down, s.disable);

    p = Position(6);
    regionText_.SetMaskFile(SkinFilePath(folder, "cancel_mask.bmp"));
    regionText_.Create(hwnd, p.Rect(), kRegionTextId);
    regionText_.SetFaces(p.left, p.top, p.right, p.bottom, s.normal, s.over, s.down, s.disable);
    regionText_.SetCaption("Region");
    regionText_.SetFontSize(15, 0);
    regionText_.SetColours(kCaptionPalette);

    p = Position(7);
    digits_.Create(hwnd, p.Rect(), kDigitsId);
    digits_.SetDigitsOnly(true);
    digits_.SetColours(kSkinText, RGB(11, 12, 15));

    p = Position(8);
    spin_.Create(hwnd, kSpinNumber, p.Rect());
    spin_.SetFaces(s.normal, s.over, s.down, s.disable);
    spin_.SetRange(-50, 50);
    spin_.SetValue(0);

    p = Position(9);
    if (slider_.Create(hwnd, kSliderNumber, p.Rect(), SkinFilePath(folder, "slider_thumb.bmp"))) {
        slider_.SetBackground(s.normal);
        slider_.SetRange(0, 10);
        slider_.SetRound(true);
        slider_.SetValue(3);
    }

    CaptionButton(menuButton_, hwnd, Position(10), kMenuButtonId, s, "Menu");
    static const char* const kWarnings[] = {"Warning A", "Warning B", "Warning C", "Warning D", "Warning E"};
    for (int i = 0; i < 5; ++i) {
        CaptionButton(warnings_[i], hwnd, Position(11 + i), kFirstWarningId + i, s, kWarnings[i]);
    }
    p = Position(16);
    close_.Create(hwnd, p.Rect(), kCloseId);
    close_.SetFaces(p.left, p.top, p.right, p.bottom, s.normal, s.over, s.down, s.disable);
    close_.SetTooltip(p.tooltip, true);

    menuFont_ = CreateSkinFont(15, 0);
    menu_ = std::make_unique<SkinMenu>(menuFont_.get());
    submenu_ = std::make_unique<SkinMenu>(menuFont_.get());
    menu_->SetMinimumWidth(kFunctionMenuMinWidth);
    submenu_->SetMinimumWidth(kFunctionMenuMinWidth);
    menu_->AppendItem(1003, "Left Click");
    menu_->AppendItem(1004, "Right Click");
    menu_->AppendSeparator();
    submenu_->AppendItem(1010, "Volume Up");
    submenu_->AppendItem(1011, "Volume Down");
    submenu_->AppendItem(1012, "Play / Pause");
    menu_->AppendSubmenu(*submenu_, "Multimedia");
    menu_->AppendItem(1020, "Fire Button");
}

bool GalleryDialog::OnSkinInit() {
    CentreOverOwner();
    InstallCoolMenu();
    return true;
}

void GalleryDialog::PaintContent(HDC dc) {
    DrawLabel(dc, 40, 20, "Skin gallery", 0x0000FF, 18);
    char line[96];
    std::snprintf(line, sizeof line, "Value %d", sliderValue_ < 0 ? slider_.Value() : sliderValue_);
    DrawLabel(dc, 482, 198, line, kSkinDisabled, 14);
    DrawLabel(dc, 36, 236, "Warnings", kSkinDisabled, 14);
    DrawLabel(dc, 40, 330, status_.c_str(), kSkinText, 14);
}

void GalleryDialog::SetStatus(const std::string& text) {
    status_ = text;
    RECT line{24, 326, 548, 350};
    InvalidateRect(Handle(), &line, FALSE);
}

void GalleryDialog::OnPlain() {
    SetStatus("Button clicked");
}

void GalleryDialog::OnToggle() {
    SetStatus(toggle_.Checked() ? "Toggle on" : "Toggle off");
}

void GalleryDialog::OnColour() {
    colourIndex_ = (colourIndex_ + 1) % static_cast<int>(std::size(kSwatches));
    colour_.SetColour(kSwatches[colourIndex_]);
    char text[64];
    std::snprintf(text, sizeof text, "Colour 0x%06lX", static_cast<unsigned long>(kSwatches[colourIndex_]));
    SetStatus(text);
}

void GalleryDialog::OnRegion() {
    SetStatus("Region button clicked");
}

void GalleryDialog::OnRegionText() {
    SetStatus("Region text button clicked");
}

void GalleryDialog::OnMenuButton() {
    RECT r{};
    GetWindowRect(menuButton_.Handle(), &r);
    UINT command = menu_->Track(Handle(), r.left, r.bottom);
    char text[64];
    std::snprintf(text, sizeof text, "Menu command %u", command);
    SetStatus(text);
}

void GalleryDialog::OnWarning(int index) {
    warningResult_ = ShowWarning(Handle(), static_cast<WarningVariant>(index));
    char text[64];
    std::snprintf(text, sizeof text, "Warning %c: %s", 'A' + index,
                  warningResult_ == IDOK       ? "OK"
                  : warningResult_ == IDCANCEL ? "Cancel"
                                               : "not shown");
    SetStatus(text);
}

LRESULT GalleryDialog::OnSlider(WPARAM wParam, LPARAM lParam) {
    if (lParam == kSliderNumber) {
        sliderValue_ = static_cast<int>(wParam);
        ++sliderMessages_;
        RECT value{476, 190, 548, 220};
        InvalidateRect(Handle(), &value, FALSE);
    }
    return 0;
}

LRESULT GalleryDialog::OnSpin(WPARAM wParam, LPARAM lParam) {
    if (lParam == kSpinNumber) {
        spinValue_ = static_cast<int>(wParam);
        ++spinMessages_;
        char text[64];
        std::snprintf(text, sizeof text, "Number box %d", spinValue_);
        SetStatus(text);
    }
    return 0;
}

bool GalleryDialog::ProcessMessage(WindowMessage& m) {
    return RouteMessage(*this, kMessageMap, m) || SkinnedDialog::ProcessMessage(m);
}
