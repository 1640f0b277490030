#pragma once
// How the test mouse's kernel driver and the device server of the test process talk. The driver is a HID minidriver
// that keeps no device state of its own: it forwards every report the host sends to the server, which runs the
// mouse's model, and completes the host's request with the server's answer (an inverted call over the control
// device below). Plain C: the driver and the C++ tests include it.

#define KORVANE_TEST_MOUSE_DEVICE_NAME L"\\Device\\KorvaneTestMouse"
#define KORVANE_TEST_MOUSE_LINK_NAME L"\\DosDevices\\KorvaneTestMouse"
#define KORVANE_TEST_MOUSE_USER_PATH "\\\\.\\KorvaneTestMouse"

// The driver's service name, its file and the hardware id of the root-enumerated device it serves.
#define KORVANE_TEST_MOUSE_SERVICE "korvane_test_mouse"
#define KORVANE_TEST_MOUSE_HARDWARE_ID "KORVANE\\TEST_MOUSE"

// CTL_CODE(FILE_DEVICE_UNKNOWN, function, METHOD_BUFFERED, FILE_ANY_ACCESS), written out so that the header needs
// neither wdm.h nor winioctl.h.
#define KORVANE_TEST_MOUSE_CTL(function) ((0x22u << 16) | ((function) << 2))
// Output: the next host transfer (KorvaneTestTransfer); pends until there is one.
#define KORVANE_TEST_MOUSE_NEXT_TRANSFER KORVANE_TEST_MOUSE_CTL(0x900)
// Input: the answer to a transfer (KorvaneTestAnswer).
#define KORVANE_TEST_MOUSE_ANSWER KORVANE_TEST_MOUSE_CTL(0x901)
// Input: one input report as the device sends it (report id first, at most KORVANE_TEST_MAX_REPORT bytes).
#define KORVANE_TEST_MOUSE_INPUT_REPORT KORVANE_TEST_MOUSE_CTL(0x902)

#define KORVANE_TEST_MAX_REPORT 40

// What the host did: sent a feature report, asked for one, or sent an output report.
enum { KorvaneTestSetFeature = 1, KorvaneTestGetFeature = 2, KorvaneTestOutput = 3 };

typedef struct {
    unsigned int id;     // the driver's number of this transfer, for the answer
    unsigned int kind;   // KorvaneTestSetFeature, ...
    unsigned int length; // bytes in data: the report id, then the report's data
    unsigned char data[KORVANE_TEST_MAX_REPORT];
} KorvaneTestTransfer;

typedef struct {
    unsigned int id;
    unsigned int ok;     // non-zero: the device took the report (for a get: data holds the answer)
    unsigned int length; // bytes in data for a get: the report id, then the report's data
    unsigned char data[KORVANE_TEST_MAX_REPORT];
} KorvaneTestAnswer;

// The USB identity the device reports: Monitor's (the tests check that they agree).
#define KORVANE_TEST_MOUSE_VENDOR_ID 0x2B1E
#define KORVANE_TEST_MOUSE_PRODUCT_ID 0x0178
