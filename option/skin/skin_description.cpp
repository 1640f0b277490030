#include "option/skin/skin_description.h"

#include "common/text.h"

#include <algorithm>
#include <string>

namespace {

std::string g_skinFolder;

} // namespace

SkinScreen ReadSkinScreen(const SkinValueReader& read, const char* section) {
    SkinScreen s;
    s.mask = read(section, "Mask");
    s.normal = read(section, "Normal");
    s.over = read(section, "Over");
    s.down = read(section, "Down");
    s.disable = read(section, "Disable");
    return s;
}

ButtonPos ReadButtonPos(const SkinValueReader& read, int key) {
    return ParseButtonPos(read(kButtonPosSection, std::to_string(key).c_str()));
}

std::string SkinFilePath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    path += name;
    return path;
}

std::string FolderOfProgram(std::string_view modulePath) {
    std::size_t cut = modulePath.find_last_of("\\/:");
    if (cut == std::string_view::npos) {
        return modulePath.empty() ? std::string() : std::string(".\\");
    }
    std::string folder(modulePath.substr(0, cut + 1));
    if (folder.back() == ':') {
        folder += '\\';
    } else if (folder.back() == '/') {
        folder.back() = '\\';
    }
    return folder;
}

void SetSkinFolder(std::string folder) {
    g_skinFolder = std::move(folder);
}
const std::string& SkinFolder() {
    return g_skinFolder;
}

IniText::IniText(std::string_view text) : document_(std::string(text)) {}

std::string IniText::Get(std::string_view section, std::string_view key) const {
    return document_.GetString(section, key);
}

bool IniText::HasSection(std::string_view section) const {
    return document_.HasSection(section);
}

std::vector<std::string> IniText::Keys(std::string_view section) const {
    std::vector<std::string> keys;
    for (const IniDocument::Key& key : document_.Keys(section)) {
        const bool seen =
            std::any_of(keys.begin(), keys.end(), [&](const std::string& k) { return EqualIgnoringCase(k, key.name); });
        if (!seen && document_.Value(section, key.name)) {
            keys.emplace_back(key.name);
        }
    }
    return keys;
}

SkinValueReader IniText::Reader() const {
    return [this](const char* section, const char* key) { return Get(section, key); };
}
