// A profile file of any bytes, read as the programs read one: whether it is a profile file at all, then every field of
// the record. Reading sets every field whatever the record held; what was read, written to a new file or over the old
// one, reads back the same.
#include "common/ini_document.h"
#include "common/profile_file.h"
#include "common/profile_record.h"
#include "testing/fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace {

// The two texts may lose blanks and quotes on their way through a file (the platform trims both when it reads), so
// a text that comes back is part of the one written; every other field comes back exactly.
template <size_t N> void CheckTextCameBack(const char (&written)[N], const char (&read)[N]) {
    const std::string_view before(written, FieldLength(written));
    const std::string_view after(read, FieldLength(read));
    FUZZ_CHECK(FieldLength(read) < N);
    FUZZ_CHECK(before.find(after) != std::string_view::npos);
}

void CheckSameBesidesTexts(const ProfileRecord& a, const ProfileRecord& b) {
    constexpr size_t kNumbers = offsetof(ProfileRecord, DbleClickSpeed);
    FUZZ_CHECK(std::memcmp(reinterpret_cast<const uint8_t*>(&a) + kNumbers,
                           reinterpret_cast<const uint8_t*>(&b) + kNumbers, sizeof(ProfileRecord) - kNumbers) == 0);
    CheckTextCameBack(a.ProFileName, b.ProFileName);
    CheckTextCameBack(a.GameFile, b.GameFile);
}

// A name or value cut at a NUL byte may end in blanks, which the platform, too, drops when it writes the line anew.
std::string_view WithoutBlanks(std::string_view text) {
    auto blank = [](unsigned char c) { return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x1A; };
    while (!text.empty() && blank(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    return text;
}

// A load followed by a save keeps every key that was readable: the profile's own keys with a value, every other key
// of every section with the value it had.
void CheckReadableKeysKept(const IniDocument& before, const IniDocument& after, const IniDocument& profileKeys) {
    for (std::string_view section : before.Sections()) {
        for (const IniDocument::Key& key : before.Keys(section)) {
            const std::optional<std::string_view> was = before.Value(section, key.name);
            const std::string_view name = WithoutBlanks(key.name);
            if (name.empty() || !was) {
                continue;
            }
            const std::optional<std::string_view> now = after.Value(WithoutBlanks(section), name);
            FUZZ_CHECK(now.has_value());
            if (!profileKeys.Value(WithoutBlanks(section), name)) {
                FUZZ_CHECK(WithoutBlanks(*now) == WithoutBlanks(*was));
            }
        }
    }
}

std::unique_ptr<ProfileRecord> Filled(uint8_t pattern) {
    auto record = std::make_unique<ProfileRecord>();
    std::memset(record.get(), pattern, sizeof(ProfileRecord));
    return record;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    IniDocument file(bytes);
    IsProfileText(file);

    // Every field is set by the file or by its default: two records that held different bytes read the same.
    static const auto first = Filled(0x00);
    static const auto other = Filled(0xA5);
    std::memset(first.get(), 0x00, sizeof(ProfileRecord));
    std::memset(other.get(), 0xA5, sizeof(ProfileRecord));
    ReadProfile(*first, file);
    ReadProfile(*other, file);
    FUZZ_CHECK(std::memcmp(first.get(), other.get(), sizeof(ProfileRecord)) == 0);
    FUZZ_CHECK(FieldLength(first->ProFileName) < sizeof first->ProFileName);
    FUZZ_CHECK(FieldLength(first->GameFile) < sizeof first->GameFile);

    // Written to a new file: a profile file that reads back the same.
    IniDocument fresh;
    WriteProfile(*first, fresh);
    const IniDocument freshRead(fresh.Bytes());
    FUZZ_CHECK(IsProfileText(freshRead));
    static const auto again = Filled(0x5A);
    ReadProfile(*again, freshRead);
    CheckSameBesidesTexts(*first, *again);

    // Written over the file it came from, other sections and keys kept: it reads back the same too.
    WriteProfile(*first, file);
    const IniDocument written(file.Bytes());
    static const auto over = Filled(0xC3);
    ReadProfile(*over, written);
    CheckSameBesidesTexts(*first, *over);
    CheckReadableKeysKept(IniDocument(bytes), written, fresh);
    return 0;
}
