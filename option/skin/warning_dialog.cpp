#include "option/skin/warning_dialog.h"

#include <windows.h>

#include <utility>

#include "common/language.h"
#include "option/skin/skin_picture.h"
#include "option/skin/swallowed_keys.h"

namespace {

// Language strings.
constexpr int kOkText = 107, kCancelText = 108;
constexpr int kDeleteMacroText = 256, kLeftClickNeededText = 252, kRestoreDefaultsText = 254, kNoMacroText = 258,
              kMouseMissingText = 260, kLibraryNotSavedText = 257, kImportStartsProgramsText = 261,
              kImportNotWrittenText = 280;

// The title's colour.
constexpr COLORREF kTitleColour = 0x0000FF;

} // namespace

int WarningMessageString(WarningVariant v) {
    switch (v) {
    case WarningVariant::DeleteMacro:
        return kDeleteMacroText;
    case WarningVariant::LeftClickNeeded:
        return kLeftClickNeededText;
    case WarningVariant::RestoreDefaults:
        return kRestoreDefaultsText;
    case WarningVariant::NoMacro:
        return kNoMacroText;
    case WarningVariant::MouseMissing:
        return kMouseMissingText;
    case WarningVariant::LibraryNotSaved:
        return kLibraryNotSavedText;
    case WarningVariant::ImportStartsPrograms:
        return kImportStartsProgramsText;
    case WarningVariant::ImportNotWritten:
        return kImportNotWrittenText;
    }
    return 0;
}

bool WarningCentres(WarningVariant v) {
    return v != WarningVariant::LeftClickNeeded && v != WarningVariant::RestoreDefaults &&
           v != WarningVariant::MouseMissing;
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
        int id;
        const char* mask;
        int caption;
    } regions[] = {{ok_, 1, kOkId, "ok_mask.bmp", kOkText}, {cancel_, 2, kCancelId, "cancel_mask.bmp", kCancelText}};
    for (auto& r : regions) {
        ButtonPos p = Position(r.key);
        r.button.SetMaskFile(SkinFilePath(folder, r.mask));
        r.button.Create(hwnd, p.Rect(), r.id);
        r.button.SetFaces(p.left, p.top, p.right, p.bottom, s.normal, s.over, s.down, s.disable);
        r.button.SetCaption(Fetch(r.caption));
        r.button.SetFontSize(15, 0);
        r.button.SetColours(kCaptionPalette);
    }
    ButtonPos p = Position(3);
    close_.Create(hwnd, p.Rect(), kCloseId);
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
        SetTextColor(work, kTitleColour);
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
    SetTextColor(work, kSkinText);
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

bool WarningDialog::ProcessMessage(WindowMessage& m) {
    return RouteMessage(*this, kMessageMap, m) || SkinnedDialog::ProcessMessage(m);
}

INT_PTR ShowWarning(HWND owner, WarningVariant variant, const std::string& detail) {
    WarningDialog dialog(variant, detail);
    return dialog.Show(owner);
}
