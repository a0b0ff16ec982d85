#include "app/InstallForm.h"

#include "kit/CaptionLabel.h"
#include "kit/Colors.h"
#include "app/InstallFormLayout.h"
#include "kit/MousePointer.h"
#include "kit/ProgressStrip.h"
#include "kit/StatusPanels.h"
#include "kit/StatusProgress.h"
#include "app/TextBoxErrorLog.h"
#include "platform/ComError.h"
#include "platform/store/StoreConnection.h"
#include "platform/system/SystemProbes.h"
#include "users/ListSort.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QTreeWidget>

namespace app {

int twipsToPixels(int twips) { return static_cast<int>(std::lround(twips / 15.0)); }

InstallForm::InstallForm(platform::system::SystemProbes& probes, state::Prompt& prompt, QWidget* parent)
    : QMainWindow(parent), probes_(probes), prompt_(prompt) {
    ui_ = buildInstallForm(this);
    userList_ = std::make_unique<users::UserListModels>(panel_);
    ui_.ListView1->setModel(&userList_->order);
    log_ = std::make_unique<TextBoxErrorLog>(ui_.txtErr, ui_.Command5);
    progress_ = std::make_unique<kit::StripProgress>(g_, *ui_.Picture1);
    load_ = std::make_unique<engine::StoreLoad>(
        engine::StoreLoad{ui_, ui_.TreeView1, g_, form_, *log_, *progress_, prompt_, panel_, guard_, {}});
    load_->services = engine::liveServices(*load_, probes_, userList_.get());
    resize(1180, 760);
    connectControls();
}

InstallForm::~InstallForm() = default;

template <typename F>
void InstallForm::safely(F&& handler) {
    platform::ResumeNext run;
    if (!run(std::forward<F>(handler))) {
        log_->logWithoutContext(run.number(), run.description());
        log_->show();
        kit::setMousePointer(this, kit::vbDefault);
    }
}

void InstallForm::connectControls() {
    connect(ui_.Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(ui_.Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(ui_.Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(ui_.Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
    // Only the administrator's clicks stage; values the program sets do not.
    connect(ui_.CheckRegCom, &QCheckBox::clicked, this, [this] { CheckRegCom_Click(); });
    connect(ui_.CheckUnRegCom, &QCheckBox::clicked, this, [this] { CheckUnRegCom_Click(); });
    connect(&panel_, &panel::PanelModel::changed, this, [this] { showStaging(); });
    showStaging();
    // What a load read is shown in the panel; its users sorted by name.
    panel::connectShown({panel::panelControls(ui_), panel_});
    connect(&panel_, &panel::PanelModel::usersLoaded, this,
            [this] { users::SortByFirstColumn(ui_.ListView1, sortOrder_, form_.strLastSelectedItemKey); });
}

void InstallForm::showStaging() {
    panel::showStaging(panel_, ui_.Command1, ui_.Command4);
    const auto show = [](QCheckBox* box, bool staged) {
        if (!staged && box->isChecked()) box->setChecked(false);
        kit::setForeColor(box, staged ? kit::kRed : kit::kBlack);
    };
    show(ui_.CheckRegCom, panel_.installCom());
    show(ui_.CheckUnRegCom, panel_.uninstallCom());
}

// ---- life cycle ------------------------------------------------------------

void InstallForm::Form_Load() {
    if (loaded_) return;
    loaded_ = true;
    kit::setMousePointer(this, kit::vbHourglass);
    ui_.Picture1->prepare(ui_.StatusBar1, kit::statusPanel(ui_.StatusBar1, QStringLiteral("progress")));
    setWindowTitle(QString::fromLatin1(state::kAppName));
    if (hooks_.startupDiscovery) {
        // Start-up reports nothing: whatever it could not find stays empty.
        platform::ResumeNext run;
        run([this] { hooks_.startupDiscovery(*this); });
    }
}

void InstallForm::buildUserListColumns() {
    QTreeView* list = ui_.ListView1;
    list->header()->setStretchLastSection(true);
    list->setColumnWidth(0, twipsToPixels(3500));
    list->setColumnWidth(1, twipsToPixels(1700));
    // The last column takes the rest of the list's width (the header stretches it).
}

void InstallForm::selectRememberedUser() {
    const QString key = form_.strLastSelectedItemKey;
    if (key.isEmpty()) return;
    QTreeView* list = ui_.ListView1;
    const QModelIndex row = userList_->rowOf(key);
    if (row.isValid()) {
        list->scrollTo(row);
        list->setCurrentIndex(row);
    }
}

void InstallForm::Form_Activate() {
    // An activation that arrives while the first refresh lets the window process
    // its messages must not start a second one.
    if (form_.blnNotFirstTime || activating_) return;
    activating_ = true;
    buildUserListColumns();
    if (!isVisible()) show();
    RefreshLists();
    safely([this] { selectRememberedUser(); });
    form_.blnNotFirstTime = true;
    activating_ = false;
}

void InstallForm::Form_Deactivate() { kit::setMousePointer(this, kit::vbDefault); }

void InstallForm::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    // A load or tree build still running stops where it stands.
    ++guard_.loadGeneration;
    ++guard_.treeGeneration;
    platform::ResumeNext run;
    run([this] {
        if (g_.conAD) g_.conAD->close();
    });
    g_.conAD.reset();
    // The store connection is not opened at start; closing it then fails quietly.
    run([this] {
        if (g_.conExOLEDB) g_.conExOLEDB->close();
    });
    g_.conExOLEDB.reset();
}

bool InstallForm::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        Form_Activate();
    else if (e->type() == QEvent::WindowDeactivate)
        Form_Deactivate();
    return QMainWindow::event(e);
}

void InstallForm::showEvent(QShowEvent* e) {
    Form_Load();
    QMainWindow::showEvent(e);
    // A window shown without a window manager is never activated; the first
    // activation then follows the first show once the window is on screen.
    if (!form_.blnNotFirstTime)
        QMetaObject::invokeMethod(this, [this] { Form_Activate(); }, Qt::QueuedConnection);
}

void InstallForm::closeEvent(QCloseEvent* e) {
    Form_Unload();
    e->accept();
}

// ---- refresh and progress -------------------------------------------------------

RefreshSteps InstallForm::refreshSteps() {
    RefreshSteps s;
    if (hooks_.checkComPlusApp)
        s.checkComPlusApp = [this](QString& identity) { return hooks_.checkComPlusApp(*this, identity); };
    if (hooks_.proposeIdentity) s.proposeIdentity = [this] { return hooks_.proposeIdentity(*this); };
    if (hooks_.getMailboxStores) s.getMailboxStores = [this] { hooks_.getMailboxStores(*this); };
    s.libraryFolder = [this] { return probes_.libraryFolder(); };
    s.fileExists = [this](const QString& path) { return probes_.fileExists(path); };
    return s;
}

void InstallForm::RefreshLists() {
    // The panel's resets during the refresh stage nothing.
    panel::BusyScope busy(panel_);
    panel_.clearUsers();
    safely([this] { app::RefreshLists(ui_, g_, form_, *log_, refreshSteps()); });
}

void InstallForm::UpdateStatus(int32_t FileBytes, kit::ProgressStrip* Pict) {
    if (Pict) kit::UpdateStatus(g_, FileBytes, *Pict);
}

// ---- buttons ---------------------------------------------------------------

void InstallForm::Command5_Click() {
    if (!ui_.TreeView1->isEnabled()) ui_.TreeView1->setEnabled(true);
    ui_.Command5->hide();
    log_->setText(QString());
    ui_.txtErr->hide();
}

void InstallForm::Command1_Click() {
    safely([this] {
        if (!ui_.TreeView1->isEnabled()) ui_.TreeView1->setEnabled(true);
        Command5_Click();
        if (!panel_.anyStaged()) {
            RefreshLists();
            return;
        }
        kit::setMousePointer(this, kit::vbHourglass);
        Command5_Click();
        const int result =
            hooks_.applyChanges ? hooks_.applyChanges(*this, loadedNode()) : -1;
        if (result > 0) RefreshLists();
        kit::setMousePointer(this, kit::vbDefault);
    });
}

void InstallForm::Command2_Click() {
    safely([this] {
        if (hooks_.closePickers) hooks_.closePickers(*this);
    });
    close();
}

void InstallForm::Command4_Click() {
    safely([this] {
        if (!ui_.TreeView1->isEnabled()) ui_.TreeView1->setEnabled(true);
        panel_.leaveStaged();
        if (hooks_.nodeClick) hooks_.nodeClick(*this, loadedNode());
    });
}

// Ticking or unticking a COM+ box stages or unstages that box's action alone;
// other staged edits stay, and the caption follows whatever is still staged.
void InstallForm::stageComPlusBox(QCheckBox* box) {
    if (panel_.busy()) {
        showStaging();
        return;
    }
    if (box == ui_.CheckRegCom)
        panel_.setInstallCom(box->isChecked());
    else
        panel_.setUninstallCom(box->isChecked());
}

void InstallForm::CheckRegCom_Click() { stageComPlusBox(ui_.CheckRegCom); }
void InstallForm::CheckUnRegCom_Click() { stageComPlusBox(ui_.CheckUnRegCom); }

}  // namespace app
