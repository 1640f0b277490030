#pragma once
// The firmware image copied to the temporary folder, and the outside programs Monitor starts and closes.

#include <windows.h>

#include "framework/handles.h"

#include <string>

// Writes resource "BIN" 129 of the program to tempFolder + "test0.tmp" (created or replaced, not shared). False
// when the resource or the file fails; nothing else is affected.
bool WriteFirmwareImage(const std::string& tempFolder);

// True when the path's drive ("X:" at its start) is a local one: fixed, removable, optical or a RAM disk, not a
// network drive.
bool OnLocalDrive(const std::string& path);

// Opens a program through the shell ("open", shown normally) when the file exists; never shows an error box. With
// `process`, the started process is handed over there (empty when the shell started none).
bool OpenProgram(const std::string& path, KernelHandle* process = nullptr);

// The OSD program and the two applets from the program folder, in that order; missing ones are skipped. Returns the
// OSD program's process.
KernelHandle StartApplets(const std::string& folder);

// A program started a moment ago has no window yet to take a WM_CLOSE by title, and would stay behind when its
// closer goes: waits, for at most limitMs, until the process has a window of that title or has ended (it may have
// stepped aside for one that runs already). Sent messages are handled meanwhile. Nothing to wait for without a
// process.
void AwaitWindowOrEnd(HANDLE process, const char* title, DWORD limitMs);

// WM_CLOSE to the OSD program's window and the four applet windows that exist, in that order.
void CloseAppletWindows();
