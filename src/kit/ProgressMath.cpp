#include "kit/ProgressMath.h"

#include "platform/ComError.h"

#include <cmath>
#include <limits>

namespace kit {
namespace {
[[noreturn]] void overflow() { throw platform::ComError(6, QStringLiteral("Overflow")); }
}  // namespace

// The default floating-point rounding mode (to nearest) rounds halves to even.
int32_t roundHalfEven(double value) {
    const double r = std::nearbyint(value);
    if (!(r >= std::numeric_limits<int32_t>::min() && r <= std::numeric_limits<int32_t>::max()))
        overflow();
    return static_cast<int32_t>(r);
}

void advanceCounter(int32_t& progress, int32_t units, double scaleWidth) {
    int32_t next = 0;
    if (__builtin_add_overflow(progress, units, &next)) overflow();
    if (scaleWidth > 0 && next > scaleWidth) next = roundHalfEven(scaleWidth);
    progress = next;
}

int percentOf(int32_t progress, double scaleWidth) {
    if (!(scaleWidth > 0)) return 0;
    return roundHalfEven(static_cast<double>(progress) / scaleWidth * 100.0);
}

QString percentText(int percent) { return QString::number(percent) + QLatin1Char('%'); }

ProgressFrame frameFor(int32_t progress, double scaleWidth, double scaleHeight, double textWidth,
                       double textHeight) {
    ProgressFrame frame;
    if (!(scaleWidth > 0)) return frame;
    frame.drawable = true;
    frame.filled = progress;
    frame.text = percentText(percentOf(progress, scaleWidth));
    // Integer division truncates, as the remainder is dropped.
    frame.textX = roundHalfEven(scaleWidth - textWidth) / 2;
    frame.textY = roundHalfEven(scaleHeight - textHeight) / 2;
    return frame;
}

}  // namespace kit
