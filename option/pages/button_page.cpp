#include "option/pages/button_page.h"

#include <windows.h>

// The page's skin asks for its pictures under "Screen".
ButtonPage::ButtonPage(OptionContext& context) : SkinnedDialog("skin_button_page.ini", "Screen"), context_(context) {}

void ButtonPage::Refresh() {
    if (!Handle()) {
        return;
    }
    InvalidateRect(Handle(), nullptr, FALSE);
}

bool ButtonPage::ProcessMessage(WindowMessage& m) {
    return SkinnedDialog::ProcessMessage(m);
}
