#pragma once
// The OSD message record that applets send to Monitor by WM_COPYDATA (data identifier 151): 151 bytes, byte 0
// unused, bytes 1 to 150 a zero-terminated text. The sender is another program: only the bytes it gave are read,
// and the text ends at the record's end when it has no terminator.

#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr size_t kOsdMessageRecordSize = 151;
inline constexpr size_t kOsdMessageTextOffset = 1;

// True with the record's text when the identifier is the OSD message record's; false (text emptied) for any other
// identifier. A record shorter than 151 bytes gives the text within the bytes given (empty when there are none).
bool ReadOsdMessage(uintptr_t dataId, const void* data, size_t size, std::string& text);
