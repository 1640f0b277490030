// The profile files (config\DefaultN.tvp): every field written and read back, the golden file, damaged, missing,
// overlong and huge files, and a writer that leaves the bytes the platform's own key-by-key writes would.
#include <windows.h>

#include "common/ini_file.h"
#include "common/profile_store.h"
#include "testing/files.h"
#include "testing/golden.h"
#include "testing/profiles.h"
#include "testing/temp_folder.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>

namespace {

// A record with a distinct value in every number and byte of the record, negative and extreme values included, and
// button entries full of bytes (texts without terminators too).
std::unique_ptr<ProfileRecord> EveryFieldSet() {
    auto r = DefaultProfile(3);
    std::strcpy(r->ProFileName, "Arena Night");
    std::strcpy(r->GameFile, "C:\\Games\\Arena\\arena.exe");
    auto* bytes = reinterpret_cast<unsigned char*>(r.get());
    int k = 0;
    for (size_t off = offsetof(ProfileRecord, DbleClickSpeed); off < offsetof(ProfileRecord, MacroKey); off += 4) {
        if (off >= offsetof(ProfileRecord, dpiIndicator) && off < offsetof(ProfileRecord, Brightness)) {
            for (int b = 0; b < 4; ++b) {
                bytes[off + b] = static_cast<unsigned char>(120 + 11 * (k + b)); // crosses 127
            }
        } else {
            int32_t v = (k % 3 == 0 ? -1 : 1) * (1000 * k + 7);
            if (k == 5) {
                v = INT_MIN;
            }
            if (k == 6) {
                v = INT_MAX;
            }
            std::memcpy(bytes + off, &v, 4);
        }
        ++k;
    }
    r->dpiIndicator[9] = 200;
    auto* keys = reinterpret_cast<unsigned char*>(r->MacroKey);
    for (size_t i = 0; i < sizeof r->MacroKey; ++i) {
        keys[i] = static_cast<unsigned char>((i * 37 + 11) ^ (i >> 9));
    }
    return r;
}

void ExpectResetEntry(const MacroKeyInfo& entry, int n) {
    ProfileRecord reset;
    ResetProfile(reset, 0);
    EXPECT_EQ(0, std::memcmp(&reset.MacroKey[n], &entry, sizeof entry)) << "entry " << n;
}

// The platform's own key-by-key writes of a profile, replayed in order from the lines of a newly written file (which
// come in the writer's order): what the one-step writer must leave over any existing file.
void WriteKeyByKey(const std::string& newFile, const std::string& path) {
    std::istringstream lines(ReadFileText(newFile));
    std::string line;
    std::getline(lines, line); // [Setting]
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const size_t equals = line.find('=');
        ASSERT_NE(std::string::npos, equals) << line;
        WritePrivateProfileStringA("Setting", line.substr(0, equals).c_str(), line.substr(equals + 1).c_str(),
                                   path.c_str());
    }
}

} // namespace

TEST(ProfileFile, RoundTripReturnsEveryField) {
    TempFolder folder;
    std::string path = folder.Path() + "round.tvp";
    auto written = EveryFieldSet();
    EXPECT_EQ(1, WriteProfileFile(*written, path));
    auto read = std::make_unique<ProfileRecord>();
    std::memset(read.get(), 0xCD, sizeof *read);
    EXPECT_EQ(ProfileRead::Done, ReadProfileFile(*read, path));
    EXPECT_EQ(0, std::memcmp(written.get(), read.get(), sizeof *read));
    // Named ones, so a failure says where.
    EXPECT_STREQ("Arena Night", read->ProFileName);
    EXPECT_STREQ("C:\\Games\\Arena\\arena.exe", read->GameFile);
    EXPECT_EQ(written->BTNDelay, read->BTNDelay);
    EXPECT_EQ(written->B2WSens, read->B2WSens);
    EXPECT_EQ(written->W2BDelay, read->W2BDelay);
    EXPECT_EQ(written->B2TSens, read->B2TSens);
    EXPECT_EQ(0, std::memcmp(written->dpiIndicator, read->dpiIndicator, 10));
    EXPECT_EQ(written->ModeStatus, read->ModeStatus);
    EXPECT_EQ(written->LedLPColor, read->LedLPColor);
    // The byte fields are written as their unsigned value.
    IniFile ini(path);
    EXPECT_EQ(std::to_string(written->dpiIndicator[9]), ini.GetString("Setting", "dpiIndicator9", ""));
    EXPECT_GT(written->dpiIndicator[9], 127);
}

