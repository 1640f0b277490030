; The Windows installer: a per-user install (no administrator rights) of the laid-out program folder.
; makensis -DVERSION=1.2.3 -DSOURCE=<program folder> -DFILE_LIST=<installed_files.nsh> -DICON=<monitor.ico>
;          -DOUTFILE=<KorvaneSetup-1.2.3.exe> korvane.nsi
;
; Installer switches: /S silent, /D=<folder> (last, unquoted), /NOAUTOSTART no start at log-on.
; Uninstaller switches: /S silent, /REMOVECONFIG also removes the settings the programs write: config.ini, the five
; profiles and the macro library in config\ (files the user keeps there, exports for one, stay, and so does the folder).
; The programs keep their settings in their own folder, so it must be writable by the user: the default is
; %LOCALAPPDATA%\Programs\Korvane. config.ini and config\ are never overwritten by an install or an upgrade.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WinMessages.nsh"

!define PRODUCT_NAME "Korvane Mouse Configuration"
!define PUBLISHER "Korvane"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvane"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Korvane Monitor"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT_NAME}.lnk"
; How long a program gets to end after WM_CLOSE: Monitor first waits for its device worker, which may be in the
; middle of writing a profile into the mouse.
!define CLOSE_WAIT_MS 20000

Name "${PRODUCT_NAME}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Korvane"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT_NAME} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT_NAME}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT_NAME} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

Var MonitorWasRunning

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "This installs ${PRODUCT_NAME} ${VERSION} for you alone; no administrator rights are \
needed.$\r$\n$\r$\nMonitor stays in the notification area, owns the mouse and keeps it in line with your profiles. \
Option is where you set the buttons, DPI stages and colours, polling rate, lighting, pointer settings and macros.\
$\r$\n$\r$\nA virtual mouse comes with the programs (hiddriver.dll, driven by mousectl.exe), so that you can try \
every feature without the device.$\r$\n$\r$\nYour settings (config.ini, the profiles and the macro library in \
config\) are kept when you install over an earlier version."
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start Korvane Monitor now"
!define MUI_FINISHPAGE_RUN_FUNCTION StartMonitor

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!define MUI_COMPONENTSPAGE_TEXT_TOP "The programs, the Start-menu shortcut and the start at log-on are removed. \
Your settings stay in the program folder for a later install unless you tick them here."
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Closes every window titled TITLE: WM_CLOSE to it, then waits for its process to end. When it does not end in time,
; the user may close it and retry; otherwise (and in silent mode at once) the install stops.
!macro CLOSE_PROGRAM TITLE NAME
    ${Do}
        FindWindow $0 "" "${TITLE}"
        ${If} $0 == 0
            ${Break}
        ${EndIf}
        DetailPrint "Closing ${NAME}"
        StrCpy $1 0
        System::Call "user32::GetWindowThreadProcessId(p r0, *i .r1) i"
        ; SYNCHRONIZE
        System::Call "kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2"
        System::Call "user32::PostMessageW(p r0, i ${WM_CLOSE}, p 0, p 0) i"
        StrCpy $3 1
        ${If} $2 P<> 0
            System::Call "kernel32::WaitForSingleObject(p r2, i ${CLOSE_WAIT_MS}) i .r3"
            System::Call "kernel32::CloseHandle(p r2) i"
        ${Else}
            Sleep 2000
        ${EndIf}
        System::Call "user32::IsWindow(p r0) i .r4"
        ${If} $3 != 0
        ${AndIf} $4 != 0
            MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${NAME} did not close. Close it, then choose Retry." \
                /SD IDCANCEL IDRETRY +2
            Abort "${NAME} is still running."
        ${EndIf}
    ${Loop}
!macroend

