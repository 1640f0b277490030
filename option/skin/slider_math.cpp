#include "option/skin/slider_math.h"

#include <algorithm>
#include <cmath>

namespace {

SliderValue Finish(double raw, const SliderRange& range) {
    double v = range.round ? std::floor(raw + 0.5) : std::trunc(raw);
    double lo = std::min(range.minimum, range.maximum);
    double hi = std::max(range.minimum, range.maximum);
    v = std::clamp(v, lo, hi);
    return {raw, static_cast<int>(v)};
}

} // namespace

int ClampSliderValue(int v, const SliderRange& range) {
    return std::clamp(v, std::min(range.minimum, range.maximum), std::max(range.minimum, range.maximum));
}

int ThumbLeftForValue(int v, const SliderRange& range, int leftLimit, int rightLimit, int thumbWidth) {
    v = ClampSliderValue(v, range);
    if (range.maximum == range.minimum) {
        return leftLimit;
    }
    double room = static_cast<double>(rightLimit) - leftLimit - thumbWidth;
    double offset =
        room * (static_cast<double>(v) - range.minimum) / (static_cast<double>(range.maximum) - range.minimum);
    return leftLimit + static_cast<int>(std::trunc(offset));
}

SliderValue TrackClickValue(int x, int trackLeft, int trackRight, const SliderRange& range) {
    if (trackRight == trackLeft) {
        return Finish(range.minimum, range);
    }
    double raw = (static_cast<double>(x) - trackLeft) * (static_cast<double>(range.maximum) - range.minimum) /
                     (static_cast<double>(trackRight) - trackLeft) +
                 range.minimum;
    return Finish(raw, range);
}

int DragThumbLeft(int x, int grabX, int leftLimit, int rightLimit, int thumbWidth) {
    long long left = static_cast<long long>(x) - grabX;
    long long hi = std::max<long long>(leftLimit, static_cast<long long>(rightLimit) - thumbWidth);
    return static_cast<int>(std::clamp<long long>(left, leftLimit, hi));
}

SliderValue ThumbValue(int thumbLeft, int leftLimit, int rightLimit, int thumbWidth, const SliderRange& range) {
    double room = static_cast<double>(rightLimit) - leftLimit - thumbWidth;
    if (room == 0) {
        return Finish(range.minimum, range);
    }
    double raw =
        (static_cast<double>(thumbLeft) - leftLimit) * (static_cast<double>(range.maximum) - range.minimum) / room +
        range.minimum;
    return Finish(raw, range);
}
