#pragma once
// The firmware image copied to the temporary folder, and the outside programs Monitor starts and closes.

#include <windows.h>

#include <string>

// Writes resource "BIN" 129 of the program to tempFolder + "test0.tmp" (created or replaced, not shared). False
// when the resource or the file fails; nothing else is affected.
bool WriteFirmwareImage(const std::string& tempFolder);

// True when the path's drive ("X:" at its start) is a local one: fixed, removable, optical or a RAM disk, not a
// network drive.
bool OnLocalDrive(const std::string& path);

// Opens a program through the shell ("open", shown normally) when the file exists; never shows an error box.
bool OpenProgram(const std::string& path);

// The OSD program and the two applets from the program folder, in that order; missing ones are skipped.
void StartApplets(const std::string& folder);

// WM_CLOSE to the OSD program's window and the four applet windows that exist, in that order.
void CloseAppletWindows();
