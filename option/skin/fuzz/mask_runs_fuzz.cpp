// A mask picture of any size and any pixels, scanned into runs. The runs must cover exactly the opaque pixels, each
// once, inside the picture; blocks are handed over at 2000 rectangles with their true bounding rectangle.
#include "option/skin/mask_runs.h"
#include "testing/fuzz_check.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// Pictures up to a quarter million pixels: a skin's largest window is far smaller, and the run stays fast.
constexpr int kMaxSide = 4096;
constexpr std::size_t kMaxPixels = 1 << 18;

bool Transparent(const uint8_t* px, const MaskRange& r) {
    const uint8_t channel[3] = {px[2], px[1], px[0]}; // red, green, blue
    for (int c = 0; c < 3; ++c) {
        if (channel[c] < r.lo[c] || channel[c] > r.hi[c]) {
            return false;
        }
    }
    return true;
}

// The input: width and height (any int, little-endian), the transparent colour and the tolerance, a flags byte (bit 0:
// every seventh row is missing), then the picture's 32-bit pixels from its top row, repeated to fill the picture.
struct Header {
    int32_t width = 0;
    int32_t height = 0;
    uint32_t colour = 0;
    uint32_t tolerance = 0;
    uint8_t flags = 0;
};
constexpr std::size_t kHeaderBytes = 17;

Header ReadHeader(const uint8_t* data, std::size_t size) {
    uint8_t bytes[kHeaderBytes] = {};
    std::memcpy(bytes, data, std::min(size, kHeaderBytes));
    auto le32 = [&](std::size_t at) {
        return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
               static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
    };
    return {static_cast<int32_t>(le32(0)), static_cast<int32_t>(le32(4)), le32(8), le32(12), bytes[16]};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Header h = ReadHeader(data, size);
    const int width = h.width;
    const int height = h.height;
    const bool missingRows = (h.flags & 1) != 0;
    const std::vector<uint8_t> pixels(data + std::min(size, kHeaderBytes), data + size);

    const MaskRange range = TransparentRange(h.colour, h.tolerance);
    for (int c = 0; c < 3; ++c) {
        FUZZ_CHECK(range.lo[c] <= range.hi[c]);
    }

    // A size the picture cannot have scans nothing; a row the picture lacks (rowAt gives null) is skipped.
    const bool drawable = width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
                          static_cast<std::size_t>(width) * static_cast<std::size_t>(height) <= kMaxPixels;
    const int scanHeight = drawable ? height : std::min(height, 64);
    const std::size_t stride = drawable ? MaskStride(width) : 0;
    FUZZ_CHECK(!drawable || stride == 4 * static_cast<std::size_t>(width));

    // The picture bytes repeat the input over the whole picture (all zero when there are none).
    std::vector<uint8_t> bits(stride * static_cast<std::size_t>(drawable ? height : 0));
    for (std::size_t i = 0; i < bits.size() && !pixels.empty(); ++i) {
        bits[i] = pixels[i % pixels.size()];
    }
    auto rowAt = [&](int y) -> const uint8_t* {
        FUZZ_CHECK(y >= 0 && y < scanHeight);
        if (!drawable || (missingRows && y % 7 == 3)) {
            return nullptr;
        }
        return bits.data() + stride * static_cast<std::size_t>(y);
    };

    std::vector<uint8_t> covered(bits.size() / 4, 0);
    int flushes = 0;
    bool emptyFlushSeen = false;
    ScanMaskRuns(width, scanHeight, rowAt, range, [&](const RunBlock& block) {
        FUZZ_CHECK(!emptyFlushSeen); // only the very last flush may be empty
        ++flushes;
        const auto& rects = block.Rects();
        FUZZ_CHECK(rects.size() <= RunBlock::kFlushAt);
        FUZZ_CHECK(block.Capacity() >= rects.size() && block.Capacity() % RunBlock::kGrowBy == 0);
        emptyFlushSeen = rects.empty();
        RunRect bound{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
        for (const RunRect& r : rects) {
            FUZZ_CHECK(drawable);
            FUZZ_CHECK(r.left >= 0 && r.left < r.right && r.right <= width);
            FUZZ_CHECK(r.top >= 0 && r.bottom == r.top + 1 && r.bottom <= height);
            for (int x = r.left; x < r.right; ++x) {
                uint8_t& seen = covered[static_cast<std::size_t>(r.top) * static_cast<std::size_t>(width) + x];
                FUZZ_CHECK(seen == 0);
                seen = 1;
            }
            // A run ends at the picture's edge or at a transparent pixel.
            if (r.right < width) {
                FUZZ_CHECK(Transparent(&bits[stride * r.top + 4 * r.right], range));
            }
            bound = {std::min(bound.left, r.left), std::min(bound.top, r.top), std::max(bound.right, r.right),
                     std::max(bound.bottom, r.bottom)};
        }
        const RunRect& b = block.Bound();
        FUZZ_CHECK(b.left == bound.left && b.top == bound.top && b.right == bound.right && b.bottom == bound.bottom);
    });
    FUZZ_CHECK(flushes >= 1);

    if (drawable) {
        for (int y = 0; y < height; ++y) {
            const bool rowGiven = !(missingRows && y % 7 == 3);
            for (int x = 0; x < width; ++x) {
                const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x;
                const bool opaque = rowGiven && !Transparent(&bits[4 * at], range);
                FUZZ_CHECK(covered[at] == (opaque ? 1 : 0));
            }
        }
    }
    return 0;
}
