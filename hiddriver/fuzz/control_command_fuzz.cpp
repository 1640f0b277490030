// What reaches the virtual mouse from other programs, one item per line: the host's transfers ("SET", "WRITE" or
// "GET" and hex pairs of any length, as in a transfer log) and control command lines (from mousectl, or anything that
// finds the control window). A command that parses prints as a line that parses to the same command; whatever
// arrives, in any order, the mouse holds only memory that its file can hold.
#include "hiddriver/control_command.h"
#include "hiddriver/virtual_mouse.h"
#include "testing/fuzz_check.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// The bytes of the hex pairs in a text; anything else between them is passed over.
std::vector<uint8_t> HexBytes(std::string_view text) {
    std::vector<uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
        if (high >= 0 && low >= 0) {
            bytes.push_back(static_cast<uint8_t>(high << 4 | low));
            ++i;
        }
    }
    return bytes;
}

// What the virtual mouse persists when an operation says its memory changed must load again as the same memory.
void CheckMemory(const vmouse::VirtualMouse& mouse) {
    const std::optional<vmouse::Memory> kept = vmouse::DeserializeMemory(vmouse::SerializeMemory(mouse.memory()));
    FUZZ_CHECK(kept && *kept == mouse.memory());
}

bool RunControlLine(vmouse::VirtualMouse& mouse, const std::string& line) {
    std::string error;
    const std::optional<vmouse::Command> command = vmouse::ParseCommandText(line, error);
    FUZZ_CHECK(command.has_value() == error.empty());
    if (!command) {
        return false;
    }
    const std::string canonical = vmouse::FormatCommand(*command);
    std::string again;
    const std::optional<vmouse::Command> reparsed = vmouse::ParseCommandText(canonical, again);
    FUZZ_CHECK(reparsed && *reparsed == *command);
    std::string reply;
    return vmouse::RunCommand(mouse, *command, reply).memoryChanged;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    vmouse::VirtualMouse mouse;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string line(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);

        bool changed = false;
        const std::size_t set = line.find("SET");
        const std::size_t write = line.find("WRITE");
        if (line.find("GET") != std::string::npos && set == std::string::npos) {
            std::array<uint8_t, 8> answer{};
            const vmouse::Outcome got = mouse.GetFeature(answer);
            changed = got.memoryChanged;
            FUZZ_CHECK(!got.ok || (answer[0] == 0x8B && answer[1] >= 1 && answer[1] <= vmouse::kStageCount));
        } else if (set != std::string::npos || write != std::string::npos) {
            const std::vector<uint8_t> bytes = HexBytes(std::string_view(line).substr(std::min(set, write) + 3));
            const uint8_t* first = bytes.empty() ? nullptr : bytes.data();
            const vmouse::Outcome out = set != std::string::npos ? mouse.SetFeature(first, bytes.size())
                                                                 : mouse.WriteBlock(first, bytes.size());
            FUZZ_CHECK(!out.ok || !bytes.empty());
            changed = out.memoryChanged;
        } else {
            changed = RunControlLine(mouse, line);
        }
        if (changed) {
            CheckMemory(mouse);
        }
    }
    CheckMemory(mouse);
    return 0;
}
