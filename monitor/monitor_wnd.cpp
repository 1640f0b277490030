#include <windows.h>

#include "monitor/monitor_wnd.h"

#include "common/ini_file.h"
#include "common/language.h"
#include "common/osd_message.h"
#include "common/profile_store.h"
#include "framework/trace.h"
#include "monitor/applets.h"
#include "monitor/game_match.h"
#include "monitor/launch_rule.h"
#include "monitor/pointer_settings.h"

#include <tlhelp32.h>

#include <cstring>

namespace {
constexpr char kMouseKeyPath[] = "HKEY_CURRENT_USER\\Control Panel\\Mouse";
constexpr int kTipString = 1111;
constexpr int kMenuOpenString = 1000;
constexpr int kMenuExitString = 1001;
constexpr int kMenuReturnString = 1160;
constexpr int kLaunchRefusedString = 1161;
// Our own programs: in the foreground they never cause the return to the previous profile.
constexpr const char* kOwnProgramFiles[] = {"Option.exe", "Monitor.exe", "VexelOSD.exe"};

std::unique_ptr<ShareData> NewShareData() {
    return std::make_unique<ShareData>();
}

HWND OsdWindow() {
    return FindWindowA(nullptr, kOsdWindowTitle);
}
} // namespace

CMonitorWnd::CMonitorWnd(bool openOption) : openOption_(openOption) {}

CMonitorWnd::~CMonitorWnd() {
    if (Handle() != nullptr) {
        Destroy();
    }
}

bool CMonitorWnd::CreateHidden() {
    return Create(0, nullptr, kMonitorWindowTitle, WS_POPUP, 100, 100, 100, 100, nullptr) != nullptr;
}

bool CMonitorWnd::OnCreate(const CREATESTRUCTA&) {
    ReadSettings();
    // Without a temporary folder for the firmware image the window stays, with nothing started.
    if (!WriteFirmwareToTemp()) {
        return true;
    }
    LoadProfiles();
    if (!StartWorker()) {
        return false;
    }
    SetWindowLongPtrA(Handle(), GWL_EXSTYLE, GetWindowLongPtrA(Handle(), GWL_EXSTYLE) | WS_EX_TOOLWINDOW);

    const bool present = OpenMouse();
    if (present) {
        SetTimer(Handle(), kForegroundTimer, kForegroundPeriodMs, nullptr);
    }
    tray_.Prepare(Handle(), Fetch(kTipString));
    if (present) {
        SetTimer(Handle(), kReadBackTimer, kReadBackDelayMs, nullptr);
        if (tray_.Add()) {
            Trace("CMonitorWnd tray icon added\n");
        }
        if (openOption_) {
            OnCustomizer();
        }
    }
    SetConnected(present ? kConnected : kAbsentSinceStart);
    WriteDevice(present ? 1 : 0);

    ApplyPointer();
    osdProcess_ = StartApplets(folder_);
    Trace("CMonitorWnd started, mouse %s\n", present ? "present" : "absent");
    return true;
}

void CMonitorWnd::ReadSettings() {
    folder_ = ProgramFolder();
    languageLoaded_ = LoadLanguageLibrary();
    configPath_ = ConfigFilePath(folder_);
    RemoveLeftoverTemporaryFiles(folder_);
    returnToPrevious_ = IniFile(configPath_).GetInt(kDeviceSection, kReturnToPreviousKey, 0) == 1;
    mouseKey_ = OpenRegistryPath(kMouseKeyPath);
    pointer_.Attach(Handle(), mouseKey_.get());
}

bool CMonitorWnd::WriteFirmwareToTemp() {
    char temp[MAX_PATH + 1] = {};
    const DWORD tempLength = GetTempPathA(MAX_PATH, temp);
    if (tempLength == 0 || tempLength > MAX_PATH) {
        return false;
    }
    WriteFirmwareImage(temp);
    return true;
}

void CMonitorWnd::LoadProfiles() {
    hid_.Load(folder_);
    data_.Update([&](ShareData& d) {
        InitShareData(d);
        LoadAllProfiles(d, folder_);
        return 0;
    });
    OsdSettingRecord record{};
    if (!IniFile(configPath_).GetStruct("config", "OSDSetting", record.data(), kOsdSettingSize)) {
        record.fill(0);
    }
    osd_ = ParseOsdSettings(record);
}

