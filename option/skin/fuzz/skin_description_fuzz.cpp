// A skin description file of any bytes, read the way a skinned window reads it: the pictures of "SCREEN" and of the
// button page's "Screen", then every "BUTTONPOS" entry, by number and by the keys the file holds.
#include "common/text.h"
#include "option/skin/skin_description.h"
#include "testing/fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void CheckButtonPos(const ButtonPos& pos) {
    FUZZ_CHECK(pos.label.size() <= kButtonLabelMax);
    FUZZ_CHECK(pos.tooltip.size() <= kButtonTooltipMax);
    // Width and height are what the window's layout does arithmetic with: both must be defined for any file.
    volatile int width = pos.Width();
    volatile int height = pos.Height();
    (void)width;
    (void)height;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const IniText ini(text);
    const SkinValueReader read = ini.Reader();

    for (const char* section : {kScreenSection, "Screen", "screen"}) {
        const SkinScreen screen = ReadSkinScreen(read, section);
        for (const std::string* name : {&screen.mask, &screen.normal, &screen.over, &screen.down, &screen.disable}) {
            FUZZ_CHECK(name->size() <= kSkinValueMax);
            FUZZ_CHECK(name->find('\n') == std::string::npos);
            FUZZ_CHECK(SkinFilePath(SkinFolder(), *name).size() == SkinFolder().size() + name->size());
        }
    }
    for (int key = -1; key <= 40; ++key) {
        CheckButtonPos(ReadButtonPos(read, key));
    }

    // Every key the section lists reads back as a value, and no name appears twice (the first one wins).
    for (const char* section : {kButtonPosSection, kScreenSection}) {
        const auto keys = ini.Keys(section);
        FUZZ_CHECK(keys.empty() || ini.HasSection(section));
        for (std::size_t i = 0; i < keys.size(); ++i) {
            FUZZ_CHECK(keys[i].find('\n') == std::string::npos);
            for (std::size_t j = 0; j < i; ++j) {
                FUZZ_CHECK(!EqualIgnoringCase(keys[i], keys[j]));
            }
            const std::string value = ini.Get(section, keys[i]);
            FUZZ_CHECK(value.size() <= kSkinValueMax);
            FUZZ_CHECK(value.find('\n') == std::string::npos);
            if (section == kButtonPosSection) {
                CheckButtonPos(ParseButtonPos(value));
            }
        }
    }

    // The folder of a program path of any text ends with a separator, or is empty for an empty path.
    const std::string folder = FolderOfProgram(text.substr(0, 600));
    FUZZ_CHECK(folder.empty() == text.empty());
    FUZZ_CHECK(folder.empty() || folder.back() == '\\');
    return 0;
}
