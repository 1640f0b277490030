#include "option/skin/mask_runs.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

namespace {

struct Picture {
    int width, height;
    std::vector<uint8_t> bits; // top-down rows of BGRX
    Picture(int w, int h, uint32_t fill) : width(w), height(h), bits(MaskStride(w) * h) {
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                Set(x, y, fill);
            }
        }
    }
    void Set(int x, int y, uint32_t c) {
        uint8_t* p = &bits[MaskStride(width) * y + 4 * x];
        p[0] = (c >> 16) & 0xFF;
        p[1] = (c >> 8) & 0xFF;
        p[2] = c & 0xFF;
        p[3] = 0;
    }
    std::vector<RunBlock> Scan(uint32_t colour = 0xFFFFFF, uint32_t tolerance = 0) const {
        std::vector<RunBlock> batches;
        ScanMaskRuns(
            width, height, [this](int y) { return &bits[MaskStride(width) * y]; }, TransparentRange(colour, tolerance),
            [&](const RunBlock& b) { batches.push_back(b); });
        return batches;
    }
};

std::set<std::pair<int, int>> Covered(const std::vector<RunBlock>& batches) {
    std::set<std::pair<int, int>> px;
    for (const auto& b : batches) {
        for (const auto& r : b.Rects()) {
            EXPECT_EQ(r.top + 1, r.bottom);
            for (int x = r.left; x < r.right; ++x) {
                px.insert({x, r.top});
            }
        }
    }
    return px;
}

} // namespace

TEST(MaskRuns, AllWhiteGivesOneEmptyFlush) {
    Picture p(30, 20, 0xFFFFFF);
    auto batches = p.Scan();
    ASSERT_EQ(1u, batches.size());
    EXPECT_TRUE(batches[0].Rects().empty());
}

TEST(MaskRuns, NoWhiteGivesOneFullRowRunPerRow) {
    Picture p(30, 20, 0x000000);
    auto batches = p.Scan();
    ASSERT_EQ(1u, batches.size());
    ASSERT_EQ(20u, batches[0].Rects().size());
    EXPECT_EQ(0, batches[0].Bound().left);
    EXPECT_EQ(0, batches[0].Bound().top);
    EXPECT_EQ(30, batches[0].Bound().right);
    EXPECT_EQ(20, batches[0].Bound().bottom);
}

TEST(MaskRuns, NearWhiteIsOpaqueWithZeroToleranceOnly) {
    Picture p(4, 1, 0xFFFFFF);
    p.Set(1, 0, 0xFEFFFF);
    EXPECT_EQ(1u, p.Scan()[0].Rects().size());
    EXPECT_EQ(0u, p.Scan(0xFEFEFE, 0x010101)[0].Rects().size());
}

TEST(MaskRuns, ManyRunsAreFlushedEvery2000AndCoverExactlyTheOpaquePixels) {
    // A checkerboard: every other pixel opaque, 100 runs a row over 50 rows = 5000 runs.
    Picture p(200, 50, 0xFFFFFF);
    std::set<std::pair<int, int>> expected;
    for (int y = 0; y < 50; ++y) {
        for (int x = (y & 1); x < 200; x += 2) {
            p.Set(x, y, 0x123456);
            expected.insert({x, y});
        }
    }
    auto batches = p.Scan();
    ASSERT_EQ(3u, batches.size());
    EXPECT_EQ(2000u, batches[0].Rects().size());
    EXPECT_EQ(2000u, batches[1].Rects().size());
    EXPECT_EQ(1000u, batches[2].Rects().size());
    EXPECT_EQ(expected, Covered(batches));
}

TEST(MaskRuns, BlockGrowsByHundredAndEmptiesWithItsBound) {
    RunBlock b;
    EXPECT_EQ(100u, b.Capacity());
    for (int i = 0; i < 101; ++i) {
        b.Add({i, 0, i + 1, 1});
    }
    EXPECT_EQ(200u, b.Capacity());
    EXPECT_EQ(101, b.Bound().right);
    b.Clear();
    EXPECT_EQ(100u, b.Capacity());
    EXPECT_TRUE(b.Rects().empty());
    EXPECT_GT(b.Bound().left, b.Bound().right);
}

TEST(MaskRuns, RunsEndAtTheRowEnd) {
    Picture p(5, 1, 0xFFFFFF);
    p.Set(3, 0, 0);
    p.Set(4, 0, 0);
    auto r = p.Scan()[0].Rects();
    ASSERT_EQ(1u, r.size());
    EXPECT_EQ(3, r[0].left);
    EXPECT_EQ(5, r[0].right);
}
