// The sequence file and macro files on disk, in a temporary folder, read back as text where the format matters.

#include <windows.h>

#include "option/macros/macro_files.h"

#include "common/ini_file.h"

#include "testing/files.h"
#include "testing/golden.h"
#include "testing/macro_records.h"
#include "testing/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <vector>

namespace {

struct KeyValue {
    std::string key;
    std::string value;
};

// The keys of section "Macros" in file order, with the values as written.
std::vector<KeyValue> MacroKeys(const std::string& path) {
    std::vector<KeyValue> keys;
    std::istringstream in(ReadFileText(path));
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty() && line.front() == '[') {
            inSection = line == "[Macros]";
            continue;
        }
        size_t eq = line.find('=');
        if (inSection && eq != std::string::npos) {
            keys.push_back({line.substr(0, eq), line.substr(eq + 1)});
        }
    }
    return keys;
}

// The structure encoding computed here on its own: upper-case hex pairs and the byte-sum checksum.
std::string Encoded(const MacroRecord& record) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
    std::string text;
    unsigned sum = 0;
    char pair[3];
    for (size_t i = 0; i < sizeof record; ++i) {
        std::snprintf(pair, sizeof pair, "%02X", bytes[i]);
        text += pair;
        sum += bytes[i];
    }
    std::snprintf(pair, sizeof pair, "%02X", sum & 0xFF);
    return text + pair;
}

MacroLibrary Library(std::initializer_list<MacroRecord> records) {
    MacroLibrary library;
    for (const MacroRecord& r : records) {
        library.push_back(std::make_unique<MacroRecord>(r));
    }
    return library;
}

bool Same(const MacroRecord& a, const MacroRecord& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

class MacroFiles : public ::testing::Test {
protected:
    TempFolder temp;
    const std::string folder = temp.Path();
    const std::string sequence = folder + "sequence.dat";
};

} // namespace

TEST_F(MacroFiles, SavedLibraryHasExactlyItsKeysInOrderAndLoadsBackTheSame) {
    MacroLibrary library =
        Library({TestMacro("Aim", 3, 1, 2), TestMacro("Burst", 50, 2, 255), TestMacro("Crouch", 1, 3)});
    EXPECT_TRUE(SaveMacroLibrary(library, sequence));

    std::vector<KeyValue> keys = MacroKeys(sequence);
    ASSERT_EQ(keys.size(), 4u);
    EXPECT_EQ(keys[0].key, "number");
    EXPECT_EQ(keys[0].value, "3");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(keys[i + 1].key, std::to_string(i));
        EXPECT_EQ(keys[i + 1].value.size(), 522u);
        EXPECT_EQ(keys[i + 1].value, Encoded(*library[i])) << i;
    }

    MacroLibrary loaded;
    LoadMacroLibrary(loaded, sequence);
    ASSERT_EQ(loaded.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(Same(*loaded[i], *library[i])) << i;
    }
}

TEST_F(MacroFiles, SavingAShorterLibraryLeavesNoOldKeys) {
    MacroLibrary library = Library(
        {TestMacro("A", 1, 1), TestMacro("B", 2, 2), TestMacro("C", 3, 3), TestMacro("D", 4, 4), TestMacro("E", 5, 5)});
    SaveMacroLibrary(library, sequence);
    ASSERT_EQ(MacroKeys(sequence).size(), 6u);
    ASSERT_TRUE(RemoveMacroAt(library, 3));
    ASSERT_TRUE(RemoveMacroAt(library, 0));
    SaveMacroLibrary(library, sequence);

    std::vector<KeyValue> keys = MacroKeys(sequence);
    ASSERT_EQ(keys.size(), 4u);
    EXPECT_EQ(keys[0].value, "3");
    for (const KeyValue& kv : keys) {
        EXPECT_TRUE(kv.key != "3" && kv.key != "4") << kv.key;
    }
    MacroLibrary loaded;
    LoadMacroLibrary(loaded, sequence);
    ASSERT_EQ(loaded.size(), 3u);
    EXPECT_EQ(MacroNameOf(*loaded[0]), "B");
    EXPECT_EQ(MacroNameOf(*loaded[1]), "C");
    EXPECT_EQ(MacroNameOf(*loaded[2]), "E");

    // An empty library leaves only "number" = 0.
    SaveMacroLibrary(MacroLibrary{}, sequence);
    keys = MacroKeys(sequence);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].key, "number");
    EXPECT_EQ(keys[0].value, "0");
}

