// skin_gallery: opens the gallery window from the build's skins folder.
//   skin_gallery              the gallery, until it is closed
//   skin_gallery --measure    prints how long building the window took, then ends
//   skin_gallery --warn X     opens warning variant X (A..E) over the gallery
//   skin_gallery --hover      the gallery with the pointer on its first button

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "common/language.h"
#include "tools/gallery/gallery_dialog.h"

namespace {

double NowMs() {
    LARGE_INTEGER f{}, c{};
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

} // namespace

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string folder = FolderOfProgram(module);
    SetSkinFolder(folder + "skins\\");
    LoadLanguageLibraryFrom(folder + "lan.dll");

    if (argc >= 2 && std::strcmp(argv[1], "--measure") == 0) {
        int rounds = 10;
        double total = 0, worst = 0, build = 0, load = 0, controls = 0;
        for (int i = 0; i < rounds; ++i) {
            double start = NowMs();
            GalleryDialog gallery;
            HWND hwnd = gallery.CreatePopup(nullptr);
            double ms = NowMs() - start;
            if (!hwnd) {
                std::printf("gallery window could not be created\n");
                return 1;
            }
            total += ms;
            worst = ms > worst ? ms : worst;
            build += gallery.BuildMilliseconds();
            load += gallery.LoadMilliseconds();
            controls += gallery.ControlsMilliseconds();
            gallery.Destroy();
        }
        std::printf("gallery window: %.1f ms to create on average over %d (worst %.1f ms); skin build (pictures "
                    "loaded, faces cut, regions built) %.1f ms: pictures %.1f ms, controls and faces %.1f ms, "
                    "outline %.1f ms\n",
                    total / rounds, rounds, worst, build / rounds, load / rounds, controls / rounds,
                    (build - load - controls) / rounds);
        std::fflush(stdout);
        return 0;
    }

    GalleryDialog gallery;
    if (argc >= 2 && std::strcmp(argv[1], "--hover") == 0) {
        // For a look at the hover faces: the pointer is put on the first button and the toggle is checked.
        HWND hwnd = gallery.CreatePopup(nullptr);
        if (!hwnd) {
            return 1;
        }
        gallery.Toggle().SetChecked(true);
        RECT r{};
        GetWindowRect(gallery.Plain().Handle(), &r);
        SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dwFlags = MOUSEEVENTF_MOVE;
        SendInput(1, &in, sizeof in);
        return RunMessageLoop();
    }
    if (argc >= 3 && std::strcmp(argv[1], "--warn") == 0) {
        HWND hwnd = gallery.CreatePopup(nullptr);
        int variant = argv[2][0] - 'A';
        if (hwnd && variant >= 0 && variant < 5) {
            INT_PTR r = ShowWarning(hwnd, static_cast<WarningVariant>(variant));
            std::printf("warning %c: %d\n", 'A' + variant, static_cast<int>(r));
        }
        return 0;
    }
    INT_PTR r = gallery.RunModal(nullptr);
    std::printf("gallery closed: %d\n", static_cast<int>(r));
    return 0;
}