// The golden file holds the profile below; its lines come in the order the writer must keep.
TEST(ProfileFile, MatchesTheGoldenFile) {
    auto r = DefaultProfile();
    std::strcpy(r->ProFileName, "Arena");
    std::strcpy(r->GameFile, "C:\\Games\\arena.exe");
    r->MouseSpeed = 12;
    r->Acceleration = 8;
    r->AccelerationFlag = 1;
    r->BTNDelay = 4;
    r->LedColor = 0x00FF8000;
    r->ModeStatus = 2;
    r->dpiIndicator[9] = 200;
    r->MacroKey[3].FunctionCode = 5;
    r->MacroKey[3].ContentCount = 1;
    r->MacroKey[3].Data[0] = 0x04; // the A key
    r->MacroKey[3].Data[1] = 0x01; // the key alone, no modifier
    std::strcpy(r->MacroKey[6].ProgramPath, "C:\\Tools\\tool.exe");
    r->MacroKey[6].FunctionCode = 99;

    TempFolder folder;
    std::string path = folder.Path() + "Default0.tvp";
    WriteProfileFile(*r, path);
    EXPECT_TRUE(MatchesGolden(ReadFileText(path), "common/tests/golden/default_profile.tvp"));
}

TEST(ProfileFile, MissingKeysGiveMinusOneAndResetEntries) {
    TempFolder folder;
    std::string path = folder.Path() + "sparse.tvp";
    IniFile ini(path);
    ini.WriteInt("Setting", "MouseSpeed", 7);
    auto r = std::make_unique<ProfileRecord>();
    std::memset(r.get(), 0x5A, sizeof *r);
    ReadProfileFile(*r, path);
    EXPECT_STREQ("", r->ProFileName);
    EXPECT_STREQ("", r->GameFile);
    EXPECT_EQ(7, r->MouseSpeed);
    EXPECT_EQ(-1, r->DbleClickSpeed);
    EXPECT_EQ(-1, r->CpiLevel_Y[5]);
    EXPECT_EQ(-1, r->B2TSens);
    EXPECT_EQ(-1, r->SLEDColor8[7]);
    EXPECT_EQ(255, r->ModeStatus);
    EXPECT_EQ(255, r->DpiIndicationType);
    EXPECT_EQ(255, r->dpiIndicator[0]);
    for (int n = 0; n < kMacroKeyCount; ++n) {
        ExpectResetEntry(r->MacroKey[n], n);
    }
}

TEST(ProfileFile, OlderIndicatorKeysAreReadWhenAlone) {
    TempFolder folder;
    std::string path = folder.Path() + "older.tvp";
    IniFile ini(path);
    for (int i = 0; i < 10; ++i) {
        ini.WriteInt("Setting", (std::string("dpibyDpiIndicator") + std::to_string(i)).c_str(), 10 + i);
    }
    // Where both exist, the key the writer produces wins.
    ini.WriteInt("Setting", "dpiIndicator4", 99);
    auto r = std::make_unique<ProfileRecord>();
    ReadProfileFile(*r, path);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(i == 4 ? 99 : 10 + i, r->dpiIndicator[i]) << i;
    }
}

TEST(ProfileFile, OverlongTextsAreCutToTheirFields) {
    TempFolder folder;
    std::string path = folder.Path() + "long.tvp";
    IniFile ini(path);
    ini.WriteString("Setting", "ProFileName", std::string(400, 'a').c_str());
    ini.WriteString("Setting", "GameFile", std::string(1500, 'b').c_str());
    auto r = std::make_unique<ProfileRecord>();
    std::memset(r.get(), 0x77, sizeof *r);
    ReadProfileFile(*r, path);
    EXPECT_EQ(std::string(249, 'a'), r->ProFileName);
    EXPECT_EQ(std::string(501, 'b'), r->GameFile);
    EXPECT_EQ(0, r->ProFileName[249]);
}

TEST(ProfileFile, UnterminatedOrMultiLineNamesStayWithinTheirKey) {
    TempFolder folder;
    std::string path = folder.Path() + "names.tvp";
    auto r = DefaultProfile();
    std::memset(r->ProFileName, 'n', sizeof r->ProFileName); // no terminator
    std::strcpy(r->GameFile, "game\r\nMouseSpeed=99");
    r->MouseSpeed = 4;
    WriteProfileFile(*r, path);
    auto back = std::make_unique<ProfileRecord>();
    ReadProfileFile(*back, path);
    EXPECT_EQ(std::string(249, 'n'), back->ProFileName);
    EXPECT_STREQ("game", back->GameFile);
    EXPECT_EQ(4, back->MouseSpeed);
    EXPECT_EQ(r->DbleClickSpeed, back->DbleClickSpeed);
}

