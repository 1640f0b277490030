// The skinned controls and warnings driven with real input (SendInput) on the gallery window.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "framework/handles.h"
#include "option/skin/menu_metrics.h"
#include "option/skin/skin_description.h"
#include "option/skin/skin_picture.h"
#include "testing/message_log.h"
#include "testing/skin_test_support.h"
#include "tools/gallery/gallery_dialog.h"

namespace {

class Gallery : public ::testing::Test {
protected:
    void SetUp() override {
        UseBuildSkins();
        hwnd = gallery.CreatePopup(nullptr);
        ASSERT_NE(nullptr, hwnd);
        // The gallery stays where it opened (centred): a window moved after it is shown takes a while under Wine to
        // receive clicks at its new place.
        SetForegroundWindow(hwnd);
        UpdateWindow(hwnd);
        // Input goes to the foreground window: wait until the gallery is it.
        ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == hwnd && GetActiveWindow() == hwnd; }));
        // Park the pointer on the window's empty top band.
        POINT p = ScreenPoint(hwnd, 300, 30);
        MouseMoveTo(p.x, p.y);
        ASSERT_TRUE(WaitForPointer(p.x, p.y));
    }
    void TearDown() override {
        MouseMoveTo(2, 400);
        gallery.Destroy();
        PumpPosted();
    }

    // A point of the gallery in window coordinates, on the screen.
    POINT At(int x, int y) const { return ScreenPoint(hwnd, x, y); }
    std::string Picture(const char* name) const { return SkinFolder() + name; }

    GalleryDialog gallery;
    HWND hwnd = nullptr;
};

// Key messages the modal loop takes out of the queue, seen after the warning's own hook.
std::atomic<int> g_escapeUps{0};
std::atomic<int> g_enterEscapeDowns{0};
HHOOK g_recorder = nullptr;
LRESULT CALLBACK RecordKeys(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        auto* msg = reinterpret_cast<MSG*>(lParam);
        if (msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE)) {
            ++g_enterEscapeDowns;
        }
        if (msg->message == WM_KEYUP && msg->wParam == VK_ESCAPE) {
            ++g_escapeUps;
        }
    }
    return CallNextHookEx(g_recorder, code, wParam, lParam);
}

// Whether the track shows its background (the gallery's normal screen picture at its place) with the thumb's
// picture over it at the thumb's place, every pixel of the picture's top-left colour showing the background.
bool TrackShowsThumb(HWND gallery, CclickHSlider& slider, HBITMAP picture, HBITMAP screenPicture) {
    RECT t{};
    GetWindowRect(slider.Handle(), &t);
    const RECT thumb = slider.Thumb().ScreenRect();
    const int w = t.right - t.left, h = t.bottom - t.top;
    POINT origin{0, 0};
    ClientToScreen(gallery, &origin);
    WindowDC screen(nullptr);
    MemoryDC shot(CreateCompatibleDC(screen.get()));
    GdiBitmap canvas(CreateCompatibleBitmap(screen.get(), w, h));
    SelectObjectGuard into(shot.get(), canvas.get());
    BitBlt(shot.get(), 0, 0, w, h, screen.get(), t.left, t.top, SRCCOPY);
    MemoryDC thumbDC(CreateCompatibleDC(nullptr));
    SelectObjectGuard a(thumbDC.get(), picture);
    MemoryDC backDC(CreateCompatibleDC(nullptr));
    SelectObjectGuard b(backDC.get(), screenPicture);
    const COLORREF key = GetPixel(thumbDC.get(), 0, 0);
    int shownThumb = 0, shownTrack = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            COLORREF expected = GetPixel(backDC.get(), t.left - origin.x + x, t.top - origin.y + y);
            const POINT p{t.left + x, t.top + y};
            if (PtInRect(&thumb, p)) {
                const COLORREF c = GetPixel(thumbDC.get(), p.x - thumb.left, p.y - thumb.top);
                if (c != key) {
                    expected = c;
                    ++shownThumb;
                } else {
                    ++shownTrack;
                }
            }
            if (GetPixel(shot.get(), x, y) != expected) {
                return false;
            }
        }
    }
    // The picture has both: pixels drawn and pixels left to the track.
    return shownThumb > 0 && shownTrack > 0;
}

} // namespace

