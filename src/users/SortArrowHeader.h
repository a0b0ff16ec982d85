#pragma once
// Column headers whose sort column shows the list's own arrow picture (ascending
// or descending) just right of its caption, however wide the column is.

#include <QHeaderView>

namespace users {

class SortArrowHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit SortArrowHeader(QWidget* parent = nullptr);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
};

}  // namespace users
