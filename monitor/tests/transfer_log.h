#pragma once
// The virtual mouse's transfer log as the end-to-end tests read it, and what an apply-all should leave in it.

#include "monitor/device/device_commands.h"
#include "testing/text_lines.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace e2e {

// "01 02 0A" for those bytes.
inline std::string Hex(const std::vector<uint8_t>& bytes) {
    std::string text;
    char pair[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(pair, sizeof pair, i == 0 ? "%02X" : " %02X", bytes[i]);
        text += pair;
    }
    return text;
}

// A SET or WRITE line of the log: its time stamp (ms since the report interface opened) and "SET hex" / "WRITE hex".
struct LoggedTransfer {
    long ms = 0;
    std::string text;
};

// The SET and WRITE lines of the transfer log from the first line at or after `from`.
inline std::vector<LoggedTransfer> TimedTransfers(const std::string& log, size_t from = 0) {
    std::vector<LoggedTransfer> lines;
    const std::string_view tail = from < log.size() ? std::string_view(log).substr(from) : std::string_view();
    for (const std::string& line : SplitLines(tail)) {
        const size_t space = line.find(' ');
        if (space == std::string::npos || line[0] == '#') {
            continue;
        }
        const std::string rest = line.substr(space + 1);
        if (rest.rfind("SET ", 0) == 0 || rest.rfind("WRITE ", 0) == 0) {
            lines.push_back({std::strtol(line.c_str(), nullptr, 10), rest});
        }
    }
    return lines;
}

inline std::vector<std::string> SentTransfers(const std::string& log, size_t from = 0) {
    std::vector<std::string> texts;
    for (const LoggedTransfer& t : TimedTransfers(log, from)) {
        texts.push_back(t.text);
    }
    return texts;
}

// The SET and WRITE lines an apply-all of the data sends, each with the protocol's pause before it.
struct ExpectedTransfer {
    std::string text;
    int pauseBeforeMs = 0;
};

inline std::vector<ExpectedTransfer> ExpectedApplyAll(const ShareData& data) {
    std::vector<ExpectedTransfer> expected;
    int pause = 0;
    for (const Transfer& t : BuildApplyAll(data)) {
        if (t.kind == TransferKind::Pause) {
            pause += t.ms;
        } else if (t.kind == TransferKind::Set || t.kind == TransferKind::Write) {
            expected.push_back({std::string(t.kind == TransferKind::Set ? "SET " : "WRITE ") + Hex(t.bytes), pause});
            pause = 0;
        }
    }
    return expected;
}

// The same from a golden transfer list (monitor/device/tests/golden): "SET hex", "WRITE hex" and "PAUSE ms" lines,
// '#' comments.
inline std::vector<ExpectedTransfer> ExpectedFromGolden(const std::string& golden) {
    std::vector<ExpectedTransfer> expected;
    int pause = 0;
    for (const std::string& line : SplitLines(golden)) {
        if (line.rfind("PAUSE ", 0) == 0) {
            pause += std::atoi(line.c_str() + 6);
        } else if (line.rfind("SET ", 0) == 0 || line.rfind("WRITE ", 0) == 0) {
            expected.push_back({line, pause});
            pause = 0;
        }
    }
    return expected;
}

inline std::vector<std::string> Texts(const std::vector<ExpectedTransfer>& transfers) {
    std::vector<std::string> texts;
    for (const ExpectedTransfer& t : transfers) {
        texts.push_back(t.text);
    }
    return texts;
}

} // namespace e2e