TEST_F(Gallery, HoverShowsTheHoverFaceAndLeavingReleasesTheCapture) {
    HWND button = gallery.Plain().Handle();
    RECT r{};
    GetWindowRect(button, &r);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
    // A face pixel away from the caption and the rounded corners.
    POINT probe{r.left + 8, (r.top + r.bottom) / 2};
    COLORREF normal = FilePixel(Picture("gallery_normal.bmp"), probe.x, probe.y);
    COLORREF over = FilePixel(Picture("gallery_over.bmp"), probe.x, probe.y);
    ASSERT_NE(normal, over);

    POINT c = CentreOf(button);
    ASSERT_TRUE(MoveUntil(c, [&] { return gallery.Plain().Hovered() && GetCapture() == button; }));
    UpdateWindow(button);
    EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(At(probe.x, probe.y)) == over; }, 1000));

    POINT off = At(300, 30);
    ASSERT_TRUE(MoveUntil(off, [&] { return !gallery.Plain().Hovered() && GetCapture() != button; }));
    UpdateWindow(button);
    EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(At(probe.x, probe.y)) == normal; }, 1000));
}

TEST_F(Gallery, ClicksReachTheWindowByHandleAndToggleFlips) {
    POINT c = CentreOf(gallery.Plain().Handle());
    EXPECT_TRUE(ClickUntil(c, [&] { return gallery.Status() == "Button clicked"; }));

    c = CentreOf(gallery.Toggle().Handle());
    EXPECT_TRUE(ClickUntil(c, [&] { return gallery.Toggle().Checked() && gallery.Status() == "Toggle on"; }));
    EXPECT_TRUE(ClickUntil(c, [&] { return !gallery.Toggle().Checked() && gallery.Status() == "Toggle off"; }));

    // A click on the disabled button does nothing.
    c = CentreOf(gallery.Disabled().Handle());
    ASSERT_TRUE(ClickAndSettle(c));
    EXPECT_EQ("Toggle off", gallery.Status());
}

TEST_F(Gallery, RegionButtonsHitTestTheirShape) {
    HWND region = gallery.RegionText().Handle();
    RECT r{};
    GetWindowRect(region, &r);
    // The corner of the rectangle lies outside the pill: the pointer there is over the window below. (A press there
    // would start dragging the gallery.)
    EXPECT_EQ(hwnd, WindowFromPoint(POINT{r.left + 1, r.top + 1}));
    EXPECT_EQ(region, WindowFromPoint(CentreOf(region)));
    POINT c = CentreOf(region);
    ASSERT_TRUE(MoveUntil(c, [&] { return gallery.RegionText().CurrentState() == RegionTextButton::kHover; }));
    WaitForPointer(c.x, c.y);
    MouseDown();
    ASSERT_TRUE(PumpUntil([&] { return gallery.RegionText().CurrentState() == RegionTextButton::kPressed; }));
    MouseUp();
    EXPECT_TRUE(PumpUntil([&] { return gallery.Status() == "Region text button clicked"; }));

    c = CentreOf(gallery.Region().Handle());
    MouseMoveTo(c.x, c.y);
    WaitForPointer(c.x, c.y);
    MouseDown();
    ASSERT_TRUE(PumpUntil([&] { return gallery.Region().PressedLook(); }));
    MouseUp();
    EXPECT_TRUE(
        PumpUntil([&] { return !gallery.Region().PressedLook() && gallery.Status() == "Region button clicked"; }));
}

TEST_F(Gallery, SliderClicksMapToValuesAndTheThumbSnaps) {
    HWND track = gallery.Slider().Handle();
    RECT t{};
    GetWindowRect(track, &t);
    int width = t.right - t.left;
    int thumb = gallery.Slider().Thumb().ThumbWidth();

    // The track draws the thumb over its background without the pixels of the picture's top-left colour.
    GdiBitmap picture = LoadSkinDib(SkinFolder() + "slider_thumb.bmp");
    GdiBitmap screen = LoadSkinDib(Picture("gallery_normal.bmp"));
    ASSERT_TRUE(picture && screen);
    EXPECT_EQ(thumb, BitmapSize(picture.get()).cx);
    EXPECT_TRUE(PumpUntil([&] { return TrackShowsThumb(hwnd, gallery.Slider(), picture.get(), screen.get()); }));
    int cy = (t.top + t.bottom) / 2;

    ASSERT_TRUE(ClickUntil({t.left, cy}, [&] { return gallery.SliderMessages() == 1; }));
    EXPECT_EQ(0, gallery.LastSliderValue());

    ASSERT_TRUE(ClickUntil({t.left + width / 2, cy}, [&] { return gallery.SliderMessages() == 2; }));
    EXPECT_EQ(5, gallery.LastSliderValue());
    EXPECT_EQ((width - thumb) / 2, gallery.Slider().Thumb().Left());

    ASSERT_TRUE(ClickUntil({t.right - 1, cy}, [&] { return gallery.SliderMessages() == 3; }));
    EXPECT_EQ(10, gallery.LastSliderValue());
    EXPECT_EQ(width - thumb, gallery.Slider().Thumb().Left());
    // Drawn at its new place, and its old place shows the track again.
    EXPECT_TRUE(PumpUntil([&] { return TrackShowsThumb(hwnd, gallery.Slider(), picture.get(), screen.get()); }));
}

