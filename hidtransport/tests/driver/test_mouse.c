// The test mouse: a HID minidriver for a root-enumerated device with the mouse's configuration collection. It holds
// no device state. Each feature or output report the host sends, and each feature report it asks for, is handed to
// the device server in the test process (a pended KORVANE_TEST_MOUSE_NEXT_TRANSFER on the control device); the
// host's request completes when the server answers. Input reports come from the server and complete hidclass's
// pended read. Test-only: never shipped.
#include <ddk/wdm.h>

#include "hid_minidriver.h"
#include "test_mouse_channel.h"

// The configuration collection: vendor page 0xFF00, usage 1; feature report 1 (8 bytes), output reports 2 (8 bytes)
// and 3 (32 bytes), input report 4 (4 bytes: the events). Input report 5, of the same length, is no event: the
// transport must let it pass unheard.
static const UCHAR kReportDescriptor[] = {
    0x06, 0x00, 0xFF, // Usage Page (0xFF00)
    0x09, 0x01,       // Usage (1)
    0xA1, 0x01,       // Collection (Application)
    0x15, 0x00,       //   Logical Minimum (0)
    0x26, 0xFF, 0x00, //   Logical Maximum (255)
    0x75, 0x08,       //   Report Size (8)
    0x85, 0x01,       //   Report ID (1)
    0x95, 0x08,       //   Report Count (8)
    0x09, 0x01,       //   Usage (1)
    0xB1, 0x02,       //   Feature (Data, Variable, Absolute)
    0x85, 0x02,       //   Report ID (2)
    0x95, 0x08,       //   Report Count (8)
    0x09, 0x01,       //   Usage (1)
    0x91, 0x02,       //   Output (Data, Variable, Absolute)
    0x85, 0x03,       //   Report ID (3)
    0x95, 0x20,       //   Report Count (32)
    0x09, 0x01,       //   Usage (1)
    0x91, 0x02,       //   Output (Data, Variable, Absolute)
    0x85, 0x04,       //   Report ID (4)
    0x95, 0x04,       //   Report Count (4)
    0x09, 0x01,       //   Usage (1)
    0x81, 0x02,       //   Input (Data, Variable, Absolute)
    0x85, 0x05,       //   Report ID (5)
    0x95, 0x04,       //   Report Count (4)
    0x09, 0x01,       //   Usage (1)
    0x81, 0x02,       //   Input (Data, Variable, Absolute)
    0xC0,             // End Collection
};

// Input reports that arrive while hidclass has no read pending wait here.
#define QUEUED_INPUTS 16

typedef struct {
    UCHAR data[KORVANE_TEST_MAX_REPORT];
    ULONG length;
} InputReport;

// The minidriver's part of a device extension.
typedef struct {
    LIST_ENTRY entry; // in g.devices
    DEVICE_OBJECT* fdo;
    BOOLEAN removed;
    LIST_ENTRY reads; // hidclass's pended IOCTL_HID_READ_REPORT
    InputReport inputs[QUEUED_INPUTS];
    ULONG inputCount;
} TestMouse;

// Everything shared between the devices, the control device and the server, under one lock.
static struct {
    KSPIN_LOCK lock;
    DEVICE_OBJECT* control;
    LONG serverHandles;    // open handles on the control device
    LIST_ENTRY waiting;    // host transfers not yet handed to the server
    LIST_ENTRY handedOut;  // host transfers the server has, awaiting its answer
    LIST_ENTRY serverWait; // the server's pended NEXT_TRANSFER requests
    LIST_ENTRY devices;
    ULONG nextId;
} g;

static PDRIVER_DISPATCH hidclassCreate;
static PDRIVER_DISPATCH hidclassClose;
static PDRIVER_DISPATCH hidclassDeviceControl;

// A host transfer's IRP keeps its number, its kind and its device in the driver's context words.
#define TRANSFER_ID(irp) ((irp)->Tail.Overlay.DriverContext[0])
#define TRANSFER_KIND(irp) ((irp)->Tail.Overlay.DriverContext[1])
#define TRANSFER_DEVICE(irp) ((irp)->Tail.Overlay.DriverContext[2])

static TestMouse* MouseOf(DEVICE_OBJECT* fdo) {
    return (TestMouse*)((KORVANE_HID_DEVICE_EXTENSION*)fdo->DeviceExtension)->MiniDeviceExtension;
}

