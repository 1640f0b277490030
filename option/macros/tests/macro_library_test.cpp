// The library's logic: names, lookup, the copy into a button entry and the refresh of the profiles' entries.

#include "option/macros/macro_library.h"

#include "testing/macro_records.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

MacroLibrary Library(std::initializer_list<MacroRecord> records) {
    MacroLibrary library;
    for (const MacroRecord& r : records) {
        library.push_back(std::make_unique<MacroRecord>(r));
    }
    return library;
}

MacroKeyInfo Entry(const char* name, int code = kCodeMacro) {
    MacroKeyInfo e;
    std::memset(&e, 0, sizeof e);
    e.ButtonNumber = 3;
    e.FunctionCode = static_cast<uint8_t>(code);
    e.MacroOption = 2;
    std::strncpy(e.MacroName, name, sizeof e.MacroName);
    std::strcpy(e.ProgramPath, "C:\\kept.exe");
    return e;
}

std::string EntryName(const MacroKeyInfo& e) {
    return std::string(e.MacroName, FieldLength(e.MacroName));
}

} // namespace

TEST(MacroNames, LookupIsTrimmedOnTheLibrarySideOnlyAndCaseBlind) {
    MacroLibrary library = Library({TestMacro("Aim", 2, 1), TestMacro(" Jump\t ", 4, 2)});
    EXPECT_TRUE(MacroNameExists(library, "jump"));
    EXPECT_TRUE(MacroNameExists(library, "JUMP"));
    EXPECT_TRUE(MacroNameExists(library, "aIM"));
    EXPECT_FALSE(MacroNameExists(library, " jump")); // the given name is not trimmed
    EXPECT_FALSE(MacroNameExists(library, "Jum"));
    EXPECT_FALSE(MacroNameExists(MacroLibrary{}, ""));

    MacroLookup found = FindMacroEntry(library, Entry("jump"));
    EXPECT_EQ(found.index, 1);
    EXPECT_FALSE(found.identical); // the entry carries no events yet
    EXPECT_EQ(FindMacroEntry(library, Entry(" jump")).index, -1);
    EXPECT_EQ(FindMacroEntry(library, Entry("Crouch")).index, -1);
    EXPECT_EQ(FindMacroEntry(MacroLibrary{}, Entry("jump")).index, -1);
}

TEST(MacroNames, ImportedNamesAreMadeUniqueAndFitAnEntry) {
    MacroLibrary library = Library({TestMacro("jump", 0, 1), TestMacro("Jump1", 0, 2)});
    EXPECT_EQ(UniqueMacroName(library, "Jump"), "Jump2");
    EXPECT_EQ(UniqueMacroName(library, "Crouch"), "Crouch");
    EXPECT_EQ(UniqueMacroName(library, "Jump1"), "Jump11");

    // A clash on a full-length name shortens the base, by one more character once the digits grow.
    const std::string full = "ABCDEFGHIJKLMNOPQRS"; // 19 characters
    MacroLibrary longNames = Library({TestMacro(full.c_str(), 0, 1)});
    EXPECT_EQ(UniqueMacroName(longNames, full), "ABCDEFGHIJKLMNOPQR1");
    for (int c = 1; c <= 9; ++c) {
        longNames.push_back(
            std::make_unique<MacroRecord>(TestMacro((full.substr(0, 18) + std::to_string(c)).c_str(), 0, 1)));
    }
    EXPECT_EQ(UniqueMacroName(longNames, full), "ABCDEFGHIJKLMNOPQ10");

    // Import trims, cuts to 19 characters and suffixes; every byte after the name is zero; the rest is kept.
    MacroRecord imported = TestMacro("  ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 ", 7, 9, 12);
    MacroRecord& added = AddImportedMacro(longNames, imported);
    EXPECT_EQ(MacroNameOf(added), "ABCDEFGHIJKLMNOPQ10");
    for (size_t i = 19; i < sizeof added.Name; ++i) {
        EXPECT_EQ(added.Name[i], 0) << i;
    }
    EXPECT_EQ(added.RepeatCount, 12);
    EXPECT_EQ(added.EventCount, 7);
    EXPECT_EQ(std::memcmp(added.Events, imported.Events, sizeof added.Events), 0);
    EXPECT_EQ(longNames.back().get(), &added);

    // A cut that ends in a blank is trimmed again.
    MacroLibrary empty;
    EXPECT_EQ(MacroNameOf(AddImportedMacro(empty, TestMacro("Fire at will now    and then", 0, 1))),
              "Fire at will now");
}

