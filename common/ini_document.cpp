#include "common/ini_document.h"

#include "common/text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// The platform trims these around lines, names and values. ^Z is the end-of-file mark of old editors.
bool IsBlank(unsigned char c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x1A;
}

uint64_t FoldHash(std::string_view text) {
    uint64_t hash = 14695981039346656037ull;
    for (char c : text) {
        hash = (hash ^ FoldCase(static_cast<unsigned char>(c))) * 1099511628211ull;
    }
    return hash;
}

// A name or value stops at a NUL byte, as the platform's strings do.
std::string_view UpToNul(std::string_view text);

std::string_view TrimLeft(std::string_view text) {
    size_t begin = 0;
    while (begin < text.size() && IsBlank(static_cast<unsigned char>(text[begin]))) {
        ++begin;
    }
    return text.substr(begin);
}

std::string_view Trim(std::string_view text) {
    text = TrimLeft(text);
    size_t end = text.size();
    while (end > 0 && IsBlank(static_cast<unsigned char>(text[end - 1]))) {
        --end;
    }
    return text.substr(0, end);
}

// What the platform copies into a buffer of bufferSize characters: a value in matching quotes loses them, and the
// copy is cut to bufferSize - 1. The platform strips the closing quote by dropping the last character copied, so
// a quoted value that just fills the buffer loses one character more; that is kept.
std::string_view CopyEntry(std::string_view value, size_t bufferSize) {
    if (bufferSize == 0) {
        return {};
    }
    bool quoted = false;
    if (value.size() >= 2 && (value[0] == '\'' || value[0] == '"') && value.back() == value[0]) {
        quoted = true;
        value.remove_prefix(1);
    }
    std::string_view copied = value.substr(0, std::min(value.size(), bufferSize - 1));
    if (quoted && bufferSize >= value.size() && !copied.empty()) {
        copied.remove_suffix(1);
    }
    return copied;
}

// The value of each byte as a hexadecimal digit, 0xFF for a byte that is none.
struct HexTable {
    unsigned char value[256];
    constexpr HexTable() : value() {
        for (int c = 0; c < 256; ++c) {
            value[c] = c >= '0' && c <= '9'   ? static_cast<unsigned char>(c - '0')
                       : c >= 'A' && c <= 'F' ? static_cast<unsigned char>(c - 'A' + 10)
                       : c >= 'a' && c <= 'f' ? static_cast<unsigned char>(c - 'a' + 10)
                                              : 0xFF;
        }
    }
};
constexpr HexTable kHex;

// A UTF-16 file as single bytes: what the platform's reader makes of it for the characters that have one.
std::string NarrowUtf16(std::string_view bytes, bool bigEndian) {
    std::string narrow;
    narrow.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned lo = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
        const unsigned hi = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
        narrow += hi == 0 ? static_cast<char>(lo) : '?';
    }
    return narrow;
}

// True when one of the eight bytes of word is zero.
constexpr bool HasZeroByte(uint64_t word) {
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    constexpr uint64_t kHighs = 0x8080808080808080ull;
    return ((word - kOnes) & ~word & kHighs) != 0;
}

// The first byte a or b in [begin, begin + length), or length. Eight bytes at a time: the C runtime's memchr of the
// platform looks at one byte at a time, and the files are megabytes of long lines.
size_t FindEither(const char* begin, size_t length, char a, char b) {
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    const uint64_t patternA = kOnes * static_cast<unsigned char>(a);
    const uint64_t patternB = kOnes * static_cast<unsigned char>(b);
    size_t i = 0;
    for (; i + 8 <= length; i += 8) {
        uint64_t word;
        std::memcpy(&word, begin + i, 8);
        if (HasZeroByte(word ^ patternA) || HasZeroByte(word ^ patternB)) {
            break;
        }
    }
    for (; i < length; ++i) {
        if (begin[i] == a || begin[i] == b) {
            return i;
        }
    }
    return length;
}