; Option first (it works on Monitor's shared block), then Monitor. Then the on-screen display that Monitor starts:
; Monitor closes it as it ends, but one it started just before may still be starting, and the display's program file
; stays locked until its process is gone, so wait (at most 10 s) until the file can be opened for writing.
!macro CLOSE_RUNNING_PROGRAMS
    FindWindow $0 "" "Tarvex Monitor"
    ${If} $0 != 0
        StrCpy $MonitorWasRunning 1
    ${EndIf}
    !insertmacro CLOSE_PROGRAM "Tarvex Option" "Korvane Option"
    !insertmacro CLOSE_PROGRAM "Tarvex Monitor" "Korvane Monitor"
    ${If} ${FileExists} "$INSTDIR\VexelOSD.exe"
        StrCpy $5 0
        ${Do}
            !insertmacro CLOSE_PROGRAM "Korvane_78_Normal_OSD" "The on-screen display"
            ClearErrors
            FileOpen $6 "$INSTDIR\VexelOSD.exe" a
            ${IfNot} ${Errors}
                FileClose $6
                ${Break}
            ${EndIf}
            IntOp $5 $5 + 1
            ${If} $5 >= 40
                ${Break}
            ${EndIf}
            Sleep 250
        ${Loop}
    ${EndIf}
!macroend

Section "Programs (required)" SecPrograms
    SectionIn RO
    !insertmacro CLOSE_RUNNING_PROGRAMS
    SetOutPath "$INSTDIR"
    ; Skins are replaced whole, so that no picture of an older version stays behind.
    RMDir /r "$INSTDIR\skins"
    File /r /x config.ini /x config "${SOURCE}\*.*"
    ; The user's settings are never overwritten.
    SetOverwrite off
    File "${SOURCE}\config.ini"
    SetOverwrite on
    CreateDirectory "$INSTDIR\config"

    WriteUninstaller "$INSTDIR\Uninstall.exe"
    SetShellVarContext current
    CreateShortCut "${SHORTCUT}" "$INSTDIR\Monitor.exe" "1" "$INSTDIR\Monitor.exe" 0 SW_SHOWNORMAL "" \
        "Opens the mouse configuration"
    ; The log-on section below writes the value again when it is chosen.
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT_NAME}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Monitor.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Start Monitor when I log on" SecAutostart
    WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\Monitor.exe"'
SectionEnd

Function .onInit
    StrCpy $MonitorWasRunning 0
    ; Over an installed version, keep its choice about the start at log-on.
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ReadRegStr $1 HKCU "${RUN_KEY}" "${RUN_VALUE}"
    ${If} $0 != ""
    ${AndIf} $1 == ""
        SectionSetFlags ${SecAutostart} 0
    ${EndIf}
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/NOAUTOSTART" $R1
    ${IfNot} ${Errors}
        SectionSetFlags ${SecAutostart} 0
    ${EndIf}
FunctionEnd

Function StartMonitor
    SetOutPath "$INSTDIR"
    Exec '"$INSTDIR\Monitor.exe"'
FunctionEnd

; A silent install (an upgrade run by an administrator or a script) starts Monitor again when it closed it.
Function .onInstSuccess
    ${If} ${Silent}
    ${AndIf} $MonitorWasRunning == 1
        Call StartMonitor
    ${EndIf}
FunctionEnd

Section "-un.Programs"
    !insertmacro CLOSE_RUNNING_PROGRAMS
    !include "${FILE_LIST}"
    RMDir /r "$INSTDIR\skins"
    ; What the virtual mouse and the on-screen display leave beside themselves.
    Delete "$INSTDIR\virtual-mouse.dat"
    Delete "$INSTDIR\virtual-mouse.dat.new"
    Delete "$INSTDIR\virtual-mouse.log"
    Delete "$INSTDIR\virtual-mouse.log.old"
    Delete "$INSTDIR\VexelOSD.log"
    SetShellVarContext current
    Delete "${SHORTCUT}"
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
SectionEnd

; A settings file of config\ and the temporary files ("<file>.<process>-<thread>.tmp") a save cut short leaves.
!macro REMOVE_SETTINGS_FILE NAME
    Delete "$INSTDIR\config\${NAME}"
    Delete "$INSTDIR\config\${NAME}.*.tmp"
!macroend

Section /o "un.My settings: config.ini, the profiles and the macro library" SecRemoveConfig
    ; Only what the programs write: the file dialogs offer config\ for exports, and those are the user's.
    Delete "$INSTDIR\config.ini"
    Delete "$INSTDIR\config.ini.*.tmp"
    !insertmacro REMOVE_SETTINGS_FILE "Default0.tvp"
    !insertmacro REMOVE_SETTINGS_FILE "Default1.tvp"
    !insertmacro REMOVE_SETTINGS_FILE "Default2.tvp"
    !insertmacro REMOVE_SETTINGS_FILE "Default3.tvp"
    !insertmacro REMOVE_SETTINGS_FILE "Default4.tvp"
    !insertmacro REMOVE_SETTINGS_FILE "sequence.dat"
    ; Only when nothing else is left in it.
    RMDir "$INSTDIR\config"
SectionEnd

; Last, so that a script that waits for the uninstall entry to go knows the uninstaller is done.
Section "-un.Entry"
    ; This is a copy in the temporary folder; the first uninstaller process, which started it, may not have ended yet.
    StrCpy $5 0
    ${Do}
        Delete "$INSTDIR\Uninstall.exe"
        ${IfNot} ${FileExists} "$INSTDIR\Uninstall.exe"
        ${OrIf} $5 >= 40
            ${Break}
        ${EndIf}
        IntOp $5 $5 + 1
        Sleep 250
    ${Loop}
    RMDir "$INSTDIR"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

Function un.onInit
    StrCpy $MonitorWasRunning 0
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/REMOVECONFIG" $R1
    ${IfNot} ${Errors}
        SectionSetFlags ${SecRemoveConfig} ${SF_SELECTED}
    ${EndIf}
FunctionEnd
