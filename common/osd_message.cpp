#include "common/osd_message.h"

#include "common/messages.h"

#include <algorithm>
#include <cstring>

bool ReadOsdMessage(uintptr_t dataId, const void* data, size_t size, std::string& text) {
    text.clear();
    if (dataId != kOsdMessageDataId) {
        return false;
    }
    const size_t end = std::min(size, kOsdMessageRecordSize);
    if (data == nullptr || end <= kOsdMessageTextOffset) {
        return true;
    }
    const char* first = static_cast<const char*>(data) + kOsdMessageTextOffset;
    const size_t room = end - kOsdMessageTextOffset;
    const void* nul = std::memchr(first, '\0', room);
    text.assign(first, nul ? static_cast<const char*>(nul) - first : room);
    return true;
}
