#pragma once
// What a HID minidriver needs from the platform that mingw-w64's DDK headers lack (hidport.h) or get wrong (the
// minidriver IOCTL codes of its ddk/hidclass.h are placeholders). Declared here from the platform documentation:
// https://learn.microsoft.com/windows-hardware/drivers/ddi/hidport/

#include <ddk/wdm.h>

#define KORVANE_HID_CTL_CODE(id) CTL_CODE(FILE_DEVICE_KEYBOARD, (id), METHOD_NEITHER, FILE_ANY_ACCESS)

// Requests hidclass sends down to its minidriver (IRP_MJ_INTERNAL_DEVICE_CONTROL).
#define KORVANE_IOCTL_HID_GET_DEVICE_DESCRIPTOR KORVANE_HID_CTL_CODE(0)
#define KORVANE_IOCTL_HID_GET_REPORT_DESCRIPTOR KORVANE_HID_CTL_CODE(1)
#define KORVANE_IOCTL_HID_READ_REPORT KORVANE_HID_CTL_CODE(2)
#define KORVANE_IOCTL_HID_WRITE_REPORT KORVANE_HID_CTL_CODE(3)
#define KORVANE_IOCTL_HID_GET_STRING KORVANE_HID_CTL_CODE(4)
#define KORVANE_IOCTL_HID_ACTIVATE_DEVICE KORVANE_HID_CTL_CODE(7)
#define KORVANE_IOCTL_HID_DEACTIVATE_DEVICE KORVANE_HID_CTL_CODE(8)
#define KORVANE_IOCTL_HID_GET_DEVICE_ATTRIBUTES KORVANE_HID_CTL_CODE(9)

// These share their codes with the requests of the same name that applications send to a collection; hidclass.h
// has them right (METHOD_IN_DIRECT / METHOD_OUT_DIRECT on FILE_DEVICE_KEYBOARD).
#define KORVANE_IOCTL_HID_GET_FEATURE CTL_CODE(FILE_DEVICE_KEYBOARD, 100, METHOD_OUT_DIRECT, FILE_ANY_ACCESS)
#define KORVANE_IOCTL_HID_SET_FEATURE CTL_CODE(FILE_DEVICE_KEYBOARD, 100, METHOD_IN_DIRECT, FILE_ANY_ACCESS)
#define KORVANE_IOCTL_HID_SET_OUTPUT_REPORT CTL_CODE(FILE_DEVICE_KEYBOARD, 101, METHOD_IN_DIRECT, FILE_ANY_ACCESS)
#define KORVANE_IOCTL_HID_GET_INPUT_REPORT CTL_CODE(FILE_DEVICE_KEYBOARD, 104, METHOD_OUT_DIRECT, FILE_ANY_ACCESS)

#define KORVANE_HID_REVISION 1
#define KORVANE_HID_HID_DESCRIPTOR_TYPE 0x21
#define KORVANE_HID_REPORT_DESCRIPTOR_TYPE 0x22

typedef struct {
    ULONG Revision;
    PDRIVER_OBJECT DriverObject;
    PUNICODE_STRING RegistryPath;
    ULONG DeviceExtensionSize;
    BOOLEAN DevicesArePolled;
    UCHAR Reserved[3];
} KORVANE_HID_MINIDRIVER_REGISTRATION;

// What hidclass puts at the start of every device extension of the minidriver's device objects.
typedef struct {
    PDEVICE_OBJECT PhysicalDeviceObject;
    PDEVICE_OBJECT NextDeviceObject;
    PVOID MiniDeviceExtension;
} KORVANE_HID_DEVICE_EXTENSION;

#include <pshpack1.h>
typedef struct {
    UCHAR bLength;
    UCHAR bDescriptorType;
    USHORT bcdHID;
    UCHAR bCountry;
    UCHAR bNumDescriptors;
    struct {
        UCHAR bReportType;
        USHORT wReportLength;
    } DescriptorList[1];
} KORVANE_HID_DESCRIPTOR;
#include <poppack.h>

typedef struct {
    ULONG Size;
    USHORT VendorID;
    USHORT ProductID;
    USHORT VersionNumber;
    USHORT Reserved[11];
} KORVANE_HID_DEVICE_ATTRIBUTES;

// One report between hidclass and the minidriver; reportBuffer starts with the report id when the device uses ids.
typedef struct {
    PUCHAR reportBuffer;
    ULONG reportBufferLen;
    UCHAR reportId;
} KORVANE_HID_XFER_PACKET;

NTSTATUS NTAPI HidRegisterMinidriver(KORVANE_HID_MINIDRIVER_REGISTRATION* registration);