TEST_F(Gallery, DraggingTheThumbReportsThroughTheTrack) {
    gallery.Slider().SetValue(0);
    RECT t{};
    GetWindowRect(gallery.Slider().Handle(), &t);
    int thumb = gallery.Slider().Thumb().ThumbWidth();
    int cy = (t.top + t.bottom) / 2;
    MouseMoveTo(t.left + thumb / 2, cy);
    WaitForPointer(t.left + thumb / 2, cy);
    MouseDown();
    ASSERT_TRUE(PumpUntil([&] { return gallery.Slider().Thumb().Dragging(); }));
    // 40 % of the thumb's travel: value 4.
    int travel = (t.right - t.left) - thumb;
    ASSERT_TRUE(MoveUntil({t.left + thumb / 2 + travel * 4 / 10 + 1, cy},
                          [&] { return gallery.SliderMessages() >= 1 && gallery.LastSliderValue() == 4; }));
    MouseUp();
    EXPECT_TRUE(PumpUntil([&] { return !gallery.Slider().Thumb().Dragging(); }));
    ASSERT_TRUE(PumpPosted());
    EXPECT_EQ(4, gallery.LastSliderValue());
    EXPECT_EQ(ThumbLeftForValue(4, {0, 10, true}, 0, t.right - t.left, thumb), gallery.Slider().Thumb().Left());
}

// The thumb has no window: the track hands it the presses on its shape only, and a disabled thumb ignores a drag.
TEST_F(Gallery, OnlyTheThumbsShapeTakesADragAndADisabledThumbIgnoresOne) {
    CclickHSlider& slider = gallery.Slider();
    CPHSlider& thumb = slider.Thumb();
    ASSERT_EQ(3, slider.Value());
    MessageLog log;
    ASSERT_TRUE(log.Watch(slider.Handle()));
    RECT t{}, r = thumb.ScreenRect();
    GetWindowRect(slider.Handle(), &t);
    const SliderRange range{0, 10, true};

    // The picture's top-left pixel is no part of the thumb: a press there is the track's, and its release jumps.
    const POINT corner{r.left, r.top};
    MouseMoveTo(corner.x, corner.y);
    ASSERT_TRUE(WaitForPointer(corner.x, corner.y));
    size_t mark = log.Mark();
    MouseDown();
    ASSERT_TRUE(PumpUntil([&] { return log.Got(slider.Handle(), {WM_LBUTTONDOWN}, mark); }));
    EXPECT_FALSE(thumb.Dragging());
    EXPECT_NE(slider.Handle(), GetCapture());
    MouseUp();
    ASSERT_TRUE(PumpUntil([&] { return gallery.SliderMessages() == 1; }));
    const int jumped = TrackClickValue(corner.x, t.left, t.right, range).value;
    EXPECT_EQ(jumped, gallery.LastSliderValue());
    EXPECT_EQ(jumped, slider.Value());

    // Disabled, the thumb stays where it is through a press, a move along the track and a release on it.
    r = thumb.ScreenRect();
    const POINT grip = CentreOf(r);
    const int left = thumb.Left();
    thumb.SetEnabled(false);
    MouseMoveTo(grip.x, grip.y);
    ASSERT_TRUE(WaitForPointer(grip.x, grip.y));
    mark = log.Mark();
    MouseDown();
    ASSERT_TRUE(PumpUntil([&] { return log.Got(slider.Handle(), {WM_LBUTTONDOWN}, mark); }));
    EXPECT_FALSE(thumb.Dragging());
    mark = log.Mark();
    MouseMoveTo(grip.x + (t.right - t.left) / 3, grip.y);
    ASSERT_TRUE(PumpUntil([&] { return log.Got(slider.Handle(), {WM_MOUSEMOVE}, mark); }));
    MouseMoveTo(grip.x, grip.y);
    ASSERT_TRUE(WaitForPointer(grip.x, grip.y));
    mark = log.Mark();
    MouseUp();
    ASSERT_TRUE(PumpUntil([&] { return log.Got(slider.Handle(), {WM_LBUTTONUP}, mark); }));
    ASSERT_TRUE(PumpPosted());
    EXPECT_EQ(left, thumb.Left());
    EXPECT_EQ(jumped, slider.Value());
    EXPECT_EQ(1, gallery.SliderMessages());

    // Enabled again, a press and a move drag it. (Pressed lower on the knob: a second press at the same place would
    // come as a double click, which starts no drag.)
    thumb.SetEnabled(true);
    const POINT lower{grip.x, grip.y + 6};
    MouseMoveTo(lower.x, lower.y);
    ASSERT_TRUE(WaitForPointer(lower.x, lower.y));
    MouseDown();
    ASSERT_TRUE(PumpUntil([&] { return thumb.Dragging() && GetCapture() == slider.Handle(); }));
    ASSERT_TRUE(MoveUntil({lower.x + (t.right - t.left) / 3, lower.y}, [&] { return thumb.Left() > left; }));
    MouseUp();
    ASSERT_TRUE(PumpUntil([&] { return !thumb.Dragging(); }));
    ASSERT_TRUE(PumpPosted());
    EXPECT_GT(gallery.SliderMessages(), 1);
    EXPECT_GT(gallery.LastSliderValue(), jumped);
    EXPECT_EQ(gallery.LastSliderValue(), slider.Value());
}