bool CMonitorWnd::StartWorker() {
    {
        auto copy = NewShareData();
        data_.Get(*copy);
        if (block_.Create(*copy) == BlockResult::MutexExists) {
            Trace("CMonitorWnd OnCreate: another Monitor holds the block\n");
            return false;
        }
    }
    created_ = true;
    host_ = std::make_unique<MonitorJobHost>(block_, folder_);
    worker_ = std::make_unique<DeviceWorker>(hid_, data_, *host_, clock_);
    worker_->Start();
    return true;
}

bool CMonitorWnd::OpenMouse() {
    if (!hid_.Loaded()) {
        return false;
    }
    hid_.SetVidPid(kMouseVendorId, kMouseProductId);
    hid_.OpenDevMonitor(Handle(), DeviceEvent, DevicePresence);
    hid_.OpenFeatureDevice();
    return hid_.OpenReportDevice() != 0;
}

void CMonitorWnd::OnDestroy() {
    Trace("CMonitorWnd OnDestroy\n");
    ShutDown();
    PostQuitMessage(0);
}

LRESULT CMonitorWnd::OnQueryEndSession(WPARAM, LPARAM) {
    return TRUE; // nothing to ask the user: Monitor ends with the session
}

// The session ends (log-off, shut-down): the process is ended without WM_DESTROY, so the shut-down order runs here.
LRESULT CMonitorWnd::OnEndSession(WPARAM ending, LPARAM) {
    if (ending) {
        Trace("CMonitorWnd session ends\n");
        ShutDown();
    }
    return 0;
}

void CMonitorWnd::ShutDown() {
    if (shutDown_) {
        return;
    }
    shutDown_ = true;
    KillTimer(Handle(), kForegroundTimer);
    KillTimer(Handle(), kReadBackTimer);
    KillTimer(Handle(), kBalloonTimer);
    KillTimer(Handle(), kArrivalTimer);
    arrivalPending_ = false;
    pointer_.Finish();
    if (created_) {
        // Option or the OSD program started a moment ago has no window yet for the closing message, and would
        // outlive Monitor.
        AwaitWindowOrEnd(optionProcess_.get(), kOptionWindowTitle, kStartedProgramLimitMs);
        PostToOption(WM_CLOSE);
        AwaitWindowOrEnd(osdProcess_.get(), kOsdWindowTitle, kStartedProgramLimitMs);
        CloseAppletWindows();
        // The worker ends before the transport closes, so no job ever transfers over a closing interface. Stopping
        // it clears its connected flag and ends its pauses at once: a running job stops at its next transfer.
        if (worker_) {
            worker_->Stop();
        }
        Trace("CMonitorWnd OnDestroy: DeviceWorker ended\n");
        hid_.CloseFeatureDevice();
        hid_.CloseReportDevice();
        Trace("CMonitorWnd OnDestroy: interfaces closed\n");
        hid_.CloseDevMonitor();
        hid_.Unload();
        block_.Close();
    }
    tray_.Delete();
    if (languageLoaded_) {
        FreeLanguageLibrary();
        languageLoaded_ = false;
    }
    if (mouseKey_) {
        pointer_.Attach(Handle(), nullptr);
        mouseKey_.reset();
    }
    // Last: an Option started after Monitor has gone must not believe the mouse is there. A Monitor refused at
    // creation leaves the key to the one that runs.
    if (created_) {
        WriteDevice(0);
    }
    Trace("CMonitorWnd OnDestroy done\n");
}

void CMonitorWnd::OnTimer(UINT_PTR id) {
    switch (id) {
    case kForegroundTimer:
        ForegroundProfileSwitch();
        break;
    case kReadBackTimer:
        KillTimer(Handle(), kReadBackTimer);
        if (worker_) {
            worker_->PostJob(kJobReadBack);
        }
        break;
    case kArrivalTimer:
        KillTimer(Handle(), kArrivalTimer);
        if (arrivalPending_) {
            arrivalPending_ = false;
            OnArrivalSettled();
        }
        break;
    case kPointerTimer:
        pointer_.OnTimer();
        break;
    case kBalloonTimer:
        KillTimer(Handle(), kBalloonTimer);
        tray_.SetBalloon("", 500);
        Trace("CMonitorWnd balloon removed\n");
        break;
    default:
        break;
    }
}

