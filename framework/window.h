#pragma once
// Windows whose messages are dispatched through per-class message maps.
//
// A class declares its handlers, then its map (a static constexpr table), then one line that looks the message up in
// the table and chains to the base class:
//
//   inline RegisteredMessage kTaskbarCreated{"TaskbarCreated"};
//
//   class CMonitorWnd : public Window {
//   private:
//       void OnTimer(UINT_PTR id);
//       void OnDestroy();
//       void OnAbout();                                  // WM_COMMAND with id 1001 (menu or accelerator)
//       void OnProfile(int index);                       // a click on one of the buttons 1100..1104
//       LRESULT OnApplyAllSetting(WPARAM wParam, LPARAM lParam);
//       LRESULT OnTaskbarCreated(WPARAM wParam, LPARAM lParam);
//
//       using Entry = MessageEntry<CMonitorWnd>;
//       static constexpr Entry kMessageMap[] = {
//           Entry::Timer(&CMonitorWnd::OnTimer),
//           Entry::Destroy(&CMonitorWnd::OnDestroy),
//           Entry::CommandId(1001, &CMonitorWnd::OnAbout),
//           Entry::ClickedRange(1100, 1104, &CMonitorWnd::OnProfile),
//           Entry::Raw(ApplyAllSetting, &CMonitorWnd::OnApplyAllSetting),
//           Entry::Registered(kTaskbarCreated, &CMonitorWnd::OnTaskbarCreated),
//       };
//       bool ProcessMessage(WindowMessage& m) override {
//           return RouteMessage(*this, kMessageMap, m) || Window::ProcessMessage(m);
//       }
//   };
//
//   CMonitorWnd wnd;
//   wnd.Create(0, nullptr, "Tarvex Monitor", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr);
//   RunMessageLoop();
//
// A message no entry takes goes to the default processing (DefWindowProc, the control's own procedure, the dialog
// manager). A handler may call Default() to have it done as well. A control's wrapper (Control) answers the
// WM_COMMAND, WM_DRAWITEM and WM_CTLCOLOR* messages its parent receives about it through the Reflected...()
// entries; what the wrapper does not take (or passes on with Default()) reaches the parent's own map:
//
//   class CDrawnButton : public Control {
//       void OnReflectedDrawItem(const DRAWITEMSTRUCT& item);   // draws into item.hDC
//       void OnReflectedCommand(int id, int code, HWND control); // BN_CLICKED and the other notifications
//       using Entry = MessageEntry<CDrawnButton>;
//       static constexpr Entry kMessageMap[] = {
//           Entry::ReflectedDrawItem(&CDrawnButton::OnReflectedDrawItem),
//           Entry::ReflectedCommand(&CDrawnButton::OnReflectedCommand),
//       };
//       bool ProcessMessage(WindowMessage& m) override {
//           return RouteMessage(*this, kMessageMap, m) || Control::ProcessMessage(m);
//       }
//   };
//   button_.Create("BUTTON", "", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 10, 10, 80, 24, Handle(), kOkId);
//   // or button_.Attach(GetDlgItem(Handle(), kOkId)) for an existing control
//
// Handlers must be declared before the table. The message numbers of the programs are typed constants
// (`inline constexpr UINT ApplyAllSetting = WM_USER + 200;`); WM_USER messages use Raw entries.

#include <windows.h>

#include <atomic>
#include <cstddef>

// One message while it is being handled.
struct WindowMessage {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
    // Set when a handler asked for the default processing that comes after it (dialogs, reflected messages).
    bool defaultRequested = false;
    // True for a parent's message offered to a child's wrapper.
    bool reflected = false;
};

// The number a reflected message has in a child wrapper's map. ATL's convention keeps it clear of the control
// classes' own WM_USER messages, and a reflected message never goes through the control's window procedure.
inline constexpr UINT kReflectedMessageBase = WM_USER + 0x1C00;
constexpr UINT Reflected(UINT message) {
    return kReflectedMessageBase + message;
}

// A message number from RegisterWindowMessageA, registered on first use. Declare one per name at namespace scope:
// `inline RegisteredMessage kTaskbarCreated{"TaskbarCreated"};`
class RegisteredMessage {
public:
    constexpr explicit RegisteredMessage(const char* name) noexcept : name_(name) {}
    RegisteredMessage(const RegisteredMessage&) = delete;
    RegisteredMessage& operator=(const RegisteredMessage&) = delete;

