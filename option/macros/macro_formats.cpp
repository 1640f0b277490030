#include "option/macros/macro_formats.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr const char* kSection = "Macros";

// The index a key names when it is written as "%d" of a non-negative int; -1 otherwise ("01", "+1", " 1").
long long RecordIndex(std::string_view key) {
    if (key.empty() || key.size() > 10 || (key.size() > 1 && key[0] == '0')) {
        return -1;
    }
    long long value = 0;
    for (char c : key) {
        if (c < '0' || c > '9') {
            return -1;
        }
        value = value * 10 + (c - '0');
    }
    return value <= INT32_MAX ? value : -1;
}

} // namespace

int ReadMacroLibrary(MacroLibrary& library, const IniDocument& file) {
    // "number" is not trusted: a file cut short, edited by hand or written by an older version may say too few (or
    // nothing), and the next save would then drop the records beyond it. Every record key that is there is read,
    // and the save writes "number" again from the library.
    const std::vector<IniDocument::Key> keys = file.Keys(kSection);
    std::vector<std::pair<long long, size_t>> order; // index, position in the file
    for (size_t at = 0; at < keys.size(); ++at) {
        const long long index = RecordIndex(keys[at].name);
        if (index >= 0) {
            order.emplace_back(index, at);
        }
    }
    std::sort(order.begin(), order.end());
    int skipped = 0;
    for (size_t i = 0; i < order.size(); ++i) {
        if (i > 0 && order[i].first == order[i - 1].first) {
            continue;
        }
        const std::optional<std::string_view>& value = keys[order[i].second].value;
        MacroRecord record;
        std::memset(&record, 0, sizeof record);
        if (!value || !DecodeStruct(*value, &record, sizeof record)) {
            ++skipped;
            continue;
        }
        AddLoadedMacro(library, record);
    }
    return skipped;
}

std::string MacroLibraryText(const MacroLibrary& library) {
    // Written into an empty file, every key is new and goes to the end of the one section, in the order written:
    // the text is composed straight away, without a look-up per key.
    std::string text = "[Macros]\r\nnumber=" + std::to_string(library.size()) + "\r\n";
    text.reserve(text.size() + library.size() * (2 * sizeof(MacroRecord) + 12));
    for (size_t i = 0; i < library.size(); ++i) {
        text += std::to_string(i);
        text += '=';
        AppendStruct(text, library[i].get(), sizeof(MacroRecord));
        text += "\r\n";
    }
    return text;
}

bool ReadMacroFile(const IniDocument& file, MacroRecord& record) {
    return file.GetStruct(kSection, "0", &record, sizeof record);
}

std::string MacroFileText(const MacroRecord& record) {
    IniDocument file;
    file.SetStruct(kSection, "0", &record, sizeof record);
    return file.Bytes();
}