TEST_F(Gallery, SpinArrowsTextAndEnter) {
    SpinEdit& spin = gallery.Spin();
    HWND box = spin.Box();
    ASSERT_EQ("0", TextOf(box));
    POINT up = CentreOf(spin.UpArrow());
    ASSERT_TRUE(ClickUntil(up, [&] { return gallery.LastSpinValue() == 1; }));
    EXPECT_EQ("1", TextOf(box));
    POINT down = CentreOf(spin.DownArrow());
    ASSERT_TRUE(ClickUntil(down, [&] { return gallery.LastSpinValue() == 0; }));
    ASSERT_TRUE(ClickUntil(down, [&] { return gallery.LastSpinValue() == -1; }));
    EXPECT_EQ("-1", TextOf(box));

    // Typed with the keyboard: a sign is allowed (the range goes below zero), letters are not.
    POINT field = CentreOf(box);
    ASSERT_TRUE(ClickUntil(field, [&] { return GetFocus() == box; }));
    SendMessageA(box, EM_SETSEL, 0, -1);
    KeyPress(VK_BACK);
    for (WORD k : {WORD(VK_OEM_MINUS), WORD('A'), WORD('1'), WORD('2')}) {
        KeyPress(k);
    }
    ASSERT_TRUE(PumpUntil([&] { return TextOf(box) == "-12"; })) << TextOf(box);
    int before = gallery.SpinMessages();
    KeyPress(VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return gallery.SpinMessages() > before && gallery.LastSpinValue() == -12; }));
    EXPECT_EQ(-12, spin.Value());

    // A number beyond the range is corrected on the change, never refused.
    SetWindowTextA(box, "99");
    ASSERT_TRUE(PumpUntil([&] { return gallery.LastSpinValue() == 50; }));
    EXPECT_EQ("50", TextOf(box));
}

