// The virtual mouse's memory file, any bytes. Half the inputs get a correct CRC, so that the checks behind it are
// reached. A file that loads is exactly what saving the loaded memory writes, can be dumped, and every button of it
// can be pressed; the mouse then still holds memory that its file can hold.
#include "hiddriver/memory_dump.h"
#include "hiddriver/virtual_mouse.h"
#include "testing/fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> file(data, data + size);
    if (size >= 5 && (data[size - 1] & 1) == 0 && size == vmouse::kMemoryFileBytes) {
        const uint32_t crc = vmouse::Crc32(file.data(), size - 4);
        for (int i = 0; i < 4; ++i) {
            file[size - 4 + static_cast<size_t>(i)] = static_cast<uint8_t>(crc >> (8 * i));
        }
    }
    const std::optional<vmouse::Memory> memory = vmouse::DeserializeMemory(file);
    if (!memory) {
        return 0;
    }
    FUZZ_CHECK(vmouse::SerializeMemory(*memory) == file);
    FUZZ_CHECK(!vmouse::DumpMemory(*memory).empty());

    vmouse::VirtualMouse mouse(*memory);
    for (int button = 0; button <= vmouse::kButtonCount + 1; ++button) {
        if (mouse.Press(button).memoryChanged) {
            const std::optional<vmouse::Memory> kept =
                vmouse::DeserializeMemory(vmouse::SerializeMemory(mouse.memory()));
            FUZZ_CHECK(kept && *kept == mouse.memory());
        }
    }
    for (const auto& slot : memory->slots) {
        vmouse::DescribeSlotEvents(slot);
    }
    return 0;
}
