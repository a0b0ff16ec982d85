#pragma once
// The widget side of the user list's editing: the two bulk boxes ("All
// ingoing", "All outgoing") set one switch of every row, a press on a row
// remembers its key, and the mouse-movement rules of the list and the store
// tree. The switches themselves are flipped through the list's model
// (users::UserListView); every edit is staged in the panel model, which the
// window follows (red and bold rows, "Change", Reset).

#include <QString>

class QCheckBox;
class QTreeView;
class QWidget;

namespace panel { class PanelModel; }

namespace users {

// What the list's editing handlers work on.
struct ListEditing {
    QWidget* form;          // the window, whose hourglass the pointers follow
    QTreeView* list;        // the user list
    QTreeView* tree;        // the store tree
    QCheckBox* allIngoing;  // "All ingoing"
    QCheckBox* allOutgoing; // "All outgoing"
    panel::PanelModel& panel;
    QString& lastSelectedKey;  // key of the row pressed last
};

// The list's pointer follows the window's hourglass; a store tree left disabled
// by a picker becomes usable again.
void listMouseMove(QWidget* form, QTreeView* list, QTreeView* tree);
// The tree's pointer follows the window's hourglass.
void treeMouseMove(QWidget* form, QTreeView* tree);

// "All ingoing" (column 1) / "All outgoing" (column 2) clicked by the
// administrator: every row gets the box's state in that switch and is staged,
// changed or not. Nothing happens while a load runs.
void setAllSwitches(const ListEditing& e, int column);

// Connects presses on the list's rows, mouse moves over the list and the tree
// and the administrator's clicks on the bulk boxes to the handlers above.
void connectListInteraction(const ListEditing& e);

}  // namespace users
