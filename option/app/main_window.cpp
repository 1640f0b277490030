#include "option/app/main_window.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "common/function_codes.h"
#include "common/ini_file.h"
#include "common/language.h"
#include "common/messages.h"
#include "common/profile_store.h"
#include "framework/file_dialog.h"
#include "framework/system_library.h"
#include "framework/trace.h"
#include "option/app/option_files.h"
#include "option/macros/macro_files.h"
#include "option/skin/skin_picture.h"
#include "option/skin/warning_dialog.h"

namespace {

// "BUTTONPOS" keys of the main skin.
enum Key {
    kBasicTab = 1,
    kAdvancedTab = 2,
    kOk = 3,
    kCancel = 4,
    kApply = 5,
    kMinimize = 6,
    kClose = 7,
    kWeb = 8,
    kPageArea = 9,
    kProfile1 = 11,
    kImport = 16,
    kExport = 17,
};

// Language strings of the buttons' captions.
enum Text {
    kBasicTabText = 100,
    kAdvancedTabText = 101,
    kFirstProfileText = 102, // 5 profiles
    kOkText = 107,
    kCancelText = 108,
    kApplyText = 109,
    kImportText = 110,
    kExportText = 111,
};

void MakeRegionButton(RegionTextButton& b, HWND parent, const ButtonPos& p, int id, const SkinScreens& s,
                      const char* maskFile, int textNumber) {
    b.SetMaskFile(SkinFilePath(SkinFolder(), maskFile));
    b.Create(parent, p.Rect(), id);
    b.ShareFaces(p.Rect(), s.normal, s.over, s.down, s.disable);
    b.SetCaption(Fetch(textNumber));
    b.SetFontSize(15, 0);
    b.SetColours(kCaptionPalette);
}

void MakePictureButton(SkinButton& b, HWND parent, const ButtonPos& p, int id, const SkinScreens& s, int textNumber) {
    b.Create(parent, p.Rect(), id);
    b.ShareFaces(p.Rect(), s.normal, s.over, s.down, s.disable);
    if (textNumber > 0) {
        b.SetCaption(Fetch(textNumber));
        b.SetCaptionColours(kCaptionPalette);
        b.SetTooltip(Fetch(textNumber), true);
    }
}

constexpr char kProfileFilter[] = "Tarvex Profile(*.tvp)|*.tvp|";
// The platform appends at most three characters of the default extension: "tvp" is what "*.tvp" means.
constexpr char kProfileExtension[] = "tvp";

} // namespace

MainWindow::MainWindow(OptionContext& context)
    : SkinnedDialog("skin_main.ini"), context_(context), buttonPage_(context), advancedPage_(context) {
    context_.shell = this;
}

MainWindow::~MainWindow() {
    if (context_.shell == this) {
        context_.shell = nullptr;
    }
}

void MainWindow::CreateControls(const SkinScreens& s) {
    HWND hwnd = Handle();
    // The system menu holds Move and Close; Maximize and Minimize from it are ignored (OnSysCommand).
    SetWindowLongPtrA(hwnd, GWL_STYLE, GetWindowLongPtrA(hwnd, GWL_STYLE) | WS_SYSMENU);
    // The buttons draw their faces straight from the window's screen images.
    KeepScreens();

    MakeRegionButton(basicTab_, hwnd, Position(kBasicTab), kBasicTabId, s, "basic_mask.bmp", kBasicTabText);
    MakeRegionButton(advancedTab_, hwnd, Position(kAdvancedTab), kAdvancedTabId, s, "advanced_mask.bmp",
                     kAdvancedTabText);
    MakeRegionButton(ok_, hwnd, Position(kOk), kOkId, s, "ok_mask.bmp", kOkText);
    MakeRegionButton(apply_, hwnd, Position(kApply), kApplyId, s, "ok_mask.bmp", kApplyText);
    MakeRegionButton(cancel_, hwnd, Position(kCancel), kCancelId, s, "cancel_mask.bmp", kCancelText);
    MakePictureButton(minimize_, hwnd, Position(kMinimize), kMinimizeId, s, 0);
    MakePictureButton(close_, hwnd, Position(kClose), kCloseId, s, 0);
    MakePictureButton(web_, hwnd, Position(kWeb), kWebId, s, 0);
    // Profiles 1, 3, 5 share one outline and 2, 4 the other; created in that order.
    static constexpr int kProfileOrder[] = {0, 2, 4, 1, 3};
    for (int i : kProfileOrder) {
        MakeRegionButton(profiles_[i], hwnd, Position(kProfile1 + i), kFirstProfileId + i, s,
                         i % 2 == 0 ? "prifile1_mask.bmp" : "prifile2_mask.bmp", kFirstProfileText + i);
    }
    MakePictureButton(import_, hwnd, Position(kImport), kImportId, s, kImportText);
    MakePictureButton(export_, hwnd, Position(kExport), kExportId, s, kExportText);

    pageArea_ = Position(kPageArea).Rect();
    // The advanced page is not shown at first: it is built once the window has painted (OnFirstPaint), or when its
    // tab is clicked before that.
    PlacePage(buttonPage_);
    ShowPage(0);
}

