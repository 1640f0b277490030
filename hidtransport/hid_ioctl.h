#pragma once
// The HID class driver's device control codes that the transport sends, declared here from the platform's
// documentation of hidclass.h rather than taken from the toolchain's headers (whose kernel-side ones are
// placeholders): CTL_CODE(FILE_DEVICE_KEYBOARD, function, method, FILE_ANY_ACCESS).

#include <cstdint>

namespace hidtransport {

constexpr uint32_t HidControlCode(uint32_t function, uint32_t method) {
    constexpr uint32_t kFileDeviceKeyboard = 0x0000000B;
    constexpr uint32_t kFileAnyAccess = 0;
    return (kFileDeviceKeyboard << 16) | (kFileAnyAccess << 14) | (function << 2) | method;
}

inline constexpr uint32_t kMethodInDirect = 1;
inline constexpr uint32_t kMethodOutDirect = 2;

// The report (id first) is the input buffer.
inline constexpr uint32_t kIoctlHidSetFeature = HidControlCode(100, kMethodInDirect);
// The output buffer carries the id in its first byte and receives the report.
inline constexpr uint32_t kIoctlHidGetFeature = HidControlCode(100, kMethodOutDirect);

static_assert(kIoctlHidSetFeature == 0x000B0191);
static_assert(kIoctlHidGetFeature == 0x000B0192);

} // namespace hidtransport
