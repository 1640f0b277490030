#pragma once
// The skin folder and the skin description files. A window reads its pictures from section "SCREEN" ("Screen" for
// the button page; names match without regard to case) and its controls from "BUTTONPOS".

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "common/ini_document.h"
#include "option/skin/button_pos.h"

inline constexpr char kScreenSection[] = "SCREEN";
inline constexpr char kButtonPosSection[] = "BUTTONPOS";
// The private-profile reader's buffer: values are cut to 2047 characters.
inline constexpr std::size_t kSkinValueMax = 2047;

// The pictures of one window, as named in its description file (bare names relative to the skin folder).
struct SkinScreen {
    std::string mask;
    std::string normal;
    std::string over;
    std::string down;
    std::string disable;
};

// Reads a value (section, key) or "" when missing. The Windows side passes the private-profile reader; the picture
// tool and tests pass an IniText.
using SkinValueReader = std::function<std::string(const char* section, const char* key)>;

SkinScreen ReadSkinScreen(const SkinValueReader& read, const char* section = kScreenSection);
ButtonPos ReadButtonPos(const SkinValueReader& read, int key);

// Skin folder + name, joined as they are: names in description files carry no leading separator.
std::string SkinFilePath(std::string_view folder, std::string_view name);

// The folder of a program file ("C:\\dir\\prog.exe" -> "C:\\dir\\"), always with a trailing backslash; "" for "".
std::string FolderOfProgram(std::string_view modulePath);

// The process-wide skin folder, set once before the first skinned window is created.
void SetSkinFolder(std::string folder);
const std::string& SkinFolder();

// A skin description file parsed from its text by the rules of the platform's private-profile reader, the same
// reader the programs' files use: the picture tool then lays a skin out exactly as the program reads it.
class IniText {
public:
    explicit IniText(std::string_view text);
    std::string Get(std::string_view section, std::string_view key) const;
    bool HasSection(std::string_view section) const;
    // The keys of the section that have a value, in file order, each name once.
    std::vector<std::string> Keys(std::string_view section) const;
    SkinValueReader Reader() const;

private:
    IniDocument document_;
};