// The arrows have no windows of their own: the number box draws them with the hover face under the pointer and the
// pressed face while pressed, and a release on one steps the value.
TEST_F(Gallery, SpinArrowsShowTheirFacesAndStepOnTheRelease) {
    SpinEdit& spin = gallery.Spin();
    RECT up = spin.UpArrow();
    RECT down = spin.DownArrow();
    ASSERT_EQ(16, up.right - up.left);
    ASSERT_EQ(up.bottom + 2, down.top);
    // A pixel of each arrow's face beside its mark, in the gallery's coordinates.
    auto probeOf = [&](const RECT& arrow) {
        POINT p{arrow.left + 2, (arrow.top + arrow.bottom) / 2};
        ScreenToClient(hwnd, &p);
        return p;
    };
    POINT upProbe = probeOf(up), downProbe = probeOf(down);
    auto face = [&](const char* picture, POINT p) { return FilePixel(Picture(picture), p.x, p.y); };
    auto shows = [&](POINT p, COLORREF colour) { return ScreenPixel(At(p.x, p.y)) == colour; };
    const COLORREF normal = face("gallery_normal.bmp", upProbe), over = face("gallery_over.bmp", upProbe),
                   pressed = face("gallery_down.bmp", upProbe);
    ASSERT_NE(normal, over);
    ASSERT_NE(normal, pressed);
    ASSERT_NE(over, pressed);
    EXPECT_TRUE(PumpUntil([&] { return shows(upProbe, normal); }));

    ASSERT_TRUE(MoveUntil(CentreOf(up), [&] { return shows(upProbe, over); }));
    EXPECT_TRUE(shows(downProbe, face("gallery_normal.bmp", downProbe)));
    ASSERT_TRUE(WaitForPointer(CentreOf(up).x, CentreOf(up).y));
    const int before = gallery.SpinMessages();
    MouseDown();
    EXPECT_TRUE(PumpUntil([&] { return shows(upProbe, pressed); }));
    EXPECT_EQ(before, gallery.SpinMessages());
    MouseUp();
    ASSERT_TRUE(PumpUntil([&] { return gallery.SpinMessages() > before; }));
    EXPECT_EQ(1, gallery.LastSpinValue());
    EXPECT_TRUE(PumpUntil([&] { return shows(upProbe, over); }));

    // Onto the down arrow: the hover goes with the pointer.
    ASSERT_TRUE(MoveUntil(CentreOf(down), [&] { return shows(downProbe, face("gallery_over.bmp", downProbe)); }));
    EXPECT_TRUE(PumpUntil([&] { return shows(upProbe, normal); }));
    ASSERT_TRUE(MoveUntil(At(300, 30), [&] { return shows(downProbe, face("gallery_normal.bmp", downProbe)); }));
    EXPECT_EQ("1", TextOf(spin.Box()));
}

// The messages a click, a double click, a key and a wheel turn give a skinned button and its window, in order.
TEST_F(Gallery, SkinButtonMessagesOfClicksKeysAndTheWheel) {
    HWND plain = gallery.Plain().Handle(), toggle = gallery.Toggle().Handle();
    MessageLog log;
    for (HWND w : {plain, toggle, hwnd}) {
        ASSERT_TRUE(log.Watch(w));
    }
    auto seen = [&](size_t from) {
        return log.Of(nullptr,
                      {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONUP, WM_KEYDOWN, WM_KEYUP, WM_MOUSEWHEEL, WM_COMMAND},
                      from);
    };
    auto clicks = [&](size_t from) { return log.Of(hwnd, {WM_COMMAND}, from).size(); };
    const WPARAM clicked = MAKEWPARAM(GetDlgCtrlID(plain), BN_CLICKED);
    const WPARAM toggled = MAKEWPARAM(GetDlgCtrlID(toggle), BN_CLICKED);

    // Two quick clicks: the second press comes as a double click and counts as a click of its own, as on a plain
    // push button (an arrow of a number box clicked twice steps twice).
    POINT c = CentreOf(plain);
    MouseMoveTo(c.x, c.y);
    ASSERT_TRUE(WaitForPointer(c.x, c.y));
    size_t mark = log.Mark();
    MouseDown();
    MouseUp();
    MouseDown();
    MouseUp();
    ASSERT_TRUE(PumpUntil([&] { return clicks(mark) >= 2; }, kClickEffectMs));
    ASSERT_TRUE(PumpPosted());
    std::vector<LoggedMessage> expected{
        {plain, WM_LBUTTONDOWN, MK_LBUTTON},   {plain, WM_LBUTTONUP, 0}, {hwnd, WM_COMMAND, clicked},
        {plain, WM_LBUTTONDBLCLK, MK_LBUTTON}, {plain, WM_LBUTTONUP, 0}, {hwnd, WM_COMMAND, clicked},
    };
    EXPECT_EQ(expected, seen(mark)) << MessageLog::Describe(seen(mark));
    EXPECT_EQ("Button clicked", gallery.Status());

    // A toggle turns on its release and reports that itself: one click, one report.
    mark = log.Mark();
    ASSERT_TRUE(ClickUntil(CentreOf(toggle), [&] { return clicks(mark) >= 1 && gallery.Toggle().Checked(); }));
    ASSERT_TRUE(PumpPosted());
    expected = {{toggle, WM_LBUTTONDOWN, MK_LBUTTON}, {toggle, WM_LBUTTONUP, 0}, {hwnd, WM_COMMAND, toggled}};
    EXPECT_EQ(expected, seen(mark)) << MessageLog::Describe(seen(mark));
    EXPECT_EQ("Toggle on", gallery.Status());

    // The plain button took the focus with its click: Space clicks it as it would a push button. A wheel turn over
    // it is no click: the button passes it on to its window.
    ASSERT_TRUE(ClickUntil(c, [&] { return GetFocus() == plain; }));
    mark = log.Mark();
    KeyPress(VK_SPACE);
    ASSERT_TRUE(PumpUntil([&] { return clicks(mark) >= 1; }));
    MouseWheel(-1);
    ASSERT_TRUE(PumpUntil([&] { return log.Got(hwnd, {WM_MOUSEWHEEL}, mark); }));
    ASSERT_TRUE(PumpPosted());
    const WPARAM down = MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA));
    expected = {{plain, WM_KEYDOWN, VK_SPACE},
                {plain, WM_KEYUP, VK_SPACE},
                {hwnd, WM_COMMAND, clicked},
                {plain, WM_MOUSEWHEEL, down},
                {hwnd, WM_MOUSEWHEEL, down}};
    EXPECT_EQ(expected, seen(mark)) << MessageLog::Describe(seen(mark));
    EXPECT_TRUE(gallery.Toggle().Checked());
}

