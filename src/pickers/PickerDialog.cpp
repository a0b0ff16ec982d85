#include "pickers/PickerDialog.h"

#include "kit/Freeze.h"
#include "kit/MousePointer.h"
#include "kit/ProgressStrip.h"
#include "kit/StatusPanels.h"
#include "kit/StatusProgress.h"
#include "state/Globals.h"
#include "platform/ComError.h"
#include "platform/directory/Directory.h"
#include "users/ListItem.h"
#include "users/ListSort.h"
#include "users/SortArrowHeader.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSet>
#include <QStatusBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <memory>
#include <vector>

namespace pickers {
namespace {

constexpr int kDeactivateYields = 900;
const QString kNoArrowColumns = QStringLiteral("2,");

// The hourglass over the whole application while the list is read.
struct ScreenHourglass {
    ScreenHourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~ScreenHourglass() { QApplication::restoreOverrideCursor(); }
};

// The dialog's own hourglass, back to the default however the fill ends.
struct DialogHourglass {
    explicit DialogHourglass(QWidget* w) : w_(w) { kit::setMousePointer(w_, kit::vbHourglass); }
    ~DialogHourglass() { kit::setMousePointer(w_, kit::vbDefault); }
    QWidget* w_;
};

QTreeWidget* reportList(QWidget* parent) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(QStringLiteral("ListView1"));
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setIconSize(QSize(16, 16));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setAllColumnsShowFocus(true);
    list->setHeader(new users::SortArrowHeader(list));
    list->header()->setMinimumSectionSize(0);
    list->setColumnCount(0);
    return list;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

QTreeWidgetItem* newItem(const PickerRow& row) {
    auto* item = new users::ListItem;
    item->setText(0, row.name);
    users::setItemKey(item, row.key);
    users::setSmallIcon(item, row.icon);
    for (int i = 0; i < row.subItems.size(); ++i) item->setText(i + 1, row.subItems.at(i));
    return item;
}

}  // namespace

PickerDialog::PickerDialog(const PickerTarget& target, PickerMemory& memory, const QString& objectName,
                           const QString& caption, const QStringList& columns)
    : QDialog(nullptr), target_(target), memory_(memory), columns_(columns) {
    setObjectName(objectName);
    setWindowTitle(caption);
    setModal(true);
    resize(640, 420);

    ListView1 = reportList(this);
    Command1 = button(this, "Command1", QStringLiteral("OK"));
    Command2 = button(this, "Command2", QStringLiteral("Cancel"));
    Command1->setDefault(true);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    kit::addStatusPanel(StatusBar1, QStringLiteral("text"), kit::PanelSize::Stretch, 120);
    QLabel* progress = kit::addStatusPanel(StatusBar1, QStringLiteral("progress"), kit::PanelSize::Fixed, 180);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 0);
    layout->addWidget(ListView1, 1);
    layout->addLayout(buttons);
    layout->addWidget(StatusBar1);

    Picture1 = new kit::ProgressStrip(StatusBar1);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->prepare(StatusBar1, progress);

    // Handlers run on the dialog's own events; nothing they meet leaves them.
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(ListView1, &QTreeWidget::itemDoubleClicked, this, [this] { Command1_Click(); });
    connect(ListView1->header(), &QHeaderView::sectionClicked, this,
            [this](int logical) { ColumnClick(logical + 1); });
}

bool PickerDialog::sortable(int column) const {
    return column >= 1 && column <= columns_.size() && column != kHiddenColumn;
}

void PickerDialog::addColumns() {
    ListView1->setColumnCount(static_cast<int>(columns_.size()));
    ListView1->setHeaderLabels(columns_);
    ListView1->header()->resizeSection(kHiddenColumn - 1, 0);
}

void PickerDialog::sizeColumns() {
    for (int c = 1; c <= columns_.size(); ++c)
        if (c != kHiddenColumn) ListView1->resizeColumnToContents(c - 1);
    ListView1->header()->resizeSection(kHiddenColumn - 1, 0);
}

void PickerDialog::Form_Activate() {
    if (activated_ || closed_) return;
    activated_ = true;
    platform::ResumeNext run;
    run([this] { addColumns(); });
    ScreenHourglass hourglass;
    run([this] { GetList(); });
    run([this] { SortByFirstColumn(); });
}