// "number" does not bound the load: a file that says too few, nothing or nonsense loads every record it holds, and
// the next save writes them all with the right count.
TEST_F(MacroFiles, EveryRecordKeyLoadsWhateverNumberSays) {
    const MacroRecord records[] = {TestMacro("Aim", 2, 1), TestMacro("Burst", 3, 2), TestMacro("Crouch", 4, 3),
                                   TestMacro("Duck", 5, 4), TestMacro("Evade", 6, 5)};
    std::string body;
    for (int i = 0; i < 5; ++i) {
        body += std::to_string(i) + "=" + Encoded(records[i]) + "\r\n";
    }
    for (const std::string& head : {std::string("number=2\r\n"), std::string(), std::string("number=0\r\n"),
                                    std::string("number=-2\r\n"), std::string("number=999\r\n")}) {
        WriteFileText(sequence, "[Macros]\r\n" + head + body);
        MacroLibrary loaded;
        EXPECT_EQ(LibraryRead::Whole, LoadMacroLibrary(loaded, sequence)) << head;
        ASSERT_EQ(loaded.size(), 5u) << head;
        for (int i = 0; i < 5; ++i) {
            EXPECT_TRUE(Same(*loaded[i], records[i])) << head << i;
        }
        ASSERT_TRUE(SaveMacroLibrary(loaded, sequence));
        std::vector<KeyValue> keys = MacroKeys(sequence);
        ASSERT_EQ(keys.size(), 6u);
        EXPECT_EQ(keys[0].value, "5");
        EXPECT_EQ(keys[5].value, Encoded(records[4]));
    }
    MacroLibrary loaded;
    EXPECT_EQ(LibraryRead::Whole, LoadMacroLibrary(loaded, folder + "missing.dat"));
    EXPECT_TRUE(loaded.empty());
    WriteFileText(sequence, "[Macros]\r\nnumber=3\r\n");
    EXPECT_EQ(LibraryRead::Whole, LoadMacroLibrary(loaded, sequence));
    EXPECT_TRUE(loaded.empty());
}

TEST_F(MacroFiles, DamagedRecordsAreSkippedAndTheOthersKeepTheirOrder) {
    const MacroRecord a = TestMacro("Aim", 2, 1), b = TestMacro("Burst", 3, 2), c = TestMacro("Crouch", 4, 3),
                      d = TestMacro("Duck", 5, 4), e = TestMacro("Evade", 6, 5);
    std::string badChecksum = Encoded(b);
    badChecksum[10] = badChecksum[10] == '0' ? '1' : '0';
    std::string shortValue = Encoded(c).substr(0, 520);
    WriteFileText(sequence, "[Macros]\r\nnumber=6\r\n0=" + Encoded(a) + "\r\n1=" + badChecksum + "\r\n2=" + shortValue +
                                "\r\n4=" + Encoded(d) + "\r\n5=" + Encoded(e) + "\r\n");
    MacroLibrary loaded;
    EXPECT_EQ(LibraryRead::Damaged, LoadMacroLibrary(loaded, sequence));
    ASSERT_EQ(loaded.size(), 3u);
    EXPECT_TRUE(Same(*loaded[0], a));
    EXPECT_TRUE(Same(*loaded[1], d));
    EXPECT_TRUE(Same(*loaded[2], e));

    // Keys are read by index, whatever their order in the file; only keys written as "%d" are records.
    WriteFileText(sequence, "[Macros]\r\n2=" + Encoded(c) + "\r\n01=" + Encoded(d) + "\r\n1=" + Encoded(b) +
                                "\r\nnumber=3\r\n0=" + Encoded(a) + "\r\n3=" + Encoded(e) + "\r\n");
    loaded.clear();
    EXPECT_EQ(LibraryRead::Whole, LoadMacroLibrary(loaded, sequence));
    ASSERT_EQ(loaded.size(), 4u);
    EXPECT_TRUE(Same(*loaded[0], a));
    EXPECT_TRUE(Same(*loaded[1], b));
    EXPECT_TRUE(Same(*loaded[2], c));
    EXPECT_TRUE(Same(*loaded[3], e));

    // A huge count does not make the load read far beyond what the file can hold.
    WriteFileText(sequence, "[Macros]\r\nnumber=2147483647\r\n0=" + Encoded(a) + "\r\n1=" + Encoded(b) + "\r\n");
    loaded.clear();
    const DWORD start = GetTickCount();
    LoadMacroLibrary(loaded, sequence);
    EXPECT_LT(GetTickCount() - start, 10000u);
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_TRUE(Same(*loaded[1], b));
}

