#pragma once
// A pause for a screenshot of what a test shows, taken from outside Wine (`import -window root`). Only when the
// variable KORVANE_SCREENSHOT_DIR names a folder: the test writes <name>.ready there and pumps its messages until
// <name>.done appears (at most a minute). Without the variable it returns at once.

#include <string>

void HoldForScreenshot(const std::string& name);
