#pragma once
// CMonitorWnd: Monitor's hidden main window "Tarvex Monitor". It owns the shared block, the HID transport, the
// DeviceWorker, the timers and the tray icon, answers every message of the other programs and of the transport, and
// keeps the pointer settings and the on-screen display in line with the mouse.

#include <windows.h>

#include "common/messages.h"
#include "common/shared_block.h"
#include "framework/handles.h"
#include "framework/window.h"
#include "monitor/device/device_worker.h"
#include "monitor/device/hid_binding.h"
#include "monitor/device_events.h"
#include "monitor/game_match.h"
#include "monitor/osd_texts.h"
#include "monitor/pointer_settings.h"
#include "monitor/tray_icon.h"

#include <memory>
#include <string>

// The shell sends it when the task bar (re)starts: the tray icon must be added again.
inline RegisteredMessage kTaskbarCreated{"TaskbarCreated"};

inline constexpr UINT_PTR kForegroundTimer = 500;
inline constexpr UINT kForegroundPeriodMs = 2000;
inline constexpr UINT_PTR kReadBackTimer = 502;
inline constexpr UINT kReadBackDelayMs = 200;
inline constexpr UINT_PTR kBalloonTimer = 1000;
inline constexpr UINT kBalloonPeriodMs = 1000;
// The tray menu's item for the return to the previous profile, and where its choice is kept.
inline constexpr unsigned kCmdReturnToPrevious = 6003;
inline constexpr char kReturnToPreviousKey[] = "ReturnToPreviousProfile"; // section "Setting" of config.ini

// One-shot, after an arrival: the mouse needs a moment after it announces itself before its interfaces open.
inline constexpr UINT_PTR kArrivalTimer = 503;
inline constexpr UINT kArrivalDelayMs = 1000;

// At Monitor's end, how long a program it started (Option, the OSD program) may take to make the window that the
// closing message goes to.
inline constexpr DWORD kStartedProgramLimitMs = 5000;
// One-shot, the pause before the next step of applying the pointer settings.
inline constexpr UINT_PTR kPointerTimer = 504;

class CMonitorWnd : public Window {
public:
    // openOption: the command line asked for Option.
    explicit CMonitorWnd(bool openOption);
    ~CMonitorWnd() override;

    // Creates the hidden window. Its WM_CREATE reads the settings, loads the profiles, creates the shared block,
    // starts the device worker, opens the mouse and starts the helper programs. False when creation was refused
    // (another Monitor holds the shared block).
    bool CreateHidden();

private:
    bool OnCreate(const CREATESTRUCTA& create);
    // The program folder, the language library, config.ini's choices and the pointer settings key.
    void ReadSettings();
    // False when there is no temporary folder to put the firmware image in.
    bool WriteFirmwareToTemp();
    // The transport library, the five profiles into the copy, and the OSD settings.
    void LoadProfiles();
    // The shared block and the device worker; false when another Monitor holds the block.
    bool StartWorker();
    // Opens the device monitor and the mouse's interfaces; true when the mouse answered.
    bool OpenMouse();
    void OnDestroy();
    LRESULT OnQueryEndSession(WPARAM wParam, LPARAM lParam);
    LRESULT OnEndSession(WPARAM wParam, LPARAM lParam);
    void ShutDown();
    void OnTimer(UINT_PTR id);
    void OnCustomizer();
    void OnExit();
    void OnReturnToPrevious();
    LRESULT OnSystrayNotify(WPARAM wParam, LPARAM lParam);
    LRESULT OnApplyAllSetting(WPARAM wParam, LPARAM lParam);
    LRESULT OnReloadShareData(WPARAM wParam, LPARAM lParam);
    LRESULT OnReloadShareDataAndPointer(WPARAM wParam, LPARAM lParam);
    LRESULT OnCopyData(WPARAM wParam, LPARAM lParam);
    LRESULT OnDeviceEvent(WPARAM wParam, LPARAM lParam);
    LRESULT OnDevicePresence(WPARAM wParam, LPARAM lParam);
    LRESULT OnTaskbarCreated(WPARAM wParam, LPARAM lParam);