void CMonitorWnd::OnCustomizer() {
    Trace("CMonitorWnd OnCustomizer\n");
    HWND option = FindWindowA(nullptr, kOptionWindowTitle);
    if (option != nullptr) {
        Trace("CMonitorWnd OnCustomizer hWnd!=NULL\n");
        if (IsIconic(option)) {
            ShowWindow(option, SW_RESTORE);
        }
        SetForegroundWindow(option);
        SetActiveWindow(option);
        return;
    }
    Trace("CMonitorWnd OnCustomizer hWnd==NULL\n");
    OpenProgram(folder_ + "Option.exe", &optionProcess_);
}

void CMonitorWnd::OnExit() {
    PostMessageA(Handle(), WM_CLOSE, 0, 0);
}

LRESULT CMonitorWnd::OnSystrayNotify(WPARAM wParam, LPARAM lParam) {
    if (wParam != kTrayIconId) {
        return 0;
    }
    switch (LOWORD(lParam)) {
    case WM_LBUTTONDOWN: {
        OnCustomizer();
        // The hidden window itself is never brought forward: that would take the foreground from Option.
        HWND popup = GetLastActivePopup(Handle());
        if (popup != nullptr && popup != Handle()) {
            if (IsIconic(popup)) {
                ShowWindow(popup, SW_RESTORE);
            }
            SetForegroundWindow(popup);
            SetActiveWindow(popup);
        }
        break;
    }
    case WM_LBUTTONDBLCLK:
        Trace("OnSystrayNotify WM_LBUTTONDBLCLK\n");
        OnCustomizer();
        break;
    case WM_RBUTTONDOWN:
        ShowTrayMenu();
        break;
    default:
        break;
    }
    return 0;
}

void CMonitorWnd::ShowTrayMenu() {
    // A menu tracked for a window that is not in the foreground does not close when the user clicks elsewhere.
    SetForegroundWindow(GetLastActivePopup(Handle()));
    OwnedMenu menu(CreatePopupMenu());
    if (!menu) {
        return;
    }
    AppendMenuA(menu.get(), MF_STRING, CmdOpenOption, Fetch(kMenuOpenString).c_str());
    SetMenuDefaultItem(menu.get(), CmdOpenOption, FALSE);
    AppendMenuA(menu.get(), MF_STRING | (returnToPrevious_ ? MF_CHECKED : MF_UNCHECKED), kCmdReturnToPrevious,
                Fetch(kMenuReturnString).c_str());
    Trace("CMonitorWnd tray menu, return to the previous profile %s\n", returnToPrevious_ ? "checked" : "unchecked");
    AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu.get(), MF_STRING, CmdExit, Fetch(kMenuExitString).c_str());
    POINT cursor{};
    GetCursorPos(&cursor);
    TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_LEFTBUTTON, cursor.x, cursor.y, 0, Handle(), nullptr);
    PostMessageA(Handle(), WM_NULL, 0, 0);
}

void CMonitorWnd::OnReturnToPrevious() {
    returnToPrevious_ = !returnToPrevious_;
    IniFile(configPath_).WriteInt(kDeviceSection, kReturnToPreviousKey, returnToPrevious_ ? 1 : 0);
    Trace("CMonitorWnd return to the previous profile %s\n", returnToPrevious_ ? "on" : "off");
}

LRESULT CMonitorWnd::OnApplyAllSetting(WPARAM, LPARAM lParam) {
    ReadBlockIntoCopy();
    ApplyPointer();
    const bool queued = connected_ == kConnected && worker_ && worker_->PostJob(kJobApplyAll, lParam);
    if (!queued) {
        PostToOption(ApplyFinished);
    }
    return 0;
}

LRESULT CMonitorWnd::OnReloadShareData(WPARAM, LPARAM) {
    ReadBlockIntoCopy();
    return 0;
}

