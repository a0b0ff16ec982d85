#include "kit/StatusProgress.h"

#include "kit/ProgressStrip.h"
#include "platform/ComError.h"

#include <QCoreApplication>

namespace kit {

void UpdateStatus(state::Globals& g, int32_t fileBytes, ProgressStrip& pict) {
    advanceCounter(g.lngProgress, fileBytes, pict.scaleWidth());
    const QString text = percentText(percentOf(g.lngProgress, pict.scaleWidth()));
    pict.draw(frameFor(g.lngProgress, pict.scaleWidth(), pict.scaleHeight(), pict.textWidth(text),
                       pict.textHeight(text)));
}

void StripProgress::begin(int rows) {
    g_.lngProgress = 0;
    strip_.setScaleWidth(rows);
    strip_.clear();
    strip_.show();
    strip_.raise();
}

void StripProgress::step() {
    try {
        UpdateStatus(g_, 1, strip_);
    } catch (const platform::ComError&) {
        // The counter is clamped to the row count, so it cannot overflow by single
        // steps; should it ever, the strip just stays as it is.
    }
    QCoreApplication::processEvents();
}

void StripProgress::end() {
    strip_.clear();
    strip_.repaint();
    strip_.hide();
}

}  // namespace kit
