// Prints the pointer settings that a newly started process gets from the system, for the end-to-end tests: a running
// process under Wine keeps the values it read first, so only a fresh one shows what another program set.
#include <windows.h>

#include <cstdio>

int main() {
    int mouse[3] = {-1, -1, -1};
    int speed = -1;
    UINT wheel = 0;
    if (!SystemParametersInfoA(SPI_GETMOUSE, 0, mouse, 0) || !SystemParametersInfoA(SPI_GETMOUSESPEED, 0, &speed, 0) ||
        !SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &wheel, 0)) {
        return 1;
    }
    std::printf("mouse %d %d %d speed %d wheel %d\n", mouse[0], mouse[1], mouse[2], speed, static_cast<int>(wheel));
    return 0;
}
