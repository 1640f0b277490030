#include "hiddriver/control_command.h"

#include "hiddriver/memory_dump.h"

#include <cstdio>
#include <sstream>

namespace vmouse {

const char* const kUsage = "usage: mousectl <command>\n"
                           "  plug | unplug                  plug the virtual mouse in or pull it out\n"
                           "  event <command> <value>        report any event (numbers decimal or 0x hex, 0..0xFFFF)\n"
                           "  dpi <1..6>                     step to a DPI stage and report it\n"
                           "  rate <125|250|500|1000>        change the polling rate and report it\n"
                           "  profile <1..5>                 report a profile switch\n"
                           "  sensitivity <x 1..20> <y 1..20> report the sensitivity\n"
                           "  press <button 1..16>           carry out what the button table holds for the button\n"
                           "  dump                           print the mouse's memory\n";

namespace {

struct Verb {
    const char* name;
    CommandKind kind;
    int arguments;
};
constexpr Verb kVerbs[] = {
    {"plug", CommandKind::Plug, 0},
    {"unplug", CommandKind::Unplug, 0},
    {"event", CommandKind::Event, 2},
    {"dpi", CommandKind::Dpi, 1},
    {"rate", CommandKind::Rate, 1},
    {"profile", CommandKind::Profile, 1},
    {"sensitivity", CommandKind::Sensitivity, 2},
    {"press", CommandKind::Press, 1},
    {"dump", CommandKind::Dump, 0},
};

bool InRange(uint32_t v, uint32_t low, uint32_t high) {
    return v >= low && v <= high;
}

bool ArgumentsInRange(const Command& command) {
    switch (command.kind) {
    case CommandKind::Event:
        return InRange(command.first, 0, 0xFFFF) && InRange(command.second, 0, 0xFFFF);
    case CommandKind::Dpi:
        return InRange(command.first, 1, 6);
    case CommandKind::Rate:
        return command.first == 125 || command.first == 250 || command.first == 500 || command.first == 1000;
    case CommandKind::Profile:
        return InRange(command.first, 1, 5);
    case CommandKind::Sensitivity:
        return InRange(command.first, 1, 20) && InRange(command.second, 1, 20);
    case CommandKind::Press:
        return InRange(command.first, 1, kButtonCount);
    default:
        return true;
    }
}

} // namespace

std::optional<uint32_t> ParseNumber(const std::string& text) {
    size_t i = 0;
    unsigned base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        i = 2;
    }
    if (i >= text.size()) {
        return std::nullopt;
    }
    uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        unsigned digit;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = static_cast<unsigned>(c - 'A' + 10);
        } else {
            return std::nullopt;
        }
        value = value * base + digit;
        if (value > 0xFFFFFFFFull) {
            return std::nullopt;
        }
    }
    return static_cast<uint32_t>(value);
}

std::optional<Command> ParseCommand(const std::vector<std::string>& args, std::string& error) {
    if (args.empty()) {
        error = "no command given";
        return std::nullopt;
    }
    const Verb* verb = nullptr;
    for (const Verb& v : kVerbs) {
        if (args[0] == v.name) {
            verb = &v;
        }
    }
    if (!verb) {
        error = "unknown command \"" + args[0] + "\"";
        return std::nullopt;
    }
    if (static_cast<int>(args.size()) - 1 != verb->arguments) {
        error = "\"" + args[0] + "\" takes " + std::to_string(verb->arguments) + " argument(s)";
        return std::nullopt;
    }
    Command command;
    command.kind = verb->kind;
    uint32_t numbers[2] = {0, 0};
    for (int i = 0; i < verb->arguments; ++i) {
        auto n = ParseNumber(args[1 + i]);
        if (!n) {
            error = "\"" + args[1 + i] + "\" is not a number";
            return std::nullopt;
        }
        numbers[i] = *n;
    }
    command.first = numbers[0];
    command.second = numbers[1];
    if (!ArgumentsInRange(command)) {
        error = "\"" + args[0] + "\": argument out of range";
        return std::nullopt;
    }
    return command;
}

std::optional<Command> ParseCommandText(const std::string& text, std::string& error) {
    std::istringstream in(text);
    std::vector<std::string> words;
    std::string word;
    while (in >> word && words.size() < 4) {
        words.push_back(word);
    }
    return ParseCommand(words, error);
}

std::string FormatCommand(const Command& command) {
    for (const Verb& v : kVerbs) {
        if (v.kind != command.kind) {
            continue;
        }
        std::string text = v.name;
        char number[16];
        if (v.arguments >= 1) {
            std::snprintf(number, sizeof number, " 0x%X", command.first);
            text += number;
        }
        if (v.arguments >= 2) {
            std::snprintf(number, sizeof number, " 0x%X", command.second);
            text += number;
        }
        return text;
    }
    return {};
}

Outcome RunCommand(VirtualMouse& mouse, const Command& c, std::string& reply) {
    Outcome out;
    switch (c.kind) {
    case CommandKind::Plug:
        out = mouse.Plug(true);
        break;
    case CommandKind::Unplug:
        out = mouse.Plug(false);
        break;
    case CommandKind::Event:
        out = mouse.Event(c.first, c.second);
        break;
    case CommandKind::Dpi:
        out = mouse.SelectStage(static_cast<int>(c.first));
        break;
    case CommandKind::Rate:
        out = mouse.SetPollingRate(static_cast<int>(c.first));
        break;
    case CommandKind::Profile:
        out = mouse.SwitchProfile(static_cast<int>(c.first));
        break;
    case CommandKind::Sensitivity:
        out = mouse.SetSensitivity(static_cast<int>(c.first), static_cast<int>(c.second));
        break;
    case CommandKind::Press:
        out = mouse.Press(static_cast<int>(c.first));
        break;
    case CommandKind::Dump:
        out.ok = true;
        reply = DumpMemory(mouse.memory());
        return out;
    }
    reply.clear();
    for (const std::string& note : out.notes) {
        reply += note + "\n";
    }
    return out;
}

} // namespace vmouse
