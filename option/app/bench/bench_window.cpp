// option_bench_window: the reference of option_bench. A program that does nothing but show one window and paint it,
// measured as Option measures itself: at its first paint it prints the milliseconds since its process started,
// then ends. Not part of the programs; only the benchmark starts it.

#include <windows.h>

#include <cstdio>

#include "framework/trace.h"

namespace {

constexpr char kClassName[] = "KorvaneBenchWindow";

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(hwnd, &paint);
        RECT client{};
        GetClientRect(hwnd, &client);
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        EndPaint(hwnd, &paint);
        std::printf("%.1f\n", MillisecondsSinceProcessStart());
        std::fflush(stdout);
        DestroyWindow(hwnd);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    if (!RegisterClassA(&wc)) {
        return 1;
    }
    // Borderless and as large as Option's window, so that both cost the display the same.
    HWND hwnd =
        CreateWindowExA(0, kClassName, "Bench window", WS_POPUP, 36, 26, 952, 716, nullptr, nullptr, instance, nullptr);
    if (!hwnd) {
        return 1;
    }
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