size_t FindByte(const char* begin, size_t length, char c) {
    return FindEither(begin, length, c, c);
}

// Where the line that starts at start ends: at the first CR or LF, or at the end of the text.
size_t LineEnd(std::string_view text, size_t start) {
    return start + FindEither(text.data() + start, text.size() - start, '\n', '\r');
}

// A value stays on its line and ends where the platform's string would.
std::string_view OneLine(std::string_view value) {
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\r' || value[i] == '\n' || value[i] == '\0') {
            return value.substr(0, i);
        }
    }
    return value;
}

std::string_view UpToNul(std::string_view text) {
    return text.substr(0, FindByte(text.data(), text.size(), '\0'));
}

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The file's text without its byte-order mark, a UTF-16 file as single bytes; utf8Mark tells whether a UTF-8 mark
// was dropped.
std::string TextOfFile(std::string bytes, bool& utf8Mark) {
    if (bytes.size() >= 3 && std::string_view(bytes).substr(0, 3) == kUtf8Mark) {
        utf8Mark = true;
        return bytes.substr(3);
    }
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        return NarrowUtf16(std::string_view(bytes).substr(2), false);
    }
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE &&
        static_cast<unsigned char>(bytes[1]) == 0xFF) {
        return NarrowUtf16(std::string_view(bytes).substr(2), true);
    }
    return bytes;
}

} // namespace

struct IniDocument::Entry {
    std::string_view name;  // up to its NUL, without blanks around it
    std::string_view value; // likewise; meaningful when hasValue
    bool hasValue = false;
};

// The first entry of each name of a section: open addressing over entry numbers, at most half full.
class IniDocument::KeyIndex {
public:
    void Reserve(const std::vector<Entry>& entries, size_t count) {
        while (2 * count > slots_.size()) {
            Grow(entries);
        }
    }
    // Adds entry number n named name unless an earlier entry has that name.
    void Add(const std::vector<Entry>& entries, size_t n) {
        if (2 * (count_ + 1) > slots_.size()) {
            Grow(entries);
        }
        Insert(entries, n);
    }
    size_t Find(const std::vector<Entry>& entries, std::string_view name) const {
        if (slots_.empty()) {
            return kNone;
        }
        const size_t mask = slots_.size() - 1;
        for (size_t i = FoldHash(name) & mask;; i = (i + 1) & mask) {
            if (slots_[i] == 0) {
                return kNone;
            }
            if (EqualIgnoringCase(entries[slots_[i] - 1].name, name)) {
                return slots_[i] - 1;
            }
        }
    }

private:
    void Insert(const std::vector<Entry>& entries, size_t n) {
        const size_t mask = slots_.size() - 1;
        for (size_t i = FoldHash(entries[n].name) & mask;; i = (i + 1) & mask) {
            if (slots_[i] == 0) {
                slots_[i] = static_cast<uint32_t>(n + 1);
                ++count_;
                return;
            }
            if (EqualIgnoringCase(entries[slots_[i] - 1].name, entries[n].name)) {
                return;
            }
        }
    }
    void Grow(const std::vector<Entry>& entries) {
        std::vector<uint32_t> old(std::max<size_t>(16, 2 * slots_.size()), 0);
        old.swap(slots_);
        count_ = 0;
        for (uint32_t slot : old) {
            if (slot != 0) {
                Insert(entries, slot - 1);
            }
        }
    }

    std::vector<uint32_t> slots_; // entry number + 1; 0 is free
    size_t count_ = 0;
};

struct IniDocument::Section {
    std::string_view name;
    std::vector<Entry> entries;
    // Built on the first look-up.
    mutable std::unique_ptr<KeyIndex> index;
};

struct IniDocument::State {
    std::string text;                                // the file's bytes; the views of the entries point into it
    std::vector<std::unique_ptr<std::string>> owned; // names and values given by Set
    std::vector<Section> sections;                   // sections[0] holds the keys before the first "[name]"
    // The value last set, when it ends in blanks: the platform reads the file back before its next write, and the
    // blanks are gone then.
    size_t blankSection = kNone;
    size_t blankEntry = kNone;
    bool utf8Mark = false;
    bool cut = false;
    // The last section looked up: the readers ask for the same one many times in a row.
    mutable std::string lastName;
    mutable size_t lastSection = 0;
    mutable bool lastValid = false;
};

