#include "monitor/osd_texts.h"

#include <cstdio>
#include <cstring>

namespace {
constexpr int kDpiByCode[15] = {0, 250, 500, 750, 1000, 1250, 1500, 1750, 2000, 2500, 3000, 3500, 4000, 5500, 7250};

int32_t ReadInt32(const OsdSettingRecord& record, size_t offset) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | record[offset + static_cast<size_t>(i)];
    return static_cast<int32_t>(v);
}

void WriteInt32(OsdSettingRecord& record, size_t offset, int32_t value) {
    const uint32_t v = static_cast<uint32_t>(value);
    for (size_t i = 0; i < 4; ++i)
        record[offset + i] = static_cast<uint8_t>(v >> (8 * i));
}
} // namespace

int DpiOfCode(int code) {
    if (code < 1 || code > 14)
        return 0;
    return kDpiByCode[code];
}

std::string DpiText(int code) {
    const int dpi = DpiOfCode(code);
    if (dpi == 0)
        return {};
    return std::to_string(dpi) + " DPI";
}

std::string PollingText(int pollingRate) {
    switch (pollingRate) {
    case 0:
        return "125 Hz";
    case 1:
        return "250 Hz";
    case 2:
        return "500 Hz";
    case 3:
        return "1000 Hz";
    default:
        return {};
    }
}

std::string CpiMessage(const ProfileRecord& profile) {
    if (profile.Cpi_X < 0 || profile.Cpi_X >= kDpiLevelCount)
        return {};
    const int dpi = DpiOfCode(profile.CpiLevel_X[profile.Cpi_X]);
    if (dpi == 0)
        return {};
    char text[32];
    std::snprintf(text, sizeof text, "CPI: %d", dpi);
    return text;
}

OsdSettings ParseOsdSettings(const OsdSettingRecord& record) {
    OsdSettings settings;
    settings.profileDisplay = ReadInt32(record, kOsdProfileDisplayOffset) == 1;
    settings.cpiDisplay = ReadInt32(record, kOsdCpiDisplayOffset) == 1;
    return settings;
}

OsdSettingRecord DefaultOsdSettingRecord() {
    OsdSettingRecord record{};
    WriteInt32(record, kOsdProfileDisplayOffset, 1);
    WriteInt32(record, kOsdCpiDisplayOffset, 1);
    return record;
}

std::string SingleLineText(const std::string& text) {
    std::string line = text;
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    }
    return line;
}

std::string EncodeStructValue(const uint8_t* data, size_t size) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(size * 2 + 2);
    unsigned sum = 0;
    for (size_t i = 0; i < size; ++i) {
        text += kHex[data[i] >> 4];
        text += kHex[data[i] & 0xF];
        sum += data[i];
    }
    text += kHex[(sum >> 4) & 0xF];
    text += kHex[sum & 0xF];
    return text;
}
