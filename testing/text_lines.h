#pragma once
// Texts that tests compare line by line: logs, dumps, transfer lists.

#include <string>
#include <string_view>
#include <vector>

// The lines of the text without their line ends (LF or CR LF); a last line without an end counts, an empty text
// has no lines.
std::vector<std::string> SplitLines(std::string_view text);
