#pragma once
// The user list as an item model over the panel model's rows: column 0 the
// user's name with the "user" or "userdisabled" picture, columns 1 and 2 the
// switches "Journal ingoing" and "Journal outgoing" as check states shown by the
// "checked" / "unchecked" pictures. A staged row is red and bold. Setting a
// switch's check state stages the row in the panel model; the panel model is the
// only record, this model only presents it.
//
// UserListOrder sorts the rows as the list shows them: as text, without regard
// to case, in the order of the user's locale; a switch column by the switch as
// read ("off" before "on"), so toggles made since the load do not move a row.

#include "panel/PanelModel.h"
#include "users/ListRoles.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <vector>

namespace users {

// Sub-item texts of a switch as read, chosen so that a sort puts "off" before "on".
inline const QString kSwitchOnText = QStringLiteral("  ");
inline const QString kSwitchOffText = QStringLiteral(" ");
inline const QString kChecked = QStringLiteral("checked");
inline const QString kUnchecked = QStringLiteral("unchecked");

class UserListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kIngoing = 1;
    static constexpr int kOutgoing = 2;

    explicit UserListModel(panel::PanelModel& panel, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    panel::PanelModel& panel() const { return panel_; }

private:
    panel::PanelModel& panel_;
};

class UserListOrder : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit UserListOrder(QObject* parent = nullptr);

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
};

// The user list's model and its order, as the window shows them.
struct UserListModels {
    explicit UserListModels(panel::PanelModel& panel);
    UserListModel rows;
    UserListOrder order;

    // The indexes (into PanelModel::users()) of the staged rows, from the first
    // row the list shows to the last: the order Change writes them in.
    std::vector<size_t> stagedInListOrder() const;
    // The list row (of `order`) of the user with that address, compared without
    // regard to case; invalid when none.
    QModelIndex rowOf(const QString& mail) const;
};

}  // namespace users