IniDocument::IniDocument() : state_(std::make_unique<State>()) {
    state_->sections.emplace_back();
}

IniDocument::IniDocument(std::string bytes, size_t maxLines) : IniDocument() {
    State& s = *state_;
    s.text = TextOfFile(std::move(bytes), s.utf8Mark);

    const std::string_view text = s.text;
    // Most files hold no NUL byte; then no name or value needs to be searched for one.
    const bool hasNul = FindByte(text.data(), text.size(), '\0') != text.size();
    auto cut = [hasNul](std::string_view part) { return hasNul ? UpToNul(part) : part; };
    Section* section = &s.sections.back();
    // The platform keeps a key without a name only when the key before it in the section had one.
    bool previousNamed = true;
    size_t lines = 0;
    size_t next = 0;
    while (next < text.size()) {
        const size_t start = next;
        next = LineEnd(text, start);
        const std::string_view line = Trim(text.substr(start, next - start));
        while (next < text.size() && (text[next] == '\n' || text[next] == '\r')) {
            ++next;
        }
        if (line.empty()) {
            continue;
        }
        if (lines == maxLines) {
            s.cut = true;
            break;
        }
        ++lines;
        if (line[0] == '[') {
            const size_t close = line.rfind(']');
            if (close != std::string_view::npos) {
                s.sections.emplace_back();
                section = &s.sections.back();
                section->name = cut(Trim(line.substr(1, close - 1)));
                previousNamed = true;
                continue;
            }
        }
        Entry entry;
        std::string_view name = line;
        const size_t equals = FindByte(line.data(), line.size(), '=');
        if (equals != line.size()) {
            name = Trim(line.substr(0, equals));
            entry.value = cut(TrimLeft(line.substr(equals + 1)));
            entry.hasValue = true;
        }
        if (name.empty() && !previousNamed) {
            continue;
        }
        entry.name = cut(name);
        previousNamed = !entry.name.empty();
        section->entries.push_back(entry);
    }
}

IniDocument::~IniDocument() = default;

bool IniDocument::Cut() const {
    return state_->cut;
}
IniDocument::IniDocument(IniDocument&&) noexcept = default;
IniDocument& IniDocument::operator=(IniDocument&&) noexcept = default;

size_t IniDocument::FindSection(std::string_view name) const {
    const State& s = *state_;
    if (s.lastValid && s.lastName == name) {
        return s.lastSection;
    }
    s.lastName.assign(name);
    s.lastSection = kNone;
    s.lastValid = true;
    for (size_t i = 0; i < s.sections.size(); ++i) {
        if (EqualIgnoringCase(s.sections[i].name, name)) {
            s.lastSection = i;
            break;
        }
    }
    return s.lastSection;
}

size_t IniDocument::FindEntry(size_t section, std::string_view key) const {
    const Section& found = state_->sections[section];
    if (!found.index) {
        found.index = std::make_unique<KeyIndex>();
        found.index->Reserve(found.entries, found.entries.size());
        for (size_t i = 0; i < found.entries.size(); ++i) {
            found.index->Add(found.entries, i);
        }
    }
    return found.index->Find(found.entries, key);
}

bool IniDocument::HasSection(std::string_view section) const {
    return FindSection(section) != kNone;
}

std::optional<std::string_view> IniDocument::Value(std::string_view section, std::string_view key) const {
    const size_t found = FindSection(section);
    if (found == kNone) {
        return std::nullopt;
    }
    const size_t entry = FindEntry(found, key);
    if (entry == kNone || !state_->sections[found].entries[entry].hasValue) {
        return std::nullopt;
    }
    return state_->sections[found].entries[entry].value;
}

