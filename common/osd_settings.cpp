#include "common/osd_settings.h"

namespace {
int32_t ReadInt32(const OsdSettingRecord& record, size_t offset) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) {
        v = v << 8 | record[offset + static_cast<size_t>(i)];
    }
    return static_cast<int32_t>(v);
}

void WriteInt32(OsdSettingRecord& record, size_t offset, int32_t value) {
    const uint32_t v = static_cast<uint32_t>(value);
    for (size_t i = 0; i < 4; ++i) {
        record[offset + i] = static_cast<uint8_t>(v >> (8 * i));
    }
}
} // namespace

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
