// The one-pass reader and writer against the platform's private-profile functions, over a corpus of odd files: every
// value read both ways must agree, and the same writes must leave the same bytes.

#include <windows.h>

#include "common/ini_document.h"
#include "common/ini_file.h"
#include "common/profile_file.h"
#include "testing/files.h"
#include "testing/profiles.h"
#include "testing/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

// '@' stands for a NUL byte.
std::string WithNuls(std::string text) {
    std::replace(text.begin(), text.end(), '@', '\0');
    return text;
}

// Files as the cases name them, written with LF; Variants gives each with CRLF, CR, and without a final line end.
const std::vector<std::string>& HandWritten() {
    static const std::vector<std::string> files = {
        "",
        "\n\n\n",
        "[Setting]",
        "[Setting]\nProFileName=Arena\nMouseSpeed=12\n",
        "  [Setting]  \n  ProFileName  =  Arena Night  \n\tMouseSpeed\t=\t12\t\n",
        "[setting]\nmousespeed=3\nMOUSESPEED=4\nMouseSpeed=5\n",
        "[Setting]\nMouseSpeed\nMouseSpeed=7\n",
        "[Setting]\nA=\"quoted\"\nB='single'\nC=\"open\nD=\"\nE=''\nF=\"a\"b\"\nG='\n",
        "[Setting]\nHex=0x10\nUp=0X10\nTrail=12abc\nMinus=-\nPlus=+7\nNeg=-12\nOct=0o17\nBin=0b11\nBig=99999999999\n"
        "Wrap=4294967295\nMin=-2147483648\nSpace=  42  \nCtl=\x01\x02"
        "5\nLead=0007\nDot=3.9\nQuoted='42'\n",
        "[Setting]\nEmpty=\nBlank=   \nEq==\nTwo=a=b\n=NoName\n==\n",
        "keyBefore=1\n[Setting]\nK=2\n[]\nK=3\n[ Setting ]\nK=4\n[Setting]\nK=5\n",
        "[Setting]junk after\nK=1\n[Se]tting]\nK=2\n[Open\nK=3\n",
        "[Setting]\n;comment=1\n#hash=2\nK=3\n",
        "[Setting]\r\r\n\n\rK=1\r\r\rL=2",
        "[Setting]\nK=\x1A"
        "5\x1A\n\x1A"
        "L=6\n",
        "[Setting]\nHigh=\xE9t\xE9 \xA0\nName\xC4=1\nNbsp=\xA0"
        "7\xA0\n",
        "\xEF\xBB\xBF[Setting]\nK=1\n",
        "[Setting]\nK=1\n[Macros]\nnumber=2\nS0=01A0FF10B0\nS1=01a0ff10b0\nS2=01A0FF10B1\nS3=01A0FF10\n"
        "S4=01A0FF10B000\nS5=01A0FF10B00\nS6=\"01A0FF10B0\"\nS7= 01A0FF10B0 \nS8=01A0FG10B0\n",
        WithNuls("[Setting]\nN=5@9\nT=ab@cd\nK@x=1\n[Sec@tion]\nK=2\n[@]\nK=3\n"),
        "[Setting]\nLong=" + std::string(3000, 'q') + "\nFits=\"" + std::string(2046, 'a') + "\"\nFills=\"" +
            std::string(2047, 'b') + "\"\nOver=\"" + std::string(2050, 'c') + "\"\nNum=" + std::string(40, '0') +
            "7\nNum29=" + std::string(28, '0') + "7\n",
        "[Setting]\n" + std::string(5000, 'x') + "=1\nK=" + std::string(70000, 'v') + "\n",
    };
    return files;
}

std::vector<std::string> Variants(const std::string& lf) {
    std::vector<std::string> out = {lf};
    std::string crlf, cr;
    for (char c : lf) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        cr += c == '\n' ? '\r' : c;
    }
    out.push_back(crlf);
    out.push_back(cr);
    if (!lf.empty() && lf.back() == '\n') {
        out.push_back(lf.substr(0, lf.size() - 1));
    }
    return out;
}