    // The registered number, 0 when the registration failed.
    UINT Value() const noexcept;
    const char* Name() const noexcept { return name_; }

private:
    const char* name_;
    mutable std::atomic<UINT> value_{0};
};

enum class MessageKind {
    Raw,          // LRESULT (WPARAM, LPARAM): any message, the handler's return value is the result
    Plain,        // void (): the message's arguments do not matter; result 0
    Registered,   // LRESULT (WPARAM, LPARAM) for a RegisterWindowMessage number
    Command,      // void (int id, int code, HWND control)
    CommandId,    // void (): WM_COMMAND of one id from a menu, an accelerator or a button click (code 0 or 1)
    Timer,        // void (UINT_PTR id)
    Paint,        // void (HDC, const PAINTSTRUCT&) between BeginPaint and EndPaint
    Mouse,        // void (int x, int y, WPARAM keys): client coordinates, signed
    Size,         // void (UINT type, int width, int height)
    Key,          // void (UINT key, LPARAM flags): WM_KEYDOWN, WM_KEYUP, WM_CHAR, ...
    Create,       // bool (const CREATESTRUCTA&): false makes WM_CREATE fail
    DrawItem,     // void (const DRAWITEMSTRUCT&); result TRUE
    CtlColor,     // HBRUSH (HDC, HWND control); a null brush leaves the message to the default processing
    InitDialog,   // bool (): true lets the dialog manager set the focus
    Clicked,      // void (): BN_CLICKED from the child control of one id
    ClickedRange, // void (int index): BN_CLICKED from a child control numbered id..lastId; index = its id - id
};

