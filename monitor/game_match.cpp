#include "monitor/game_match.h"

#include "common/text.h"

std::string GameFileName(const ProfileRecord& profile) {
    std::string text(TrimBlanks(std::string_view(profile.GameFile, FieldLength(profile.GameFile))));
    const size_t slash = text.find_last_of("\\/:");
    if (slash != std::string::npos) {
        text.erase(0, slash + 1);
    }
    return text;
}

int MatchGameProfile(const ShareData& data, const std::string& exeName) {
    if (exeName.empty()) {
        return -1;
    }
    for (int i = 0; i < kProfileCount; ++i) {
        const std::string name = GameFileName(data.Profile[i]);
        if (!name.empty() && EqualIgnoringCase(name, exeName)) {
            return i;
        }
    }
    return -1;
}

int ForegroundSwitcher::OnForeground(const ShareData& data, const std::string& exeName, bool ours, bool returnEnabled) {
    if (exeName.empty()) {
        return -1;
    }
    const int target = ForegroundSwitchTarget(data, exeName);
    if (target >= 0) {
        if (previous_ < 0 && data.CurrentProfile >= 0 && data.CurrentProfile < kProfileCount) {
            previous_ = data.CurrentProfile;
        }
        return target;
    }
    if (MatchGameProfile(data, exeName) >= 0 || ours || !returnEnabled || previous_ < 0) {
        return -1;
    }
    const int back = previous_;
    previous_ = -1;
    return back == data.CurrentProfile ? -1 : back;
}

int ForegroundSwitchTarget(const ShareData& data, const std::string& exeName) {
    const int match = MatchGameProfile(data, exeName);
    if (match < 0 || match == data.CurrentProfile) {
        return -1;
    }
    return match;
}
