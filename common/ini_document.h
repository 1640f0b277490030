#pragma once
// An initialisation file held in memory: parsed once from its bytes, read and changed the way the platform's
// private-profile functions read and change a file, and written back whole. No platform calls here: ini_file.cpp
// reads and replaces the files, this file decides what their bytes say and become.
//
// The platform's rules, which this reader keeps:
//  - a line ends at any run of CR and LF; blanks (and ^Z, an old end-of-file mark) around a line, around a name and
//    around a value do not count;
//  - "[name]" starts a section, the name running to the last ']' of the line; keys before the first section belong
//    to a section without a name; a line without '=' is a key without a value, which reads as missing;
//  - section and key names match without regard to case; only the first section of a name is searched, and of
//    duplicate keys the first counts;
//  - a name or value ends at a NUL byte; a value enclosed in matching quotes reads without them;
//  - a file beginning with a UTF-8 mark keeps it; a UTF-16 file is read as single bytes (characters above 255
//    become '?') and written back as single bytes.
// Writing rebuilds every line as "name=value" (or "[name]") ended by CR LF, blank lines dropped, which is what the
// platform does to a file on the first write that changes a value; a write that changes nothing leaves the bytes.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class IniDocument {
public:
    // GetString reads into a buffer of this size, as the programs always have: at most 2047 bytes of a value.
    static constexpr size_t kStringBufferSize = 2048;
    // Lines (sections and keys) beyond this count are not read: a damaged file of millions of lines costs bounded
    // memory. A profile file has 153 lines, a library of 10 000 macros 10 002.
    static constexpr size_t kMaxLines = size_t{1} << 20;

    // An empty file.
    IniDocument();
    // The file's bytes, parsed in one pass, at most maxLines lines of them (tests lower the bound).
    explicit IniDocument(std::string bytes, size_t maxLines = kMaxLines);
    ~IniDocument();
    IniDocument(IniDocument&&) noexcept;
    IniDocument& operator=(IniDocument&&) noexcept;
    IniDocument(const IniDocument&) = delete;
    IniDocument& operator=(const IniDocument&) = delete;

    bool HasSection(std::string_view section) const;
    // The value as stored, blanks trimmed, quotes kept; nothing when the key is missing or has no '='.
    std::optional<std::string_view> Value(std::string_view section, std::string_view key) const;
    // As GetPrivateProfileStringA with an empty default and a buffer of bufferSize bytes.
    std::string GetString(std::string_view section, std::string_view key, size_t bufferSize = kStringBufferSize) const;
    // As GetPrivateProfileIntA: defaultValue when the key is missing or its value empty; otherwise the number at the
    // start of the value ("0x10" is 16, "12abc" 12, "-" and "abc" 0).
    int GetInt(std::string_view section, std::string_view key, int defaultValue) const;
    // True when the key reads as a non-empty text.
    bool HasKey(std::string_view section, std::string_view key) const;
    // As GetPrivateProfileStructA: false, with the buffer untouched, when the value is missing, is not exactly
    // 2 * size + 2 hexadecimal digits or fails its checksum.
    bool GetStruct(std::string_view section, std::string_view key, void* buffer, size_t size) const;
    // The keys of the first section of that name, in file order, duplicates and keys without a value included; the
    // value as Value gives it.
    struct Key {
        std::string_view name;
        std::optional<std::string_view> value;
    };
    std::vector<Key> Keys(std::string_view section) const;

    // As WritePrivateProfileStringA: the first key of that name is given the value (blanks before it dropped, and
    // anything from a line break or NUL on, so a value stays on its line); a missing key is appended to its section,
    // a missing section to the file.
    void SetString(std::string_view section, std::string_view key, std::string_view value);
    // "%d".
    void SetInt(std::string_view section, std::string_view key, int value);
    // The platform's structure format: two upper-case hexadecimal digits per byte, then the checksum byte.
    void SetStruct(std::string_view section, std::string_view key, const void* data, size_t size);

    // True once a Set changed a value or added a key.
    bool Changed() const { return changed_; }
    // True when the parse stopped at its line bound with lines left unread: the document is not the whole file,
    // and writing it back would lose the rest.
    bool Cut() const;
    // The file as the platform writes it.
    std::string Bytes() const;

private:
    struct Entry;
    class KeyIndex;
    struct Section;
    struct State;

    static constexpr size_t kNone = SIZE_MAX;
    // The index of the first section of that name, or kNone.
    size_t FindSection(std::string_view name) const;
    // The index of the first key of that name in the section, or kNone.
    size_t FindEntry(size_t section, std::string_view key) const;
    // The value as the platform stores it: the caller has trimmed it to one line.
    void Set(std::string_view section, std::string_view key, std::string value);
    std::string_view Own(std::string text);

    std::unique_ptr<State> state_;
    bool changed_ = false;
    bool reread_ = false;
};

// The platform's structure format of size bytes: 2 * size + 2 upper-case hexadecimal digits.
std::string EncodeStruct(const void* data, size_t size);
void AppendStruct(std::string& text, const void* data, size_t size);
// False, with the buffer untouched, unless text is exactly 2 * size + 2 hexadecimal digits (either case) whose last
// pair is the low byte of the sum of the others.
bool DecodeStruct(std::string_view text, void* buffer, size_t size);

// A number as the platform reads one from an initialisation file: blanks and control characters skipped, an optional
// sign, "0x", "0o" or "0b" for bases 16, 8 and 2, then digits up to the first that does not belong; wraps around
// like a 32-bit unsigned number. Text without digits gives 0.
int IniTextToInt(std::string_view text);
