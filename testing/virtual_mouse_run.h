#pragma once
// Running the virtual mouse (bin/hiddriver.dll and mousectl.exe) from a private copy in a temporary folder, so that
// its "virtual-mouse.dat" and "virtual-mouse.log" are this run's alone. Used by the end-to-end tests and the
// benchmark.

#include "testing/files.h"
#include "testing/process.h"
#include "testing/temp_folder.h"
#include "testing/text_lines.h"

#include <string>
#include <vector>

// The transfer lines of the virtual mouse's log without their time stamps; the '#' lines left out.
inline std::vector<std::string> LoggedTransfers(const std::string& log) {
    std::vector<std::string> out;
    for (const std::string& line : SplitLines(log)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const size_t space = line.find(' ');
        out.push_back(space == std::string::npos ? line : line.substr(space + 1));
    }
    return out;
}
