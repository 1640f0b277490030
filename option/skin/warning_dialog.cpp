#include "option/skin/warning_dialog.h"

#include <windows.h>

#include <utility>

#include "common/language.h"
#include "option/skin/skin_picture.h"
#include "option/skin/swallowed_keys.h"

namespace {

constexpr COLORREF kCaptionNormal = 0xE6E6E6, kCaptionHover = 0xE60000, kCaptionPressed = 0xE6E6E6,
                   kCaptionDisabled = 0x969696;

RECT PosRect(const ButtonPos& p) {
    return {p.left, p.top, p.right, p.bottom};
}

} // namespace

int WarningMessageString(WarningVariant v) {
    switch (v) {
    case WarningVariant::A:
        return 256;
    case WarningVariant::B:
        return 252;
    case WarningVariant::C:
        return 254;
    case WarningVariant::D:
        return 258;
    case WarningVariant::E:
        return 260;
    case WarningVariant::F:
        return 257;
    case WarningVariant::G:
        return 261;
    case WarningVariant::H:
        return 280;
    }
    return 0;
}

bool WarningCentres(WarningVariant v) {
    return v == WarningVariant::A || v == WarningVariant::D || v == WarningVariant::F || v == WarningVariant::G ||
           v == WarningVariant::H;
}

WarningDialog::WarningDialog(WarningVariant variant, std::string detail)
    : SkinnedDialog("skin_warn.ini"), variant_(variant), detail_(std::move(detail)) {}

INT_PTR WarningDialog::Show(HWND owner) {
    SwallowedKeys keys{VK_RETURN, VK_ESCAPE};
    swallowed_ = &keys;
    INT_PTR result = RunModal(owner);
    swallowed_ = nullptr;
    return result;
}

void WarningDialog::CreateControls(const SkinScreens& s) {
    HWND hwnd = Handle();
    if (swallowed_) {
        swallowed_->Watch(hwnd);
    }
    const std::string& folder = SkinFolder();
    struct {
        RegionTextButton& button;
        int key;
        const char* mask;
        int caption;
    } regions[] = {{ok_, 1, "ok_mask.bmp", 107}, {cancel_, 2, "cancel_mask.bmp", 108}};
    for (auto& r : regions) {
        ButtonPos p = Position(r.key);
        r.button.SetMaskFile(SkinFilePath(folder, r.mask));
        r.button.Create(hwnd, PosRect(p));
        r.button.SetFaces(p.left, p.top, p.right, p.bottom, s.normal, s.over, s.down, s.disable);
        r.button.SetCaption(Fetch(r.caption));
        r.button.SetFontSize(15, 0);
        r.button.SetColours(kCaptionNormal, kCaptionHover, kCaptionPressed, kCaptionDisabled);
    }
    ButtonPos p = Position(3);
    close_.Create(hwnd, PosRect(p));
    close_.SetFaces(p.left, p.top, p.right, p.bottom, s.normal, s.over, s.down, s.disable);
    close_.SetChecked(false);
    close_.SetTooltip(p.tooltip, true);
}

bool WarningDialog::OnSkinInit() {
    title_ = Fetch(kWarningTitleString);
    message_ = Fetch(WarningMessageString(variant_));
    if (!detail_.empty()) {
        message_ += "\n" + detail_;
    }
    if (WarningCentres(variant_)) {
        CentreOverOwner();
    }
    return true;
}

void WarningDialog::PaintContent(HDC work) {
    {
        GdiFont font(CreateSkinFont(18, 0));
        SelectObjectGuard use(work, font.get());
        SetTextColor(work, 0x0000FF);
        RECT measure{0, 0, 160, 0};
        DrawTextA(work, title_.c_str(), -1, &measure, DT_WORDBREAK | DT_EDITCONTROL | DT_CALCRECT | DT_NOPREFIX);
        RECT box{40, 40, 200, 70};
        int h = measure.bottom - measure.top;
        if (h < 30) {
            box.top = 40 + (30 - h) / 2;
        }
        DrawTextA(work, title_.c_str(), -1, &box, DT_LEFT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
    }
    GdiFont font(CreateSkinFont(15, 0));
    SelectObjectGuard use(work, font.get());
    SetTextColor(work, 0xE6E6E6);
    RECT measure{0, 0, 320, 0};
    DrawTextA(work, message_.c_str(), -1, &measure, DT_WORDBREAK | DT_EDITCONTROL | DT_CALCRECT | DT_NOPREFIX);
    RECT box{40, 80, 360, 200};
    int h = measure.bottom - measure.top;
    if (h < 120) {
        box.top = 80 + (120 - h) / 2;
    }
    // The box clips: a message longer than it is cut at its bottom.
    GdiRegion clip(CreateRectRgn(40, 80, 360, 200));
    SelectClipRgn(work, clip.get());
    DrawTextA(work, message_.c_str(), -1, &box, DT_CENTER | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
    SelectClipRgn(work, nullptr);
}

void WarningDialog::OnCommand(int id, int, HWND control) {
    if (control && control == ok_.Handle()) {
        End(IDOK);
    } else if (control && (control == cancel_.Handle() || control == close_.Handle())) {
        End(IDCANCEL);
    } else if (!control && id == IDCANCEL) {
        // The system's close command (Alt+F4, the taskbar) arrives as IDCANCEL from the dialog manager.
        End(IDCANCEL);
    }
}

bool WarningDialog::ProcessMessage(WindowMessage& m) {
    return RouteMessage(*this, kMessageMap, m) || SkinnedDialog::ProcessMessage(m);
}

INT_PTR ShowWarning(HWND owner, WarningVariant variant, const std::string& detail) {
    WarningDialog dialog(variant, detail);
    return dialog.Show(owner);
}
