#include "users/UserListModel.h"

#include "kit/Colors.h"
#include "kit/ImageLists.h"
#include "platform/NameOrder.h"

#include <QApplication>
#include <QFont>

namespace users {
namespace {

const QStringList kHeaders = {QStringLiteral("Name"), QStringLiteral("Journal ingoing"),
                              QStringLiteral("Journal outgoing")};

bool switchOn(const rules::Switches& s, int column) { return column == UserListModel::kIngoing ? s.ingoing : s.outgoing; }

QString imageKey(const panel::UserRow& row, int column) {
    if (column == 0) return row.disabled ? QStringLiteral("userdisabled") : QStringLiteral("user");
    return switchOn(row.switches, column) ? kChecked : kUnchecked;
}

}  // namespace

UserListModel::UserListModel(panel::PanelModel& panel, QObject* parent) : QAbstractTableModel(parent), panel_(panel) {
    connect(&panel_, &panel::PanelModel::usersReset, this, [this] {
        beginResetModel();
        endResetModel();
    });
    connect(&panel_, &panel::PanelModel::userChanged, this,
            [this](int row) { emit dataChanged(index(row, 0), index(row, kOutgoing)); });
    connect(&panel_, &panel::PanelModel::allUsersChanged, this, [this] {
        if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, kOutgoing));
    });
}

int UserListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(panel_.users().size());
}

int UserListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant UserListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const panel::UserRow& row = panel_.users()[static_cast<size_t>(index.row())];
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        if (column == 0) return row.name;
        // The text as read: a sort by a switch column follows the directory's values.
        return switchOn(rules::readMarkers(row.stored), column) ? kSwitchOnText : kSwitchOffText;
    case Qt::DecorationRole:
        return kit::images::icon(imageKey(row, column));
    case ImageKeyRole:
        return imageKey(row, column);
    case Qt::CheckStateRole:
        if (column == 0) return {};
        return switchOn(row.switches, column) ? Qt::Checked : Qt::Unchecked;
    case Qt::AccessibleTextRole:
        if (column == 0) return row.staged ? row.name + QStringLiteral(" (changed)") : row.name;
        return kHeaders[column] + QStringLiteral(" for ") + row.name +
               (switchOn(row.switches, column) ? QStringLiteral(": on") : QStringLiteral(": off"));
    case Qt::ForegroundRole:
        if (row.staged) return kit::toQColor(kit::kRed, QApplication::palette());
        return {};
    case Qt::FontRole:
        if (row.staged) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    case KeyRole:
        return row.mail;
    case StagedRole:
        return row.staged;
    default:
        return {};
    }
}

bool UserListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !index.isValid() || index.column() == 0) return false;
    panel_.setSwitch(static_cast<size_t>(index.row()), index.column(),
                     value.value<Qt::CheckState>() == Qt::Checked);
    return true;
}

Qt::ItemFlags UserListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() != 0) f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant UserListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kHeaders.size()) return {};
    if (role == Qt::DisplayRole) return kHeaders[section];
    return {};
}

UserListOrder::UserListOrder(QObject* parent) : QSortFilterProxyModel(parent) {
    // Rows keep their place until the list is sorted again (a header click, a load).
    setDynamicSortFilter(false);
}

bool UserListOrder::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    return platform::compareNames(left.data().toString(), right.data().toString()) < 0;
}

UserListModels::UserListModels(panel::PanelModel& panel) : rows(panel) { order.setSourceModel(&rows); }

std::vector<size_t> UserListModels::stagedInListOrder() const {
    std::vector<size_t> staged;
    const std::vector<panel::UserRow>& users = rows.panel().users();
    for (int r = 0; r < order.rowCount(); ++r) {
        const int source = order.mapToSource(order.index(r, 0)).row();
        if (source >= 0 && static_cast<size_t>(source) < users.size() && users[static_cast<size_t>(source)].staged)
            staged.push_back(static_cast<size_t>(source));
    }
    return staged;
}

QModelIndex UserListModels::rowOf(const QString& mail) const {
    for (int r = 0; r < order.rowCount(); ++r) {
        const QModelIndex i = order.index(r, 0);
        if (i.data(KeyRole).toString().compare(mail, Qt::CaseInsensitive) == 0) return i;
    }
    return {};
}

}  // namespace users