static NTSTATUS Complete(IRP* irp, NTSTATUS status, ULONG_PTR information) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static KORVANE_HID_XFER_PACKET* PacketOf(IRP* irp) {
    // hidclass passes the packet as the user buffer of its internal request (METHOD_NEITHER).
    return (KORVANE_HID_XFER_PACKET*)irp->UserBuffer;
}

// Fills the server's request with the host transfer. Called with g.lock held, so that a removal cannot complete the
// transfer meanwhile; the caller completes the server's request after releasing it.
static void FillTransfer(IRP* transfer, IRP* serverWait) {
    KorvaneTestTransfer* out = (KorvaneTestTransfer*)serverWait->AssociatedIrp.SystemBuffer;
    KORVANE_HID_XFER_PACKET* packet = PacketOf(transfer);
    ULONG length = packet->reportBufferLen;
    RtlZeroMemory(out, sizeof *out);
    out->id = (unsigned int)(ULONG_PTR)TRANSFER_ID(transfer);
    out->kind = (unsigned int)(ULONG_PTR)TRANSFER_KIND(transfer);
    if (out->kind == KorvaneTestGetFeature) {
        // Only the report id is meaningful in a get.
        length = 1;
        out->data[0] = packet->reportId;
    } else {
        if (length > KORVANE_TEST_MAX_REPORT) {
            length = KORVANE_TEST_MAX_REPORT;
        }
        RtlCopyMemory(out->data, packet->reportBuffer, length);
    }
    out->length = length;
    serverWait->IoStatus.Information = sizeof *out;
}

// Takes the oldest request of a list whose cancel routine has not started; NULL when there is none.
static IRP* PopCancellable(LIST_ENTRY* list) {
    while (!IsListEmpty(list)) {
        LIST_ENTRY* entry = RemoveHeadList(list);
        IRP* irp = CONTAINING_RECORD(entry, IRP, Tail.Overlay.ListEntry);
        if (IoSetCancelRoutine(irp, NULL)) {
            return irp;
        }
        // The cancel routine runs and completes it; leave it an entry it can remove.
        InitializeListHead(entry);
    }
    return NULL;
}

static void NTAPI CancelServerWait(DEVICE_OBJECT* device, IRP* irp) {
    KIRQL irql;
    (void)device;
    IoReleaseCancelSpinLock(irp->CancelIrql);
    KeAcquireSpinLock(&g.lock, &irql);
    RemoveEntryList(&irp->Tail.Overlay.ListEntry);
    KeReleaseSpinLock(&g.lock, irql);
    Complete(irp, STATUS_CANCELLED, 0);
}

// A feature or output report from the host, or a request for a feature report: to the server.
static NTSTATUS ForwardTransfer(DEVICE_OBJECT* fdo, IRP* irp, ULONG kind) {
    TestMouse* mouse = MouseOf(fdo);
    KORVANE_HID_XFER_PACKET* packet = PacketOf(irp);
    IRP* serverWait = NULL;
    KIRQL irql;

    if (!packet || !packet->reportBuffer || packet->reportBufferLen == 0) {
        return Complete(irp, STATUS_INVALID_PARAMETER, 0);
    }
    KeAcquireSpinLock(&g.lock, &irql);
    if (mouse->removed || g.serverHandles == 0) {
        KeReleaseSpinLock(&g.lock, irql);
        return Complete(irp, STATUS_DEVICE_NOT_CONNECTED, 0);
    }
    TRANSFER_ID(irp) = (PVOID)(ULONG_PTR)++g.nextId;
    TRANSFER_KIND(irp) = (PVOID)(ULONG_PTR)kind;
    TRANSFER_DEVICE(irp) = fdo;
    IoMarkIrpPending(irp);
    serverWait = PopCancellable(&g.serverWait);
    InsertTailList(serverWait ? &g.handedOut : &g.waiting, &irp->Tail.Overlay.ListEntry);
    if (serverWait) {
        FillTransfer(irp, serverWait);
    }
    KeReleaseSpinLock(&g.lock, irql);
    if (serverWait) {
        Complete(serverWait, STATUS_SUCCESS, serverWait->IoStatus.Information);
    }
    return STATUS_PENDING;
}