void MainWindow::PlacePage(SkinnedDialog& page) {
    if (HWND child = page.CreateChild(Handle())) {
        SetWindowPos(child, nullptr, pageArea_.left, pageArea_.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void MainWindow::CreateAdvancedPage() {
    if (!advancedPage_.Handle()) {
        PlacePage(advancedPage_);
        advancedPage_.Refresh();
    }
}

LRESULT MainWindow::OnCreateLaterPages(WPARAM, LPARAM) {
    CreateAdvancedPage();
    if (measureStart_) {
        MeasurePages(); // and closes: a measured start asks nothing of anyone
        return 0;
    }
    // The start's checks may warn: only now, so that a warning comes over a whole window, never before it shows.
    SetTimer(Handle(), kStartTimer, 1, nullptr);
    return 0;
}

bool MainWindow::OnSkinInit() {
    HWND hwnd = Handle();
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
    if (icon) {
        SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
    context_.mainWindow = hwnd;
    SetWindowTextA(hwnd, kOptionWindowTitle);
    MarkStart("skin built");
    LoadSettings();
    MarkStart("settings read");
    RefreshPages();
    MarkStart("pages filled");
    CentreOverOwner();
    return true;
}

// The first copy of the settings: from Monitor's block when it runs, else from the files.
void MainWindow::LoadSettings() {
    RemoveLeftoverTemporaryFiles(context_.programFolder);
    InitShareData(context_.shadow);
    context_.shadow.CurrentProfile = -1;
    BlockResult opened = context_.block.Open();
    if (opened == BlockResult::ViewFailed) {
        MessageBoxA(Handle(), "Could not map view of file.", kOptionWindowTitle, MB_OK | MB_ICONWARNING);
    }
    // A block that another process keeps locked past the wait gives nothing: the files then, as without Monitor,
    // rather than a copy of zeros that the next Apply would write everywhere.
    const bool fromBlock = opened == BlockResult::Ready && context_.block.ReadBlock(context_.shadow) == 1;
    if (opened == BlockResult::Ready && !fromBlock) {
        Trace("Option: the block could not be read, the settings come from the files\n");
    }
    if (!fromBlock) {
        LoadAllProfiles(context_.shadow, context_.programFolder);
    }
    context_.macros.clear();
    context_.macroFile = LoadMacroLibrary(context_.macros, MacroLibraryPath(context_.programFolder));
    context_.working = context_.shadow;
    if (context_.Attached()) {
        if (ProfileRecord* active = context_.Active()) {
            ReadPointerSettings(*active);
        }
    }
    context_.doubleClickToRestore = -1;
}

void MainWindow::ShowPage(int page) {
    if (page != 0 && page != 1) {
        return;
    }
    basicTab_.SetChecked(page == 0);
    advancedTab_.SetChecked(page == 1);
    if (page == shownPage_) {
        return;
    }
    if (page != 1) {
        // A recording on a page that is no longer shown would keep the keyboard out of sight.
        advancedPage_.Macros().EndRecording();
    }
    SkinnedDialog& shown = page == 0 ? static_cast<SkinnedDialog&>(buttonPage_) : advancedPage_;
    SkinnedDialog& hidden = page == 0 ? static_cast<SkinnedDialog&>(advancedPage_) : buttonPage_;
    if (page == 1 && Handle()) {
        CreateAdvancedPage();
    }
    if (hidden.Handle()) {
        ShowWindow(hidden.Handle(), SW_HIDE);
    }
    if (shown.Handle()) {
        ShowWindow(shown.Handle(), SW_SHOW);
    }
    shownPage_ = page;
}

void MainWindow::SelectProfile(int index) {
    Trace("Option profile %d\n", index);
    context_.working.CurrentProfile = index;
    RefreshPages();
}

void MainWindow::RefreshPages() {
    int current = context_.working.CurrentProfile;
    if (current >= 0 && current < kProfileCount) {
        for (int i = 0; i < kProfileCount; ++i) {
            profiles_[i].SetChecked(i == current);
        }
    }
    buttonPage_.Refresh();
    advancedPage_.Refresh();
}

void MainWindow::EnableOkApply(bool on) {
    for (RegionTextButton* b : {&ok_, &apply_}) {
        if (b->Handle()) {
            EnableWindow(b->Handle(), on ? TRUE : FALSE);
            UpdateWindow(b->Handle());
        }
    }
}

void MainWindow::Apply() {
    // Without an active profile the working copy is not one that was read whole (a block or files that could not be
    // read): applying it would write it into the block, the files and the mouse.
    if (!context_.Active()) {
        Trace("Option Apply: no profile %d, nothing applied\n", context_.working.CurrentProfile);
        return;
    }
    HWND hwnd = Handle();
    SetCapture(hwnd);
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    EnableOkApply(false);

    context_.block.WriteBlock(context_.working);
    context_.shadow = context_.working;
    HWND monitor = FindWindowA(nullptr, kMonitorWindowTitle);
    Trace("Option Apply, profile %d, %s\n", context_.working.CurrentProfile, monitor ? "to Monitor" : "files only");
    if (monitor) {
        PostMessageA(monitor, ApplyAllSetting, 0, 0);
    }
    SaveAllProfiles(context_.working, context_.programFolder);
    SaveMacros();
    // What the system holds now is what was applied: closing no longer puts an older double-click time back.
    context_.doubleClickToRestore = -1;

    if (!monitor) {
        EndBusy();
        return;
    }
    busy_ = true;
    SetTimer(hwnd, kApplyTimer, applyLimitMs_, nullptr);
}

void MainWindow::SaveMacros() {
    if (!context_.MacrosWritable()) {
        Trace("Option: the macro library was not read whole; its file is left as it is\n");
        return;
    }
    SaveMacroLibrary(context_.macros, MacroLibraryPath(context_.programFolder));
}

void MainWindow::SaveOnExit() {
    // Closed without Apply after the double-click slider changed the system's time: the system gets back the time
    // it had before, which a profile holds.
    if (context_.doubleClickToRestore >= 0) {
        SetDoubleClickTime(static_cast<UINT>(context_.doubleClickToRestore));
        context_.doubleClickToRestore = -1;
    }
    SaveMacros();
}

void MainWindow::EndBusy() {
    busy_ = false;
    KillTimer(Handle(), kApplyTimer);
    EnableOkApply(true);
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    if (GetCapture() == Handle()) {
        ReleaseCapture();
    }
}

void MainWindow::Ok() {
    Apply();
    PostMessageA(Handle(), WM_COMMAND, IDCANCEL, 0);
}

void MainWindow::Close() {
    if (GetCapture() == Handle()) {
        ReleaseCapture();
    }
    busy_ = false;
    End(IDCANCEL);
}

bool MainWindow::OnBusyClick(const WindowMessage& m) {
    if (m.message == WM_LBUTTONUP) {
        POINT p{static_cast<short>(LOWORD(m.lParam)), static_cast<short>(HIWORD(m.lParam))};
        HWND target = ChildWindowFromPointEx(Handle(), p, CWP_SKIPINVISIBLE);
        int id = target && target != Handle() ? GetDlgCtrlID(target) : 0;
        if (id == kCancelId || id == kCloseId) {
            Close();
        }
    }
    return true;
}

void MainWindow::OnMinimize() {
    ShowWindow(Handle(), SW_MINIMIZE);
}

void MainWindow::OnWeb() {
    // The shell library is loaded only when the web page is asked for.
    static const auto shellExecute = SystemFunction<decltype(&ShellExecuteA)>("shell32.dll", "ShellExecuteA");
    if (shellExecute) {
        shellExecute(Handle(), "open", kWebPage, nullptr, nullptr, SW_SHOWNORMAL);
    }
}

void MainWindow::OnTimer(UINT_PTR id) {
    HWND hwnd = Handle();
    if (id == kStartTimer) {
        KillTimer(hwnd, kStartTimer);
        if (!context_.MacrosWritable()) {
            libraryWarningShown_ = true;
            ShowWarning(hwnd, WarningVariant::LibraryNotSaved);
        }
        if (ReadDevice(ConfigFilePath(context_.programFolder)) == 0) {
            deviceWarningShown_ = true;
            ShowWarning(hwnd, WarningVariant::MouseMissing);
        }
        startChecked_ = true;
    } else if (id == kApplyTimer) {
        Trace("Option: no answer from Monitor to the apply within %u ms\n", applyLimitMs_);
        EndBusy();
    }
}

LRESULT MainWindow::OnSysCommand(WPARAM wParam, LPARAM) {
    UINT command = static_cast<UINT>(wParam & 0xFFF0);
    if (command == SC_MAXIMIZE || command == SC_MINIMIZE) {
        return 0;
    }
    Default();
    return 0;
}

void MainWindow::TakeBlock() {
    ShareData read;
    if (context_.block.ReadBlock(read)) {
        context_.shadow = read;
        context_.working = context_.shadow;
    }
    RefreshPages();
}

LRESULT MainWindow::OnDeviceStateRead(WPARAM, LPARAM) {
    Trace("Option DeviceStateRead\n");
    TakeBlock();
    return 0;
}

LRESULT MainWindow::OnProfileSwitched(WPARAM, LPARAM) {
    Trace("Option ProfileSwitched\n");
    TakeBlock();
    return 0;
}

LRESULT MainWindow::OnDeviceSettingChanged(WPARAM, LPARAM) {
    Trace("Option DeviceSettingChanged\n");
    ShareData read;
    if (context_.block.ReadBlock(read)) {
        context_.shadow = read;
        const ProfileRecord* fresh = ActiveProfile(context_.shadow);
        ProfileRecord* edited = ProfileAt(context_.working, context_.shadow.CurrentProfile);
        if (fresh && edited && context_.Active()) {
            edited->Cpi_X = fresh->Cpi_X;
            edited->PollingRate = fresh->PollingRate;
        }
    }
    buttonPage_.Refresh();
    EnableOkApply(true);
    return 0;
}

LRESULT MainWindow::OnApplyFinished(WPARAM, LPARAM) {
    Trace("Option ApplyFinished\n");
    EndBusy();
    return 0;
}

void MainWindow::OnDestroy() {
    HWND hwnd = Handle();
    KillTimer(hwnd, kStartTimer);
    KillTimer(hwnd, kApplyTimer);
    // A recording ends with the window, its steps kept: the keyboard is never held by a window that is gone.
    advancedPage_.Macros().EndRecording();
    SaveOnExit();
    buttonPage_.Destroy();
    advancedPage_.Destroy();
    context_.block.Close();
    if (context_.mainWindow == hwnd) {
        context_.mainWindow = nullptr;
    }
}

LRESULT MainWindow::OnQueryEndSession(WPARAM, LPARAM) {
    return TRUE; // nothing to ask: the end of the session saves what a close saves
}

// The session ends without a close: the window is never destroyed, so what a close does happens here.
LRESULT MainWindow::OnEndSession(WPARAM ending, LPARAM) {
    if (ending) {
        Trace("Option: the session ends\n");
        SaveOnExit();
    }
    return 0;
}

void MainWindow::ImportProfile() {
    if (!context_.Active()) {
        return;
    }
    advancedPage_.Macros().EndRecording();
    std::string chosen =
        ChooseFileToOpen(Handle(), context_.programFolder + "config\\.tvp", kProfileFilter, kProfileExtension);
    if (!chosen.empty()) {
        ImportProfileFrom(chosen);
    }
}

void MainWindow::ExportProfile() {
    if (!context_.Active()) {
        return;
    }
    advancedPage_.Macros().EndRecording();
    std::string chosen =
        ChooseFileToSave(Handle(), context_.programFolder + "config\\.tvp", kProfileFilter, kProfileExtension);
    if (!chosen.empty()) {
        ExportProfileTo(chosen);
    }
}

bool MainWindow::ImportProfileFrom(const std::string& chosen) {
    ProfileRecord* active = context_.Active();
    if (!active) {
        return false;
    }
    // A profile file may come from anywhere: the programs its buttons would start are named first, and No leaves
    // the current profile as it was.
    auto incoming = std::make_unique<ProfileRecord>();
    ReadProfileFile(*incoming, chosen);
    std::vector<std::string> programs = LaunchedPrograms(*incoming);
    if (!programs.empty()) {
        std::string list;
        for (const std::string& path : programs) {
            list += (list.empty() ? "" : "\n") + path;
        }
        if (ShowWarning(Handle(), WarningVariant::ImportStartsPrograms, list) != IDOK) {
            Trace("Option: import of %s declined\n", chosen.c_str());
            return false;
        }
    }
    std::string target = ProfileFilePath(context_.programFolder, context_.working.CurrentProfile);
    switch (ImportProfileFile(chosen, target)) {
    case ImportResult::Done:
        break;
    case ImportResult::Refused:
        return false;
    case ImportResult::Failed:
        Trace("Option: the profile could not be written to %s, the old file is kept\n", target.c_str());
        ShowWarning(Handle(), WarningVariant::ImportNotWritten);
        return false;
    }
    ReadProfileFile(*active, target);
    RefreshPages();
    return true;
}

bool MainWindow::ExportProfileTo(const std::string& path) {
    const ProfileRecord* active = context_.Active();
    if (!active) {
        return false;
    }
    return ExportProfileFile(*active, path);
}

void MainWindow::MarkStart(const char* what) {
    if (measureStart_) {
        char mark[96];
        std::snprintf(mark, sizeof mark, "%s%s %.1f", startMarks_.empty() ? "" : ", ", what,
                      MillisecondsSinceProcessStart());
        startMarks_ += mark;
    }
}

void MainWindow::OnFirstPaint() {
    painted_ = true;
    double ms = MillisecondsSinceProcessStart();
    Trace("Option: main window painted %.1f ms after the start\n", ms);
    firstPaintMs_ = ms;
    PostMessageA(Handle(), kCreateLaterPagesMessage, 0, 0);
}

// The second half of the start-up measure, once the first frame is out: both pages created and painted.
void MainWindow::MeasurePages() {
    for (int page : {1, 0}) {
        ShowPage(page);
        SkinnedDialog& shown = page == 0 ? static_cast<SkinnedDialog&>(buttonPage_) : advancedPage_;
        RedrawWindow(shown.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
    double pagesMs = MillisecondsSinceProcessStart();
    // The start-up time, then the skin build of the window (its pages are built within it), the picture loading of
    // the window and its pages, the two pages' builds, and the time by which both pages were painted.
    double build = BuildMilliseconds();
    double pictures = LoadMilliseconds() + buttonPage_.LoadMilliseconds() + advancedPage_.LoadMilliseconds();
    std::printf("%.1f %.1f %.1f %.1f %.1f %.1f\n", firstPaintMs_, build, pictures, buttonPage_.BuildMilliseconds(),
                advancedPage_.BuildMilliseconds(), pagesMs);
    // Where the first frame's time went: the moments of the start, and the window's own skin build without its pages.
    std::printf("start: %s; main window pictures %.1f, controls without the button page %.1f, outline %.1f\n",
                startMarks_.c_str(), LoadMilliseconds(), ControlsMilliseconds() - buttonPage_.BuildMilliseconds(),
                build - LoadMilliseconds() - ControlsMilliseconds());
    std::fflush(stdout);
    Close();
}

bool MainWindow::ProcessMessage(WindowMessage& m) {
    if (busy_ && (m.message == WM_LBUTTONDOWN || m.message == WM_LBUTTONUP)) {
        return OnBusyClick(m);
    }
    bool handled = RouteMessage(*this, kMessageMap, m) || SkinnedDialog::ProcessMessage(m);
    if (m.message == WM_PAINT && !painted_) {
        OnFirstPaint();
    }
    return handled;
}