// One row of a class's message map.
template <class T> struct MessageEntry {
    using RawHandler = LRESULT (T::*)(WPARAM wParam, LPARAM lParam);
    using PlainHandler = void (T::*)();
    using CommandHandler = void (T::*)(int id, int code, HWND control);
    using TimerHandler = void (T::*)(UINT_PTR id);
    using PaintHandler = void (T::*)(HDC dc, const PAINTSTRUCT& paint);
    using MouseHandler = void (T::*)(int x, int y, WPARAM keys);
    using SizeHandler = void (T::*)(UINT type, int width, int height);
    using KeyHandler = void (T::*)(UINT key, LPARAM flags);
    using CreateHandler = bool (T::*)(const CREATESTRUCTA& create);
    using DrawItemHandler = void (T::*)(const DRAWITEMSTRUCT& item);
    using CtlColorHandler = HBRUSH (T::*)(HDC dc, HWND control);
    using InitDialogHandler = bool (T::*)();
    using IndexHandler = void (T::*)(int index);

    union Handler {
        constexpr Handler(RawHandler h) : raw(h) {}
        constexpr Handler(PlainHandler h) : plain(h) {}
        constexpr Handler(CommandHandler h) : command(h) {}
        constexpr Handler(TimerHandler h) : timer(h) {}
        constexpr Handler(PaintHandler h) : paint(h) {}
        constexpr Handler(MouseHandler h) : mouse(h) {}
        constexpr Handler(SizeHandler h) : size(h) {}
        constexpr Handler(KeyHandler h) : key(h) {}
        constexpr Handler(CreateHandler h) : create(h) {}
        constexpr Handler(DrawItemHandler h) : drawItem(h) {}
        constexpr Handler(CtlColorHandler h) : ctlColor(h) {}
        constexpr Handler(InitDialogHandler h) : initDialog(h) {}
        constexpr Handler(IndexHandler h) : index(h) {}
        RawHandler raw;
        PlainHandler plain;
        CommandHandler command;
        TimerHandler timer;
        PaintHandler paint;
        MouseHandler mouse;
        SizeHandler size;
        KeyHandler key;
        CreateHandler create;
        DrawItemHandler drawItem;
        CtlColorHandler ctlColor;
        InitDialogHandler initDialog;
        IndexHandler index;
    };

    UINT message;
    MessageKind kind;
    UINT id; // CommandId and Clicked, the first of ClickedRange
    const RegisteredMessage* registered;
    Handler handler;
    UINT lastId = 0; // Clicked and ClickedRange

    static constexpr MessageEntry Raw(UINT message, RawHandler h) { return {message, MessageKind::Raw, 0, nullptr, h}; }
    static constexpr MessageEntry Plain(UINT message, PlainHandler h) {
        return {message, MessageKind::Plain, 0, nullptr, h};
    }
    static constexpr MessageEntry Registered(const RegisteredMessage& name, RawHandler h) {
        return {0, MessageKind::Registered, 0, &name, h};
    }
    static constexpr MessageEntry Create(CreateHandler h) { return {WM_CREATE, MessageKind::Create, 0, nullptr, h}; }
    static constexpr MessageEntry Destroy(PlainHandler h) { return {WM_DESTROY, MessageKind::Plain, 0, nullptr, h}; }
    static constexpr MessageEntry Close(PlainHandler h) { return {WM_CLOSE, MessageKind::Plain, 0, nullptr, h}; }
    static constexpr MessageEntry Command(CommandHandler h) {
        return {WM_COMMAND, MessageKind::Command, 0, nullptr, h};
    }
    static constexpr MessageEntry CommandId(UINT id, PlainHandler h) {
        return {WM_COMMAND, MessageKind::CommandId, id, nullptr, h};
    }
    // A click on one control of the window: BN_CLICKED with the control's id (Enter and Escape of the dialog manager
    // come with no control and are not clicks).
    static constexpr MessageEntry Clicked(UINT id, PlainHandler h) {
        return {WM_COMMAND, MessageKind::Clicked, id, nullptr, h, id};
    }
    // A click on one of a row of controls numbered firstId..lastId; the handler gets the control's place in the row.
    static constexpr MessageEntry ClickedRange(UINT firstId, UINT lastId, IndexHandler h) {
        return {WM_COMMAND, MessageKind::ClickedRange, firstId, nullptr, h, lastId};
    }
    static constexpr MessageEntry Timer(TimerHandler h) { return {WM_TIMER, MessageKind::Timer, 0, nullptr, h}; }
    static constexpr MessageEntry Paint(PaintHandler h) { return {WM_PAINT, MessageKind::Paint, 0, nullptr, h}; }
    // WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTON..., WM_MBUTTON...
    static constexpr MessageEntry Mouse(UINT message, MouseHandler h) {
        return {message, MessageKind::Mouse, 0, nullptr, h};
    }
    static constexpr MessageEntry Size(SizeHandler h) { return {WM_SIZE, MessageKind::Size, 0, nullptr, h}; }
    static constexpr MessageEntry Key(UINT message, KeyHandler h) { return {message, MessageKind::Key, 0, nullptr, h}; }
    // The parent's own WM_DRAWITEM (menus, and controls whose wrapper does not draw).
    static constexpr MessageEntry DrawItem(DrawItemHandler h) {
        return {WM_DRAWITEM, MessageKind::DrawItem, 0, nullptr, h};
    }
    // WM_CTLCOLORBTN, WM_CTLCOLORSTATIC, WM_CTLCOLOREDIT, WM_CTLCOLORDLG, ...
    static constexpr MessageEntry CtlColor(UINT message, CtlColorHandler h) {
        return {message, MessageKind::CtlColor, 0, nullptr, h};
    }
    static constexpr MessageEntry InitDialog(InitDialogHandler h) {
        return {WM_INITDIALOG, MessageKind::InitDialog, 0, nullptr, h};
    }

    // In a control's wrapper: what its parent received about this control.
    static constexpr MessageEntry ReflectedCommand(CommandHandler h) {
        return {Reflected(WM_COMMAND), MessageKind::Command, 0, nullptr, h};
    }
    static constexpr MessageEntry ReflectedDrawItem(DrawItemHandler h) {
        return {Reflected(WM_DRAWITEM), MessageKind::DrawItem, 0, nullptr, h};
    }
    static constexpr MessageEntry ReflectedCtlColor(UINT ctlColorMessage, CtlColorHandler h) {
        return {Reflected(ctlColorMessage), MessageKind::CtlColor, 0, nullptr, h};
    }
};

