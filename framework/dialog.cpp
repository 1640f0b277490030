#include "framework/dialog.h"

#include <windows.h>

#include <cstring>
#include <utility>

namespace {

// The object whose dialog is being created on this thread: WM_INITDIALOG binds only this one, so a forged
// WM_INITDIALOG cannot bind an arbitrary pointer.
thread_local Dialog* creatingDialog = nullptr;

HINSTANCE ProgramInstance() {
    return GetModuleHandleA(nullptr);
}

// Templates hold UTF-16 text whatever the A or W function that reads them.
void AppendText(std::vector<WORD>& words, const char* text) {
    if (text != nullptr && *text != '\0') {
        int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
        if (n > 0) {
            std::vector<wchar_t> wide(static_cast<size_t>(n));
            MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), n);
            for (int i = 0; i < n - 1; ++i) {
                words.push_back(static_cast<WORD>(wide[static_cast<size_t>(i)]));
            }
        }
    }
    words.push_back(0);
}

// Messages whose result a dialog procedure returns itself instead of through DWLP_MSGRESULT
// (https://learn.microsoft.com/windows/win32/api/winuser/nc-winuser-dlgproc).
bool ReturnsResultDirectly(UINT message) {
    return message == WM_INITDIALOG || message == WM_CHARTOITEM || message == WM_COMPAREITEM ||
           message == WM_VKEYTOITEM || message == WM_QUERYDRAGICON ||
           (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC);
}

} // namespace

DialogTemplate::DialogTemplate(DWORD style, DWORD exStyle, short x, short y, short width, short height,
                               const char* title, const char* fontFace, WORD pointSize) {
    if (fontFace != nullptr) {
        style |= DS_SETFONT;
    } else {
        style &= ~static_cast<DWORD>(DS_SETFONT);
    }
    DLGTEMPLATE head{};
    head.style = style;
    head.dwExtendedStyle = exStyle;
    head.cdit = 0;
    head.x = x;
    head.y = y;
    head.cx = width;
    head.cy = height;
    static_assert(sizeof(DLGTEMPLATE) % sizeof(WORD) == 0);
    words_.resize(sizeof(DLGTEMPLATE) / sizeof(WORD));
    std::memcpy(words_.data(), &head, sizeof head);
    words_.push_back(0); // no menu
    words_.push_back(0); // the dialog class
    AppendText(words_, title);
    if (fontFace != nullptr) {
        words_.push_back(pointSize);
        AppendText(words_, fontFace);
    }
}

DialogTemplate DialogTemplate::Popup(short width, short height, const char* title) {
    return DialogTemplate(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, 0, 0, width, height, title);
}

DialogTemplate DialogTemplate::Child(short width, short height) {
    return DialogTemplate(WS_CHILD | DS_CONTROL, 0, 0, 0, width, height);
}

Dialog::~Dialog() {
    if (HWND hwnd = Handle()) {
        Unbind();
        if (!modal_) {
            DestroyWindow(hwnd);
        }
    }
}

INT_PTR Dialog::RunModal(HWND owner, const DialogTemplate& dialogTemplate) {
    if (Handle() != nullptr) {
        return -1;
    }
    modal_ = true;
    Dialog* outer = std::exchange(creatingDialog, this);
    INT_PTR result = DialogBoxIndirectParamA(ProgramInstance(), dialogTemplate.Get(), owner, &Dialog::DialogProc,
                                             reinterpret_cast<LPARAM>(this));
    creatingDialog = outer;
    if (Handle() != nullptr) {
        Unbind(); // the window is gone even if its last message did not reach us
    }
    modal_ = false;
    return result;
}

HWND Dialog::CreateModeless(HWND parent, const DialogTemplate& dialogTemplate) {
    if (Handle() != nullptr) {
        return nullptr;
    }
    modal_ = false;
    Dialog* outer = std::exchange(creatingDialog, this);
    HWND hwnd = CreateDialogIndirectParamA(ProgramInstance(), dialogTemplate.Get(), parent, &Dialog::DialogProc,
                                           reinterpret_cast<LPARAM>(this));
    creatingDialog = outer;
    return hwnd;
}

void Dialog::End(INT_PTR result) {
    HWND hwnd = Handle();
    if (hwnd == nullptr) {
        return;
    }
    if (modal_) {
        EndDialog(hwnd, result);
    } else {
        DestroyWindow(hwnd);
    }
}

bool Dialog::Destroy() {
    HWND hwnd = Handle();
    if (hwnd == nullptr) {
        return false;
    }
    if (modal_) {
        return EndDialog(hwnd, IDCANCEL) != FALSE;
    }
    return DestroyWindow(hwnd) != FALSE;
}

LRESULT Dialog::DefaultProcessing(WindowMessage& m) {
    // The dialog manager does its part once the dialog procedure returns FALSE.
    m.defaultRequested = true;
    return 0;
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<Dialog*>(lParam);
        if (self != nullptr && self == creatingDialog && self->Handle() == nullptr &&
            GetWindowLongPtrA(hwnd, GWLP_USERDATA) == 0) {
            creatingDialog = nullptr;
            self->Bind(hwnd, true);
        }
    }
    auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self == nullptr || self->Handle() != hwnd) {
        return message == WM_INITDIALOG ? TRUE : FALSE;
    }
    WindowMessage m{hwnd, message, wParam, lParam};
    bool handled = self->HandleMessage(m) && !m.defaultRequested;
    if (message == WM_NCDESTROY) {
        self->Unbind();
        self->OnFinalMessage();
        return FALSE;
    }
    if (!handled) {
        return message == WM_INITDIALOG ? TRUE : FALSE;
    }
    if (ReturnsResultDirectly(message)) {
        return static_cast<INT_PTR>(m.result);
    }
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, m.result);
    return TRUE;
}
