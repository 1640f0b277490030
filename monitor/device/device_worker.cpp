#include <windows.h>

#include "monitor/device/device_worker.h"

#include "common/messages.h"
#include "common/profile_store.h"
#include "framework/trace.h"

#include <algorithm>

namespace {
// Saves of a read-back that the copy may overtake before the job gives up following it (each further round needs a
// change on the window thread during the save before it).
constexpr int kSaveRounds = 4;
} // namespace

SleepClock::SleepClock() : interrupted_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

void SleepClock::Pause(int ms) {
    if (ms <= 0) {
        return;
    }
    if (interrupted_) {
        WaitForSingleObject(interrupted_.get(), static_cast<DWORD>(ms));
    } else {
        Sleep(static_cast<DWORD>(ms));
    }
}

void SleepClock::Interrupt() {
    if (interrupted_) {
        SetEvent(interrupted_.get());
    }
}

MonitorShareData::MonitorShareData() : data_(std::make_unique<ShareData>()) {
    InitShareData(*data_);
}

uint64_t MonitorShareData::Get(ShareData& out) const {
    std::lock_guard<std::mutex> lock(lock_);
    out = *data_;
    return changes_;
}

void MonitorShareData::Set(const ShareData& in) {
    std::lock_guard<std::mutex> lock(lock_);
    ++changes_;
    *data_ = in;
}

bool MonitorJobHost::PostToOption(unsigned message) {
    HWND option = FindWindowA(nullptr, kOptionWindowTitle);
    return option != nullptr && PostMessageA(option, message, 0, 0);
}

void MonitorJobHost::SaveAllProfiles(const ShareData& data) {
    if (folder_.empty()) {
        ::SaveAllProfiles(data);
    } else {
        ::SaveAllProfiles(data, folder_);
    }
}

void MonitorJobHost::WriteBlock(const ShareData& data) {
    block_.WriteBlock(data);
}

void MonitorJobHost::Trace(const char* line) {
    ::Trace("%s", line);
}

bool DeviceJobRunner::Execute(const TransferList& list, std::array<uint8_t, 8>* answer, int* getResult) {
    int result = 0;
    for (const Transfer& t : list) {
        const int length = static_cast<int>(t.bytes.size());
        // The mouse went away (or Monitor is ending) during the job: the rest is not sent.
        if (t.kind != TransferKind::Pause && !Connected()) {
            return false;
        }
        switch (t.kind) {
        case TransferKind::Pause:
            clock_.Pause(t.ms);
            break;
        case TransferKind::Set:
            if (!transport_.SetFeature(t.bytes.data(), length, result)) {
                return false;
            }
            break;
        case TransferKind::Write:
            if (!transport_.WriteUSB(t.bytes.data(), length, result)) {
                return false;
            }
            break;
        case TransferKind::Get: {
            std::array<uint8_t, 8> buffer{};
            std::copy_n(t.bytes.begin(), std::min<size_t>(t.bytes.size(), buffer.size()), buffer.begin());
            if (!transport_.GetFeature(buffer.data(), static_cast<int>(buffer.size()), result)) {
                return false;
            }
            if (answer) {
                *answer = buffer;
            }
            if (getResult) {
                *getResult = result;
            }
            break;
        }
        }
    }
    return true;
}

void DeviceJobRunner::WriteProfile() {
    // One consistent profile for the whole job, however the window thread changes its copy meanwhile. The copy is
    // on the heap: the worker's stack is small.
    auto snapshot = std::make_unique<ShareData>();
    data_.Get(*snapshot);
    const TransferList list = BuildApplyAll(*snapshot); // empty when CurrentProfile is not 0..4
    snapshot.reset();
    Execute(list);
}

void DeviceJobRunner::ApplyAll() {
    WriteProfile();
    if (!host_.PostToOption(ApplyFinished)) {
        host_.Trace("OnApplyAllSetting Don't find Quorra Option Dialog\n");
    }
}

void DeviceJobRunner::ReadBack() {
    std::array<uint8_t, 8> answer{};
    int got = 0;
    const bool open = Execute(BuildReadBack(), &answer, &got);
    int32_t stage = 0;
    const bool known = open && got != 0 && DecodeReadBack(answer, stage);

    data_.Update([&](ShareData& d) {
        if (known) {
            if (ProfileRecord* profile = ActiveProfile(d)) {
                profile->Cpi_X = stage;
            }
        }
        host_.WriteBlock(d);
        return 0;
    });
    // The save takes a while, and the window thread may switch the profile or take a new stage meanwhile: the files
    // and the registry must end on that newer state, not on the one the save began with.
    auto snapshot = std::make_unique<ShareData>();
    uint64_t saved = data_.Get(*snapshot);
    for (int round = 0; round < kSaveRounds; ++round) {
        host_.SaveAllProfiles(*snapshot);
        const uint64_t now = data_.Get(*snapshot);
        if (now == saved) {
            break;
        }
        saved = now;
    }
    host_.PostToOption(DeviceStateRead);
    snapshot.reset();

    // The mouse takes the fixed parameters again once it has settled; not when it has gone meanwhile.
    if (open) {
        Execute(BuildReadBackTail());
    }
}

bool DeviceJobRunner::Run(unsigned job) {
    if (!Connected()) {
        return false;
    }
    switch (job) {
    case kJobApplyAll:
        ApplyAll();
        return true;
    case kJobReadBack:
        ReadBack();
        return true;
    case kJobProfileSwitch:
        host_.Trace("DeviceWorker profile write\n");
        WriteProfile();
        return true;
    default:
        return false;
    }
}

void DeviceJobRunner::Trace(const char* line) {
    host_.Trace(line);
}

void DeviceWorker::Stop() {
    if (Running()) {
        // Nothing more reaches the mouse: queued jobs are dropped and a running one stops at its next transfer.
        runner_.SetConnected(false);
        clock_.Interrupt();
    }
    WorkerThread::Stop();
}

bool DeviceWorker::PostJob(unsigned job, LPARAM lParam) {
    if (job != kJobProfileSwitch) {
        return Post(DeviceJob, job, lParam);
    }
    profileWrites_.fetch_add(1);
    if (Post(DeviceJob, job, lParam)) {
        return true;
    }
    TakeProfileWrite();
    return false;
}

int DeviceWorker::TakeProfileWrite() {
    int waiting = profileWrites_.load();
    // A job 3 posted by another program was never counted: the count does not go below zero.
    while (waiting > 0 && !profileWrites_.compare_exchange_weak(waiting, waiting - 1)) {
    }
    return waiting > 0 ? waiting - 1 : 0;
}

void DeviceWorker::OnJob(UINT message, WPARAM wParam, LPARAM) {
    // Anyone on the desktop can post to this thread: a wParam beyond 32 bits is no job code, however its low bits
    // read.
    if (message != DeviceJob || wParam > 0xFFFFFFFFu) {
        return;
    }
    const unsigned job = static_cast<unsigned>(wParam);
    if (job == kJobProfileSwitch && TakeProfileWrite() > 0) {
        runner_.Trace("DeviceWorker profile write dropped: a later one follows\n");
        return;
    }
    runner_.Run(job);
}
