// The host's golden apply-all transfer lists, replayed into the mouse: every transfer must be taken and land where the
// host meant it. The lists are the host encoder's own (written independently of this model), so a disagreement
// between the two shows here first.
#include "hiddriver/memory_dump.h"
#include "hiddriver/virtual_mouse.h"
#include "testing/golden.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

using namespace vmouse;

namespace {

struct Replay {
    bool read = false;
    int transfers = 0;
    std::vector<std::string> complaints; // notes other than the mouse's "written" confirmations
};

Replay ReplayGolden(VirtualMouse& mouse, const std::string& name) {
    Replay replay;
    std::istringstream in(SourceFileText("monitor/device/tests/golden/" + name));
    replay.read = !in.str().empty();
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string kind;
        words >> kind;
        if (kind != "SET" && kind != "WRITE") {
            continue;
        }
        std::vector<uint8_t> bytes;
        std::string pair;
        while (words >> pair) {
            bytes.push_back(static_cast<uint8_t>(std::stoul(pair, nullptr, 16)));
        }
        const Outcome out =
            kind == "SET" ? mouse.SetFeature(bytes.data(), bytes.size()) : mouse.WriteBlock(bytes.data(), bytes.size());
        ++replay.transfers;
        if (!out.ok) {
            replay.complaints.push_back(line + ": refused");
        }
        for (const std::string& note : out.notes) {
            if (note.find(" written") == std::string::npos) {
                replay.complaints.push_back(line + ": " + note);
            }
        }
    }
    return replay;
}

} // namespace

TEST(HostGoldenReplay, DefaultProfileIsTakenWhole) {
    VirtualMouse mouse;
    const Replay replay = ReplayGolden(mouse, "apply_all_default.txt");
    ASSERT_TRUE(replay.read) << "golden list not found under KORVANE_SOURCE_DIR";
    EXPECT_EQ(6 + 4 * 3, replay.transfers); // five commands and the stage block, then four pages
    EXPECT_TRUE(replay.complaints.empty()) << ::testing::PrintToString(replay.complaints);
    const Memory& m = mouse.memory();
    EXPECT_EQ(2, m.pollingInterval);
    EXPECT_EQ(2, m.selectedStage);
    const std::string dump = DumpMemory(m);
    EXPECT_NE(std::string::npos, dump.find("  stage 6: 7250 DPI, enabled (47)\n")) << dump;
    EXPECT_NE(std::string::npos, dump.find("  (none used)\n")) << dump;
}

TEST(HostGoldenReplay, MixedProfileLandsInButtonsAndSlots) {
    VirtualMouse mouse;
    const Replay replay = ReplayGolden(mouse, "apply_all_mixed.txt");
    ASSERT_TRUE(replay.read);
    EXPECT_TRUE(replay.complaints.empty()) << ::testing::PrintToString(replay.complaints);
    const std::string dump = DumpMemory(mouse.memory());
    for (const char* line : {"Polling rate: 1000 Hz (interval 1 ms)\n", "Lighting: mode 2, value 1 = 49, value 2 = 4\n",
                             "  stage 3: 1500 DPI, disabled (86)\n", "  stage 4: 3000 DPI, enabled (26) <- selected\n",
                             "  entry 04: 06 00 00 05  launch the program of entry 4 (reports 6005)\n",
                             "  entry 05: 00 06 04 00  key Ctrl+Alt+A (modifiers 06, usage 04)\n",
                             "  slot 1: repeat 1, 4 events, used by entry 08\n",
                             "  slot 2: repeat 3, 4 events, used by entry 09\n", "    release A (04), 2000 ms\n",
                             "    release B (05), 12750 ms\n", "  slot 3: repeat 1, 6 events, used by entry 40\n"}) {
        EXPECT_NE(std::string::npos, dump.find(line)) << line << dump;
    }
}
