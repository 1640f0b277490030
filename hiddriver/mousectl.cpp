// mousectl.exe: drives the virtual mouse of a running program that has hiddriver.dll loaded and its device monitor
// open. Exit status 0 when the mouse carried the command out, 1 when no virtual mouse is running or it refused,
// 2 for a command line that is no command.
#include <windows.h>

#include "hiddriver/control_channel.h"
#include "hiddriver/control_command.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string g_reply;

LRESULT CALLBACK ReplyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (data && data->dwData == vmouse::kReplyCopyId && data->lpData) {
            const char* text = static_cast<const char*>(data->lpData);
            g_reply.assign(text, strnlen(text, data->cbData));
            return 1;
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const auto command = vmouse::ParseCommand(args, error);
    if (!command) {
        std::fprintf(stderr, "mousectl: %s\n%s", error.c_str(), vmouse::kUsage);
        return 2;
    }
    HWND mouse = FindWindowExA(HWND_MESSAGE, nullptr, vmouse::kControlWindowClass, vmouse::kControlWindowTitle);
    if (!mouse) {
        std::fprintf(stderr, "mousectl: no virtual mouse is running (no program has hiddriver.dll loaded with its "
                             "device monitor open)\n");
        return 1;
    }

    WNDCLASSA wc{};
    wc.lpfnWndProc = ReplyWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KorvaneMousectlReply";
    RegisterClassA(&wc);
    HWND reply = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);

    std::string text = vmouse::FormatCommand(*command);
    COPYDATASTRUCT data{vmouse::kControlCopyId, static_cast<DWORD>(text.size() + 1), text.data()};
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(mouse, WM_COPYDATA, reinterpret_cast<WPARAM>(reply), reinterpret_cast<LPARAM>(&data),
                             SMTO_ABORTIFHUNG, 10000, &result)) {
        std::fprintf(stderr, "mousectl: the virtual mouse does not answer\n");
        return 1;
    }
    if (result == static_cast<DWORD_PTR>(vmouse::kResultDone)) {
        std::fputs(g_reply.c_str(), stdout);
        return 0;
    }
    if (result == 0) {
        std::fprintf(stderr, "mousectl: the window found is no virtual mouse\n");
        return 1;
    }
    std::fprintf(stderr, "mousectl: %s", g_reply.empty() ? "the virtual mouse refused the command\n" : g_reply.c_str());
    return result == static_cast<DWORD_PTR>(vmouse::kResultBadCommand) ? 2 : 1;
}