TEST(ProfileFile, DamagedButtonEntriesGetTheirResetContent) {
    TempFolder folder;
    std::string path = folder.Path() + "damaged.tvp";
    auto r = EveryFieldSet();
    WriteProfileFile(*r, path);
    IniFile ini(path);
    std::string good = ini.GetString("Setting", "MacroKeyInfo4", "");
    ASSERT_EQ(1010u, good.size());
    std::string badSum = good;
    badSum[1009] = badSum[1009] == '0' ? '1' : '0';
    ini.WriteString("Setting", "MacroKeyInfo4", badSum.c_str());
    ini.WriteString("Setting", "MacroKeyInfo3", good.substr(0, 1008).c_str()); // two bytes short
    ini.WriteString("Setting", "MacroKeyInfo20", (good + "00").c_str());       // one byte long
    std::string notHex = good;
    notHex[10] = 'G';
    ini.WriteString("Setting", "MacroKeyInfo21", notHex.c_str());
    WritePrivateProfileStringA("Setting", "MacroKeyInfo63", nullptr, path.c_str()); // missing

    auto back = std::make_unique<ProfileRecord>();
    std::memset(back.get(), 0xEE, sizeof *back);
    ReadProfileFile(*back, path);
    for (int n : {3, 4, 20, 21, 63}) {
        ExpectResetEntry(back->MacroKey[n], n);
    }
    for (int n : {0, 5, 22, 62}) {
        EXPECT_EQ(0, std::memcmp(&r->MacroKey[n], &back->MacroKey[n], sizeof(MacroKeyInfo))) << n;
    }
}

TEST(ProfileFile, DeviceKeyOfConfigIni) {
    TempFolder folder;
    std::string config = ConfigFilePath(folder.Path());
    EXPECT_EQ(0, ReadDevice(config));
    IniFile(config).WriteInt("Setting", "Device", 1);
    EXPECT_EQ(1, ReadDevice(config));
}

TEST(ProfileFile, OneStepWriterLeavesTheBytesOfKeyByKeyWrites) {
    TempFolder folder;
    auto record = EveryFieldSet();
    const std::string fresh = folder.Path() + "fresh.tvp";
    ASSERT_EQ(1, WriteProfileFile(*record, fresh));

    std::string sameValuesLf = ReadFileText(fresh);
    for (size_t at = sameValuesLf.find('\r'); at != std::string::npos; at = sameValuesLf.find('\r', at)) {
        sameValuesLf.erase(at, 1);
    }
    const std::string existing[] = {
        // Other sections and unknown keys, keys in another order and case, the section in another case.
        "[Other]\r\nx=1\r\n[setting]\r\nUnknown=7\r\nmousespeed=3\r\nDbleClickSpeed = 400\r\nMACROKEYINFO5=00\r\n"
        "ProFileName=Old\r\n[Tail]\r\ny=2\r\n",
        // Keys before any section, blank lines, LF line ends, a key without a value, a duplicate, no final line end.
        "top=1\n\n[Setting]\n\nCpi_X\nCpi_X=2\nCpi_X=3\n  GameFile =  old.exe  \n[Setting]\nLate=1",
        // A file of an older version, its indicators under their older names.
        "[Setting]\r\ndpibyDpiIndicator0=4\r\nModeStatus=1\r\n",
        // Every value already the same: left exactly as it is.
        sameValuesLf,
        "",
    };
    int n = 0;
    for (const std::string& bytes : existing) {
        const std::string ours = folder.Path() + "ours" + std::to_string(n) + ".tvp";
        const std::string platform = folder.Path() + "platform" + std::to_string(n) + ".tvp";
        WriteFileText(ours, bytes);
        WriteFileText(platform, bytes);
        EXPECT_EQ(1, WriteProfileFile(*record, ours));
        WriteKeyByKey(fresh, platform);
        EXPECT_TRUE(ReadFileText(platform) == ReadFileText(ours)) << "existing file " << n << ":\n"
                                                                  << ReadFileText(ours);
        ++n;
    }
    EXPECT_EQ(sameValuesLf, ReadFileText(folder.Path() + "ours3.tvp"));
    // And over no file at all.
    const std::string created = folder.Path() + "created.tvp";
    WriteKeyByKey(fresh, created);
    EXPECT_TRUE(ReadFileText(created) == ReadFileText(fresh));
}

