#include "option/pages/pointer_mapping.h"

int SpeedFromPosition(int position) {
    if (position < 1 || position > 11) {
        return 10;
    }
    return position == 1 ? 1 : (position - 1) * 2;
}

int PositionFromSpeed(int value) {
    if (value < 0 || value > 20) {
        return 6;
    }
    if (value <= 1) {
        return 1;
    }
    return (value + 1) / 2 + 1;
}
