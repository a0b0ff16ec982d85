#pragma once
// The arithmetic of one progress-strip redraw, apart from any drawing: how far the
// counter moves, what percentage it shows and where the percentage text goes.
// Scale units are the strip's own: its width is the number of rows of the fill.

#include <QString>
#include <cstdint>

namespace kit {

// Rounds to the nearest integer, halves to the even neighbour. Throws
// platform::ComError (6, "Overflow") outside the 32-bit range.
int32_t roundHalfEven(double value);

// Advances `progress` by `units`, then clamps it to the scale width (rounded).
// An advance that would leave the 32-bit range throws platform::ComError
// (6, "Overflow") and leaves `progress` unchanged. A scale width of 0 or less
// does not clamp.
void advanceCounter(int32_t& progress, int32_t units, double scaleWidth);

// progress / scaleWidth x 100, rounded half to even; 0 for a scale without width.
int percentOf(int32_t progress, double scaleWidth);
// The text of a percentage ("42%").
QString percentText(int percent);

struct ProgressFrame {
    bool drawable = false;  // false when the scale has no width: nothing is drawn
    int32_t filled = 0;     // right edge of the filled box, in scale units
    QString text;           // percent + "%"
    int32_t textX = 0;      // top-left of the text, in scale units
    int32_t textY = 0;
};

// What to draw for a counter: the text centred (each offset is the free space
// rounded, then halved with the remainder dropped) and the box up to the counter.
// textWidth/textHeight are the extent of percentText(percentOf(...)) in scale units.
ProgressFrame frameFor(int32_t progress, double scaleWidth, double scaleHeight, double textWidth,
                       double textHeight);

}  // namespace kit
