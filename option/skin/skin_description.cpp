#include "option/skin/skin_description.h"

#include "common/text.h"

#include <cctype>
#include <string>

namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

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

void SetSkinFolder(std::string folder) { g_skinFolder = std::move(folder); }
const std::string& SkinFolder() { return g_skinFolder; }

IniText::IniText(std::string_view text) {
    Section* current = nullptr;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = TrimBlanks(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty()) {
            continue;
        }
        if (line.front() == '[') {
            std::size_t close = line.find(']');
            std::string_view name = TrimBlanks(line.substr(1, close == std::string_view::npos ? line.npos : close - 1));
            current = nullptr;
            for (auto& s : sections_) {
                if (EqualNoCase(s.name, name)) {
                    current = &s;
                    break;
                }
            }
            if (!current) {
                sections_.push_back({std::string(name), {}});
                current = &sections_.back();
            }
            continue;
        }
        std::size_t eq = line.find('=');
        if (!current || eq == std::string_view::npos) {
            continue;
        }
        std::string_view key = TrimBlanks(line.substr(0, eq));
        std::string_view value = TrimBlanks(line.substr(eq + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        bool known = false;
        for (auto& e : current->entries) {
            known = known || EqualNoCase(e.first, key);
        }
        if (!known) {
            current->entries.emplace_back(std::string(key), std::string(value.substr(0, kSkinValueMax)));
        }
    }
}

const IniText::Section* IniText::Find(std::string_view section) const {
    for (const auto& s : sections_) {
        if (EqualNoCase(s.name, section)) {
            return &s;
        }
    }
    return nullptr;
}

std::string IniText::Get(std::string_view section, std::string_view key) const {
    if (const Section* s = Find(section)) {
        for (const auto& e : s->entries) {
            if (EqualNoCase(e.first, key)) {
                return e.second;
            }
        }
    }
    return {};
}

bool IniText::HasSection(std::string_view section) const { return Find(section) != nullptr; }

std::vector<std::string> IniText::Keys(std::string_view section) const {
    std::vector<std::string> keys;
    if (const Section* s = Find(section)) {
        for (const auto& e : s->entries) {
            keys.push_back(e.first);
        }
    }
    return keys;
}

SkinValueReader IniText::Reader() const {
    return [this](const char* section, const char* key) { return Get(section, key); };
}
