#include "users/ListInteraction.h"

#include "kit/MousePointer.h"
#include "panel/PanelModel.h"
#include "users/ListRoles.h"

#include <QCheckBox>
#include <QEvent>
#include <QTreeView>

namespace users {
namespace {

void enableTree(QTreeView* tree) {
    if (!tree->isEnabled()) tree->setEnabled(true);
}

// The pointer of a control follows the window's: hourglass or default.
void followWindowPointer(QWidget* form, QWidget* control) {
    const bool busy = kit::mousePointer(form) == kit::vbHourglass;
    kit::setMousePointer(control, busy ? kit::vbHourglass : kit::vbDefault);
}

class MoveFilter : public QObject {
public:
    MoveFilter(const ListEditing& e, QWidget* viewport, bool isList) : QObject(viewport), e_(e), isList_(isList) {
        viewport->setMouseTracking(true);  // moves without a button held count too
        viewport->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::MouseMove) return false;
        if (isList_)
            listMouseMove(e_.form, e_.list, e_.tree);
        else
            treeMouseMove(e_.form, e_.tree);
        return false;
    }

private:
    ListEditing e_;
    bool isList_;
};

}  // namespace

void listMouseMove(QWidget* form, QTreeView* list, QTreeView* tree) {
    followWindowPointer(form, list);
    enableTree(tree);
}

void treeMouseMove(QWidget* form, QTreeView* tree) { followWindowPointer(form, tree); }

void setAllSwitches(const ListEditing& e, int column) {
    if (e.panel.busy()) return;
    enableTree(e.tree);
    const QCheckBox* box = column == 1 ? e.allIngoing : e.allOutgoing;
    e.panel.setAllSwitches(column, box->isChecked());
}

void connectListInteraction(const ListEditing& e) {
    new MoveFilter(e, e.list->viewport(), true);
    new MoveFilter(e, e.tree->viewport(), false);
    // Any button pressed on a row selects it (the view does) and remembers it.
    QObject::connect(e.list, &QAbstractItemView::pressed, e.list,
                     [e](const QModelIndex& index) { e.lastSelectedKey = index.siblingAtColumn(0).data(KeyRole).toString(); });
    QObject::connect(e.allIngoing, &QCheckBox::clicked, e.allIngoing, [e] { setAllSwitches(e, 1); });
    QObject::connect(e.allOutgoing, &QCheckBox::clicked, e.allOutgoing, [e] { setAllSwitches(e, 2); });
}

}  // namespace users
