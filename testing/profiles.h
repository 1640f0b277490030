#pragma once
// Profiles as the tests start from them: zeroed, then reset (a reset profile holds 2500 DPI at stage 3).

#include "common/profile_record.h"

#include <memory>

// Every profile reset; the current profile as given.
inline std::unique_ptr<ShareData> DefaultData(int currentProfile = 0) {
    auto data = std::make_unique<ShareData>();
    ResetAll(*data);
    data->CurrentProfile = currentProfile;
    return data;
}

// Profile n reset.
inline std::unique_ptr<ProfileRecord> DefaultProfile(int n = 0) {
    auto record = std::make_unique<ProfileRecord>();
    ResetProfile(*record, n);
    return record;
}