// A profile file and a sequence file as the programs write them.
std::vector<std::string> RealFiles() {
    auto record = DefaultProfile(2);
    std::strcpy(record->ProFileName, "Arena Night");
    record->MouseSpeed = 14;
    record->MacroKey[3].FunctionCode = 6;
    record->MacroKey[3].RepeatCount = 3;
    IniDocument profile;
    WriteProfile(*record, profile);
    std::string library = "[Macros]\r\nnumber=3\r\n";
    unsigned char bytes[260];
    for (int i = 0; i < 3; ++i) {
        for (int b = 0; b < 260; ++b) {
            bytes[b] = static_cast<unsigned char>(b * 7 + i);
        }
        library += std::to_string(i) + "=" + EncodeStruct(bytes, 260) + "\r\n";
    }
    return {profile.Bytes(), library};
}

// Random damage: bytes changed, lines cut, duplicated or joined, odd bytes put in.
std::string Mutate(std::string text, std::mt19937& random) {
    static const char kOdd[] = {'\r', '\n',   '[',    ']',    '=',    ' ', '\t', '"', '\'',
                                '\0', '\x1A', '\xA0', '\x85', '\xE9', '0', 'x',  ';'};
    const int edits = 1 + static_cast<int>(random() % 4);
    for (int e = 0; e < edits && !text.empty(); ++e) {
        const size_t at = random() % text.size();
        switch (random() % 6) {
        case 0:
            text[at] = kOdd[random() % sizeof kOdd];
            break;
        case 1:
            text.insert(at, 1, kOdd[random() % sizeof kOdd]);
            break;
        case 2:
            text.erase(at, 1 + random() % 40);
            break;
        case 3:
            text.resize(at);
            break;
        case 4: {
            const size_t start = text.rfind('\n', at);
            const size_t begin = start == std::string::npos ? 0 : start + 1;
            const size_t end = text.find('\n', at);
            text.insert(begin, text.substr(begin, end == std::string::npos ? std::string::npos : end - begin + 1));
            break;
        }
        default:
            text[at] = static_cast<char>(random() % 256);
            break;
        }
    }
    return text;
}

bool IsBlankByte(char c) {
    return c == ' ' || c == '\t' || c == '\x1A' || (c >= '\x09' && c <= '\x0D');
}

// Names to ask for: the programs' own, and a sample of what looks like a section or key name in the file, some in
// the other case too. Only names the programs could ask for: printable ASCII without blanks at either end.
void Candidates(const std::string& text, std::set<std::string>& sections, std::set<std::string>& keys) {
    sections = {"Setting", "setting", "Macros", ""};
    keys = {"ProFileName", "MouseSpeed", "mousespeed", "MacroKeyInfo3", "number", "0", "1", "K", "Missing"};
    std::vector<std::string> found;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && IsBlankByte(line.front())) {
            line.erase(0, 1);
        }
        while (!line.empty() && IsBlankByte(line.back())) {
            line.pop_back();
        }
        if (!line.empty() && line[0] == '[') {
            sections.insert(line.substr(1, line.find(']') - 1));
            continue;
        }
        std::string name = line.substr(0, line.find('='));
        while (!name.empty() && IsBlankByte(name.back())) {
            name.pop_back();
        }
        found.push_back(name);
    }
    const size_t step = found.size() / 16 + 1;
    for (size_t i = 0; i < found.size(); i += step) {
        keys.insert(found[i]);
        std::string swapped = found[i];
        for (char& c : swapped) {
            const auto u = static_cast<unsigned char>(c);
            c = static_cast<char>(std::isupper(u) ? std::tolower(u) : std::toupper(u));
        }
        keys.insert(swapped);
    }
    auto unfit = [](const std::string& name) {
        return name.size() > 200 || (!name.empty() && (name.front() == ' ' || name.back() == ' ')) ||
               std::any_of(name.begin(), name.end(), [](char c) { return c < 0x20 || c > 0x7E; });
    };
    for (std::set<std::string>* names : {&sections, &keys}) {
        for (auto it = names->begin(); it != names->end();) {
            it = unfit(*it) ? names->erase(it) : std::next(it);
        }
    }
}