namespace framework_detail {

inline int SignedLow(LPARAM value) {
    return static_cast<short>(LOWORD(value));
}
inline int SignedHigh(LPARAM value) {
    return static_cast<short>(HIWORD(value));
}

template <class T> bool InvokeEntry(T& self, const MessageEntry<T>& e, WindowMessage& m) {
    const auto& h = e.handler;
    switch (e.kind) {
    case MessageKind::Raw:
    case MessageKind::Registered:
        m.result = (self.*h.raw)(m.wParam, m.lParam);
        return true;
    case MessageKind::Plain:
    case MessageKind::CommandId:
    case MessageKind::Clicked:
        (self.*h.plain)();
        return true;
    case MessageKind::Command:
        (self.*h.command)(LOWORD(m.wParam), HIWORD(m.wParam), reinterpret_cast<HWND>(m.lParam));
        return true;
    case MessageKind::Timer:
        (self.*h.timer)(static_cast<UINT_PTR>(m.wParam));
        return true;
    case MessageKind::Paint: {
        PAINTSTRUCT paint{};
        if (m.wParam != 0) {
            // Some controls paint into a DC passed in wParam (WM_PRINTCLIENT forwarded as WM_PAINT).
            paint.hdc = reinterpret_cast<HDC>(m.wParam);
            GetClientRect(m.hwnd, &paint.rcPaint);
            (self.*h.paint)(paint.hdc, paint);
            return true;
        }
        HDC dc = BeginPaint(m.hwnd, &paint);
        if (dc != nullptr) {
            (self.*h.paint)(dc, paint);
        }
        EndPaint(m.hwnd, &paint);
        return true;
    }
    case MessageKind::Mouse:
        (self.*h.mouse)(SignedLow(m.lParam), SignedHigh(m.lParam), m.wParam);
        return true;
    case MessageKind::Size:
        (self.*h.size)(static_cast<UINT>(m.wParam), LOWORD(m.lParam), HIWORD(m.lParam));
        return true;
    case MessageKind::Key:
        (self.*h.key)(static_cast<UINT>(m.wParam), m.lParam);
        return true;
    case MessageKind::Create:
        if (m.lParam == 0) {
            return false;
        }
        m.result = (self.*h.create)(*reinterpret_cast<const CREATESTRUCTA*>(m.lParam)) ? 0 : -1;
        return true;
    case MessageKind::DrawItem:
        if (m.lParam == 0) {
            return false;
        }
        (self.*h.drawItem)(*reinterpret_cast<const DRAWITEMSTRUCT*>(m.lParam));
        m.result = TRUE;
        return true;
    case MessageKind::CtlColor: {
        HBRUSH brush = (self.*h.ctlColor)(reinterpret_cast<HDC>(m.wParam), reinterpret_cast<HWND>(m.lParam));
        if (brush == nullptr) {
            return false;
        }
        m.result = reinterpret_cast<LRESULT>(brush);
        return true;
    }
    case MessageKind::InitDialog:
        m.result = (self.*h.initDialog)() ? TRUE : FALSE;
        return true;
    case MessageKind::ClickedRange:
        (self.*h.index)(static_cast<int>(LOWORD(m.wParam) - e.id));
        return true;
    }
    return false;
}

} // namespace framework_detail

// Looks a message up in one class's table: registered messages first, then the rows in order; the first row that
// takes the message ends the search. False when no row took it (the caller then chains to its base class).
template <class T, std::size_t N> bool RouteMessage(T& self, const MessageEntry<T> (&map)[N], WindowMessage& m) {
    if (m.message >= 0xC000 && m.message <= 0xFFFF) {
        for (const auto& e : map) {
            if (e.kind == MessageKind::Registered && e.registered != nullptr && e.registered->Value() == m.message) {
                return framework_detail::InvokeEntry(self, e, m);
            }
        }
    }
    for (const auto& e : map) {
        if (e.kind == MessageKind::Registered || e.message != m.message) {
            continue;
        }
        if (e.kind == MessageKind::CommandId && (LOWORD(m.wParam) != e.id || HIWORD(m.wParam) > 1)) {
            continue;
        }
        if ((e.kind == MessageKind::Clicked || e.kind == MessageKind::ClickedRange) &&
            (m.lParam == 0 || HIWORD(m.wParam) != BN_CLICKED || LOWORD(m.wParam) < e.id ||
             LOWORD(m.wParam) > e.lastId)) {
            continue;
        }
        if (framework_detail::InvokeEntry(self, e, m)) {
            return true;
        }
    }
    return false;
}

