#pragma once
// The shared block: one ShareData in the named paging-file mapping "Korvane_ShareData", moved whole under the named
// mutex "Korvane_Normal_Mutex_Object". Monitor creates it, Option opens it; neither works on it in place.

#include <windows.h>

#include "common/profile_record.h"
#include "framework/handles.h"

inline constexpr char kShareDataMappingName[] = "Korvane_ShareData";
inline constexpr char kShareDataMutexName[] = "Korvane_Normal_Mutex_Object";
inline constexpr DWORD kShareDataSize = sizeof(ShareData); // 166532
// Longest wait for the block mutex before a copy gives up.
inline constexpr DWORD kBlockLockTimeoutMs = 5000;

enum class BlockResult {
    Ready,       // mapped; ReadBlock and WriteBlock work
    MutexExists, // Create: the mutex already existed (another Monitor): window creation is refused
    MutexFailed, // Create: the mutex could not be created; Open: it could not be opened
    NoMapping,   // Create: the mapping could not be created; Open: no mapping of that name exists
    ViewFailed,  // the mapping exists but could not be mapped ("Could not map view of file.")
};

// Move-only owner of the mutex, the mapping and its view. ReadBlock and WriteBlock may be called from any thread of
// the process; Create, Open and Close belong to one thread.
class SharedBlock {
public:
    SharedBlock() = default;
    ~SharedBlock() { Close(); }
    SharedBlock(SharedBlock&&) noexcept = default;
    SharedBlock& operator=(SharedBlock&& other) noexcept;
    SharedBlock(const SharedBlock&) = delete;
    SharedBlock& operator=(const SharedBlock&) = delete;

    // Monitor: creates the mutex (refusing when it exists), then the mapping with a null access list so that every
    // account can use it, maps it and copies `initial` into it. On NoMapping or ViewFailed the mutex is kept (it
    // marks the running Monitor) and the block is simply not available.
    BlockResult Create(const ShareData& initial);
    // Option: opens the mapping and the mutex by name. Anything but Ready leaves nothing open.
    BlockResult Open();

    // Whole copies under the mutex, waiting at most kBlockLockTimeoutMs. 1 on success, 0 when the block is not mapped
    // or the wait did not give ownership (time-out traced, nothing copied). A mutex abandoned by a program that died
    // holding it still gives ownership; the copy is then made (a writer repairs the block whole; every reader checks
    // what it reads anyway) and traced.
    int ReadBlock(ShareData& out) const;
    int WriteBlock(const ShareData& in) const;

    bool Mapped() const { return static_cast<bool>(view_); }
    // Unmaps the view, closes the mapping, then the mutex. Safe to call twice.
    void Close();

    // For tests and diagnostics.
    HANDLE MappingHandle() const { return mapping_.get(); }

private:
    // Declared so that the view goes first, then the mapping, then the mutex.
    KernelHandle mutex_;
    KernelHandle mapping_;
    MappedView view_;
};
