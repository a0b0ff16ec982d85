#pragma once
// The controls of the main window, by their names. The window creates them; the
// subsystems that fill and read them (store tree, user list, change engine,
// pickers) reach them through this structure.

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeView>
#include <QTreeWidget>

namespace kit {
class CaptionLabel;
class ProgressStrip;
}  // namespace kit

namespace panel {

struct InstallFormUi {
    QWidget* form = nullptr;            // the window itself (caption, mouse pointer)
    QTreeWidget* TreeView1 = nullptr;   // storage groups and mailbox stores
    QGroupBox* Frame1 = nullptr;        // panel of the selected store
    QCheckBox* Check1 = nullptr;        // "All ingoing"
    QCheckBox* Check2 = nullptr;        // "All outgoing"
    QCheckBox* Check3 = nullptr;        // "Archive mailbox:"
    QCheckBox* Check4 = nullptr;        // "Forward to:"
    QCheckBox* Check5 = nullptr;        // "Deliver messages to both ..."
    QPushButton* Command1 = nullptr;    // "Refresh" / "Change"
    QPushButton* Command2 = nullptr;    // "Exit"
    QPushButton* Command3 = nullptr;    // "Browse" (journal mailbox)
    QPushButton* Command4 = nullptr;    // "Reset"
    QPushButton* Command5 = nullptr;    // "Clear Error Log"
    QPushButton* Command6 = nullptr;    // "Browse" (forwarding)
    QTreeView* ListView1 = nullptr;     // users of the selected store, report view (users::UserListView)
    kit::CaptionLabel* Label3 = nullptr;     // journal mailbox name
    kit::CaptionLabel* Label4 = nullptr;     // forwarding recipient name
    QCheckBox* CheckRegCom = nullptr;   // "Install COM+ object"
    QCheckBox* CheckUnRegCom = nullptr; // "Uninstall COM+ object"
    QLabel* LabelIdentity = nullptr;
    QLineEdit* txtIdent = nullptr;
    QLabel* LabelIdentityHelp = nullptr;
    QLabel* LabelPassword = nullptr;
    QLineEdit* txtPwd = nullptr;
    QLabel* Label8 = nullptr;           // COM+ state
    QPlainTextEdit* txtErr = nullptr;   // the error log
    QStatusBar* StatusBar1 = nullptr;
    kit::ProgressStrip* Picture1 = nullptr;  // progress strip over the "progress" panel
};

}  // namespace panel
