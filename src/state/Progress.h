#pragma once
// The list fills report their progress through this view: begin with the number
// of rows, one step per row (which also lets the window process its pending
// messages), end when the last row is read. The main window and the pickers
// draw it as the progress strip of their status bars.

namespace state {

class ProgressView {
public:
    virtual ~ProgressView() = default;
    virtual void begin(int rows) = 0;  // progress to 0, scale to `rows`, strip shown
    virtual void step() = 0;           // one unit drawn, then pending messages processed
    virtual void end() = 0;            // strip cleared, repainted and hidden
};

// Draws nothing (fills without a window, tests).
class NoProgress : public ProgressView {
public:
    void begin(int) override {}
    void step() override {}
    void end() override {}
};

}  // namespace state