LRESULT CMonitorWnd::OnReloadShareDataAndPointer(WPARAM, LPARAM) {
    ReadBlockIntoCopy();
    ApplyPointer();
    return 0;
}

LRESULT CMonitorWnd::OnCopyData(WPARAM, LPARAM lParam) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (data == nullptr) {
        return 0;
    }
    std::string text;
    if (!ReadOsdMessage(data->dwData, data->lpData, data->cbData, text)) {
        return 0;
    }
    IniFile(configPath_).WriteString(kOsdDataSection, kOsdDataKey, SingleLineText(text).c_str());
    if (connected_ == kConnected) {
        if (HWND osd = OsdWindow()) {
            Trace("Show OSD %d\n", static_cast<int>(kOsdShowMessage));
            PostMessageA(osd, OsdShow, kOsdShowMessage, 0);
        }
    }
    return 1;
}

LRESULT CMonitorWnd::OnDeviceEvent(WPARAM wParam, LPARAM lParam) {
    Dispatch(EventFromDeviceEvent(wParam, lParam));
    return 0;
}

LRESULT CMonitorWnd::OnDevicePresence(WPARAM wParam, LPARAM) {
    Dispatch(EventFromPresence(wParam));
    return 0;
}

LRESULT CMonitorWnd::OnTaskbarCreated(WPARAM, LPARAM) {
    // The shell restarted: the icon it had is gone.
    if (connected_ == kConnected) {
        tray_.Delete();
        tray_.Add();
    }
    return 0;
}

void CMonitorWnd::Dispatch(uint32_t code) {
    if (shutDown_) {
        return; // the session is ending: the transport and the block are closed
    }
    if (arrivalPending_ && code == EventFromPresence(0)) {
        // Gone again before its interfaces were opened: nothing was opened, nothing is to be closed.
        KillTimer(Handle(), kArrivalTimer);
        arrivalPending_ = false;
        Trace("CMonitorWnd arrival cancelled\n");
        return;
    }
    const EventAction action = ClassifyEvent(code, connected_);
    switch (action.kind) {
    case EventKind::Arrival:
        OnArrival();
        break;
    case EventKind::Removal:
        OnRemoval();
        break;
    case EventKind::ProfileSwitch:
        foreground_.Forget(); // the user chose it with the mouse's profile button
        SwitchProfile(action.index);
        break;
    case EventKind::LaunchProgram:
        LaunchProgram(action.index);
        break;
    case EventKind::OpenOption:
        PostMessageA(Handle(), WM_COMMAND, CmdOpenOption, 0);
        break;
    case EventKind::DpiStage:
    case EventKind::PollingRate:
    case EventKind::Sensitivity:
        OnSettingEvent(action);
        break;
    case EventKind::None:
        break;
    }
}

void CMonitorWnd::OnArrival() {
    if (arrivalPending_ || shutDown_) {
        return; // the first arrival's wait runs; the mouse is opened once
    }
    Trace("CMonitorWnd mouse arrived\n");
    // The mouse needs a moment after it announces itself before its interfaces can be opened. The window thread
    // goes on meanwhile (tray, timers, Option's messages).
    arrivalPending_ = true;
    SetTimer(Handle(), kArrivalTimer, kArrivalDelayMs, nullptr);
}

void CMonitorWnd::OnArrivalSettled() {
    Trace("CMonitorWnd opening the mouse\n");
    SetConnected(kConnected);
    hid_.OpenFeatureDevice();
    hid_.OpenReportDevice();
    if (worker_) {
        worker_->PostJob(kJobReadBack);
    }
    if (tray_.Add()) {
        Trace("CMonitorWnd tray icon added\n");
    }
    WriteDevice(1);
    SetTimer(Handle(), kForegroundTimer, kForegroundPeriodMs, nullptr);
}

void CMonitorWnd::OnRemoval() {
    Trace("CMonitorWnd mouse removed\n");
    SetConnected(kRemoved);
    hid_.CloseFeatureDevice();
    hid_.CloseReportDevice();
    tray_.Delete();
    Trace("CMonitorWnd tray icon deleted\n");
    KillTimer(Handle(), kForegroundTimer);
    WriteDevice(0);
    PostToOption(WM_CLOSE);
}