std::string IniDocument::GetString(std::string_view section, std::string_view key, size_t bufferSize) const {
    const auto value = Value(section, key);
    return value ? std::string(CopyEntry(*value, bufferSize)) : std::string();
}

int IniDocument::GetInt(std::string_view section, std::string_view key, int defaultValue) const {
    const auto value = Value(section, key);
    if (!value) {
        return defaultValue;
    }
    // The platform reads the number through a buffer of 30 characters.
    const std::string_view text = CopyEntry(*value, 30);
    return text.empty() ? defaultValue : IniTextToInt(text);
}

bool IniDocument::HasKey(std::string_view section, std::string_view key) const {
    const auto value = Value(section, key);
    return value && !CopyEntry(*value, kStringBufferSize).empty();
}

bool IniDocument::GetStruct(std::string_view section, std::string_view key, void* buffer, size_t size) const {
    const auto value = Value(section, key);
    return value && DecodeStruct(*value, buffer, size);
}

std::vector<IniDocument::Key> IniDocument::Keys(std::string_view section) const {
    std::vector<Key> keys;
    const size_t found = FindSection(section);
    if (found != kNone) {
        const Section& s = state_->sections[found];
        keys.reserve(s.entries.size());
        for (const Entry& entry : s.entries) {
            keys.push_back({entry.name, entry.hasValue ? std::optional<std::string_view>(entry.value) : std::nullopt});
        }
    }
    return keys;
}

std::vector<std::string_view> IniDocument::Sections() const {
    std::vector<std::string_view> names;
    names.reserve(state_->sections.size());
    for (const Section& section : state_->sections) {
        names.push_back(section.name);
    }
    return names;
}

std::string_view IniDocument::Own(std::string text) {
    state_->owned.push_back(std::make_unique<std::string>(std::move(text)));
    return *state_->owned.back();
}

void IniDocument::SetString(std::string_view section, std::string_view key, std::string_view value) {
    Set(section, key, std::string(OneLine(TrimLeft(value))));
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string value) {
    // Each write of the platform reads the file as its previous write left it: after the first change, the lines are
    // what a reader makes of the rebuilt file (a section "[]" joins the one before it, and so on).
    if (changed_ && !reread_) {
        IniDocument again(Bytes());
        state_ = std::move(again.state_);
        reread_ = true;
    }
    section = UpToNul(TrimLeft(section));
    key = UpToNul(Trim(key));
    State& s = *state_;
    size_t found = FindSection(section);
    if (found == kNone) {
        s.sections.emplace_back();
        s.sections.back().name = Own(std::string(section));
        s.lastValid = false;
        found = s.sections.size() - 1;
    }
    const size_t index = FindEntry(found, key);
    if (index != kNone) {
        const Entry& entry = s.sections[found].entries[index];
        std::string_view current = entry.value;
        if (found == s.blankSection && index == s.blankEntry) {
            current = Trim(current);
        }
        if (entry.hasValue && current == value) {
            return;
        }
    }
    if (s.blankSection != kNone) {
        Entry& blank = s.sections[s.blankSection].entries[s.blankEntry];
        blank.value = Trim(blank.value);
        s.blankSection = s.blankEntry = kNone;
    }
    Section& target = s.sections[found];
    size_t changedEntry = index;
    if (index != kNone) {
        target.entries[index].value = Own(std::move(value));
        target.entries[index].hasValue = true;
    } else {
        Entry added;
        added.name = Own(std::string(key));
        added.value = Own(std::move(value));
        added.hasValue = true;
        target.entries.push_back(added);
        changedEntry = target.entries.size() - 1;
        target.index->Add(target.entries, changedEntry);
    }
    const std::string_view stored = target.entries[changedEntry].value;
    if (!stored.empty() && IsBlank(static_cast<unsigned char>(stored.back()))) {
        s.blankSection = found;
        s.blankEntry = changedEntry;
    }
    changed_ = true;
}

void IniDocument::SetInt(std::string_view section, std::string_view key, int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    Set(section, key, text);
}

