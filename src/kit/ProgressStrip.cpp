#include "kit/ProgressStrip.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QStatusBar>

namespace kit {

ProgressStrip::ProgressStrip(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Picture1"));
    QFont f = font();
    f.setBold(true);
    setFont(f);
    setAttribute(Qt::WA_OpaquePaintEvent);
    hide();
}

void ProgressStrip::prepare(QStatusBar* bar, QWidget* panel) {
    QFont f = font();
    f.setBold(true);
    setFont(f);
    fore_ = QColor(0, 0, 255);
    if (bar_) bar_->removeEventFilter(this);
    if (panel_) panel_->removeEventFilter(this);
    bar_ = bar;
    panel_ = panel;
    if (bar) {
        setParent(bar);
        bar->installEventFilter(this);
    }
    if (panel) panel->installEventFilter(this);
    followPanel();
    hide();
}

void ProgressStrip::followPanel() {
    if (!bar_ || !panel_) return;
    const QPoint topLeft = panel_->mapTo(bar_, QPoint(0, 0));
    setGeometry(topLeft.x(), 0, panel_->width(), bar_->height());
    raise();
}

bool ProgressStrip::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == bar_ || watched == panel_) &&
        (event->type() == QEvent::Resize || event->type() == QEvent::Move ||
         event->type() == QEvent::LayoutRequest))
        followPanel();
    return QWidget::eventFilter(watched, event);
}

double ProgressStrip::toPixelsX(double units) const {
    return scaleWidth_ > 0 ? units * width() / scaleWidth_ : 0;
}

double ProgressStrip::textWidth(const QString& text) const {
    const double px = QFontMetricsF(font()).horizontalAdvance(text);
    return width() > 0 ? px * scaleWidth_ / width() : 0;
}

double ProgressStrip::textHeight(const QString&) const { return QFontMetricsF(font()).height(); }

void ProgressStrip::ensurePicture() {
    // The picture in memory follows the size; a new size starts it empty.
    const QSize wanted = size().expandedTo(QSize(1, 1));
    if (picture_.size() == wanted) return;
    picture_ = QImage(wanted, QImage::Format_RGB32);
    picture_.fill(Qt::white);
}

void ProgressStrip::resizeEvent(QResizeEvent*) { ensurePicture(); }

void ProgressStrip::clear() {
    ensurePicture();
    picture_.fill(Qt::white);
    shownText_.clear();
    update();
}

void ProgressStrip::draw(const ProgressFrame& frame) {
    clear();
    if (!frame.drawable) return;
    QPainter p(&picture_);
    p.setFont(font());
    p.setPen(fore_);
    const QFontMetricsF fm(font());
    // The frame positions the text's top-left; the painter wants the baseline.
    p.drawText(QPointF(toPixelsX(frame.textX), frame.textY + fm.ascent()), frame.text);
    shownText_ = frame.text;
    // Not-xor with the blue pen: white turns blue, blue text turns white.
    p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    p.fillRect(QRectF(0, 0, toPixelsX(frame.filled), picture_.height()), fore_);
    p.end();
    update();
}

void ProgressStrip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, picture_);
}

}  // namespace kit
