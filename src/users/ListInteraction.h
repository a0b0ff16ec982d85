#pragma once
// The administrator's edits in the user list (ListView1): a left press on a
// switch's image flips it, the two bulk boxes ("All ingoing", "All outgoing") set
// one switch of every row. An edited row is staged: red (fore colour 255) and
// bold, written by the next Change. Also the mouse-movement handlers of the list
// and the store tree.

#include "state/Forward.h"

#include <QPoint>
#include <QString>
#include <QRect>
#include <Qt>

class QCheckBox;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace panel {
struct InstallFormUi;
class PanelModel;
}  // namespace panel

namespace users {

// What the list's editing handlers work on.
struct ListEditing {
    QWidget* form;          // the window, whose hourglass the pointers follow
    QTreeWidget* ListView1;
    QTreeWidget* TreeView1;
    QCheckBox* Check1;      // "All ingoing"
    QCheckBox* Check2;      // "All outgoing"
    QPushButton* Command1;  // Refresh / Change
    QPushButton* Command4;  // Reset
    state::Globals& g;      // the event guard and the pending flag
    panel::PanelModel& panel;
    QString& lastSelectedKey;  // key of the row pressed last
};
ListEditing listEditing(const panel::InstallFormUi& ui, state::Globals& g, panel::PanelModel& panel,
                        QString& lastSelectedKey);

// Where the image of `item`'s switch in `column` (1 ingoing, 2 outgoing) is
// drawn, in the list's viewport coordinates; empty when the cell shows none.
QRect switchImageRect(const QTreeWidget* list, const QTreeWidgetItem* item, int column);

// A mouse button pressed over the list at `pos` (viewport pixels). The left
// button on a switch image flips it and stages the row; any button on a row
// selects it and remembers its key. A press outside the rows does nothing.
void ListView1_MouseDown(const ListEditing& e, Qt::MouseButton button, const QPoint& pos);

// The list's pointer follows the window's hourglass; a store tree left disabled
// by a picker becomes usable again.
void ListView1_MouseMove(QWidget* form, QTreeWidget* list, QTreeWidget* tree);
// The tree's pointer follows the window's hourglass.
void TreeView1_MouseMove(QWidget* form, QTreeWidget* tree);

// "All ingoing" / "All outgoing" clicked (guarded by blnEventsEnabled): every row
// gets the box's state in that switch and is staged, changed or not.
void Check1_Click(const ListEditing& e);
void Check2_Click(const ListEditing& e);

// Connects mouse presses and moves over the list, moves over the tree and the
// administrator's clicks on Check1 and Check2 to the handlers above.
void connectListInteraction(const ListEditing& e);

}  // namespace users
