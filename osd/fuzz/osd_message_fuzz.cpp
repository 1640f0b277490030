// The OSD message record an applet sends to Monitor by WM_COPYDATA, any identifier and any bytes of any length, on
// its way to the display: the record's text, made one line and written to config.ini, then the text the OSD program
// shows. Whatever the applet sends changes only the message's own value in config.ini.
#include "common/ini_document.h"
#include "common/messages.h"
#include "common/osd_message.h"
#include "monitor/osd_texts.h"
#include "osd/osd_request.h"
#include "testing/fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool HasControlCharacter(const std::string& text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return true;
        }
    }
    return false;
}

} // namespace

// The input: the data identifier (the low byte picks 151, the record's own, half the time; else all eight bytes,
// little-endian), the lParam of an OsdShow request (eight bytes), then the record's bytes as the sender gave them.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 16) {
        return 0;
    }
    uint64_t id = 0;
    int64_t lParam = 0;
    std::memcpy(&id, data, 8);
    std::memcpy(&lParam, data + 8, 8);
    if (id & 1) {
        id = kOsdMessageDataId;
    }
    // The record in a buffer of exactly the size given, so that reading past it is caught.
    const std::vector<uint8_t> record(data + 16, data + size);
    const void* bytes = record.empty() ? nullptr : record.data();

    std::string text = "left over";
    const bool ours = ReadOsdMessage(static_cast<uintptr_t>(id), bytes, record.size(), text);
    FUZZ_CHECK(ours == (id == kOsdMessageDataId));
    if (!ours) {
        FUZZ_CHECK(text.empty());
        return 0;
    }
    FUZZ_CHECK(text.size() <= kOsdMessageRecordSize - kOsdMessageTextOffset);
    FUZZ_CHECK(text.find('\0') == std::string::npos);
    if (!text.empty()) {
        FUZZ_CHECK(std::memcmp(text.data(), record.data() + kOsdMessageTextOffset, text.size()) == 0);
    }

    const std::string line = SingleLineText(text);
    FUZZ_CHECK(line.size() == text.size() && !HasControlCharacter(line));

    // config.ini before and after the text is written: the other keys read as they did, and the message reads as the
    // text (less the blanks and quotes the platform trims when it reads).
    static const std::string kConfig = "[Setting]\r\nCurrentProfile=2\r\nDevice=1\r\n[OSDData]\r\nMessage=CPI: 540\r\n"
                                       "[config]\r\nOSDSetting=00\r\n";
    IniDocument config(kConfig);
    config.SetString("OSDData", "Message", line);
    const IniDocument written(config.Bytes());
    FUZZ_CHECK(written.GetInt("Setting", "CurrentProfile", -1) == 2 && written.GetInt("Setting", "Device", -1) == 1);
    FUZZ_CHECK(written.GetString("config", "OSDSetting") == "00");
    FUZZ_CHECK(written.Keys("OSDData").size() == 1 && written.Keys("Setting").size() == 2);
    FUZZ_CHECK(line.find(written.GetString("OSDData", "Message")) != std::string::npos);

    const std::string shown = OsdRequestText(50, lParam, line);
    FUZZ_CHECK(shown.size() <= kOsdTextMax && shown == line.substr(0, kOsdTextMax));
    const std::string profile = OsdRequestText(40, lParam, line);
    const uint64_t number = (static_cast<uint64_t>(lParam) >> 16) & 0xFFFF;
    FUZZ_CHECK(profile == (number <= 4 ? "Profile " + std::to_string(number + 1) : std::string()));
    FUZZ_CHECK(OsdRequestText(static_cast<uint64_t>(lParam), lParam, line).size() <= kOsdTextMax);
    return 0;
}
