#include "framework/window.h"

#include <windows.h>

#include <commctrl.h>

#include <utility>

#include "framework/trace.h"

namespace {

// Marks a window as bound to one of our objects. The window procedure alone cannot tell: a control's procedure is
// replaced by comctl32 when a tooltip subclasses it, and a foreign control's GWLP_USERDATA means something else.
constexpr const char* kTargetProperty = "Korvane.MessageTarget";
constexpr UINT_PTR kSubclassId = 0x4B56;

// The object being created on this thread. WM_NCCREATE binds only this one, so a window of our class created by
// someone else (or a forged WM_NCCREATE) binds nothing.
thread_local Window* creatingWindow = nullptr;

HINSTANCE ProgramInstance() {
    return GetModuleHandleA(nullptr);
}

bool IsReflectedFamily(UINT message) {
    return message == WM_COMMAND || message == WM_DRAWITEM ||
           (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC);
}

} // namespace

UINT RegisteredMessage::Value() const noexcept {
    UINT value = value_.load(std::memory_order_acquire);
    if (value == 0 && name_ != nullptr) {
        value = RegisterWindowMessageA(name_);
        value_.store(value, std::memory_order_release);
    }
    return value;
}

// ---- MessageTarget -------------------------------------------------------------------------------------------------

MessageTarget* MessageTarget::FromHandle(HWND hwnd) noexcept {
    if (hwnd == nullptr || !IsWindow(hwnd) || GetWindowThreadProcessId(hwnd, nullptr) != GetCurrentThreadId()) {
        return nullptr;
    }
    return static_cast<MessageTarget*>(GetPropA(hwnd, kTargetProperty));
}

bool MessageTarget::ProcessMessage(WindowMessage&) {
    return false;
}

LRESULT MessageTarget::Default() {
    WindowMessage* m = current_;
    if (m == nullptr) {
        return 0;
    }
    if (m->reflected) {
        m->defaultRequested = true;
        return 0;
    }
    return DefaultProcessing(*m);
}

bool MessageTarget::HandleMessage(WindowMessage& m) noexcept {
    WindowMessage* outer = std::exchange(current_, &m);
    bool handled = false;
    try {
        handled = ReflectToChild(m) || ProcessMessage(m);
    } catch (...) {
        Trace("Window procedure: exception in the handler of message 0x%04X\n", m.message);
        handled = false;
    }
    current_ = outer;
    return handled;
}

// Offers WM_COMMAND, WM_DRAWITEM and WM_CTLCOLOR* about a child to the child's own wrapper first
// (https://learn.microsoft.com/windows/win32/controls/wm-ctlcolorbtn: the parent answers for the control).
bool MessageTarget::ReflectToChild(WindowMessage& m) {
    if (m.reflected || !IsReflectedFamily(m.message) || m.lParam == 0) {
        return false;
    }
    HWND child = nullptr;
    if (m.message == WM_DRAWITEM) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(m.lParam);
        // For a menu item hwndItem is the menu's handle, not a window.
        if (item->CtlType == ODT_MENU) {
            return false;
        }
        child = item->hwndItem;
    } else {
        child = reinterpret_cast<HWND>(m.lParam);
    }
    // Only our own direct children: a posted WM_COMMAND can name any window.
    if (child == nullptr || child == m.hwnd || GetAncestor(child, GA_PARENT) != m.hwnd) {
        return false;
    }
    MessageTarget* target = FromHandle(child);
    if (target == nullptr) {
        return false;
    }
    WindowMessage r{child, Reflected(m.message), m.wParam, m.lParam};
    r.reflected = true;
    if (!target->HandleMessage(r) || r.defaultRequested) {
        return false;
    }
    m.result = r.result;
    return true;
}

void MessageTarget::Bind(HWND hwnd, bool keepInUserData) noexcept {
    hwnd_ = hwnd;
    inUserData_ = keepInUserData;
    SetPropA(hwnd, kTargetProperty, this);
    if (keepInUserData) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
}

void MessageTarget::Unbind() noexcept {
    if (hwnd_ == nullptr) {
        return;
    }
    if (GetPropA(hwnd_, kTargetProperty) == this) {
        RemovePropA(hwnd_, kTargetProperty);
    }
    if (inUserData_ && GetWindowLongPtrA(hwnd_, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this)) {
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    }
    hwnd_ = nullptr;
    inUserData_ = false;
}

// ---- Window --------------------------------------------------------------------------------------------------------

