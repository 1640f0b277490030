#include "common/temporary_name.h"

#include <gtest/gtest.h>

TEST(TemporaryName, TheWritersNamesAndNoOthers) {
    EXPECT_EQ("C:\\k\\config.ini.4012-77.tmp", TemporaryName("C:\\k\\config.ini", 4012, 77));
    for (const char* ours :
         {"config.ini.4012-77.tmp", "Default0.tvp.1-2.tmp", "sequence.dat.4294967295-0.TMP", "mine.tvp.new.12-3.tmp"}) {
        EXPECT_TRUE(IsTemporaryName(ours)) << ours;
    }
    for (const char* other : {"config.ini", "backup.tmp", "x.12.tmp", "x.-12.tmp", "x.12-.tmp", ".12-3.tmp",
                              "x12-3.tmp", "x.1a-3.tmp", "x.12-3.tmp.txt", "x.12345678901-3.tmp", ".tmp", ""}) {
        EXPECT_FALSE(IsTemporaryName(other)) << other;
    }
}