    void Dispatch(uint32_t code);
    void OnArrival();
    void OnArrivalSettled();
    void OnRemoval();
    void OnSettingEvent(const EventAction& action);
    void SwitchProfile(int profile);
    void LaunchProgram(int entry);
    void ForegroundProfileSwitch();
    bool LookUpForeground(HWND window, DWORD pid);
    static std::string ProgramFileOf(DWORD pid);
    static bool OwnProgram(DWORD pid, const std::string& exeName);
    void ShowCpiMessage(const ShareData& data);
    void ShowBalloon(const std::string& text);
    void ShowTrayMenu();

    void ApplyPointer();
    bool ReadBlockIntoCopy();
    void WriteDevice(int value);
    void SetConnected(int flag);
    static void PostToOption(UINT message);

    using Entry = MessageEntry<CMonitorWnd>;
    static constexpr Entry kMessageMap[] = {
        Entry::Create(&CMonitorWnd::OnCreate),
        Entry::Destroy(&CMonitorWnd::OnDestroy),
        Entry::Raw(WM_QUERYENDSESSION, &CMonitorWnd::OnQueryEndSession),
        Entry::Raw(WM_ENDSESSION, &CMonitorWnd::OnEndSession),
        Entry::Timer(&CMonitorWnd::OnTimer),
        Entry::CommandId(CmdOpenOption, &CMonitorWnd::OnCustomizer),
        Entry::CommandId(CmdExit, &CMonitorWnd::OnExit),
        Entry::CommandId(kCmdReturnToPrevious, &CMonitorWnd::OnReturnToPrevious),
        Entry::Raw(TrayNotify, &CMonitorWnd::OnSystrayNotify),
        Entry::Raw(ApplyAllSetting, &CMonitorWnd::OnApplyAllSetting),
        Entry::Raw(ReloadShareData, &CMonitorWnd::OnReloadShareData),
        Entry::Raw(ReloadShareDataAndPointer, &CMonitorWnd::OnReloadShareDataAndPointer),
        Entry::Raw(WM_COPYDATA, &CMonitorWnd::OnCopyData),
        Entry::Raw(DeviceEvent, &CMonitorWnd::OnDeviceEvent),
        Entry::Raw(DevicePresence, &CMonitorWnd::OnDevicePresence),
        Entry::Registered(kTaskbarCreated, &CMonitorWnd::OnTaskbarCreated),
    };
    bool ProcessMessage(WindowMessage& m) override {
        return RouteMessage(*this, kMessageMap, m) || Window::ProcessMessage(m);
    }

    bool openOption_;
    std::string folder_;
    std::string configPath_;
    RegistryKey mouseKey_; // HKCU\Control Panel\Mouse, lent to pointer_
    PointerSettings pointer_{kPointerTimer};
    OsdSettings osd_;
    MonitorShareData data_;
    SharedBlock block_;
    HidBinding hid_;
    SleepClock clock_;
    std::unique_ptr<MonitorJobHost> host_;
    std::unique_ptr<DeviceWorker> worker_;
    TrayIcon tray_;
    int connected_ = kAbsentSinceStart;
    bool languageLoaded_ = false;
    bool created_ = false;          // the block and the worker exist: shut-down has work to do
    bool shutDown_ = false;         // the shut-down order has run (session end or destruction)
    bool arrivalPending_ = false;   // an arrival waits for kArrivalTimer
    bool returnToPrevious_ = false; // "ReturnToPreviousProfile" = 1
    ForegroundSwitcher foreground_;
    KernelHandle osdProcess_;    // the OSD program as started at creation
    KernelHandle optionProcess_; // Option as last started here
    std::string lastForeground_; // the foreground program last seen by timer 500, for the trace
    // The foreground window of the last check, its process and program file: while the same window of the same
    // process stays in front, its name is known without a look at the process list.
    struct ForegroundProgram {
        HWND window = nullptr;
        DWORD pid = 0;
        std::string exeName;
        bool ours = false;
    };
    ForegroundProgram foregroundProgram_;
};
