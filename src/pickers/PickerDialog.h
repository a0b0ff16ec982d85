#pragma once
// The mechanism both picker dialogs share: a modal dialog listing directory
// objects in a report list with a hidden "Distinguished Name" column, OK and
// Cancel, and a status bar with a progress strip. On its first activation it adds
// the columns, reads the list (one query on the program's directory connection,
// one progress step per record) and sorts it by name. Columns other than the
// hidden one sort on a header click, with the arrow beside the caption. A pick
// (OK or a double-click) hands the selected row to the concrete picker, disables
// the main window's store tree and closes the dialog.
//
// The concrete pickers differ only in caption, columns, query, which records
// become which rows, and what a pick writes into the main window.

#include "pickers/PickerRows.h"
#include "state/Forward.h"

#include <QDialog>
#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdint>

class QPushButton;
class QStatusBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace kit {
class CaptionLabel;
class ProgressStrip;
}  // namespace kit
namespace panel { class PanelModel; }

namespace pickers {

// What a picker reads from the main window and writes into it.
struct PickerTarget {
    state::Globals& g;         // directory connection and base, progress counter
    panel::PanelModel& panel;  // the loaded store; the pick is staged here
    QWidget* storeTree;        // the window's store tree, disabled by a pick
};

// What a picker keeps from one showing to the next: the sort order of each
// sortable column (1-based index; 0 ascending, 1 descending) and the key of the
// row selected after the last sort.
struct PickerMemory {
    QHash<int, int16_t> sortOrder;
    QString lastSelectedKey;
};

class PickerDialog : public QDialog {
    Q_OBJECT
public:
    // The column that holds the distinguished name: hidden (width 0), never sorted.
    static constexpr int kHiddenColumn = 2;

    // First activation: columns, hourglass, GetList, SortByFirstColumn. Later
    // activations of the same showing do nothing.
    void Form_Activate();
    // Fills the list from the directory. A query that cannot run leaves the list
    // empty; a record that cannot be read is left out.
    void GetList();
    // A header click on a 1-based column; the hidden column does nothing.
    void ColumnClick(int column);
    // Sorts ascending by name and selects the first row.
    void SortByFirstColumn();
    void Command1_Click();  // OK (and double-click)
    void Command2_Click();  // Cancel
    // Yields to the message queue, as the dialog does when it loses activation.
    void Form_Deactivate();

    // The selected row, nullptr when none.
    QTreeWidgetItem* selectedItem() const;
    // The dialog has been closed by OK or Cancel.
    bool closed() const { return closed_; }

    QTreeWidget* ListView1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    kit::ProgressStrip* Picture1 = nullptr;

protected:
    PickerDialog(const PickerTarget& target, PickerMemory& memory, const QString& objectName, const QString& caption,
                 const QStringList& columns);

    // The query of the list, in the directory's query dialect.
    virtual QString queryText() const = 0;
    // Called once before the records of a non-empty result are read.
    virtual void beginRows() {}
    // The row a record becomes, or nothing when it is not offered.
    virtual std::optional<PickerRow> rowFor(const RecordFields& record) const = 0;
    // Takes the row picked (nullptr when none is selected) into the main window.
    // Answers false when the dialog is to stay open.
    virtual bool takeChoice(QTreeWidgetItem* item) = 0;

    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void done(int result) override;

    PickerTarget target_;

private:
    bool sortable(int column) const;
    void addColumns();
    void sizeColumns();

    PickerMemory& memory_;
    QStringList columns_;
    bool activated_ = false;
    bool closed_ = false;
    bool yielding_ = false;
};

}  // namespace pickers
