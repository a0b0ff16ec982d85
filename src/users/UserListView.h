#pragma once
// The user list's view (ListView1): a report list over users::UserListOrder whose
// switch cells show the "checked" / "unchecked" pictures. A left press on a
// switch's picture, or Space (Select) on the focused switch cell, flips the switch
// through the model's check state; a press elsewhere on a row only selects it.
// Left and Right move the focus between the name and the two switches of a row,
// so a keyboard-only administrator reaches every switch.

#include <QStyledItemDelegate>
#include <QTreeView>

namespace users {

class SwitchDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // Where a switch's picture is drawn within its cell, and where a press flips it.
    static QRect imageRect(const QRect& cell, const QSize& iconSize);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
};

class UserListView : public QTreeView {
    Q_OBJECT
public:
    explicit UserListView(QWidget* parent = nullptr);

    // The picture of a switch cell, in viewport coordinates; empty for other cells.
    QRect switchImageRect(const QModelIndex& index) const;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
};

}  // namespace users
