#pragma once
// Advancing a progress strip, and the list-fill protocol on top of it.

#include "state/Globals.h"
#include "state/Progress.h"

#include <cstdint>

namespace kit {

class ProgressStrip;

// Advances the shared counter `g.lngProgress` by `fileBytes` and redraws the strip
// from scratch (clear, percentage text, filled box). Throws platform::ComError
// on 32-bit overflow of the counter. A strip whose scale has no width is shown
// empty: there is no meaningful percentage to draw.
void UpdateStatus(state::Globals& g, int32_t fileBytes, ProgressStrip& pict);

// The list-fill protocol on one strip: begin resets the counter, sets the scale to
// the row count and shows the strip; each step advances by one and lets the
// window process its pending messages; end clears, repaints and hides the strip.
class StripProgress : public state::ProgressView {
public:
    StripProgress(state::Globals& g, ProgressStrip& strip) : g_(g), strip_(strip) {}
    void begin(int rows) override;
    void step() override;
    void end() override;

private:
    state::Globals& g_;
    ProgressStrip& strip_;
};

}  // namespace kit
