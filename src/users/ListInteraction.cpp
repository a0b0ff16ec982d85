#include "users/ListInteraction.h"

#include "kit/Colors.h"
#include "kit/MousePointer.h"
#include "panel/Context.h"
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
    setItemForeColor(row, app::kRed);
    setItemBold(row, true);
}

void enableTree(engine::Context& ctx) {
    if (!ctx.ui.TreeView1->isEnabled()) ctx.ui.TreeView1->setEnabled(true);
}

// The pointer of a control follows the window's: hourglass or default.
void followWindowPointer(engine::Context& ctx, QWidget* control) {
    const bool busy = app::mousePointer(ctx.ui.form) == app::vbHourglass;
    app::setMousePointer(control, busy ? app::vbHourglass : app::vbDefault);
}

void setAllSwitches(engine::Context& ctx, const QCheckBox* box, int subItem) {
    if (!ctx.g.blnEventsEnabled) return;
    enableTree(ctx);
    ctx.panel.setAllSwitches(subItem, box->isChecked());
    const QString image = box->isChecked() ? kChecked : kUnchecked;
    QTreeWidget* list = ctx.ui.ListView1;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = list->topLevelItem(i);
        setSubItemImage(row, subItem, image);
        stageRow(row);
    }
    engine::markChangesPending(ctx);
}

class MouseFilter : public QObject {
public:
    MouseFilter(engine::Context& ctx, QWidget* viewport, bool isList)
        : QObject(viewport), ctx_(ctx), isList_(isList) {
        viewport->setMouseTracking(true);  // moves without a button held count too
        viewport->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        switch (e->type()) {
        case QEvent::MouseMove:
            if (isList_)
                ListView1_MouseMove(ctx_);
            else
                TreeView1_MouseMove(ctx_);
            return false;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (!isList_) return false;
            // Every press is the list's own: each one toggles at most one switch,
            // and only a press on a row selects anything.
            ListView1_MouseDown(ctx_, static_cast<QMouseEvent*>(e)->button(),
                                static_cast<QMouseEvent*>(e)->position().toPoint());
            return true;
        default:
            return false;
        }
    }

private:
    engine::Context& ctx_;
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

void ListView1_MouseDown(engine::Context& ctx, Qt::MouseButton button, const QPoint& pos) {
    QTreeWidget* list = ctx.ui.ListView1;
    QTreeWidgetItem* row = list->itemAt(pos);
    if (!row) return;
    const int column = list->indexAt(pos).column();
    bool changed = false;
    if (button == Qt::LeftButton && (column == 1 || column == 2) &&
        switchImageRect(list, row, column).contains(pos)) {
        stageRow(row);
        if (const engine::UserRow* user = ctx.panel.toggleSwitch(itemKey(row), column))
            setSubItemImage(row, column, (column == 1 ? user->switches.ingoing : user->switches.outgoing) ? kChecked
                                                                                                        : kUnchecked);
        changed = true;
    }
    list->setCurrentItem(row);
    row->setSelected(true);
    ctx.form.strLastSelectedItemKey = itemKey(row);
    if (changed) engine::markChangesPending(ctx);
}

void ListView1_MouseMove(engine::Context& ctx) {
    followWindowPointer(ctx, ctx.ui.ListView1);
    enableTree(ctx);
}

void TreeView1_MouseMove(engine::Context& ctx) { followWindowPointer(ctx, ctx.ui.TreeView1); }

void Check1_Click(engine::Context& ctx) { setAllSwitches(ctx, ctx.ui.Check1, 1); }
void Check2_Click(engine::Context& ctx) { setAllSwitches(ctx, ctx.ui.Check2, 2); }

void connectListInteraction(engine::Context& ctx) {
    new MouseFilter(ctx, ctx.ui.ListView1->viewport(), true);
    new MouseFilter(ctx, ctx.ui.TreeView1->viewport(), false);
    QObject::connect(ctx.ui.Check1, &QCheckBox::clicked, ctx.ui.Check1, [&ctx] { Check1_Click(ctx); });
    QObject::connect(ctx.ui.Check2, &QCheckBox::clicked, ctx.ui.Check2, [&ctx] { Check2_Click(ctx); });
}

}  // namespace users
