#pragma once
// The basic page: the functions of the mouse's buttons, DPI stages and their colours, polling rate and lighting. A
// child of the main window, placed in the main skin's page area.

#include <windows.h>

#include "option/app/option_context.h"
#include "option/skin/skinned_dialog.h"

class ButtonPage : public SkinnedDialog {
public:
    explicit ButtonPage(OptionContext& context);

    // Shows the working copy's active profile.
    void Refresh();

protected:
    bool ProcessMessage(WindowMessage& m) override;

private:
    OptionContext& context_;
};
