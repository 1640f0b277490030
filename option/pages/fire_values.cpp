#include "option/pages/fire_values.h"

#include "option/skin/number_box.h"

FireCorrection CorrectFireValues(const FireBoxes& boxes, bool focusInValueB) {
    FireCorrection c;
    int a = LeadingNumber(boxes.valueA);
    int b = LeadingNumber(boxes.valueB);
    c.valueA = a > 255 ? 255 : a < 0 ? 0 : a;
    c.valueB = b > 255 ? 255 : b < 1 ? 1 : b;
    if (!focusInValueB && c.valueB < 5) {
        c.valueB = 5;
    }
    c.changeA = c.valueA != a;
    c.changeB = c.valueB != b;
    return c;
}
