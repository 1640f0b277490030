#include <windows.h>

#include "option/skin/button_pos.h"

RECT ButtonPos::Rect() const {
    return {left, top, right, bottom};
}
