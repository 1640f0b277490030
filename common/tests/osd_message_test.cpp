#include "common/osd_message.h"

#include "common/messages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

TEST(OsdMessage, TextOfAWholeRecord) {
    char record[kOsdMessageRecordSize] = {};
    record[0] = 'X'; // not part of the text
    std::strcpy(record + 1, "Mail arrived");
    std::string text = "old";
    EXPECT_TRUE(ReadOsdMessage(151, record, sizeof record, text));
    EXPECT_EQ("Mail arrived", text);
}

TEST(OsdMessage, OtherIdentifiersChangeNothing) {
    char record[kOsdMessageRecordSize] = {0, 'h', 'i'};
    std::string text = "old";
    EXPECT_FALSE(ReadOsdMessage(150, record, sizeof record, text));
    EXPECT_TRUE(text.empty());
    EXPECT_FALSE(ReadOsdMessage(0, record, sizeof record, text));
}

TEST(OsdMessage, ReadsOnlyTheBytesGivenAndCutsAtTheRecordEnd) {
    // Exactly as many bytes as given, in a heap block of that size: reading one byte more trips the sanitizer.
    const char hello[] = {0, 'h', 'e', 'l', 'l', 'o'};
    auto shortRecord = std::make_unique<char[]>(sizeof hello);
    std::memcpy(shortRecord.get(), hello, sizeof hello);
    std::string text;
    EXPECT_TRUE(ReadOsdMessage(kOsdMessageDataId, shortRecord.get(), sizeof hello, text));
    EXPECT_EQ("hello", text);

    // No terminator within 151 bytes, more bytes after: the text is the 150 bytes of the record.
    std::vector<char> big(400, 'a');
    EXPECT_TRUE(ReadOsdMessage(kOsdMessageDataId, big.data(), big.size(), text));
    EXPECT_EQ(std::string(150, 'a'), text);

    auto exact = std::make_unique<char[]>(kOsdMessageRecordSize);
    std::memset(exact.get(), 'b', kOsdMessageRecordSize);
    EXPECT_TRUE(ReadOsdMessage(kOsdMessageDataId, exact.get(), kOsdMessageRecordSize, text));
    EXPECT_EQ(std::string(150, 'b'), text);

    text = "old";
    EXPECT_TRUE(ReadOsdMessage(kOsdMessageDataId, exact.get(), 1, text));
    EXPECT_TRUE(text.empty());
    EXPECT_TRUE(ReadOsdMessage(kOsdMessageDataId, nullptr, 151, text));
    EXPECT_TRUE(text.empty());
}
