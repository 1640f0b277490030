#include "option/pages/advanced_page.h"

#include <windows.h>

#include "common/language.h"
#include "framework/trace.h"
#include "option/pages/pointer_mapping.h"
#include "option/skin/band_text.h"
#include "option/skin/skin_picture.h"
#include "option/skin/warning_dialog.h"

namespace {

// "BUTTONPOS" keys of the pointer half.
enum Key {
    kSpeedSliderKey = 1,
    kAccelerationKey = 2,
    kSpeedBoxKey = 3,
    kWheelSliderKey = 4,
    kOneScreenKey = 5,
    kWheelBoxKey = 6,
    kDoubleClickKey = 7,
    kRestoreKey = 9,
    kTogetherKey = 20,
    kSensitivityXKey = 21,
    kSensitivityYKey = 22,
};

// Row 8 of the acceleration table: the system's "enhance pointer precision".
constexpr int kAccelerationRow = 8;

struct PaintedString {
    int number;
    int height;
    RECT band;
    bool centred;
};
constexpr PaintedString kStrings[] = {
    {200, 16, {52, 25, 459, 59}, false},
    {201, 16, {52, 169, 459, 201}, false},
    {202, 16, {52, 313, 459, 353}, false},
    {204, 16, {490, 89, 611, 120}, true},
    {205, 16, {612, 89, 740, 120}, true},
    {206, 16, {741, 89, 902, 120}, true},
    {207, 14, {744, 220, 902, 245}, false},
    {203, 25, {494, 25, 902, 88}, true},
    // The macro half's headings.
    {217, 14, {32, 408, 232, 426}, false},
    {218, 14, {248, 408, 508, 426}, false},
    {216, 14, {790, 408, 890, 426}, false},
};

// Language strings of the buttons.
constexpr int kAccelerationText = 208, kOneScreenText = 209, kRestoreText = 210;

void MakeCheck(SkinButton& b, ButtonRow& row, const ButtonPos& p, int id, const SkinScreens& s, int textNumber) {
    row.Add(b, p.Rect(), id);
    b.ShareFaces(p.Rect(), s.normal, s.over, s.down, s.disable);
    b.SetToggle(true);
    if (textNumber > 0) {
        b.SetCaption(Fetch(textNumber));
        b.SetPlacement(CaptionPlacement::BesideBox);
        b.SetFontSize(15, 0);
        // The box shows the state; the caption stays readable in every state.
        b.SetCaptionColours(kCheckCaptionPalette);
        b.SetTooltip(Fetch(textNumber), true);
    }
}

void MakeSlider(CclickHSlider& slider, HWND parent, int number, const ButtonPos& p, const SkinScreens& s,
                const char* thumb, int minimum, int maximum, bool round) {
    if (slider.Create(parent, number, p.Rect(), SkinFilePath(SkinFolder(), thumb))) {
        slider.SetBackground(s.normal);
        slider.SetRange(minimum, maximum);
        slider.SetRound(round);
    }
}

} // namespace

AdvancedPage::AdvancedPage(OptionContext& context)
    : SkinnedDialog("skin_advance_setting.ini"), context_(context), editor_(context) {}

