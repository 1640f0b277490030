#include "option/skin/mask_runs.h"

#include <algorithm>
#include <climits>

RunBlock::RunBlock() {
    Clear();
}

void RunBlock::Clear() {
    rects_.clear();
    rects_.shrink_to_fit();
    capacity_ = kGrowBy;
    rects_.reserve(capacity_);
    bound_ = {INT_MAX, INT_MAX, INT_MIN, INT_MIN};
}

void RunBlock::Add(const RunRect& r) {
    if (rects_.size() >= capacity_) {
        capacity_ += kGrowBy;
        rects_.reserve(capacity_);
    }
    rects_.push_back(r);
    bound_.left = std::min(bound_.left, r.left);
    bound_.top = std::min(bound_.top, r.top);
    bound_.right = std::max(bound_.right, r.right);
    bound_.bottom = std::max(bound_.bottom, r.bottom);
}

MaskRange TransparentRange(uint32_t colour, uint32_t tolerance) {
    MaskRange range{};
    for (int channel = 0; channel < 3; ++channel) {
        unsigned c = (colour >> (8 * channel)) & 0xFF;
        unsigned t = (tolerance >> (8 * channel)) & 0xFF;
        range.lo[channel] = static_cast<uint8_t>(c);
        range.hi[channel] = static_cast<uint8_t>(std::min(255u, c + t));
    }
    return range;
}

namespace {

bool IsTransparent(const uint8_t* px, const MaskRange& r) {
    // Memory order blue, green, red.
    uint8_t red = px[2], green = px[1], blue = px[0];
    return red >= r.lo[0] && red <= r.hi[0] && green >= r.lo[1] && green <= r.hi[1] && blue >= r.lo[2] &&
           blue <= r.hi[2];
}

} // namespace

void ScanMaskRuns(int width, int height, const std::function<const uint8_t*(int y)>& rowAt, const MaskRange& range,
                  const std::function<void(const RunBlock&)>& flush) {
    RunBlock block;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = rowAt(y);
        if (!row) {
            continue;
        }
        int x = 0;
        while (x < width) {
            while (x < width && IsTransparent(row + 4 * x, range)) {
                ++x;
            }
            if (x >= width) {
                break;
            }
            int x0 = x;
            while (x < width && !IsTransparent(row + 4 * x, range)) {
                ++x;
            }
            block.Add({x0, y, x, y + 1});
            if (block.Rects().size() >= RunBlock::kFlushAt) {
                flush(block);
                block.Clear();
            }
        }
    }
    flush(block);
}