bool RegisterWindowClass(const WindowClass& windowClass) {
    if (windowClass.name == nullptr) {
        return false;
    }
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExA(ProgramInstance(), windowClass.name, &wc)) {
        return wc.lpfnWndProc == &Window::WindowProc;
    }
    wc = WNDCLASSEXA{};
    wc.cbSize = sizeof wc;
    wc.style = windowClass.style;
    wc.lpfnWndProc = &Window::WindowProc;
    wc.hInstance = ProgramInstance();
    wc.hIcon = windowClass.icon;
    wc.hIconSm = windowClass.smallIcon;
    wc.hCursor = windowClass.cursor != nullptr ? windowClass.cursor : LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = windowClass.background;
    wc.lpszClassName = windowClass.name;
    return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

Window::~Window() {
    if (HWND hwnd = Handle()) {
        Unbind();
        DestroyWindow(hwnd);
    }
}

HWND Window::Create(DWORD exStyle, const char* className, const char* title, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU menuOrId) {
    if (Handle() != nullptr) {
        return nullptr;
    }
    if (className == nullptr) {
        WindowClass wc;
        wc.name = kDefaultWindowClass;
        if (!RegisterWindowClass(wc)) {
            return nullptr;
        }
        className = kDefaultWindowClass;
    }
    Window* outer = std::exchange(creatingWindow, this);
    HWND hwnd = CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent, menuOrId,
                                ProgramInstance(), this);
    creatingWindow = outer;
    if (hwnd == nullptr) {
        // A failed creation (WM_CREATE returned -1) destroyed the window and unbound the object already.
        return nullptr;
    }
    return hwnd;
}

bool Window::Destroy() {
    HWND hwnd = Handle();
    return hwnd != nullptr && DestroyWindow(hwnd);
}

LRESULT Window::DefaultProcessing(WindowMessage& m) {
    m.result = DefWindowProcA(m.hwnd, m.message, m.wParam, m.lParam);
    return m.result;
}

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE && lParam != 0) {
        auto* self = static_cast<Window*>(reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams);
        if (self != nullptr && self == creatingWindow && self->Handle() == nullptr &&
            GetWindowLongPtrA(hwnd, GWLP_USERDATA) == 0) {
            creatingWindow = nullptr;
            self->Bind(hwnd, true);
        }
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self == nullptr || self->Handle() != hwnd) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    WindowMessage m{hwnd, message, wParam, lParam};
    LRESULT result = self->HandleMessage(m) ? m.result : DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        self->Unbind();
        self->OnFinalMessage();
    }
    return result;
}

// ---- Control -------------------------------------------------------------------------------------------------------

Control::~Control() {
    Detach();
}

bool Control::Attach(HWND control) {
    if (Handle() != nullptr || control == nullptr || FromHandle(control) != nullptr || !IsWindow(control) ||
        GetWindowThreadProcessId(control, nullptr) != GetCurrentThreadId()) {
        return false;
    }
    if (!SetWindowSubclass(control, &Control::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        return false;
    }
    Bind(control, false);
    return true;
}

HWND Control::Detach() {
    HWND control = Handle();
    if (control != nullptr) {
        RemoveWindowSubclass(control, &Control::SubclassProc, kSubclassId);
        Unbind();
    }
    return control;
}

HWND Control::Create(const char* className, const char* text, DWORD style, int x, int y, int width, int height,
                     HWND parent, int id, DWORD exStyle) {
    if (Handle() != nullptr) {
        return nullptr;
    }
    HWND control = CreateWindowExA(exStyle, className, text, style, x, y, width, height, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ProgramInstance(), nullptr);
    if (control == nullptr) {
        return nullptr;
    }
    if (!Attach(control)) {
        DestroyWindow(control);
        return nullptr;
    }
    return control;
}

LRESULT Control::DefaultProcessing(WindowMessage& m) {
    m.result = DefSubclassProc(m.hwnd, m.message, m.wParam, m.lParam);
    return m.result;
}

LRESULT CALLBACK Control::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR refData) {
    auto* self = reinterpret_cast<Control*>(refData);
    if (self == nullptr || self->Handle() != hwnd) {
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        // The documented order: handlers, then remove the subclass, then the control's own procedure.
        WindowMessage m{hwnd, message, wParam, lParam};
        self->HandleMessage(m);
        self->Detach();
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
    WindowMessage m{hwnd, message, wParam, lParam};
    return self->HandleMessage(m) ? m.result : DefSubclassProc(hwnd, message, wParam, lParam);
}

// ---- Message loop --------------------------------------------------------------------------------------------------

int RunMessageLoop(HWND modelessDialog) {
    MSG msg;
    for (;;) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            return static_cast<int>(msg.wParam);
        }
        if (got == -1) {
            return -1;
        }
        if (modelessDialog != nullptr && IsWindow(modelessDialog) && IsDialogMessageA(modelessDialog, &msg)) {
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