void CMonitorWnd::OnSettingEvent(const EventAction& action) {
    SettingChange change;
    auto copy = NewShareData();
    data_.Update([&](ShareData& d) {
        change = ApplySettingEvent(d, action);
        if (change.changed) {
            block_.WriteBlock(d);
        }
        *copy = d;
        return 0;
    });
    if (!change.changed) {
        return;
    }
    PostToOption(DeviceSettingChanged);
    if (change.dpiStage) {
        ShowCpiMessage(*copy);
    }
    ShowBalloon(change.balloon);
}

void CMonitorWnd::ShowCpiMessage(const ShareData& data) {
    if (!osd_.cpiDisplay) {
        return;
    }
    const ProfileRecord* profile = ActiveProfile(data);
    if (profile == nullptr) {
        return;
    }
    const std::string text = CpiMessage(*profile);
    if (text.empty()) {
        return;
    }
    IniFile(configPath_).WriteString(kOsdDataSection, kOsdDataKey, text.c_str());
    if (HWND osd = OsdWindow()) {
        Trace("Show OSD %d\n", static_cast<int>(kOsdShowMessage));
        PostMessageA(osd, OsdShow, kOsdShowMessage, 0);
    }
}

void CMonitorWnd::ShowBalloon(const std::string& text) {
    Trace("CMonitorWnd balloon \"%s\"\n", text.c_str());
    tray_.SetBalloon(text, 1000);
    KillTimer(Handle(), kBalloonTimer);
    SetTimer(Handle(), kBalloonTimer, kBalloonPeriodMs, nullptr);
}

void CMonitorWnd::SwitchProfile(int profile) {
    if (profile < 0 || profile >= kProfileCount) {
        return;
    }
    Trace("CMonitorWnd profile switch to %d\n", profile);
    auto copy = NewShareData();
    data_.Update([&](ShareData& d) {
        d.CurrentProfile = profile;
        block_.WriteBlock(d);
        *copy = d;
        return 0;
    });
    if (worker_) {
        worker_->PostJob(kJobProfileSwitch);
    }
    WritePointerSettings(copy->Profile[profile]);
    ApplyPointer();
    PostToOption(ProfileSwitched);
    if (osd_.profileDisplay) {
        if (HWND osd = OsdWindow()) {
            Trace("Show OSD %d\n", static_cast<int>(kOsdShowProfile));
            PostMessageA(osd, OsdShow, kOsdShowProfile, static_cast<LPARAM>(profile) << 16);
        }
    }
}

void CMonitorWnd::LaunchProgram(int entry) {
    if (entry < 0 || entry >= kMacroKeyCount) {
        return;
    }
    auto copy = NewShareData();
    data_.Get(*copy);
    const ProfileRecord* profile = ActiveProfile(*copy);
    if (profile == nullptr) {
        return;
    }
    const MacroKeyInfo& key = profile->MacroKey[entry];
    if (key.FunctionCode != 99) {
        return;
    }
    const std::string path(key.ProgramPath, FieldLength(key.ProgramPath));
    Trace("CMonitorWnd launch entry %d\n", entry);
    // The rule first: a network path must not even be looked at.
    if (!LaunchPathAllowed(path) || !OnLocalDrive(path) || !FileExists(path)) {
        Trace("CMonitorWnd launch refused: \"%s\"\n", path.c_str());
        ShowBalloon(Fetch(kLaunchRefusedString) + "\n" + path);
        return;
    }
    OpenProgram(path);
}

void CMonitorWnd::ForegroundProfileSwitch() {
    HWND foreground = GetForegroundWindow();
    if (foreground == nullptr) {
        return;
    }
    DWORD pid = 0;
    GetWindowThreadProcessId(foreground, &pid);
    if (pid == 0 || !LookUpForeground(foreground, pid)) {
        return;
    }
    const std::string& exeName = foregroundProgram_.exeName;
    const bool ours = foregroundProgram_.ours;
    auto copy = NewShareData();
    data_.Get(*copy);
    const int target = foreground_.OnForeground(*copy, exeName, ours, returnToPrevious_);
    // Traced when another program comes to the foreground, with what it did.
    const std::string seen = exeName + (ours ? " (ours)" : "");
    if (seen != lastForeground_) {
        lastForeground_ = seen;
        if (target >= 0) {
            Trace("CMonitorWnd foreground program %s: switch to profile %d\n", seen.c_str(), target + 1);
        } else {
            Trace("CMonitorWnd foreground program %s: profile stays\n", seen.c_str());
        }
    }
    if (target >= 0) {
        SwitchProfile(target);
    }
}