// A file that exists but cannot be opened, or one larger than the read bound, is not read whole.
TEST_F(MacroFiles, AHeldOrOversizedFileIsNotReadWhole) {
    const MacroLibrary library = Library({TestMacro("Aim", 2, 1), TestMacro("Burst", 3, 2)});
    ASSERT_TRUE(SaveMacroLibrary(library, sequence));
    const size_t size = ReadFileText(sequence).size();
    MacroLibrary loaded;
    {
        ScopedReadBounds bounds({size - 10, IniDocument::kMaxLines});
        EXPECT_EQ(LibraryRead::Damaged, LoadMacroLibrary(loaded, sequence));
        EXPECT_EQ(loaded.size(), 1u); // what was read before the bound
    }
    {
        ScopedReadBounds bounds({size, 3}); // the section, "number" and key 0
        loaded.clear();
        EXPECT_EQ(LibraryRead::Damaged, LoadMacroLibrary(loaded, sequence));
        EXPECT_EQ(loaded.size(), 1u);
    }
    {
        ScopedReadBounds bounds({size, 4});
        loaded.clear();
        EXPECT_EQ(LibraryRead::Whole, LoadMacroLibrary(loaded, sequence));
        EXPECT_EQ(loaded.size(), 2u);
    }

    HANDLE held = CreateFileA(sequence.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    loaded.clear();
    EXPECT_EQ(LibraryRead::Unreadable, LoadMacroLibrary(loaded, sequence));
    EXPECT_TRUE(loaded.empty());
    CloseHandle(held);
}

TEST_F(MacroFiles, AnEmptyMacroIsStoredLoadedAndCopiedLikeAnyOther) {
    MacroLibrary library = Library({TestMacro("Nothing", 0, 0, 4), TestMacro("Aim", 2, 1)});
    SaveMacroLibrary(library, sequence);
    MacroLibrary loaded;
    LoadMacroLibrary(loaded, sequence);
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_TRUE(Same(*loaded[0], *library[0]));

    MacroKeyInfo entry;
    std::memset(&entry, 0xEE, sizeof entry);
    entry.FunctionCode = kCodeMacro;
    std::strcpy(entry.MacroName, "nothing");
    CopyMacroIntoEntry(*loaded[0], entry);
    EXPECT_EQ(entry.ContentCount, 0);
    EXPECT_EQ(entry.RepeatCount, 4);
    EXPECT_TRUE(FindMacroEntry(loaded, entry).identical);
}

TEST_F(MacroFiles, SavingIntoAMissingFolderReportsFailure) {
    EXPECT_FALSE(SaveMacroLibrary(Library({TestMacro("Aim", 1, 1)}), folder + "absent\\sequence.dat"));
    EXPECT_FALSE(ExportMacro(folder + "absent\\a.macro", TestMacro("Aim", 1, 1)));
}

// Wine run as root writes into read-only folders, so a save that cannot write is made by a folder standing where its
// temporary file would go. The old file stays whole, and no temporary file is left.
TEST_F(MacroFiles, ASaveThatCannotWriteLeavesTheOldFileWhole) {
    const MacroLibrary old = Library({TestMacro("Aim", 3, 1), TestMacro("Burst", 5, 2)});
    ASSERT_TRUE(SaveMacroLibrary(old, sequence));
    const std::string before = ReadFileText(sequence);
    const std::string exported = folder + "aim.macro";
    ASSERT_TRUE(ExportMacro(exported, *old[0]));
    const std::string exportedBefore = ReadFileText(exported);
    ASSERT_TRUE(CreateDirectoryA(TemporaryPathFor(sequence).c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(TemporaryPathFor(exported).c_str(), nullptr));
    EXPECT_FALSE(SaveMacroLibrary(Library({TestMacro("Crouch", 1, 3)}), sequence));
    EXPECT_FALSE(ExportMacro(exported, TestMacro("Crouch", 1, 3)));
    EXPECT_EQ(before, ReadFileText(sequence));
    EXPECT_EQ(exportedBefore, ReadFileText(exported));
    RemoveDirectoryA(TemporaryPathFor(sequence).c_str());
    RemoveDirectoryA(TemporaryPathFor(exported).c_str());
    EXPECT_TRUE(SaveMacroLibrary(Library({TestMacro("Crouch", 1, 3)}), sequence));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(TemporaryPathFor(sequence).c_str()));
}

// A damaged library of a million keys loads what it holds, in time that grows with the file, not with "number".
TEST_F(MacroFiles, AMillionKeysLoadWhatTheyHold) {
    std::string text = "[Macros]\r\nnumber=2000000000\r\n0=" + Encoded(TestMacro("Aim", 2, 1)) + "\r\n";
    text.reserve(16u << 20);
    for (int i = 0; i < 1000000; ++i) {
        text += std::to_string(i + 5) + "=" + std::to_string(i) + "\r\n";
    }
    text += "1=" + Encoded(TestMacro("Burst", 3, 2)) + "\r\n";
    WriteFileText(sequence, text);
    MacroLibrary loaded;
    LoadMacroLibrary(loaded, sequence);
    ASSERT_EQ(2u, loaded.size());
    EXPECT_EQ("Aim", MacroNameOf(*loaded[0]));
    EXPECT_EQ("Burst", MacroNameOf(*loaded[1]));
}

TEST_F(MacroFiles, ExportedMacroFileMatchesItsGoldenFile) {
    // The input of tests/golden/burst.macro: see burst.macro.txt beside it.
    MacroRecord burst;
    std::memset(&burst, 0, sizeof burst);
    std::strcpy(burst.Name, "Burst");
    burst.RepeatCount = 3;
    const MacroEvent events[] = {{0xF0, kMacroPress, 40}, {0xF0, kMacroRelease, 60},   {0x04, kMacroPress, 15},
                                 {0xE1, kMacroPress, 0},  {0xE1, kMacroRelease, 1000}, {0x04, kMacroRelease, 0}};
    burst.EventCount = 6;
    std::memcpy(burst.Events, events, sizeof events);

    const std::string path = folder + "burst.macro";
    WriteFileText(path, "[Macros]\r\n0=stale\r\n1=stale\r\n"); // replaced, not merged
    EXPECT_TRUE(ExportMacro(path, burst));
    EXPECT_TRUE(MatchesGolden(ReadFileText(path), "option/macros/tests/golden/burst.macro"));

    MacroLibrary library;
    ASSERT_TRUE(ImportMacro(library, SourcePath("option/macros/tests/golden/burst.macro")));
    ASSERT_EQ(library.size(), 1u);
    EXPECT_TRUE(Same(*library[0], burst));
}

TEST_F(MacroFiles, ImportMakesTheNameUniqueAndRefusesUnreadableFiles) {
    const std::string path = folder + "jump.macro";
    ExportMacro(path, TestMacro("Jump", 4, 7, 5));
    MacroLibrary library = Library({TestMacro("jUMP", 1, 1), TestMacro("Jump1", 1, 2)});
    ASSERT_TRUE(ImportMacro(library, path));
    ASSERT_EQ(library.size(), 3u);
    EXPECT_EQ(MacroNameOf(*library[2]), "Jump2");
    EXPECT_EQ(library[2]->EventCount, 4);
    EXPECT_EQ(library[2]->RepeatCount, 5);

    const std::string longPath = folder + "long.macro";
    ExportMacro(longPath, TestMacro("A name far too long for a button", 1, 1));
    ASSERT_TRUE(ImportMacro(library, longPath));
    ASSERT_TRUE(ImportMacro(library, longPath));
    EXPECT_EQ(MacroNameOf(*library[3]), "A name far too long");
    EXPECT_EQ(MacroNameOf(*library[4]), "A name far too lon1");

    std::string damaged = Encoded(TestMacro("Bad", 1, 1));
    damaged[0] = 'G';
    WriteFileText(folder + "bad.macro", "[Macros]\r\n0=" + damaged + "\r\n");
    WriteFileText(folder + "sequence.macro", "[Macros]\r\nnumber=1\r\n1=" + Encoded(TestMacro("Bad", 1, 1)) + "\r\n");
    EXPECT_FALSE(ImportMacro(library, folder + "bad.macro"));
    EXPECT_FALSE(ImportMacro(library, folder + "sequence.macro"));
    EXPECT_FALSE(ImportMacro(library, folder + "missing.macro"));
    EXPECT_EQ(library.size(), 5u);
}

TEST_F(MacroFiles, RepeatCountsFromFilesStayWithinTheEditorsRange) {
    // A damaged sequence file: counts the editor never writes, next to ones it does.
    const MacroRecord huge = TestMacro("Huge", 2, 1, 65535), zero = TestMacro("Zero", 2, 2, 0),
                      negative = TestMacro("Negative", 2, 3, -7), top = TestMacro("Top", 2, 4, 255);
    WriteFileText(sequence, "[Macros]\r\nnumber=4\r\n0=" + Encoded(huge) + "\r\n1=" + Encoded(zero) +
                                "\r\n2=" + Encoded(negative) + "\r\n3=" + Encoded(top) + "\r\n");
    MacroLibrary loaded;
    LoadMacroLibrary(loaded, sequence);
    ASSERT_EQ(loaded.size(), 4u);
    EXPECT_EQ(loaded[0]->RepeatCount, 255);
    EXPECT_EQ(loaded[1]->RepeatCount, 1);
    EXPECT_EQ(loaded[2]->RepeatCount, 1);
    EXPECT_EQ(loaded[3]->RepeatCount, 255);
    // The copy that reaches the mouse carries the kept count.
    MacroKeyInfo entry;
    std::memset(&entry, 0, sizeof entry);
    CopyMacroIntoEntry(*loaded[0], entry);
    EXPECT_EQ(entry.RepeatCount, 255);

    // A macro file likewise.
    const std::string path = folder + "huge.macro";
    ASSERT_TRUE(ExportMacro(path, TestMacro("Spam", 1, 5, 100000)));
    ASSERT_TRUE(ImportMacro(loaded, path));
    EXPECT_EQ(loaded.back()->RepeatCount, 255);
    ASSERT_TRUE(ExportMacro(path, TestMacro("Never", 1, 6, 0)));
    ASSERT_TRUE(ImportMacro(loaded, path));
    EXPECT_EQ(loaded.back()->RepeatCount, 1);
}

TEST(MacroFilePaths, SequenceFileIsInTheConfigFolderBesideTheProgram) {
    const std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(SequenceFilePath(), folder + "config\\sequence.dat");
}
