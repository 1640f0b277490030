// config.ini of any bytes, read for the OSD settings record ("config"/"OSDSetting", the platform's structure format).
// A value that is not exactly the record with its checksum leaves the record as it was (all zero at start-up); one
// that is, is the record written in the same format. The structure decoder is also given the raw bytes.
#include "common/ini_document.h"
#include "common/osd_settings.h"
#include "testing/fuzz_check.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

std::string Upper(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
    return upper;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // The decoder alone, for a structure of the size the text would hold.
    if (size >= 4) {
        std::string buffer((size - 2) / 2, '\x5A');
        const bool decoded = DecodeStruct(bytes, buffer.data(), buffer.size());
        FUZZ_CHECK(decoded == (size % 2 == 0 && EncodeStruct(buffer.data(), buffer.size()) == Upper(bytes)));
        FUZZ_CHECK(decoded || buffer == std::string(buffer.size(), '\x5A'));
    }

    const IniDocument config{std::string(bytes)};
    OsdSettingRecord record{};
    const bool read = config.GetStruct("config", "OSDSetting", record.data(), kOsdSettingSize);
    if (!read) {
        FUZZ_CHECK(record == OsdSettingRecord{});
    } else {
        const std::string text = EncodeStruct(record.data(), record.size());
        FUZZ_CHECK(text.size() == 2 * kOsdSettingSize + 2);
        FUZZ_CHECK(Upper(config.Value("config", "OSDSetting").value_or("")) == text);
    }
    const OsdSettings settings = ParseOsdSettings(record);
    FUZZ_CHECK(read || (!settings.profileDisplay && !settings.cpiDisplay));
    return 0;
}