// Wine run as root writes into read-only folders and over read-only files alike, so a save that cannot write is made
// here by a folder standing where the temporary file of each profile file would go.
TEST(ProfileFile, ASaveThatCannotWriteReportsFailureAndLeavesTheOldFilesWhole) {
    TempFolder folder;
    auto data = DefaultData(-1);
    ASSERT_EQ(1, SaveAllProfiles(*data, folder.Path()));
    std::string before[kProfileCount];
    for (int n = 0; n < kProfileCount; ++n) {
        before[n] = ReadFileText(ProfileFilePath(folder.Path(), n));
        ASSERT_TRUE(CreateDirectoryA(TemporaryPathFor(ProfileFilePath(folder.Path(), n)).c_str(), nullptr));
        data->Profile[n].Brightness = 31;
    }
    EXPECT_EQ(0, SaveAllProfiles(*data, folder.Path()));
    for (int n = 0; n < kProfileCount; ++n) {
        EXPECT_TRUE(before[n] == ReadFileText(ProfileFilePath(folder.Path(), n))) << n;
        EXPECT_EQ(0, WriteProfileFile(data->Profile[n], ProfileFilePath(folder.Path(), n)));
        RemoveDirectoryA(TemporaryPathFor(ProfileFilePath(folder.Path(), n)).c_str());
    }
    // A program folder that is gone: nothing can be written, and that is said.
    EXPECT_EQ(0, SaveAllProfiles(*data, folder.Path() + "gone\\"));
    // Once it can write again, config\ comes back when it is missing.
    EXPECT_EQ(1, SaveAllProfiles(*data, folder.Path()));
    EXPECT_TRUE(RemoveDirectoryA((folder.Path() + "config").c_str()) == FALSE);
    TempFolder bare;
    RemoveDirectoryA((bare.Path() + "config").c_str());
    EXPECT_EQ(1, SaveAllProfiles(*data, bare.Path()));
    auto back = std::make_unique<ShareData>();
    LoadAllProfiles(*back, bare.Path());
    EXPECT_EQ(31, back->Profile[4].Brightness);
}

// A damaged file of a million keys loads without exhausting memory; a file above the read bounds (lowered here, so
// that no test writes 64 MB) is read only in part, and a part is never taken for the file: not a profile, not read,
// and not written over.
TEST(ProfileFile, HugeFilesAreReadWithinTheirBound) {
    TempFolder folder;
    const std::string path = ProfileFilePath(folder.Path(), 0);
    std::string text = "[Setting]\r\nProFileName=Big\r\nMouseSpeed=7\r\n";
    for (int i = 0; i < 1000000; ++i) {
        text += "Junk" + std::to_string(i) + "=1\r\n";
    }
    text += "Brightness=12\r\n";
    WriteFileText(path, text);
    auto record = std::make_unique<ProfileRecord>();
    ASSERT_EQ(ProfileRead::Done, ReadProfileFile(*record, path));
    EXPECT_STREQ("Big", record->ProFileName);
    EXPECT_EQ(7, record->MouseSpeed);
    EXPECT_EQ(12, record->Brightness);

    const std::string small = "[Setting]\r\nProFileName=Small\r\nMouseSpeed=9\r\nJunk=1\r\nBrightness=12\r\n";
    WriteFileText(path, small);
    std::string bytes;
    IniDocument document;
    {
        // Exactly at both bounds: whole.
        ScopedReadBounds bounds({small.size(), 5});
        EXPECT_EQ(FileRead::Done, ReadWholeFile(path, bytes));
        EXPECT_EQ(small, bytes);
        EXPECT_EQ(FileRead::Done, LoadIniDocument(path, document));
        EXPECT_TRUE(IsProfileFile(path));
    }
    auto before = std::make_unique<ProfileRecord>();
    ASSERT_EQ(ProfileRead::Done, ReadProfileFile(*before, path));
    before->Brightness = 30;
    for (const ReadBounds& cut : {ReadBounds{small.size() - 10, 100}, ReadBounds{1000, 4}}) {
        ScopedReadBounds bounds(cut);
        const bool bytesCut = cut.bytes < small.size();
        EXPECT_EQ(bytesCut ? FileRead::Cut : FileRead::Done, ReadWholeFile(path, bytes));
        EXPECT_EQ(bytesCut ? small.substr(0, cut.bytes) : small, bytes);
        // What was read is there to be shown.
        EXPECT_EQ(FileRead::Cut, LoadIniDocument(path, document));
        EXPECT_EQ(9, document.GetInt("Setting", "MouseSpeed", -1));
        EXPECT_EQ(-1, document.GetInt("Setting", "Brightness", -1));

        EXPECT_FALSE(IsProfileFile(path));
        std::memset(record.get(), 0x5A, sizeof *record);
        EXPECT_EQ(ProfileRead::Unreadable, ReadProfileFile(*record, path));
        EXPECT_EQ(0x5A5A5A5A, record->MouseSpeed);
        EXPECT_EQ(0, WriteProfileFile(*before, path));
        EXPECT_EQ(small, ReadFileText(path));
    }
    ASSERT_EQ(1, WriteProfileFile(*before, path));
    ASSERT_EQ(ProfileRead::Done, ReadProfileFile(*record, path));
    EXPECT_EQ(30, record->Brightness);
}