TEST(MacroNames, LoadedRecordsKeepTheirBytesUnlessTheNameIsTooLong) {
    MacroLibrary library;
    MacroRecord normal = TestMacro("Aim", 3, 1);
    normal.Name[40] = 'x'; // junk after the terminator is kept as read
    EXPECT_EQ(std::memcmp(&AddLoadedMacro(library, normal), &normal, sizeof normal), 0);

    MacroRecord unterminated = TestMacro("", 3, 1);
    std::memset(unterminated.Name, 'Q', sizeof unterminated.Name);
    MacroRecord& cut = AddLoadedMacro(library, unterminated);
    EXPECT_EQ(MacroNameOf(cut), std::string(19, 'Q'));
    EXPECT_EQ(FindMacroEntry(library, Entry(std::string(19, 'q').c_str())).index, 1);
}

TEST(MacroLibraryList, IndexingNewAndRemove) {
    MacroLibrary library;
    EXPECT_EQ(MacroAt(library, 0), nullptr);
    library.push_back(NewMacroRecord("Aim"));
    library.push_back(NewMacroRecord("Burst"));
    MacroRecord zero;
    std::memset(&zero, 0, sizeof zero);
    std::strcpy(zero.Name, "Burst");
    zero.RepeatCount = 1;
    EXPECT_EQ(std::memcmp(MacroAt(library, 1), &zero, sizeof zero), 0);
    EXPECT_EQ(MacroAt(library, 2), nullptr);
    EXPECT_EQ(MacroAt(library, -1), nullptr);

    EXPECT_FALSE(RemoveMacroAt(library, 2));
    EXPECT_TRUE(RemoveMacroAt(library, 0));
    ASSERT_EQ(library.size(), 1u);
    EXPECT_EQ(MacroNameOf(*MacroAt(library, 0)), "Burst");
}

TEST(MacroEntryCopy, WritesOnlyTheMacroFieldsAndFindsItsMacroAgain) {
    MacroRecord r = TestMacro("  Burst ", 5, 4, 17);
    MacroKeyInfo e = Entry("a much longer name!");
    MacroKeyInfo before = e;
    CopyMacroIntoEntry(r, e);

    EXPECT_EQ(EntryName(e), "Burst");
    for (size_t i = 5; i < sizeof e.MacroName; ++i) {
        EXPECT_EQ(e.MacroName[i], 0) << i;
    }
    EXPECT_EQ(e.ContentCount, 5);
    EXPECT_EQ(e.RepeatCount, 17);
    EXPECT_EQ(std::memcmp(e.Data, r.Events, sizeof e.Data), 0); // all 50 slots, byte for byte
    EXPECT_EQ(e.FunctionCode, before.FunctionCode);
    EXPECT_EQ(e.MacroOption, 2);
    EXPECT_EQ(e.ButtonNumber, 3);
    EXPECT_STREQ(e.ProgramPath, "C:\\kept.exe");

    MacroLibrary library = Library({r});
    MacroLookup found = FindMacroEntry(library, e);
    EXPECT_EQ(found.index, 0);
    EXPECT_TRUE(found.identical);

    // Events beyond the count do not matter; within it they do, and so does the count.
    e.Data[4 * 5] ^= 1;
    EXPECT_TRUE(FindMacroEntry(library, e).identical);
    e.Data[4 * 4 + 2] ^= 1;
    EXPECT_FALSE(FindMacroEntry(library, e).identical);
    CopyMacroIntoEntry(r, e);
    e.ContentCount = 4;
    EXPECT_FALSE(FindMacroEntry(library, e).identical);

    MacroForEntry assigned = MacroForEntryOf(r);
    EXPECT_EQ(assigned.name, "Burst");
    EXPECT_EQ(assigned.repeatCount, 17);
    EXPECT_EQ(assigned.eventCount, 5);
    EXPECT_EQ(std::memcmp(assigned.events.data(), r.Events, sizeof r.Events), 0);
}

TEST(MacroEntryCopy, CountsOutsideZeroToFiftyAreClamped) {
    MacroRecord many = TestMacro("Many", 70, 1);
    MacroKeyInfo e = Entry("Many");
    CopyMacroIntoEntry(many, e);
    EXPECT_EQ(e.ContentCount, 50);
    MacroLibrary library = Library({many});
    EXPECT_TRUE(FindMacroEntry(library, e).identical);
    EXPECT_EQ(MacroForEntryOf(many).eventCount, 50);

    MacroRecord negative = TestMacro("Neg", -3, 1);
    CopyMacroIntoEntry(negative, e);
    EXPECT_EQ(e.ContentCount, 0);
    EXPECT_EQ(EventCountOf(negative), 0);

    // A hostile entry count above 50 never matches and never reads past the events.
    e.ContentCount = 60000;
    library = Library({negative});
    EXPECT_FALSE(FindMacroEntry(library, e).identical);
}

TEST(MacroEntryCopy, AnEmptyMacroIsCopiedLikeAnyOther) {
    MacroRecord empty = TestMacro("Nothing", 0, 0, 3);
    std::memset(empty.Events, 0, sizeof empty.Events);
    MacroKeyInfo e = Entry("Nothing");
    std::memset(e.Data, 0xAB, sizeof e.Data);
    e.ContentCount = 9;
    CopyMacroIntoEntry(empty, e);
    EXPECT_EQ(e.ContentCount, 0);
    EXPECT_EQ(e.RepeatCount, 3);
    for (uint8_t b : e.Data) {
        EXPECT_EQ(b, 0);
    }
    MacroLibrary library = Library({empty});
    EXPECT_TRUE(FindMacroEntry(library, e).identical);
}