void AdvancedPage::CreateControls(const SkinScreens& s) {
    HWND hwnd = Handle();
    // Its buttons and the macro editor's have no windows: the page draws them, their faces straight from its screen
    // images.
    row_.Attach(hwnd);
    KeepScreens();
    MakeSlider(speed_, hwnd, kSpeedSlider, Position(kSpeedSliderKey), s, "slider_thumb.bmp", 1, 11, true);
    speedBox_.Create(hwnd, kSpeedBox, Position(kSpeedBoxKey).Rect());
    speedBox_.SetFaces(s.normal, s.over, s.down, s.disable);
    speedBox_.SetRange(-5, 5);
    MakeCheck(acceleration_, row_, Position(kAccelerationKey), kAccelerationId, s, kAccelerationText);
    MakeSlider(wheel_, hwnd, kWheelSlider, Position(kWheelSliderKey), s, "slider_thumb.bmp", 1, 11, true);
    wheelBox_.Create(hwnd, kWheelBox, Position(kWheelBoxKey).Rect());
    wheelBox_.SetFaces(s.normal, s.over, s.down, s.disable);
    wheelBox_.SetRange(1, 11);
    MakeCheck(oneScreen_, row_, Position(kOneScreenKey), kOneScreenId, s, kOneScreenText);
    MakeSlider(doubleClick_, hwnd, kDoubleClickSlider, Position(kDoubleClickKey), s, "slider_thumb.bmp", 0, 700, false);
    MakeCheck(together_, row_, Position(kTogetherKey), kTogetherId, s, 0);
    MakeSlider(sensitivityX_, hwnd, kSensitivityXSlider, Position(kSensitivityXKey), s, "scroll_arrow_down.bmp", 1, 10,
               true);
    MakeSlider(sensitivityY_, hwnd, kSensitivityYSlider, Position(kSensitivityYKey), s, "scroll_arrow_up.bmp", 1, 10,
               true);
    sensitivityX_.SetValue(0);
    sensitivityY_.SetValue(0);

    ButtonPos p = Position(kRestoreKey);
    row_.Add(restore_, p.Rect(), kRestoreId);
    restore_.ShareFaces(p.Rect(), s.normal, s.over, s.down, s.disable);
    restore_.SetCaption(Fetch(kRestoreText));
    restore_.SetTooltip(Fetch(kRestoreText), true);

    editor_.CreateControls(hwnd, row_, s, [this](int key) { return Position(key); });
}

void AdvancedPage::Refresh() {
    if (!Handle()) {
        return;
    }
    // The macro library belongs to no profile.
    editor_.FillMacroList();
    const ProfileRecord* p = context_.Active();
    if (!p) {
        return;
    }
    int speed = PositionFromSpeed(p->MouseSpeed);
    speed_.SetValue(speed);
    speedBox_.SetValue(speed - 6);
    wheel_.SetValue(p->ScrollWheelSpeed);
    wheelBox_.SetValue(p->ScrollWheelSpeed);
    acceleration_.SetChecked(p->AccelerationFlag == 1);
    oneScreen_.SetChecked(p->ScrollWheelFlag == 1);
    SetWheelEnabled(p->ScrollWheelFlag != 1);
    doubleClick_.SetValue(kDoubleClickBase - p->DbleClickSpeed);
    // The sensitivity sliders show what the profile holds, so that a stored sensitivity is never shown as another.
    sensitivityX_.SetValue(PositionFromSpeed(p->Sensitivity_X));
    sensitivityY_.SetValue(PositionFromSpeed(p->Sensitivity_Y));
    together_.SetChecked(p->XYSynchronous == 1);
}

void AdvancedPage::SetWheelEnabled(bool on) {
    if (wheel_.Handle()) {
        EnableWindow(wheel_.Handle(), on ? TRUE : FALSE);
        wheel_.Thumb().SetEnabled(on);
    }
}

void AdvancedPage::SetSystemDoubleClick(int milliseconds) {
    if (context_.doubleClickToRestore < 0) {
        context_.doubleClickToRestore = static_cast<int>(GetDoubleClickTime());
    }
    SetDoubleClickTime(static_cast<UINT>(milliseconds));
}

void AdvancedPage::SliderMoved(int control, int v) {
    ProfileRecord* p = context_.Active();
    if (!p) {
        return;
    }
    switch (control) {
    case kWheelSlider:
        if (p->ScrollWheelFlag == 1) {
            break; // the wheel's lines do not apply while it scrolls a screen a notch
        }
        p->ScrollWheelSpeed = v;
        wheelBox_.SetValue(v);
        break;
    case kDoubleClickSlider:
        p->DbleClickSpeed = kDoubleClickBase - v;
        SetSystemDoubleClick(p->DbleClickSpeed);
        break;
    case kSpeedSlider:
        p->MouseSpeed = SpeedFromPosition(v);
        speedBox_.SetValue(v - 6);
        break;
    case kSensitivityXSlider:
    case kSensitivityYSlider: {
        bool x = control == kSensitivityXSlider;
        int value = SpeedFromPosition(v);
        (x ? p->Sensitivity_X : p->Sensitivity_Y) = value;
        if (p->XYSynchronous == 1) {
            (x ? p->Sensitivity_Y : p->Sensitivity_X) = value;
            (x ? sensitivityY_ : sensitivityX_).SetValue(v);
        }
        break;
    }
    default:
        break;
    }
}