// The file read through the platform's private-profile functions, as the programs once read it.
class PlatformIni {
public:
    explicit PlatformIni(std::string path) : path_(std::move(path)) {}
    std::string GetString(const char* section, const char* key, const char* defaultText) const {
        char buffer[IniDocument::kStringBufferSize];
        buffer[0] = '\0';
        DWORD n = GetPrivateProfileStringA(section, key, defaultText, buffer, sizeof buffer, path_.c_str());
        return std::string(buffer, std::min<size_t>(n, sizeof buffer - 1));
    }
    int GetInt(const char* section, const char* key, int defaultValue) const {
        return static_cast<int>(GetPrivateProfileIntA(section, key, defaultValue, path_.c_str()));
    }
    bool HasKey(const char* section, const char* key) const {
        char buffer[4];
        return GetPrivateProfileStringA(section, key, "", buffer, sizeof buffer, path_.c_str()) > 0;
    }
    // Some platforms take a value with surplus digits after the checksum as good, and decode into the buffer before
    // they compare the checksum: only a value of the exact length, decoded into a scratch buffer, counts.
    bool GetStruct(const char* section, const char* key, void* buffer, unsigned size) const {
        std::vector<char> text(2 * static_cast<size_t>(size) + 4);
        DWORD n =
            GetPrivateProfileStringA(section, key, "", text.data(), static_cast<DWORD>(text.size()), path_.c_str());
        if (n != 2 * static_cast<size_t>(size) + 2) {
            return false;
        }
        std::vector<unsigned char> scratch(size);
        if (!GetPrivateProfileStructA(section, key, scratch.data(), size, path_.c_str())) {
            return false;
        }
        std::copy(scratch.begin(), scratch.end(), static_cast<unsigned char*>(buffer));
        return true;
    }

private:
    std::string path_;
};

// Every value of the file read both ways; the first difference is reported with the file's number.
void ExpectSameReads(const std::string& folder, const std::string& bytes, int number) {
    const std::string path = folder + "read-" + std::to_string(number) + ".ini";
    WriteFileText(path, bytes);
    const PlatformIni platform(path);
    const IniDocument ours(bytes);
    std::set<std::string> sections, keys;
    Candidates(bytes, sections, keys);
    int differences = 0;
    for (const std::string& section : sections) {
        for (const std::string& key : keys) {
            const char* s = section.c_str();
            const char* k = key.c_str();
            const std::string where = "file " + std::to_string(number) + " [" + section + "] " + key;
            const std::string text = platform.GetString(s, k, "");
            EXPECT_EQ(text, ours.GetString(section, key)) << where;
            if (text.empty()) {
                // The platform reads an empty or missing value as the default, and no structure from it: not asked
                // again, to keep the corpus quick.
                EXPECT_EQ(-1, ours.GetInt(section, key, -1)) << where;
                EXPECT_FALSE(ours.HasKey(section, key)) << where;
                unsigned char none[4] = {};
                EXPECT_FALSE(ours.GetStruct(section, key, none, sizeof none)) << where;
                continue;
            }
            EXPECT_EQ(platform.GetInt(s, k, -1), ours.GetInt(section, key, -1)) << where;
            EXPECT_EQ(platform.HasKey(s, k), ours.HasKey(section, key)) << where;
            // The sizes the programs read: a button entry, a macro record; and a short one.
            const unsigned size = key.rfind("MacroKeyInfo", 0) == 0 || key.rfind("macrokeyinfo", 0) == 0 ? 504u
                                  : std::isdigit(static_cast<unsigned char>(key[0]))                     ? 260u
                                                                                                         : 4u;
            std::vector<unsigned char> a(size, 0xEE), b(size, 0xEE);
            const bool pa = platform.GetStruct(s, k, a.data(), size);
            const bool pb = ours.GetStruct(section, key, b.data(), size);
            EXPECT_EQ(pa, pb) << where << " struct " << size;
            EXPECT_TRUE(a == b) << where << " struct " << size;
            if (::testing::Test::HasFailure() && ++differences > 3) {
                FAIL() << "stopped after the first differences of file " << number;
            }
        }
    }
}

