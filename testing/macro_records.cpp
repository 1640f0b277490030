#include "testing/macro_records.h"

#include <cstring>

MacroRecord TestMacro(const char* name, int count, uint8_t seed, int repeat) {
    MacroRecord r;
    std::memset(&r, 0, sizeof r);
    std::strncpy(r.Name, name, sizeof r.Name - 1);
    r.RepeatCount = repeat;
    r.EventCount = count;
    for (int i = 0; i < kMacroRecordEvents; ++i) {
        r.Events[i].MacroCode = static_cast<uint8_t>(0x04 + (seed + i) % 0x60);
        r.Events[i].Action = (i % 2) ? kMacroRelease : kMacroPress;
        r.Events[i].Delay = static_cast<uint16_t>(seed * 1000 + i * 7);
    }
    return r;
}
