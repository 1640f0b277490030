#pragma once
// The shared block that fuzz targets start each input from. A block is large: a target keeps its own between inputs
// and sets it from this one, made once.

#include "testing/profiles.h"

#include <memory>

// A zeroed block that ResetAll has set.
inline const ShareData& ResetBlock() {
    static const std::unique_ptr<ShareData> reset = DefaultData();
    return *reset;
}
