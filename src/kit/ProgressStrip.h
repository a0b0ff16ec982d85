#pragma once
// The progress strip: a box laid over a status bar's "progress" panel, drawn in
// memory and shown from there. Its horizontal scale is the number of rows of the
// running fill; each redraw prints the percentage in the middle and fills a box
// from the left edge to the progress so far, inverting the text beneath it.

#include "kit/ProgressMath.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

class QStatusBar;

namespace kit {

class ProgressStrip : public QWidget {
    Q_OBJECT
public:
    explicit ProgressStrip(QWidget* parent = nullptr);

    // Bold font, blue foreground, drawn from memory; then laid over `panel` of
    // `bar` (the panel's left and width, the bar's top and height), following
    // the panel when the bar is resized. Hidden until a fill shows it.
    void prepare(QStatusBar* bar, QWidget* panel);

    void setScaleWidth(double width) { scaleWidth_ = width; }
    double scaleWidth() const { return scaleWidth_; }
    // The vertical scale is the strip's height in pixels.
    double scaleHeight() const { return height(); }

    // Extent of a text in scale units.
    double textWidth(const QString& text) const;
    double textHeight(const QString& text) const;

    QColor foreColor() const { return fore_; }

    // Empties the strip (white).
    void clear();
    // Prints the frame's text and fills its box; nothing is printed for a frame
    // that is not drawable.
    void draw(const ProgressFrame& frame);

    // What the strip shows: the picture in memory and the last text printed.
    const QImage& picture() const { return picture_; }
    QString shownText() const { return shownText_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void followPanel();
    void ensurePicture();
    double toPixelsX(double units) const;

    QImage picture_;
    QString shownText_;
    QColor fore_{0, 0, 255};
    double scaleWidth_ = 100;
    QPointer<QStatusBar> bar_;
    QPointer<QWidget> panel_;
};

}  // namespace kit
