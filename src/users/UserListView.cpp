#include "users/UserListView.h"

#include "users/SortArrowHeader.h"
#include "users/UserListModel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace users {
namespace {
bool isSwitch(const QModelIndex& index) { return index.isValid() && (index.flags() & Qt::ItemIsUserCheckable); }
constexpr int kImageMargin = 4;
}  // namespace

QRect SwitchDelegate::imageRect(const QRect& cell, const QSize& iconSize) {
    const QSize size = iconSize.isValid() ? iconSize : QSize(16, 16);
    return QRect(QPoint(cell.left() + kImageMargin, cell.top() + (cell.height() - size.height()) / 2), size);
}

void SwitchDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    if (!isSwitch(index)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // The cell (selection, focus) without its check box and picture; the picture
    // is drawn where a press flips it.
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    opt.features &= ~(QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDecoration);
    opt.icon = QIcon();
    opt.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
    const QRect rect = imageRect(option.rect, option.decorationSize);
    icon.paint(painter, rect);
}

bool SwitchDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) {
    if (!isSwitch(index)) return QStyledItemDelegate::editorEvent(event, model, option, index);
    const auto flip = [&] {
        const bool on = index.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
        model->setData(index, on ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    };
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        // Every press on the picture flips the switch once; the view then selects
        // the row as for any press.
        const auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() == Qt::LeftButton &&
            imageRect(option.rect, option.decorationSize).contains(e->position().toPoint()))
            flip();
        return false;
    }
    case QEvent::MouseButtonRelease:
        return false;
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Space && key != Qt::Key_Select) return false;
        flip();
        return true;
    }
    default:
        return false;
    }
}

UserListView::UserListView(QWidget* parent) : QTreeView(parent) {
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setIconSize(QSize(16, 16));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // The focus frame marks the cell Space acts on.
    setAllColumnsShowFocus(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHeader(new SortArrowHeader(this));
    setItemDelegate(new SwitchDelegate(this));
    setAccessibleName(QStringLiteral("Users"));
}

QRect UserListView::switchImageRect(const QModelIndex& index) const {
    if (!isSwitch(index)) return {};
    return SwitchDelegate::imageRect(visualRect(index), iconSize());
}

QModelIndex UserListView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const QModelIndex current = currentIndex();
    if (current.isValid() && (action == MoveLeft || action == MoveRight)) {
        const int column = current.column() + (action == MoveRight ? 1 : -1);
        if (column >= 0 && column < model()->columnCount(current.parent())) return current.sibling(current.row(), column);
        return current;
    }
    return QTreeView::moveCursor(action, modifiers);
}

}  // namespace users
