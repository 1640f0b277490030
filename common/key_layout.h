#pragma once
// The platform's keyboard layout for the key tables (Windows build only; defined in key_layout.cpp).

#include "common/key_tables.h"

// The layout of the calling thread, asked through the system's virtual-key and scan-code mapping.
const KeyboardLayout& SystemLayout();
// Makes SystemLayout() the active layout of the key tables; the programs call it once at start-up.
void UseSystemLayout();