TEST(MacroEntryCopy, AnEntryNameWithoutTerminatorIsReadWithinItsField) {
    MacroKeyInfo e = Entry("");
    std::memset(e.MacroName, 'z', sizeof e.MacroName);
    MacroLibrary library = Library({TestMacro(std::string(20, 'Z').c_str(), 0, 1)});
    // The library name has 20 characters here only because the test built it so; no entry can name it.
    EXPECT_EQ(FindMacroEntry(library, e).index, 0);
}

class MacroSync : public ::testing::Test {
protected:
    void SetUp() override {
        working = std::make_unique<ShareData>();
        ResetAll(*working);
        library = Library({TestMacro("Aim", 3, 1), TestMacro("Burst", 4, 2)});
    }
    MacroKeyInfo& At(int profile, int entry) { return working->Profile[profile].MacroKey[entry]; }
    void Assign(int profile, int entry, int index) {
        CopyMacroIntoEntry(*library[static_cast<size_t>(index)], At(profile, entry));
        At(profile, entry).FunctionCode = kCodeMacro;
    }

    std::unique_ptr<ShareData> working;
    MacroLibrary library;
};

TEST_F(MacroSync, RefreshesChangedMacrosInBothEditedBanks) {
    Assign(0, 3, 1);
    Assign(4, 35, 1);
    Assign(2, 15, 0);
    Assign(2, 47, 0);
    Assign(1, 20, 1); // banks 16..31 and 48..63 are not edited by the button page and stay as they are
    Assign(1, 50, 1);
    const MacroKeyInfo outside20 = At(1, 20);
    const MacroKeyInfo outside50 = At(1, 50);

    MacroRecord& burst = *library[1];
    burst.EventCount = 6;
    burst.Events[5].Delay = 4321;
    burst.RepeatCount = 9;
    std::strcpy(burst.Name, "bURST");
    SyncMacroEntries(*working, library);

    for (auto [p, e] : {std::pair{0, 3}, std::pair{4, 35}}) {
        const MacroKeyInfo& entry = At(p, e);
        EXPECT_EQ(entry.FunctionCode, kCodeMacro);
        EXPECT_EQ(entry.ContentCount, 6) << p << "/" << e;
        EXPECT_EQ(entry.RepeatCount, 9);
        EXPECT_EQ(EntryName(entry), "bURST");
        EXPECT_EQ(std::memcmp(entry.Data, burst.Events, sizeof entry.Data), 0);
        EXPECT_EQ(entry.ButtonNumber, e);
        EXPECT_TRUE(FindMacroEntry(library, entry).identical);
    }
    EXPECT_EQ(At(2, 15).ContentCount, 3);
    EXPECT_EQ(At(2, 47).ContentCount, 3);
    EXPECT_EQ(std::memcmp(&At(1, 20), &outside20, sizeof outside20), 0);
    EXPECT_EQ(std::memcmp(&At(1, 50), &outside50, sizeof outside50), 0);
}

TEST_F(MacroSync, AnEntryWhoseMacroIsGoneLosesItsFunctionOnly) {
    Assign(0, 3, 1);
    Assign(3, 40, 1);
    Assign(0, 4, 0);
    const MacroKeyInfo before = At(3, 40);
    ASSERT_TRUE(RemoveMacroAt(library, 1));
    SyncMacroEntries(*working, library);

    EXPECT_EQ(At(0, 3).FunctionCode, kCodeDisabled);
    MacroKeyInfo expected = before;
    expected.FunctionCode = kCodeDisabled;
    EXPECT_EQ(std::memcmp(&At(3, 40), &expected, sizeof expected), 0);
    EXPECT_EQ(At(0, 4).FunctionCode, kCodeMacro);

    // An empty library disables every macro entry that names one.
    SyncMacroEntries(*working, MacroLibrary{});
    EXPECT_EQ(At(0, 4).FunctionCode, kCodeDisabled);
}

TEST_F(MacroSync, EntriesOfOtherCodesOrWithoutANameAreNeverTouched) {
    Assign(0, 3, 1);
    At(0, 3).FunctionCode = 5; // a key function that still has a macro's bytes in it
    MacroKeyInfo& nameless = At(0, 6);
    nameless.FunctionCode = kCodeMacro;
    nameless.ContentCount = 2;
    const auto before = std::make_unique<ShareData>(*working);

    library[1]->EventCount = 1;
    SyncMacroEntries(*working, library);
    library.clear();
    SyncMacroEntries(*working, library);
    EXPECT_EQ(std::memcmp(working.get(), before.get(), sizeof(ShareData)), 0);
}
