// The sort column shows its arrow just right of its caption, and only it.

#include "users/SortArrowHeader.h"

#include <QCoreApplication>
#include <QImage>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

QImage headerImage(QTreeWidget& list) {
    QCoreApplication::processEvents();
    return list.header()->grab().toImage();
}

// Whether the strip of the header from x0 to x1 differs between two pictures.
bool differs(const QImage& a, const QImage& b, int x0, int x1) {
    for (int x = x0; x < x1 && x < a.width(); ++x)
        for (int y = 0; y < a.height(); ++y)
            if (a.pixel(x, y) != b.pixel(x, y)) return true;
    return false;
}

}  // namespace

TEST(SortArrowHeader, ArrowSitsRightOfTheSortColumnsCaptionOnly) {
    QTreeWidget list;
    list.setHeader(new users::SortArrowHeader(&list));
    list.header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list.setHeaderLabels({"Name", "Journal ingoing", "Journal outgoing"});
    list.setColumnWidth(0, 200);
    list.setColumnWidth(1, 200);
    list.setColumnWidth(2, 400);
    list.resize(900, 200);
    list.show();
    const QImage plain = headerImage(list);

    list.header()->setSortIndicator(2, Qt::AscendingOrder);
    list.header()->setSortIndicatorShown(true);
    const QImage ascending = headerImage(list);
    const int captionEnd = 400 + list.header()->fontMetrics().horizontalAdvance("Journal outgoing");
    EXPECT_FALSE(differs(plain, ascending, 0, 400)) << "other columns changed";
    EXPECT_TRUE(differs(plain, ascending, captionEnd, captionEnd + 30)) << "no arrow beside the caption";
    EXPECT_FALSE(differs(plain, ascending, captionEnd + 40, 800)) << "something drawn far from the caption";

    list.header()->setSortIndicator(2, Qt::DescendingOrder);
    EXPECT_TRUE(differs(ascending, headerImage(list), captionEnd, captionEnd + 30)) << "same arrow both ways";
}
