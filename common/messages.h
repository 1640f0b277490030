#pragma once
// The window messages, command ids and window titles by which Monitor, Option, the on-screen display program and the
// applets find and notify one another. Messages carry no data beyond two integers; the shared block and config.ini
// carry the rest.
//
// The numbers are `unsigned` (the type of UINT) rather than UINT so that logic files, which do not include
// <windows.h>, can use them too. kWmUser is checked against WM_USER where the Windows build includes both.

inline constexpr unsigned kWmUser = 0x0400;

// Window titles, each looked up with a title-only search (no class name), every time it is needed.
inline constexpr char kMonitorWindowTitle[] = "Tarvex Monitor";
inline constexpr char kOptionWindowTitle[] = "Tarvex Option";
inline constexpr char kOsdWindowTitle[] = "Korvane_78_Normal_OSD";
inline constexpr char kAppletPop3WindowTitle[] = "Korvane Pop3";
inline constexpr char kAppletCpuRamWindowTitle[] = "Korvane CPU RAM OSD";
inline constexpr char kAppletSkypeWindowTitle[] = "Korvane OSD SKYPE";
inline constexpr char kAppletMsnWindowTitle[] = "Korvane OSD MSN";
// The applet windows, which get only WM_CLOSE when Monitor shuts down.
inline constexpr const char* kAppletWindowTitles[] = {kAppletPop3WindowTitle, kAppletCpuRamWindowTitle,
                                                      kAppletSkypeWindowTitle, kAppletMsnWindowTitle};

// To Monitor's window.
inline constexpr unsigned ApplyAllSetting = kWmUser + 200;           // 1224, from Option after OK or Apply
inline constexpr unsigned ReloadShareData = kWmUser + 202;           // 1226
inline constexpr unsigned ReloadShareDataAndPointer = kWmUser + 203; // 1227
inline constexpr unsigned TrayNotify = kWmUser + 12;                 // 1036, the tray icon's callback
inline constexpr unsigned DeviceEvent = kWmUser + 301;               // 1325, wParam command word, lParam value word
inline constexpr unsigned DevicePresence = kWmUser + 302;            // 1326, wParam 1 arrived, 0 removed
inline constexpr unsigned kTrayIconId = 102;                         // TrayNotify's wParam

// WM_COMMAND ids to Monitor's window (wParam; lParam 0).
inline constexpr unsigned CmdOpenOption = 6001;
inline constexpr unsigned CmdExit = 6002;

// WM_COPYDATA data identifier of the OSD message record (osd_message.h); other identifiers are ignored.
inline constexpr unsigned kOsdMessageDataId = 151;

// From Monitor to Option's window; all carry wParam 0 and lParam 0.
inline constexpr unsigned DeviceStateRead = kWmUser + 230;      // 1254, after a read-back
inline constexpr unsigned ProfileSwitched = kWmUser + 231;      // 1255, after a profile switch
inline constexpr unsigned DeviceSettingChanged = kWmUser + 232; // 1256, the mouse reported DPI, rate, sensitivity
inline constexpr unsigned ApplyFinished = kWmUser + 234;        // 1258, after an apply-all job, or when none can run

// From Monitor to the OSD program's window.
inline constexpr unsigned OsdShow = kWmUser + 300; // 1324
inline constexpr unsigned kOsdShowProfile = 40;    // wParam; lParam = profile index 0..4 shifted left by 16
inline constexpr unsigned kOsdShowMessage = 50;    // wParam; lParam 0: a text was written to "OSDData"/"Message"

// Thread message to Monitor's DeviceWorker thread; wParam is the job.
inline constexpr unsigned DeviceJob = kWmUser + 625; // 1649
inline constexpr unsigned kJobApplyAll = 1;          // from ApplyAllSetting
inline constexpr unsigned kJobReadBack = 2;          // mouse arrived; 200 ms after a start that found the mouse
inline constexpr unsigned kJobProfileSwitch = 3;     // on every profile switch: writes the current profile

// Connection state in config.ini: "Setting"/"Device" is 1 while the mouse is present, 0 while it is absent.
inline constexpr char kDeviceSection[] = "Setting";
inline constexpr char kDeviceKey[] = "Device";
// The OSD message text in config.ini.
inline constexpr char kOsdDataSection[] = "OSDData";
inline constexpr char kOsdDataKey[] = "Message";

static_assert(ApplyAllSetting == 1224 && ReloadShareData == 1226 && ReloadShareDataAndPointer == 1227);
static_assert(TrayNotify == 1036 && DeviceEvent == 1325 && DevicePresence == 1326);
static_assert(DeviceStateRead == 1254 && ProfileSwitched == 1255 && DeviceSettingChanged == 1256);
static_assert(ApplyFinished == 1258 && OsdShow == 1324 && DeviceJob == 1649);
