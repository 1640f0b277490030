#pragma once
// Value arithmetic of the slider track and its thumb. Positions are pixels; a range whose ends are equal, or a track
// with no room for the thumb, maps everything to the minimum instead of dividing by zero.

struct SliderValue {
    double raw; // before rounding, for the trace line
    int value;  // rounded or truncated, clamped to [minimum, maximum]
};

struct SliderRange {
    int minimum = 0;
    int maximum = 10;
    bool round = false;
};

int ClampSliderValue(int v, const SliderRange& range);

// Thumb left edge for value v between leftLimit and rightLimit (thumb width thumbWidth).
int ThumbLeftForValue(int v, const SliderRange& range, int leftLimit, int rightLimit, int thumbWidth);

// A release on the track at x (both in the owner's client coordinates): the value under the pointer.
SliderValue TrackClickValue(int x, int trackLeft, int trackRight, const SliderRange& range);

// While dragging: where the thumb goes for a pointer at x grabbed at grabX, kept within the limits.
int DragThumbLeft(int x, int grabX, int leftLimit, int rightLimit, int thumbWidth);

// The value that a thumb at thumbLeft stands for.
SliderValue ThumbValue(int thumbLeft, int leftLimit, int rightLimit, int thumbWidth, const SliderRange& range);