void AdvancedPage::NumberChanged(int control, int n) {
    Trace("lParam = %d\n", control);
    ProfileRecord* p = context_.Active();
    if (!p) {
        return;
    }
    if (control == kSpeedBox) {
        int m = SpeedFromPosition(n + 6);
        if (m != p->MouseSpeed) {
            p->MouseSpeed = m;
            speed_.SetValue(n + 6);
        }
    } else if (control == kWheelBox) {
        if (n != p->ScrollWheelSpeed) {
            p->ScrollWheelSpeed = n;
            wheel_.SetValue(n);
        }
    }
}

LRESULT AdvancedPage::OnSlider(WPARAM wParam, LPARAM lParam) {
    SliderMoved(static_cast<int>(lParam), static_cast<int>(wParam));
    return 0;
}

LRESULT AdvancedPage::OnNumber(WPARAM wParam, LPARAM lParam) {
    NumberChanged(static_cast<int>(lParam), static_cast<int>(wParam));
    return 0;
}

LRESULT AdvancedPage::OnKeyCaptured(WPARAM wParam, LPARAM lParam) {
    editor_.OnKeyCaptured(static_cast<int>(wParam), (lParam & kKeyCapturedRelease) != 0);
    return 0;
}

LRESULT AdvancedPage::OnListRightClick(WPARAM, LPARAM lParam) {
    editor_.OnListRightClick(static_cast<int>(lParam));
    return 0;
}

LRESULT AdvancedPage::OnEditDone(WPARAM wParam, LPARAM lParam) {
    editor_.OnEditDone(static_cast<int>(wParam), static_cast<int>(lParam));
    return 0;
}

LRESULT AdvancedPage::OnEditKillFocus(WPARAM, LPARAM) {
    // The repeat-count box is the page's only field of its own; the number boxes' fields report to their box.
    editor_.OnRepeatBoxDone();
    return 0;
}

void AdvancedPage::OnOneScreen() {
    if (ProfileRecord* p = context_.Active()) {
        p->ScrollWheelFlag = oneScreen_.Checked() ? 1 : 0;
        SetWheelEnabled(p->ScrollWheelFlag != 1);
        if (p->ScrollWheelFlag != 1) {
            wheel_.SetValue(p->ScrollWheelSpeed);
        }
    }
}

void AdvancedPage::OnAcceleration() {
    if (ProfileRecord* p = context_.Active()) {
        p->AccelerationFlag = acceleration_.Checked() ? 1 : 0;
        p->Acceleration = p->AccelerationFlag ? kAccelerationRow : 0;
    }
}

void AdvancedPage::OnTogether() {
    ProfileRecord* p = context_.Active();
    if (!p) {
        return;
    }
    p->XYSynchronous = together_.Checked() ? 1 : 0;
    if (p->XYSynchronous == 1 && p->Sensitivity_X != p->Sensitivity_Y) {
        p->Sensitivity_Y = p->Sensitivity_X;
        int position = PositionFromSpeed(p->Sensitivity_X);
        sensitivityX_.SetValue(position);
        sensitivityY_.SetValue(position);
    }
}

void AdvancedPage::OnRestoreDefaults() {
    editor_.EndRecording();
    if (ShowWarning(context_.mainWindow ? context_.mainWindow : Handle(), WarningVariant::RestoreDefaults) != IDOK) {
        return;
    }
    ResetAll(context_.working);
    if (context_.shell) {
        context_.shell->RefreshPages();
        context_.shell->Apply();
    }
}

void AdvancedPage::PaintContent(HDC dc) {
    SetBkMode(dc, TRANSPARENT);
    for (const PaintedString& s : kStrings) {
        DrawBandText(dc, Fetch(s.number), s.band, s.height, kSkinText, s.centred ? DT_CENTER : DT_LEFT);
    }
    row_.Paint(dc);
}

bool AdvancedPage::ProcessMessage(WindowMessage& m) {
    return row_.Offer(m) || RouteMessage(*this, kMessageMap, m) || editor_.OnMessage(m) ||
           SkinnedDialog::ProcessMessage(m);
}