// The same writes through the platform, key by key, and through the document must leave the same bytes.
void ExpectSameWrites(const std::string& folder, const std::string& bytes, int number) {
    const std::string path = folder + "write-" + std::to_string(number) + ".ini";
    WriteFileText(path, bytes);
    IniDocument ours(bytes);
    const struct {
        const char* section;
        const char* key;
        const char* value;
    } writes[] = {
        {"Setting", "MouseSpeed", "12"},
        {"setting", "K", "  5"},
        {"Setting", "NewKey", "new value "},
        {"Macros", "0", "01A0FF10B0"},
        {"Other", "x", "1"},
        {"SETTING", "mousespeed", "12"},
        {"", "K", "top"},
        {"Setting", "Empty", ""},
    };
    for (const auto& w : writes) {
        WritePrivateProfileStringA(w.section, w.key, w.value, path.c_str());
        ours.SetString(w.section, w.key, w.value);
    }
    const std::string expected = ReadFileText(path);
    const std::string produced = ours.Changed() ? ours.Bytes() : bytes;
    EXPECT_TRUE(expected == produced) << "file " << number << " written:\n"
                                      << expected << "\n---- composed:\n"
                                      << produced;
}

bool HasHighBytes(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) > 127; });
}

// The hand-written files with their variants, the real files, mutations of both and a UTF-16 file.
std::vector<std::string> OddFiles() {
    std::vector<std::string> corpus;
    for (const std::string& file : HandWritten()) {
        for (const std::string& variant : Variants(file)) {
            corpus.push_back(variant);
        }
    }
    const std::vector<std::string> real = RealFiles();
    corpus.insert(corpus.end(), real.begin(), real.end());
    std::mt19937 random(20261208);
    for (int i = 0; i < 120; ++i) {
        corpus.push_back(Mutate(real[i % real.size()], random));
    }
    for (int i = 0; i < 30; ++i) {
        const std::vector<std::string>& hand = HandWritten();
        corpus.push_back(Mutate(hand[3 + i % (hand.size() - 3)], random));
    }
    // A UTF-16 file of plain characters.
    std::string wide = "\xFF\xFE";
    for (char c : std::string("[Setting]\r\nK=12\r\nName=Wide\r\n")) {
        wide += c;
        wide += '\0';
    }
    corpus.push_back(wide);
    return corpus;
}

// Every private-profile call goes through the Wine server: the files are taken in slices, one test each, so that
// none of them runs for minutes on a loaded machine.
constexpr int kSlices = 4;

} // namespace

class IniDifferential : public ::testing::TestWithParam<int> {};

TEST_P(IniDifferential, ReadsAndWritesAgreeWithThePlatformOverOddFiles) {
    const std::vector<std::string> corpus = OddFiles();
    const TempFolder folder;
    for (size_t n = static_cast<size_t>(GetParam()); n < corpus.size(); n += kSlices) {
        const std::string& file = corpus[n];
        // Behind a UTF-8 mark the platform converts characters, which this reader does not.
        const bool utf8 = file.compare(0, 3, "\xEF\xBB\xBF") == 0;
        if (utf8 && HasHighBytes(file)) {
            continue;
        }
        ExpectSameReads(folder.Path(), file, static_cast<int>(n));
        if (file.compare(0, 2, "\xFF\xFE") != 0) {
            ExpectSameWrites(folder.Path(), file, static_cast<int>(n));
        }
        if (HasFailure()) {
            return;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Slices, IniDifferential, ::testing::Range(0, kSlices));