void PickerDialog::GetList() {
    DialogHourglass hourglass(this);
    kit::Freeze freeze(ListView1);
    platform::ResumeNext run;

    platform::directory::RecordSet rs;
    const bool ran = run([&] {
        if (!target_.g.conAD || !target_.g.conAD->isOpen())
            throw platform::ComError(platform::hr::NotOpen, QStringLiteral("The directory connection is not open."));
        rs = target_.g.conAD->execute(queryText(), platform::directory::PropertySet::B);
    });

    if (ran && !rs.eof()) {
        kit::StripProgress progress(target_.g, *Picture1);
        progress.begin(rs.recordCount());
        run([this] { beginRows(); });
        const RecordFields fields = [&rs](const QString& name) { return rs.field(name); };
        // A mail address names one row: a second object with the same address
        // (compared without regard to case) is left out rather than mixed into the
        // first one's row.
        QSet<QString> keys;
        std::vector<std::unique_ptr<QTreeWidgetItem>> rows;
        for (; !rs.eof(); rs.moveNext()) {
            progress.step();
            std::optional<PickerRow> row;
            if (!run([&] { row = rowFor(fields); }) || !row) continue;
            const QString key = row->key.toLower();
            if (keys.contains(key)) continue;
            keys.insert(key);
            rows.emplace_back(newItem(*row));
        }
        // The rows go into the list together: inserting them one by one while the
        // window processes its messages would lay the list out again for each.
        QList<QTreeWidgetItem*> items;
        items.reserve(static_cast<qsizetype>(rows.size()));
        for (auto& row : rows) items << row.release();
        ListView1->addTopLevelItems(items);
        progress.end();
    }

    if (!memory_.lastSelectedKey.isEmpty())
        if (QTreeWidgetItem* item = users::findItem(ListView1, memory_.lastSelectedKey))
            ListView1->setCurrentItem(item);
    rs.close();
    sizeColumns();
}

void PickerDialog::ColumnClick(int column) {
    if (!sortable(column)) return;
    int16_t& own = memory_.sortOrder[column];
    own = users::ToggleSortOrder(own);
    const int16_t order = own;
    for (int c = 1; c <= columns_.size(); ++c)
        if (c != column && sortable(c)) memory_.sortOrder[c] = 1;
    users::sortList(ListView1, column - 1, order);
    QCoreApplication::processEvents();
    users::ShowColumnHeaderSortIcon(ListView1, kNoArrowColumns);
    if (QTreeWidgetItem* item = selectedItem()) {
        ListView1->scrollToItem(item);
        memory_.lastSelectedKey = users::itemKey(item);
    }
}

void PickerDialog::SortByFirstColumn() {
    memory_.sortOrder[1] = 1;
    ColumnClick(1);
    if (QTreeWidgetItem* first = ListView1->topLevelItem(0)) {
        ListView1->scrollToItem(first);
        ListView1->setCurrentItem(first);
    }
}

QTreeWidgetItem* PickerDialog::selectedItem() const {
    const QList<QTreeWidgetItem*> selected = ListView1->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

void PickerDialog::Command1_Click() {
    if (closed_) return;
    bool take = true;
    platform::ResumeNext run;
    run([&] { take = takeChoice(selectedItem()); });
    if (!take) return;
    run([this] { target_.storeTree->setEnabled(false); });
    accept();
}

void PickerDialog::Command2_Click() { reject(); }

void PickerDialog::done(int result) {
    closed_ = true;
    QDialog::done(result);
}

void PickerDialog::Form_Deactivate() {
    // A closed dialog has nothing left to let through; a nested deactivation
    // while yielding adds no more.
    if (closed_ || yielding_) return;
    yielding_ = true;
    for (int i = 0; i < kDeactivateYields; ++i) QCoreApplication::processEvents();
    yielding_ = false;
}

bool PickerDialog::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        Form_Activate();
    else if (e->type() == QEvent::WindowDeactivate)
        Form_Deactivate();
    return QDialog::event(e);
}

void PickerDialog::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    // Without a window manager a shown window is never activated; the first
    // activation then follows the first show once the dialog is on screen.
    if (!activated_)
        QMetaObject::invokeMethod(this, [this] { Form_Activate(); }, Qt::QueuedConnection);
}

}  // namespace pickers