// Every check matches the foreground program against the profiles again (a profile chosen meanwhile, a GameFile
// applied meanwhile); only finding its name is saved while the same window of the same process stays in front.
bool CMonitorWnd::LookUpForeground(HWND window, DWORD pid) {
    if (window == foregroundProgram_.window && pid == foregroundProgram_.pid) {
        return true;
    }
    std::string exeName = ProgramFileOf(pid);
    if (exeName.empty()) {
        foregroundProgram_ = {};
        return false;
    }
    const bool ours = OwnProgram(pid, exeName);
    foregroundProgram_ = {window, pid, std::move(exeName), ours};
    return true;
}

// The program file name (name and extension) of a process, as the process list gives it; empty when not found.
std::string CMonitorWnd::ProgramFileOf(DWORD pid) {
    KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        return {};
    }
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    std::string exeName;
    if (Process32First(snapshot.get(), &entry)) {
        do {
            if (entry.th32ProcessID == pid) {
                exeName.assign(entry.szExeFile, strnlen(entry.szExeFile, sizeof entry.szExeFile));
                break;
            }
        } while (Process32Next(snapshot.get(), &entry));
    }
    return exeName;
}

bool CMonitorWnd::OwnProgram(DWORD pid, const std::string& exeName) {
    for (const char* file : kOwnProgramFiles) {
        if (lstrcmpiA(exeName.c_str(), file) == 0) {
            return true;
        }
    }
    // Also under another file name: the process that owns one of our windows.
    for (const char* title : {kOptionWindowTitle, kMonitorWindowTitle, kOsdWindowTitle}) {
        DWORD owner = 0;
        if (HWND window = FindWindowA(nullptr, title)) {
            GetWindowThreadProcessId(window, &owner);
        }
        if (owner == pid) {
            return true;
        }
    }
    return false;
}

void CMonitorWnd::ApplyPointer() {
    auto copy = NewShareData();
    data_.Get(*copy);
    const int index = copy->CurrentProfile;
    ProfileRecord* profile = ActiveProfile(*copy);
    if (profile == nullptr) {
        return;
    }
    const int32_t before = profile->Acceleration;
    pointer_.Apply(*profile);
    if (profile->Acceleration != before) {
        const int32_t after = profile->Acceleration;
        data_.Update([&](ShareData& d) {
            if (d.CurrentProfile == index) {
                d.Profile[index].Acceleration = after;
            }
            return 0;
        });
    }
}

bool CMonitorWnd::ReadBlockIntoCopy() {
    auto copy = NewShareData();
    bool profileChanged = false;
    // Under the copy's lock, so that no write of the copy into the block falls between the read and the copy.
    const bool read = data_.Update([&](ShareData& d) {
        if (block_.ReadBlock(*copy) != 1) {
            return false;
        }
        // Another program's block: what reaches the mouse is held to the ranges the files are.
        KeepRepeatCountsInRange(*copy);
        profileChanged = copy->CurrentProfile != d.CurrentProfile;
        d = *copy;
        return true;
    });
    // A profile chosen in Option: the one before a game is no longer the one to return to. Editing the game's own
    // profile keeps it.
    if (profileChanged) {
        foreground_.Forget();
    }
    return read;
}

void CMonitorWnd::WriteDevice(int value) {
    IniFile(configPath_).WriteInt(kDeviceSection, kDeviceKey, value);
}

void CMonitorWnd::SetConnected(int flag) {
    connected_ = flag;
    if (worker_) {
        worker_->SetConnected(flag == kConnected);
    }
}

void CMonitorWnd::PostToOption(UINT message) {
    if (HWND option = FindWindowA(nullptr, kOptionWindowTitle)) {
        PostMessageA(option, message, 0, 0);
    }
}
