#pragma once
// The key box of the shortcut and the fire dialogs: a read-only box that names the key pressed last. The key never
// arrives as typed text: while the box captures, every keystroke goes through the keyboard hook to the dialog as
// KeyCaptured (no other program sees it), and the dialog hands it to the box with TakeKey.

#include <windows.h>

#include <cstdint>

#include "option/skin/bitmap_edit.h"
#include "option/skin/button_pos.h"
#include "option/skin/key_capture_hook.h"

class KeyCaptureBox : public BitmapEdit {
public:
    // The box at the position, in the dialogs' colours, text centred.
    HWND Create(HWND dialog, const ButtonPos& p, int id);
    // Shows a key given as HID keyboard usage.
    void SetKey(uint8_t usage);
    // The key of a KeyCaptured message (its wParam), pressed or released.
    void TakeKey(WPARAM virtualKey);
    // The key as HID keyboard usage, 0 when the last key has no usage.
    uint8_t Key() const { return key_; }

    // Keys go to the dialog as KeyCaptured from now on; false when the hook could not be installed.
    bool StartCapture(HWND dialog) { return capture_.Start(dialog); }
    void StopCapture() { capture_.Stop(); }
    bool Capturing() const { return capture_.Capturing(); }

private:
    uint8_t key_ = 0;
    KeyCaptureOwner capture_;
};