// The messages of the number box: an arrow click, typed digits with Enter, and a wheel turn over the box.
TEST_F(Gallery, SpinEditMessagesOfAClickKeysAndTheWheel) {
    SpinEdit& spin = gallery.Spin();
    HWND box = spin.Box(), frame = spin.Handle();
    MessageLog log;
    for (HWND w : {box, frame, hwnd}) {
        ASSERT_TRUE(log.Watch(w));
    }
    auto seen = [&](size_t from) {
        return log.Of(nullptr,
                      {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_KEYDOWN, WM_CHAR, WM_MOUSEWHEEL, WM_COMMAND, kBitmapEditEnter,
                       kSpinEditChanged},
                      from);
    };
    auto reports = [&](size_t from) { return log.Of(hwnd, {kSpinEditChanged}, from).size(); };
    const WPARAM update = MAKEWPARAM(kSpinEditBoxId, EN_UPDATE), change = MAKEWPARAM(kSpinEditBoxId, EN_CHANGE);

    // The arrow is drawn and driven by the number box: its click reaches the box as the arrow's command, and the box
    // shows the next value; the text change tells the window.
    size_t mark = log.Mark();
    ASSERT_TRUE(ClickUntil(CentreOf(spin.UpArrow()), [&] { return reports(mark) >= 1; }));
    ASSERT_TRUE(PumpPosted());
    std::vector<LoggedMessage> expected{
        {frame, WM_LBUTTONDOWN, MK_LBUTTON},
        {frame, WM_LBUTTONUP, 0},
        {frame, WM_COMMAND, MAKEWPARAM(kSpinEditUpId, BN_CLICKED)},
        {frame, WM_COMMAND, update},
        {frame, WM_COMMAND, change},
        {hwnd, kSpinEditChanged, 1},
    };
    EXPECT_EQ(expected, seen(mark)) << MessageLog::Describe(seen(mark));

    // Typed over the selected text: the typing is reported, and Enter after typing once more with the same value.
    ASSERT_TRUE(ClickUntil(CentreOf(box), [&] { return GetFocus() == box; }));
    SendMessageA(box, EM_SETSEL, 0, -1);
    mark = log.Mark();
    KeyPress('7');
    KeyPress(VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return reports(mark) >= 2; }));
    ASSERT_TRUE(PumpPosted());
    expected = {{box, WM_KEYDOWN, '7'},      {box, WM_CHAR, '7'},
                {frame, WM_COMMAND, update}, {frame, WM_COMMAND, change},
                {hwnd, kSpinEditChanged, 7}, {box, WM_KEYDOWN, VK_RETURN},
                {box, WM_CHAR, VK_RETURN},   {frame, kBitmapEditEnter, VK_RETURN},
                {hwnd, kSpinEditChanged, 7}};
    EXPECT_EQ(expected, seen(mark)) << MessageLog::Describe(seen(mark));

    // A wheel turn over the box changes nothing: the box takes it and reports nothing.
    mark = log.Mark();
    MouseWheel(1);
    ASSERT_TRUE(PumpUntil([&] { return log.Got(nullptr, {WM_MOUSEWHEEL}, mark); }));
    ASSERT_TRUE(PumpPosted());
    expected = {{box, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA)}};
    EXPECT_EQ(expected, seen(mark)) << MessageLog::Describe(seen(mark));
    EXPECT_EQ(7, spin.Value());
    EXPECT_EQ("7", TextOf(box));
}