// The server's answer completes the host's request.
static NTSTATUS Answer(IRP* irp) {
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    const KorvaneTestAnswer* answer = (const KorvaneTestAnswer*)irp->AssociatedIrp.SystemBuffer;
    IRP* transfer = NULL;
    LIST_ENTRY* entry;
    KIRQL irql;

    if (stack->Parameters.DeviceIoControl.InputBufferLength < sizeof *answer) {
        return Complete(irp, STATUS_INVALID_PARAMETER, 0);
    }
    KeAcquireSpinLock(&g.lock, &irql);
    for (entry = g.handedOut.Flink; entry != &g.handedOut; entry = entry->Flink) {
        IRP* candidate = CONTAINING_RECORD(entry, IRP, Tail.Overlay.ListEntry);
        if ((unsigned int)(ULONG_PTR)TRANSFER_ID(candidate) == answer->id) {
            RemoveEntryList(entry);
            transfer = candidate;
            break;
        }
    }
    KeReleaseSpinLock(&g.lock, irql);
    if (!transfer) {
        // The device went away meanwhile: its transfers were failed already.
        return Complete(irp, STATUS_NOT_FOUND, 0);
    }

    if (!answer->ok) {
        Complete(transfer, STATUS_UNSUCCESSFUL, 0);
    } else if ((ULONG_PTR)TRANSFER_KIND(transfer) == KorvaneTestGetFeature) {
        KORVANE_HID_XFER_PACKET* packet = PacketOf(transfer);
        ULONG length = answer->length;
        if (length > KORVANE_TEST_MAX_REPORT || length > packet->reportBufferLen) {
            Complete(transfer, STATUS_BUFFER_TOO_SMALL, 0);
        } else {
            RtlCopyMemory(packet->reportBuffer, answer->data, length);
            Complete(transfer, STATUS_SUCCESS, length);
        }
    } else {
        Complete(transfer, STATUS_SUCCESS, PacketOf(transfer)->reportBufferLen);
    }
    return Complete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS NextTransfer(IRP* irp) {
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    BOOLEAN handedOut = FALSE;
    KIRQL irql;

    if (stack->Parameters.DeviceIoControl.OutputBufferLength < sizeof(KorvaneTestTransfer)) {
        return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
    }
    KeAcquireSpinLock(&g.lock, &irql);
    if (!IsListEmpty(&g.waiting)) {
        LIST_ENTRY* entry = RemoveHeadList(&g.waiting);
        InsertTailList(&g.handedOut, entry);
        FillTransfer(CONTAINING_RECORD(entry, IRP, Tail.Overlay.ListEntry), irp);
        handedOut = TRUE;
    } else {
        IoSetCancelRoutine(irp, CancelServerWait);
        if (irp->Cancel && IoSetCancelRoutine(irp, NULL)) {
            KeReleaseSpinLock(&g.lock, irql);
            return Complete(irp, STATUS_CANCELLED, 0);
        }
        IoMarkIrpPending(irp);
        InsertTailList(&g.serverWait, &irp->Tail.Overlay.ListEntry);
    }
    KeReleaseSpinLock(&g.lock, irql);
    if (handedOut) {
        return Complete(irp, STATUS_SUCCESS, irp->IoStatus.Information);
    }
    return STATUS_PENDING;
}

// Completes hidclass's read with the report. Called with g.lock held; returns the read to complete, or NULL when
// the report was queued.
static IRP* DeliverLocked(TestMouse* mouse, const UCHAR* data, ULONG length) {
    if (!IsListEmpty(&mouse->reads)) {
        return CONTAINING_RECORD(RemoveHeadList(&mouse->reads), IRP, Tail.Overlay.ListEntry);
    }
    if (mouse->inputCount < QUEUED_INPUTS) {
        RtlCopyMemory(mouse->inputs[mouse->inputCount].data, data, length);
        mouse->inputs[mouse->inputCount].length = length;
        ++mouse->inputCount;
    }
    return NULL;
}

static NTSTATUS CompleteRead(IRP* read, const UCHAR* data, ULONG length) {
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(read);
    if (stack->Parameters.DeviceIoControl.OutputBufferLength < length || !read->UserBuffer) {
        return Complete(read, STATUS_BUFFER_TOO_SMALL, 0);
    }
    RtlCopyMemory(read->UserBuffer, data, length);
    return Complete(read, STATUS_SUCCESS, length);
}

// An input report from the server goes to every present test mouse.
static NTSTATUS RaiseInput(IRP* irp) {
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    const UCHAR* data = (const UCHAR*)irp->AssociatedIrp.SystemBuffer;
    ULONG length = stack->Parameters.DeviceIoControl.InputBufferLength;
    IRP* reads[8];
    ULONG count = 0, i;
    LIST_ENTRY* entry;
    KIRQL irql;

    if (length == 0 || length > KORVANE_TEST_MAX_REPORT) {
        return Complete(irp, STATUS_INVALID_PARAMETER, 0);
    }
    KeAcquireSpinLock(&g.lock, &irql);
    for (entry = g.devices.Flink; entry != &g.devices && count < 8; entry = entry->Flink) {
        TestMouse* mouse = CONTAINING_RECORD(entry, TestMouse, entry);
        IRP* read = mouse->removed ? NULL : DeliverLocked(mouse, data, length);
        if (read) {
            reads[count++] = read;
        }
    }
    KeReleaseSpinLock(&g.lock, irql);
    for (i = 0; i < count; ++i) {
        CompleteRead(reads[i], data, length);
    }
    return Complete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS ReadReport(DEVICE_OBJECT* fdo, IRP* irp) {
    TestMouse* mouse = MouseOf(fdo);
    InputReport report;
    BOOLEAN queued = FALSE;
    KIRQL irql;

    KeAcquireSpinLock(&g.lock, &irql);
    if (mouse->removed) {
        KeReleaseSpinLock(&g.lock, irql);
        return Complete(irp, STATUS_DEVICE_NOT_CONNECTED, 0);
    }
    if (mouse->inputCount > 0) {
        report = mouse->inputs[0];
        --mouse->inputCount;
        RtlMoveMemory(&mouse->inputs[0], &mouse->inputs[1], mouse->inputCount * sizeof(InputReport));
        queued = TRUE;
    } else {
        IoMarkIrpPending(irp);
        InsertTailList(&mouse->reads, &irp->Tail.Overlay.ListEntry);
    }
    KeReleaseSpinLock(&g.lock, irql);
    if (queued) {
        return CompleteRead(irp, report.data, report.length);
    }
    return STATUS_PENDING;
}

// The device is going: its pended reads and its transfers end now, so nobody waits for a device that is gone.
static void FailEverything(DEVICE_OBJECT* fdo) {
    TestMouse* mouse = MouseOf(fdo);
    LIST_ENTRY failed;
    LIST_ENTRY* entry;
    LIST_ENTRY* lists[2] = {&g.waiting, &g.handedOut};
    KIRQL irql;
    int i;

    InitializeListHead(&failed);
    KeAcquireSpinLock(&g.lock, &irql);
    mouse->removed = TRUE;
    mouse->inputCount = 0;
    while (!IsListEmpty(&mouse->reads)) {
        InsertTailList(&failed, RemoveHeadList(&mouse->reads));
    }
    for (i = 0; i < 2; ++i) {
        entry = lists[i]->Flink;
        while (entry != lists[i]) {
            IRP* irp = CONTAINING_RECORD(entry, IRP, Tail.Overlay.ListEntry);
            entry = entry->Flink;
            if (TRANSFER_DEVICE(irp) == fdo) {
                RemoveEntryList(&irp->Tail.Overlay.ListEntry);
                InsertTailList(&failed, &irp->Tail.Overlay.ListEntry);
            }
        }
    }
    KeReleaseSpinLock(&g.lock, irql);
    while (!IsListEmpty(&failed)) {
        Complete(CONTAINING_RECORD(RemoveHeadList(&failed), IRP, Tail.Overlay.ListEntry), STATUS_DEVICE_NOT_CONNECTED,
                 0);
    }
}

static NTSTATUS CopyOut(IRP* irp, const void* data, ULONG length) {
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    if (stack->Parameters.DeviceIoControl.OutputBufferLength < length || !irp->UserBuffer) {
        return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
    }
    RtlCopyMemory(irp->UserBuffer, data, length);
    return Complete(irp, STATUS_SUCCESS, length);
}

static NTSTATUS NTAPI InternalDeviceControl(DEVICE_OBJECT* fdo, IRP* irp) {
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    switch (stack->Parameters.DeviceIoControl.IoControlCode) {
    case KORVANE_IOCTL_HID_GET_DEVICE_DESCRIPTOR: {
        KORVANE_HID_DESCRIPTOR descriptor = {sizeof descriptor,
                                             KORVANE_HID_HID_DESCRIPTOR_TYPE,
                                             0x0100,
                                             0,
                                             1,
                                             {{KORVANE_HID_REPORT_DESCRIPTOR_TYPE, sizeof kReportDescriptor}}};
        return CopyOut(irp, &descriptor, sizeof descriptor);
    }
    case KORVANE_IOCTL_HID_GET_REPORT_DESCRIPTOR:
        return CopyOut(irp, kReportDescriptor, sizeof kReportDescriptor);
    case KORVANE_IOCTL_HID_GET_DEVICE_ATTRIBUTES: {
        KORVANE_HID_DEVICE_ATTRIBUTES attributes = {
            sizeof attributes, KORVANE_TEST_MOUSE_VENDOR_ID, KORVANE_TEST_MOUSE_PRODUCT_ID, 0x0100, {0}};
        return CopyOut(irp, &attributes, sizeof attributes);
    }
    case KORVANE_IOCTL_HID_GET_STRING: {
        static const WCHAR name[] = L"Korvane test mouse";
        return CopyOut(irp, name, sizeof name);
    }
    case KORVANE_IOCTL_HID_READ_REPORT:
        return ReadReport(fdo, irp);
    case KORVANE_IOCTL_HID_SET_FEATURE:
        return ForwardTransfer(fdo, irp, KorvaneTestSetFeature);
    case KORVANE_IOCTL_HID_GET_FEATURE:
        return ForwardTransfer(fdo, irp, KorvaneTestGetFeature);
    case KORVANE_IOCTL_HID_WRITE_REPORT:
    case KORVANE_IOCTL_HID_SET_OUTPUT_REPORT:
        return ForwardTransfer(fdo, irp, KorvaneTestOutput);
    case KORVANE_IOCTL_HID_ACTIVATE_DEVICE:
    case KORVANE_IOCTL_HID_DEACTIVATE_DEVICE:
        return Complete(irp, STATUS_SUCCESS, 0);
    default:
        return Complete(irp, STATUS_NOT_SUPPORTED, 0);
    }
}

static NTSTATUS NTAPI Pnp(DEVICE_OBJECT* fdo, IRP* irp) {
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    KORVANE_HID_DEVICE_EXTENSION* ext = (KORVANE_HID_DEVICE_EXTENSION*)fdo->DeviceExtension;
    TestMouse* mouse = MouseOf(fdo);
    KIRQL irql;

    switch (stack->MinorFunction) {
    case IRP_MN_START_DEVICE:
    case IRP_MN_QUERY_REMOVE_DEVICE:
    case IRP_MN_CANCEL_REMOVE_DEVICE:
    case IRP_MN_STOP_DEVICE:
        irp->IoStatus.Status = STATUS_SUCCESS;
        break;
    case IRP_MN_SURPRISE_REMOVAL:
        FailEverything(fdo);
        irp->IoStatus.Status = STATUS_SUCCESS;
        break;
    case IRP_MN_REMOVE_DEVICE:
        FailEverything(fdo);
        KeAcquireSpinLock(&g.lock, &irql);
        RemoveEntryList(&mouse->entry);
        KeReleaseSpinLock(&g.lock, irql);
        irp->IoStatus.Status = STATUS_SUCCESS;
        break;
    default:
        break;
    }
    IoSkipCurrentIrpStackLocation(irp);
    return IoCallDriver(ext->NextDeviceObject, irp);
}

static NTSTATUS NTAPI AddDevice(DRIVER_OBJECT* driver, DEVICE_OBJECT* fdo) {
    TestMouse* mouse = MouseOf(fdo);
    KIRQL irql;
    (void)driver;
    RtlZeroMemory(mouse, sizeof *mouse);
    mouse->fdo = fdo;
    InitializeListHead(&mouse->reads);
    KeAcquireSpinLock(&g.lock, &irql);
    InsertTailList(&g.devices, &mouse->entry);
    KeReleaseSpinLock(&g.lock, irql);
    fdo->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}

// The control device's requests; everything else belongs to hidclass.
static NTSTATUS NTAPI Create(DEVICE_OBJECT* device, IRP* irp) {
    KIRQL irql;
    if (device != g.control) {
        return hidclassCreate(device, irp);
    }
    KeAcquireSpinLock(&g.lock, &irql);
    ++g.serverHandles;
    KeReleaseSpinLock(&g.lock, irql);
    return Complete(irp, STATUS_SUCCESS, 0);
}

// The server has gone: the transfers it left unanswered end now, not never.
static NTSTATUS NTAPI Close(DEVICE_OBJECT* device, IRP* irp) {
    LIST_ENTRY failed;
    KIRQL irql;
    if (device != g.control) {
        return hidclassClose(device, irp);
    }
    InitializeListHead(&failed);
    KeAcquireSpinLock(&g.lock, &irql);
    if (--g.serverHandles == 0) {
        while (!IsListEmpty(&g.waiting)) {
            InsertTailList(&failed, RemoveHeadList(&g.waiting));
        }
        while (!IsListEmpty(&g.handedOut)) {
            InsertTailList(&failed, RemoveHeadList(&g.handedOut));
        }
    }
    KeReleaseSpinLock(&g.lock, irql);
    while (!IsListEmpty(&failed)) {
        Complete(CONTAINING_RECORD(RemoveHeadList(&failed), IRP, Tail.Overlay.ListEntry), STATUS_DEVICE_NOT_CONNECTED,
                 0);
    }
    return Complete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS NTAPI DeviceControl(DEVICE_OBJECT* device, IRP* irp) {
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    if (device != g.control) {
        return hidclassDeviceControl(device, irp);
    }
    switch (stack->Parameters.DeviceIoControl.IoControlCode) {
    case KORVANE_TEST_MOUSE_NEXT_TRANSFER:
        return NextTransfer(irp);
    case KORVANE_TEST_MOUSE_ANSWER:
        return Answer(irp);
    case KORVANE_TEST_MOUSE_INPUT_REPORT:
        return RaiseInput(irp);
    default:
        return Complete(irp, STATUS_NOT_SUPPORTED, 0);
    }
}

static void NTAPI Unload(DRIVER_OBJECT* driver) {
    UNICODE_STRING link;
    (void)driver;
    RtlInitUnicodeString(&link, KORVANE_TEST_MOUSE_LINK_NAME);
    IoDeleteSymbolicLink(&link);
    if (g.control) {
        IoDeleteDevice(g.control);
        g.control = NULL;
    }
}

NTSTATUS NTAPI DriverEntry(DRIVER_OBJECT* driver, UNICODE_STRING* registryPath) {
    KORVANE_HID_MINIDRIVER_REGISTRATION registration;
    UNICODE_STRING name, link;
    NTSTATUS status;

    KeInitializeSpinLock(&g.lock);
    InitializeListHead(&g.waiting);
    InitializeListHead(&g.handedOut);
    InitializeListHead(&g.serverWait);
    InitializeListHead(&g.devices);

    driver->DriverExtension->AddDevice = AddDevice;
    driver->DriverUnload = Unload;
    driver->MajorFunction[IRP_MJ_PNP] = Pnp;
    driver->MajorFunction[IRP_MJ_INTERNAL_DEVICE_CONTROL] = InternalDeviceControl;

    RtlZeroMemory(&registration, sizeof registration);
    registration.Revision = KORVANE_HID_REVISION;
    registration.DriverObject = driver;
    registration.RegistryPath = registryPath;
    registration.DeviceExtensionSize = sizeof(TestMouse);
    registration.DevicesArePolled = FALSE;
    if ((status = HidRegisterMinidriver(&registration))) {
        return status;
    }
    // hidclass took over create, close and device control for the collections; the control device's requests
    // are ours.
    hidclassCreate = driver->MajorFunction[IRP_MJ_CREATE];
    hidclassClose = driver->MajorFunction[IRP_MJ_CLOSE];
    hidclassDeviceControl = driver->MajorFunction[IRP_MJ_DEVICE_CONTROL];
    driver->MajorFunction[IRP_MJ_CREATE] = Create;
    driver->MajorFunction[IRP_MJ_CLOSE] = Close;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DeviceControl;

    RtlInitUnicodeString(&name, KORVANE_TEST_MOUSE_DEVICE_NAME);
    if ((status = IoCreateDevice(driver, 0, &name, FILE_DEVICE_UNKNOWN, 0, FALSE, &g.control))) {
        return status;
    }
    RtlInitUnicodeString(&link, KORVANE_TEST_MOUSE_LINK_NAME);
    if ((status = IoCreateSymbolicLink(&link, &name))) {
        IoDeleteDevice(g.control);
        g.control = NULL;
        return status;
    }
    g.control->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}
