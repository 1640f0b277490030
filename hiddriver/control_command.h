#pragma once
// The commands of mousectl.exe. mousectl parses its command line with ParseCommand and sends the command's canonical
// text to the virtual mouse, which parses it again (it comes from another program) and runs it on its memory.

#include "hiddriver/virtual_mouse.h"

#include <optional>
#include <string>
#include <vector>

namespace vmouse {

enum class CommandKind { Plug, Unplug, Event, Dpi, Rate, Profile, Sensitivity, Press, Dump };

struct Command {
    CommandKind kind = CommandKind::Dump;
    uint32_t first = 0;
    uint32_t second = 0;
    bool operator==(const Command&) const = default;
};

// Arguments after the program name. On failure, error says what is wrong.
std::optional<Command> ParseCommand(const std::vector<std::string>& args, std::string& error);
// The same command as one line of words ("event 0x7000 0x1").
std::optional<Command> ParseCommandText(const std::string& text, std::string& error);
std::string FormatCommand(const Command& command);

// Decimal, or hexadecimal with 0x; at most 0xFFFFFFFF.
std::optional<uint32_t> ParseNumber(const std::string& text);

extern const char* const kUsage;

// Runs a command on the mouse; reply gets what mousectl prints (the dump, or what happened).
Outcome RunCommand(VirtualMouse& mouse, const Command& command, std::string& reply);

} // namespace vmouse
