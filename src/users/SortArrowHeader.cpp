#include "users/SortArrowHeader.h"

#include "kit/ImageLists.h"

#include <QPainter>
#include <QProxyStyle>

namespace users {
namespace {

// The platform style draws everything of a header but its own sort arrow.
class WithoutHeaderArrow : public QProxyStyle {
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element == PE_IndicatorHeaderArrow) return;
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
};

}  // namespace

SortArrowHeader::SortArrowHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    auto* style = new WithoutHeaderArrow;
    style->setParent(this);
    setStyle(style);
    setSectionsClickable(true);
    setSortIndicatorShown(false);
    // Captions sit at the left, as list headers do.
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setStretchLastSection(true);
}

void SortArrowHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    // The section's own drawing may leave a clip behind; the arrow is drawn after it.
    painter->save();
    QHeaderView::paintSection(painter, rect, logicalIndex);
    painter->restore();

    if (!isSortIndicatorShown() || sortIndicatorSection() != logicalIndex) return;
    const int arrowIndex = sortIndicatorOrder() == Qt::AscendingOrder ? 0 : 1;
    const QPixmap arrow = kit::images::sortArrow(arrowIndex).pixmap(QSize(8, 7));
    const QString caption = model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
    const int textWidth = fontMetrics().horizontalAdvance(caption);
    const QVariant align = model() ? model()->headerData(logicalIndex, orientation(), Qt::TextAlignmentRole) : QVariant();
    const Qt::Alignment alignment = align.isValid() ? Qt::Alignment(align.toInt()) : defaultAlignment();
    int textLeft = rect.left() + margin;
    if (alignment & Qt::AlignHCenter)
        textLeft = rect.left() + (rect.width() - textWidth) / 2;
    else if (alignment & Qt::AlignRight)
        textLeft = rect.right() - margin - textWidth - arrow.width() - 6;
    int x = textLeft + textWidth + 6;
    x = qMin(x, rect.right() - arrow.width() - margin);
    const int y = rect.top() + (rect.height() - arrow.height()) / 2;
    painter->save();
    painter->drawPixmap(x, y, arrow);
    painter->restore();
}

}  // namespace users