TEST_F(Gallery, DigitsOnlyFieldFiltersKeysAndPastes) {
    BitmapEdit& edit = gallery.Digits();
    HWND field = edit.Handle();
    POINT c = CentreOf(field);
    ASSERT_TRUE(ClickUntil(c, [&] { return GetFocus() == field; }));
    KeyPress('A');
    KeyPress(VK_SPACE);
    KeyPress('1');
    KeyPress('2');
    ASSERT_TRUE(PumpUntil([&] { return TextOf(field) == "12"; })) << TextOf(field);

    ASSERT_TRUE(OpenClipboard(hwnd));
    EmptyClipboard();
    HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, 5);
    memcpy(GlobalLock(text), "12a3", 5);
    GlobalUnlock(text);
    SetClipboardData(CF_TEXT, text);
    CloseClipboard();
    SetWindowTextA(field, "");
    SendMessageA(field, WM_PASTE, 0, 0);
    ASSERT_TRUE(PumpPosted());
    EXPECT_EQ("12", TextOf(field));

    SetWindowTextA(field, "-12");
    ASSERT_TRUE(PumpPosted());
    EXPECT_EQ("", TextOf(field));
    edit.SetSignAllowed(true);
    SetWindowTextA(field, "-12");
    ASSERT_TRUE(PumpPosted());
    EXPECT_EQ("-12", TextOf(field));
    edit.SetSignAllowed(false);
}

TEST(SkinMenuWidth, WidthFollowsTheAppendedTexts) {
    GdiFont font(CreateFontA(15, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial"));
    SkinMenu menu(font.get());
    menu.SetMinimumWidth(kFunctionMenuMinWidth);
    menu.AppendItem(1, "short");
    menu.AppendItem(2, std::string(17, 'x'));
    EXPECT_EQ(136, menu.Width());
    menu.AppendSeparator();
    menu.AppendItem(3, std::string(20, 'y'));
    EXPECT_EQ(160, menu.Width());
    MEASUREITEMSTRUCT m{};
    m.CtlType = ODT_MENU;
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA;
    ASSERT_TRUE(GetMenuItemInfoA(menu.Handle(), 2, TRUE, &info));
    m.itemData = info.dwItemData;
    ASSERT_TRUE(SkinMenu::Measure(m));
    EXPECT_EQ(160u, m.itemWidth);
    EXPECT_EQ(5u, m.itemHeight);
}

TEST_F(Gallery, MenuOpensSubclassedWithItsWidthAndReturnsTheCommand) {
    DWORD thread = GetCurrentThreadId();
    POINT c = CentreOf(gallery.MenuButton().Handle());
    std::atomic<int> menuWidth{-1};
    std::atomic<bool> subclassed{false};
    ModalRun run = DriveModal(
        hwnd, c,
        [&] {
            // DriveModal's click opened the menu.
            HWND menuWindow = MenuWindowOf(thread);
            if (!menuWindow) {
                return;
            }
            subclassed = GetPropA(menuWindow, "CoolMenu_oldProc") != nullptr;
            RECT client{};
            GetClientRect(menuWindow, &client);
            menuWidth = client.right;
            // The first item lies at the top of the menu's client area.
            POINT item{client.right / 2, 9};
            ClientToScreen(menuWindow, &item);
            HoverMenuItem(reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0)), 0);
            ClickToClose(item, menuWindow);
        },
        [&] { return gallery.Status().rfind("Menu command", 0) == 0; });
    EXPECT_FALSE(run.rescued);
    EXPECT_TRUE(run.done);
    EXPECT_TRUE(subclassed);
    // Items of at most 17 characters keep the minimum width; the menu window adds the system's check-mark margin.
    EXPECT_GE(menuWidth.load(), kFunctionMenuMinWidth);
    EXPECT_LT(menuWidth.load(), 160);
    EXPECT_EQ("Menu command 1003", gallery.Status());
    EXPECT_TRUE(PumpUntil([] { return CoolMenuWindowCount() == 0; }));
}

