#include <windows.h>

#include "common/shared_block.h"

#include "common/messages.h"

#include <cstring>
#include <utility>

static_assert(kWmUser == WM_USER);
static_assert(kShareDataSize == 166532);

namespace {

// Waits for the block mutex; true when this thread now owns it. Any process of the session can open the mutex and
// keep it: the wait is bounded, so that such a process cannot freeze the caller (a copy is then simply not made).
bool LockBlock(HANDLE mutex) {
    if (mutex == nullptr) {
        return false;
    }
    const DWORD wait = WaitForSingleObject(mutex, kBlockLockTimeoutMs);
    if (wait == WAIT_OBJECT_0) {
        return true;
    }
    if (wait == WAIT_TIMEOUT) {
        OutputDebugStringA("SharedBlock: mutex wait timed out, block not copied\n");
        return false;
    }
    if (wait == WAIT_ABANDONED) {
        // A program died while holding the mutex; this thread owns it now, and a whole copy is as good as ever.
        OutputDebugStringA("SharedBlock: mutex was abandoned by its owner\n");
        return true;
    }
    return false;
}

} // namespace

SharedBlock& SharedBlock::operator=(SharedBlock&& other) noexcept {
    if (this != &other) {
        Close();
        view_ = std::move(other.view_);
        mapping_ = std::move(other.mapping_);
        mutex_ = std::move(other.mutex_);
    }
    return *this;
}

BlockResult SharedBlock::Create(const ShareData& initial) {
    Close();
    KernelHandle mutex(CreateMutexA(nullptr, FALSE, kShareDataMutexName));
    if (!mutex) {
        return BlockResult::MutexFailed;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        return BlockResult::MutexExists;
    }
    mutex_ = std::move(mutex);

    // A present but empty (null) access list: every account may open the block. The descriptor is the platform's
    // whole structure (larger in 64-bit programs than the 20 bytes of a 32-bit one).
    SECURITY_DESCRIPTOR descriptor;
    std::memset(&descriptor, 0, sizeof descriptor);
    if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE)) {
        return BlockResult::NoMapping;
    }
    SECURITY_ATTRIBUTES attributes{};
    attributes.nLength = sizeof attributes;
    attributes.lpSecurityDescriptor = &descriptor;
    attributes.bInheritHandle = TRUE;

    KernelHandle mapping(CreateFileMappingA(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE, 0, kShareDataSize,
                                            kShareDataMappingName));
    if (!mapping) {
        return BlockResult::NoMapping;
    }
    // The exact size, so that a smaller mapping of that name left by someone else fails here instead of being
    // overrun.
    MappedView view(MapViewOfFile(mapping.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, kShareDataSize));
    if (!view) {
        return BlockResult::ViewFailed;
    }
    mapping_ = std::move(mapping);
    view_ = std::move(view);
    WriteBlock(initial);
    return BlockResult::Ready;
}

BlockResult SharedBlock::Open() {
    Close();
    KernelHandle mapping(OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, kShareDataMappingName));
    if (!mapping) {
        return BlockResult::NoMapping;
    }
    MappedView view(MapViewOfFile(mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, kShareDataSize));
    if (!view) {
        return BlockResult::ViewFailed;
    }
    KernelHandle mutex(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, kShareDataMutexName));
    if (!mutex) {
        return BlockResult::MutexFailed;
    }
    mapping_ = std::move(mapping);
    view_ = std::move(view);
    mutex_ = std::move(mutex);
    return BlockResult::Ready;
}

int SharedBlock::ReadBlock(ShareData& out) const {
    if (!view_ || !LockBlock(mutex_.get())) {
        return 0;
    }
    std::memcpy(&out, view_.get(), kShareDataSize);
    ReleaseMutex(mutex_.get());
    return 1;
}

int SharedBlock::WriteBlock(const ShareData& in) const {
    if (!view_ || !LockBlock(mutex_.get())) {
        return 0;
    }
    std::memcpy(view_.get(), &in, kShareDataSize);
    ReleaseMutex(mutex_.get());
    return 1;
}

void SharedBlock::Close() {
    view_.reset();
    mapping_.reset();
    mutex_.reset();
}
