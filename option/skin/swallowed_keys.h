#pragma once
// Keys that a modal skinned dialog ignores: while a SwallowedKeys lives, the key-down messages of its keys addressed
// to the watched dialog or its controls are turned into nothing before the modal loop sees them, so Enter neither
// confirms nor Escape cancels, and Space clicks no button. One per modal run; an inner one restores the outer.

#include <windows.h>

#include <initializer_list>

#include "framework/handles.h"

class SwallowedKeys {
public:
    explicit SwallowedKeys(std::initializer_list<UINT> keys);
    ~SwallowedKeys();
    SwallowedKeys(const SwallowedKeys&) = delete;
    SwallowedKeys& operator=(const SwallowedKeys&) = delete;

    // The dialog whose messages are watched, once its window exists (creation handler).
    void Watch(HWND dialog);

private:
    static LRESULT CALLBACK Filter(int code, WPARAM wParam, LPARAM lParam);

    WindowsHook hook_;
    HWND dialog_ = nullptr;
    UINT keys_[4] = {};
    int keyCount_ = 0;
    SwallowedKeys* outer_ = nullptr;
};