TEST_F(Gallery, WarningIgnoresEnterAndEscapeAndItsCloseButtonGivesCancel) {
    DWORD thread = GetCurrentThreadId();
    g_escapeUps = 0;
    g_enterEscapeDowns = 0;
    g_recorder = SetWindowsHookExA(WH_GETMESSAGE, RecordKeys, nullptr, thread);
    POINT c = CentreOf(gallery.WarningButton(1).Handle()); // variant B
    std::atomic<bool> openAfterKeys{false};
    std::atomic<int> left{-1}, top{-1};
    ModalRun run = DriveWarning(
        hwnd, c,
        [&](HWND warning, const RECT& r) {
            left = r.left;
            top = r.top;
            SetForegroundWindow(warning);
            Await([&] { return GetForegroundWindow() == warning; }, kClickEffectMs);
            KeyPress(VK_RETURN);
            KeyPressHandled(warning, VK_ESCAPE);
            openAfterKeys = IsWindow(warning) && IsWindowVisible(warning);
            // The close button: top right of the warning.
            POINT close{r.left + 375, r.top + 25};
            ClickToClose(close, warning);
        },
        [&] { return gallery.Status().rfind("Warning B", 0) == 0; });
    EXPECT_FALSE(run.rescued);
    UnhookWindowsHookEx(g_recorder);
    ASSERT_TRUE(run.done);
    EXPECT_GE(g_escapeUps.load(), 1);
    EXPECT_EQ(0, g_enterEscapeDowns.load());
    EXPECT_TRUE(openAfterKeys);
    EXPECT_EQ(IDCANCEL, gallery.LastWarningResult());
    EXPECT_EQ(0, left.load());
    EXPECT_EQ(0, top.load());
}

TEST_F(Gallery, VariantAOpensCentredOverItsOwnerAndOkGivesOk) {
    // Away from the screen's centre, so that centred over the owner and centred on the screen differ.
    SetWindowPos(hwnd, nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    // Under Wine the window takes a while to receive clicks at its new place: a click that lands elsewhere meanwhile
    // never reaches the opener, and DriveModal gives it again.
    ASSERT_TRUE(PumpPosted());
    RECT owner{};
    GetWindowRect(hwnd, &owner);
    POINT c = CentreOf(gallery.WarningButton(0).Handle());
    std::atomic<int> cx{-1}, cy{-1};
    ModalRun run = DriveWarning(
        hwnd, c,
        [&](HWND warning, const RECT& r) {
            cx = (r.left + r.right) / 2;
            cy = (r.top + r.bottom) / 2;
            // The OK pill's middle.
            ClickToClose({r.left + 138, r.top + 233}, warning);
        },
        [&] { return gallery.Status().rfind("Warning A", 0) == 0; });
    EXPECT_FALSE(run.rescued);
    ASSERT_TRUE(run.done);
    EXPECT_EQ(IDOK, gallery.LastWarningResult());
    EXPECT_NEAR((owner.left + owner.right) / 2, cx.load(), 1);
    EXPECT_NEAR((owner.top + owner.bottom) / 2, cy.load(), 1);
}

TEST_F(Gallery, CancelButtonGivesCancel) {
    POINT c = CentreOf(gallery.WarningButton(3).Handle()); // variant D
    ModalRun run = DriveWarning(
        hwnd, c,
        [&](HWND warning, const RECT& r) {
            ClickToClose({r.left + 262, r.top + 233}, warning);
        },
        [&] { return gallery.Status().rfind("Warning D", 0) == 0; });
    EXPECT_FALSE(run.rescued);
    ASSERT_TRUE(run.done);
    EXPECT_EQ(IDCANCEL, gallery.LastWarningResult());
}
