#include "users/ListInteraction.h"

#include "kit/Colors.h"
#include "kit/MousePointer.h"
#include "panel/InstallFormUi.h"
#include "panel/PanelModel.h"
#include "panel/PanelEvents.h"
#include "users/ListItem.h"

#include <QEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <QTreeWidget>

namespace users {
namespace {

// The delegate's own option filling (icon, text, features of a cell), so the
// image is located exactly where the delegate paints it.
struct CellOption : QStyledItemDelegate {
    using QStyledItemDelegate::initStyleOption;
};

void stageRow(QTreeWidgetItem* row) {
    setItemForeColor(row, kit::kRed);
    setItemBold(row, true);
}

void enableTree(QTreeWidget* tree) {
    if (!tree->isEnabled()) tree->setEnabled(true);
}

// The pointer of a control follows the window's: hourglass or default.
void followWindowPointer(QWidget* form, QWidget* control) {
    const bool busy = kit::mousePointer(form) == kit::vbHourglass;
    kit::setMousePointer(control, busy ? kit::vbHourglass : kit::vbDefault);
}

void markPending(const ListEditing& e) { panel::markChangesPending(e.g, e.Command1, e.Command4); }

void setAllSwitches(const ListEditing& e, const QCheckBox* box, int subItem) {
    if (!e.g.blnEventsEnabled) return;
    enableTree(e.TreeView1);
    e.panel.setAllSwitches(subItem, box->isChecked());
    const QString image = box->isChecked() ? kChecked : kUnchecked;
    QTreeWidget* list = e.ListView1;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = list->topLevelItem(i);
        setSubItemImage(row, subItem, image);
        stageRow(row);
    }
    markPending(e);
}

class MouseFilter : public QObject {
public:
    MouseFilter(const ListEditing& e, QWidget* viewport, bool isList) : QObject(viewport), e_(e), isList_(isList) {
        viewport->setMouseTracking(true);  // moves without a button held count too
        viewport->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        switch (e->type()) {
        case QEvent::MouseMove:
            if (isList_)
                ListView1_MouseMove(e_.form, e_.ListView1, e_.TreeView1);
            else
                TreeView1_MouseMove(e_.form, e_.TreeView1);
            return false;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (!isList_) return false;
            // Every press is the list's own: each one toggles at most one switch,
            // and only a press on a row selects anything.
            ListView1_MouseDown(e_, static_cast<QMouseEvent*>(e)->button(),
                                static_cast<QMouseEvent*>(e)->position().toPoint());
            return true;
        default:
            return false;
        }
    }

private:
    ListEditing e_;
    bool isList_;
};

}  // namespace

QRect switchImageRect(const QTreeWidget* list, const QTreeWidgetItem* item, int column) {
    const QModelIndex index = list->indexFromItem(item, column);
    if (!index.isValid()) return {};
    // The options the view gives its delegate for a cell.
    QStyleOptionViewItem opt;
    opt.initFrom(list);
    opt.font = list->font();
    const int small = list->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, list);
    opt.decorationSize = list->iconSize().isValid() ? list->iconSize() : QSize(small, small);
    opt.decorationPosition = QStyleOptionViewItem::Left;
    opt.decorationAlignment = Qt::AlignCenter;
    opt.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    opt.textElideMode = list->textElideMode();
    opt.widget = list;
    opt.rect = list->visualRect(index);
    CellOption().initStyleOption(&opt, index);
    if (!(opt.features & QStyleOptionViewItem::HasDecoration)) return {};
    return list->style()->subElementRect(QStyle::SE_ItemViewItemDecoration, &opt, list);
}

ListEditing listEditing(const panel::InstallFormUi& ui, state::Globals& g, panel::PanelModel& panel,
                        QString& lastSelectedKey) {
    return {ui.form, ui.ListView1, ui.TreeView1, ui.Check1, ui.Check2, ui.Command1, ui.Command4, g, panel,
            lastSelectedKey};
}

void ListView1_MouseDown(const ListEditing& e, Qt::MouseButton button, const QPoint& pos) {
    QTreeWidget* list = e.ListView1;
    QTreeWidgetItem* row = list->itemAt(pos);
    if (!row) return;
    const int column = list->indexAt(pos).column();
    bool changed = false;
    if (button == Qt::LeftButton && (column == 1 || column == 2) &&
        switchImageRect(list, row, column).contains(pos)) {
        stageRow(row);
        if (const panel::UserRow* user = e.panel.toggleSwitch(itemKey(row), column))
            setSubItemImage(row, column, (column == 1 ? user->switches.ingoing : user->switches.outgoing) ? kChecked
                                                                                                        : kUnchecked);
        changed = true;
    }
    list->setCurrentItem(row);
    row->setSelected(true);
    e.lastSelectedKey = itemKey(row);
    if (changed) markPending(e);
}

void ListView1_MouseMove(QWidget* form, QTreeWidget* list, QTreeWidget* tree) {
    followWindowPointer(form, list);
    enableTree(tree);
}

void TreeView1_MouseMove(QWidget* form, QTreeWidget* tree) { followWindowPointer(form, tree); }

void Check1_Click(const ListEditing& e) { setAllSwitches(e, e.Check1, 1); }
void Check2_Click(const ListEditing& e) { setAllSwitches(e, e.Check2, 2); }

void connectListInteraction(const ListEditing& e) {
    new MouseFilter(e, e.ListView1->viewport(), true);
    new MouseFilter(e, e.TreeView1->viewport(), false);
    QObject::connect(e.Check1, &QCheckBox::clicked, e.Check1, [e] { Check1_Click(e); });
    QObject::connect(e.Check2, &QCheckBox::clicked, e.Check2, [e] { Check2_Click(e); });
}

}  // namespace users