// What windows, dialogs and control wrappers share: the bound HWND, message handling with reflection, and the
// default processing.
class MessageTarget {
public:
    MessageTarget(const MessageTarget&) = delete;
    MessageTarget& operator=(const MessageTarget&) = delete;

    HWND Handle() const noexcept { return hwnd_; }

    // The wrapper bound to a window of the calling thread; null for windows without one and for other threads' and
    // programs' windows.
    static MessageTarget* FromHandle(HWND hwnd) noexcept;

protected:
    MessageTarget() = default;
    virtual ~MessageTarget() = default;

    // Each class with a map overrides this: `return RouteMessage(*this, kMessageMap, m) || Base::ProcessMessage(m);`
    virtual bool ProcessMessage(WindowMessage& m);

    // From inside a handler: the default processing of the message being handled. For a reflected message this
    // leaves the message to the parent; in a dialog it is done by the dialog manager after the handler returns.
    LRESULT Default();
    // The message being handled, null outside a handler.
    const WindowMessage* CurrentMessage() const noexcept { return current_; }

    // Reflection to the child's wrapper, then ProcessMessage; no exception leaves it. True when handled.
    bool HandleMessage(WindowMessage& m) noexcept;
    virtual LRESULT DefaultProcessing(WindowMessage& m) = 0;

    // Binds the object to the window: Handle(), FromHandle(), and when asked the window's GWLP_USERDATA.
    void Bind(HWND hwnd, bool keepInUserData) noexcept;
    void Unbind() noexcept;

private:
    bool ReflectToChild(WindowMessage& m);

    HWND hwnd_ = nullptr;
    bool inUserData_ = false;
    WindowMessage* current_ = nullptr;
};

// A child window's id where the platform takes it in the menu argument (CreateWindowEx, Window::Create).
inline HMENU ControlId(int id) {
    return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
}

// A window class with our shared window procedure.
struct WindowClass {
    const char* name = nullptr;
    UINT style = CS_DBLCLKS;
    HCURSOR cursor = nullptr; // null: the arrow
    HBRUSH background = nullptr;
    HICON icon = nullptr;
    HICON smallIcon = nullptr;
};

// The class Window::Create uses when given no class name: no background brush (the window paints itself).
inline constexpr const char* kDefaultWindowClass = "KorvaneWindow";

// Registers the class in this program (true too when it is registered already).
bool RegisterWindowClass(const WindowClass& windowClass);

class Window : public MessageTarget {
public:
    Window() = default;
    // Destroying the object destroys its window, without calling its handlers any more: destroy the window first
    // (Destroy()) when its WM_DESTROY handler has work to do.
    ~Window() override;

    // CreateWindowExA with this object bound from WM_NCCREATE on. A null class name means kDefaultWindowClass
    // (registered on first use); any other class must have been registered with RegisterWindowClass.
    HWND Create(DWORD exStyle, const char* className, const char* title, DWORD style, int x, int y, int width,
                int height, HWND parent, HMENU menuOrId = nullptr);
    bool Destroy();

protected:
    LRESULT DefaultProcessing(WindowMessage& m) override;
    // After WM_NCDESTROY: the object is no longer bound and may delete itself here.
    virtual void OnFinalMessage() {}

private:
    friend bool RegisterWindowClass(const WindowClass&);
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

// A wrapper over an existing control window (a BUTTON, STATIC, EDIT...), subclassed so the wrapper's map sees the
// control's own messages first and can answer what its parent receives about it (Reflected... entries).
class Control : public MessageTarget {
public:
    Control() = default;
    ~Control() override; // detaches; the control window itself belongs to its parent

    // Subclasses the control. False when it is not a window of this thread, already has a wrapper, or the
    // subclassing fails.
    bool Attach(HWND control);
    // Undoes Attach; returns the control.
    HWND Detach();
    // CreateWindowExA of a child control, then Attach. Null on failure.
    HWND Create(const char* className, const char* text, DWORD style, int x, int y, int width, int height, HWND parent,
                int id, DWORD exStyle = 0);

protected:
    LRESULT DefaultProcessing(WindowMessage& m) override;

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR refData);
};

// The thread's message loop until WM_QUIT; returns its exit code. With a modeless dialog given, its keyboard
// navigation is handled (IsDialogMessage).
int RunMessageLoop(HWND modelessDialog = nullptr);