void IniDocument::SetStruct(std::string_view section, std::string_view key, const void* data, size_t size) {
    Set(section, key, EncodeStruct(data, size));
}

std::string IniDocument::Bytes() const {
    const State& s = *state_;
    size_t size = s.utf8Mark ? kUtf8Mark.size() : 0;
    for (const Section& section : s.sections) {
        size += section.name.size() + 4;
        for (const Entry& entry : section.entries) {
            size += entry.name.size() + entry.value.size() + 3;
        }
    }
    std::string bytes;
    bytes.reserve(size);
    if (s.utf8Mark) {
        bytes += kUtf8Mark;
    }
    for (const Section& section : s.sections) {
        if (!section.name.empty()) {
            bytes += '[';
            bytes += section.name;
            bytes += "]\r\n";
        }
        for (const Entry& entry : section.entries) {
            bytes += entry.name;
            if (entry.hasValue) {
                bytes += '=';
                bytes += entry.value;
            }
            bytes += "\r\n";
        }
    }
    return bytes;
}

void AppendStruct(std::string& text, const void* data, size_t size) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const auto* bytes = static_cast<const unsigned char*>(data);
    const size_t at = text.size();
    text.resize(at + 2 * size + 2);
    char* out = text.data() + at;
    unsigned sum = 0;
    for (size_t i = 0; i < size; ++i) {
        out[2 * i] = kDigits[bytes[i] >> 4];
        out[2 * i + 1] = kDigits[bytes[i] & 0x0F];
        sum += bytes[i];
    }
    out[2 * size] = kDigits[(sum >> 4) & 0x0F];
    out[2 * size + 1] = kDigits[sum & 0x0F];
}

std::string EncodeStruct(const void* data, size_t size) {
    std::string text;
    AppendStruct(text, data, size);
    return text;
}

bool DecodeStruct(std::string_view text, void* buffer, size_t size) {
    if (!buffer || size == 0 || text.size() != 2 * size + 2) {
        return false;
    }
    // Decoded apart first: a damaged value must leave the caller's bytes as they were.
    unsigned char local[1024];
    std::vector<unsigned char> large;
    unsigned char* bytes = local;
    if (size > sizeof local) {
        large.resize(size);
        bytes = large.data();
    }
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    unsigned invalid = 0;
    unsigned sum = 0;
    for (size_t i = 0; i < size; ++i, in += 2) {
        const unsigned high = kHex.value[in[0]];
        const unsigned low = kHex.value[in[1]];
        invalid |= high | low;
        const unsigned byte = (high << 4) | low;
        bytes[i] = static_cast<unsigned char>(byte);
        sum += byte;
    }
    const unsigned high = kHex.value[in[0]];
    const unsigned low = kHex.value[in[1]];
    if (((invalid | high | low) & 0xF0) != 0 || ((sum ^ ((high << 4) | low)) & 0xFF) != 0) {
        return false;
    }
    std::memcpy(buffer, bytes, size);
    return true;
}

int IniTextToInt(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ') {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    uint32_t base = 10;
    if (text.size() - i >= 2 && text[i] == '0') {
        if (text[i + 1] == 'x') {
            base = 16;
        } else if (text[i + 1] == 'o') {
            base = 8;
        } else if (text[i + 1] == 'b') {
            base = 2;
        }
        if (base != 10) {
            i += 2;
        }
    }
    uint32_t total = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        uint32_t digit = 99;
        if (c >= '0' && c <= '9') {
            digit = static_cast<uint32_t>(c - '0');
        } else if (c >= 'A' && c <= 'Z') {
            digit = static_cast<uint32_t>(c - 'A' + 10);
        } else if (c >= 'a' && c <= 'z') {
            digit = static_cast<uint32_t>(c - 'a' + 10);
        }
        if (digit >= base) {
            break;
        }
        total = total * base + digit;
    }
    if (negative) {
        total = 0u - total;
    }
    return static_cast<int>(total);
}
