#pragma once
// The outline of a skinned window from its mask picture, as runs of opaque pixels per row. The Windows side turns
// each batch of runs into a region and joins the batches with a union.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

struct RunRect {
    int left;
    int top;
    int right;
    int bottom;
};

// The rectangle list: one block that starts with room for 100 rectangles and grows by 100 when full, with a bounding
// rectangle that starts empty at the largest coordinates and widens with every rectangle added.
class RunBlock {
public:
    static constexpr std::size_t kGrowBy = 100;
    static constexpr std::size_t kFlushAt = 2000;

    RunBlock();
    void Add(const RunRect& r);
    void Clear();
    const std::vector<RunRect>& Rects() const { return rects_; }
    std::size_t Capacity() const { return capacity_; }
    const RunRect& Bound() const { return bound_; }

private:
    std::vector<RunRect> rects_;
    std::size_t capacity_ = 0;
    RunRect bound_;
};

// A 32-bit pixel as the platform stores it: blue, green, red, unused. Colours are 0x00BBGGRR values.
struct MaskRange {
    uint8_t lo[3]; // red, green, blue
    uint8_t hi[3];
};
// The transparent range per channel: [c, min(255, c + t)] for the colour's and the tolerance's channels.
MaskRange TransparentRange(uint32_t colour, uint32_t tolerance);

// Scans a 32-bpp picture from its top row down; rowAt(y) gives the pixels of picture row y (0 = top). For every run
// of opaque pixels adds (x0, y, x1, y + 1) to the block; when the block holds 2000 rectangles it is handed to flush
// and emptied. After the last row flush is called once more with what remains, even when that is nothing.
void ScanMaskRuns(int width, int height, const std::function<const uint8_t*(int y)>& rowAt, const MaskRange& range,
                  const std::function<void(const RunBlock&)>& flush);

// The row stride of a 32-bpp section, rounded up to a multiple of 4 bytes.
inline std::size_t MaskStride(int width) {
    return ((static_cast<std::size_t>(width) * 32 + 31) / 32) * 4;
}
