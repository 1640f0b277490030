#pragma once
// Macro records for tests.

#include "option/macros/macro_record.h"

#include <cstdint>

// A macro named `name` (cut to fit) with `count` events in its count and all 50 event slots filled from `seed`
// (valid key usages, press and release in turn, pauses that differ by seed and place), and the repeat count.
MacroRecord TestMacro(const char* name, int count, uint8_t seed, int repeat = 1);
