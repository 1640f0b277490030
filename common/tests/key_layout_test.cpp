#include <windows.h>

#include "common/key_layout.h"

#include <gtest/gtest.h>

// The test machines run the US layout (00000409), whose scan codes are those of the usage table.
TEST(SystemLayout, UsLayoutAgreesWithTheTable) {
    char name[KL_NAMELENGTH] = {};
    ASSERT_TRUE(GetKeyboardLayoutNameA(name));
    if (lstrcmpiA(name, "00000409") != 0) {
        GTEST_SKIP() << "keyboard layout " << name;
    }
    const KeyboardLayout& layout = SystemLayout();
    const KeyUsageRow* rows = KeyUsageRows();
    for (int i = 0; i < kKeyUsageRowCount; ++i) {
        if (!rows[i].scanCode) {
            continue;
        }
        EXPECT_EQ(rows[i].scanCode, layout.VirtualKeyToScanCode(rows[i].virtualKey))
            << std::hex << int(rows[i].virtualKey);
        EXPECT_EQ(rows[i].virtualKey, layout.ScanCodeToVirtualKey(rows[i].scanCode))
            << std::hex << int(rows[i].scanCode);
    }
    EXPECT_EQ(unsigned(VK_LSHIFT), layout.ScanCodeToVirtualKey(0x2A));
    EXPECT_EQ(0u, layout.ScanCodeToVirtualKey(0));
}

TEST(SystemLayout, InstalledForTheConversions) {
    UseSystemLayout();
    EXPECT_EQ(&SystemLayout(), &ActiveLayout());
    int usage = 0;
    EXPECT_TRUE(VirtualKeyToUsage('C', usage));
    int vk = 0;
    EXPECT_TRUE(UsageToVirtualKey(usage, vk));
    EXPECT_EQ('C', vk);
    EXPECT_EQ("Shift+Ctrl+C", KeyCombinationText(0x06, 0x06));
    SetActiveLayout(nullptr);
}
