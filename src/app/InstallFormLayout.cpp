#include "app/InstallFormLayout.h"

#include "users/UserListView.h"

#include "kit/CaptionLabel.h"
#include "kit/ProgressStrip.h"
#include "kit/StatusPanels.h"

#include <QDate>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QMainWindow>
#include <QSplitter>
#include <QVBoxLayout>

namespace app {
namespace {

template <typename W, typename... Args>
W* make(const char* name, QWidget* parent, Args&&... args) {
    auto* w = new W(std::forward<Args>(args)..., parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

// A name label in a sunken frame, as wide as the space allows.
kit::CaptionLabel* nameLabel(const char* name, QWidget* parent) {
    auto* l = make<kit::CaptionLabel>(name, parent);
    // Sunken: dark top and left edges, light bottom and right. Only the border is
    // styled, so the staged-change colours of the palette still show.
    l->setStyleSheet(QStringLiteral("QLabel { border: 1px solid; border-color: #8a8a8a #ffffff #ffffff #8a8a8a;"
                                    " padding: 0 3px; }"));
    l->setMinimumHeight(22);
    l->setContentsMargins(3, 0, 3, 0);
    l->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

QTreeWidget* storeTree(QWidget* parent) {
    auto* t = make<QTreeWidget>("TreeView1", parent);
    t->setHeaderHidden(true);
    t->setColumnCount(1);
    t->setIconSize(QSize(16, 16));
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->setMinimumWidth(200);
    return t;
}

QTreeView* userList(QWidget* parent) { return make<users::UserListView>("ListView1", parent); }

QGroupBox* storePanel(QWidget* parent, panel::InstallFormUi& ui) {
    auto* frame = make<QGroupBox>("Frame1", parent);
    QFont arial = frame->font();
    arial.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                       QStringLiteral("DejaVu Sans")});
    frame->setFont(arial);
    // The title (store and mode) in bold; the controls inside keep the plain face.
    QFont title = arial;
    title.setBold(true);
    frame->setFont(title);

    ui.Check3 = make<QCheckBox>("Check3", frame, QStringLiteral("Archive mailbox:"));
    ui.Label3 = nameLabel("Label3", frame);
    ui.Command3 = make<QPushButton>("Command3", frame, QStringLiteral("Browse"));

    ui.Check4 = make<QCheckBox>("Check4", frame, QStringLiteral("Forward to:"));
    ui.Label4 = nameLabel("Label4", frame);
    ui.Command6 = make<QPushButton>("Command6", frame, QStringLiteral("Browse"));

    ui.Check5 = make<QCheckBox>("Check5", frame,
                                QStringLiteral("Deliver messages to both forwarding address and archive mailbox"));
    ui.ListView1 = userList(frame);
    ui.Check1 = make<QCheckBox>("Check1", frame, QStringLiteral("All ingoing"));
    ui.Check2 = make<QCheckBox>("Check2", frame, QStringLiteral("All outgoing"));
    ui.Command4 = make<QPushButton>("Command4", frame, QStringLiteral("Reset"));
    // Until a store is loaded, nothing in the panel but its first box can be used.
    for (QWidget* w : {(QWidget*)ui.Command3, (QWidget*)ui.Command6, (QWidget*)ui.Command4, (QWidget*)ui.Check4,
                       (QWidget*)ui.Check5, (QWidget*)ui.Check1, (QWidget*)ui.Check2})
        w->setEnabled(false);

    arial.setBold(false);  // stated, so the children do not inherit the title's weight
    for (QWidget* child : frame->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        child->setFont(arial);

    auto* grid = new QGridLayout(frame);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    grid->addWidget(ui.Check3, 0, 0);
    grid->addWidget(ui.Label3, 0, 1);
    grid->addWidget(ui.Command3, 0, 2);
    grid->addWidget(ui.Check4, 1, 0);
    grid->addWidget(ui.Label4, 1, 1);
    grid->addWidget(ui.Command6, 1, 2);
    grid->addWidget(ui.Check5, 2, 0, 1, 3);
    grid->addWidget(ui.ListView1, 3, 0, 1, 3);
    auto* bulk = new QHBoxLayout;
    bulk->addWidget(ui.Check1);
    bulk->addSpacing(16);
    bulk->addWidget(ui.Check2);
    bulk->addStretch(1);
    bulk->addWidget(ui.Command4);
    grid->addLayout(bulk, 4, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(3, 1);
    return frame;
}

QGroupBox* comPlusGroup(QWidget* parent, panel::InstallFormUi& ui) {
    auto* box = new QGroupBox(QStringLiteral("COM+ object"), parent);
    box->setObjectName(QStringLiteral("ComPlusGroup"));
    ui.CheckRegCom = make<QCheckBox>("CheckRegCom", box, QStringLiteral("Install COM+ object"));
    ui.CheckRegCom->setToolTip(QStringLiteral("Install COM+ object to enable Tavimor"));
    ui.CheckUnRegCom = make<QCheckBox>("CheckUnRegCom", box, QStringLiteral("Uninstall COM+ object"));
    ui.CheckUnRegCom->setToolTip(QStringLiteral("Uninstall COM+ object to disable Tavimor globally"));
    ui.LabelIdentity = make<QLabel>("LabelIdentity", box, QStringLiteral("Identity:"));
    ui.txtIdent = make<QLineEdit>("txtIdent", box);
    ui.LabelIdentityHelp = make<QLabel>("LabelIdentityHelp", box, QStringLiteral("e.g. MYDOMAIN\\Administrator"));
    ui.LabelIdentityHelp->setEnabled(false);
    ui.LabelPassword = make<QLabel>("LabelPassword", box, QStringLiteral("Password:"));
    ui.txtPwd = make<QLineEdit>("txtPwd", box);
    ui.txtPwd->setEchoMode(QLineEdit::Password);
    ui.Label8 = make<QLabel>("Label8", box, QStringLiteral("COM+ object is not installed"));
    ui.Label8->setWordWrap(true);

    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(8);
    auto* checks = new QHBoxLayout;
    checks->addWidget(ui.CheckRegCom);
    checks->addSpacing(16);
    checks->addWidget(ui.CheckUnRegCom);
    checks->addStretch(1);
    grid->addLayout(checks, 0, 0, 1, 3);
    grid->addWidget(ui.LabelIdentity, 1, 0);
    grid->addWidget(ui.txtIdent, 1, 1);
    grid->addWidget(ui.LabelIdentityHelp, 1, 2);
    grid->addWidget(ui.LabelPassword, 2, 0);
    grid->addWidget(ui.txtPwd, 2, 1);
    grid->addWidget(ui.Label8, 3, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    return box;
}

// Keeps the error area as visible as its log box, so a hidden log takes no room.
class FollowVisibility : public QObject {
public:
    FollowVisibility(QWidget* source, QWidget* follower) : QObject(follower), follower_(follower) {
        source->installEventFilter(this);
        follower->setVisible(!source->isHidden());
    }
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::ShowToParent) follower_->setVisible(true);
        if (e->type() == QEvent::HideToParent) follower_->setVisible(false);
        return QObject::eventFilter(watched, e);
    }

private:
    QWidget* follower_;
};

QWidget* errorArea(QWidget* parent, panel::InstallFormUi& ui) {
    auto* area = new QWidget(parent);
    area->setObjectName(QStringLiteral("ErrorArea"));
    ui.txtErr = make<QPlainTextEdit>("txtErr", area);
    ui.txtErr->setReadOnly(true);
    ui.txtErr->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    ui.txtErr->setMinimumHeight(48);
    ui.txtErr->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    QPalette pal = ui.txtErr->palette();
    pal.setColor(QPalette::Text, QColor(0xA0, 0x10, 0x10));
    ui.txtErr->setPalette(pal);
    ui.Command5 = make<QPushButton>("Command5", area, QStringLiteral("Clear Error Log"));

    auto* row = new QHBoxLayout(area);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(ui.txtErr, 1);
    auto* side = new QVBoxLayout;
    side->addWidget(ui.Command5);
    side->addStretch(1);
    row->addLayout(side);
    ui.txtErr->hide();
    ui.Command5->hide();
    new FollowVisibility(ui.txtErr, area);
    return area;
}

}  // namespace

panel::InstallFormUi buildInstallForm(QMainWindow* form) {
    panel::InstallFormUi ui;
    ui.form = form;
    form->setObjectName(QStringLiteral("InstallForm"));

    auto* central = new QWidget(form);
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(8, 8, 8, 4);
    outer->setSpacing(6);

    // The error log sits under the main area; the administrator can drag the
    // boundary, and the area disappears while the log is hidden.
    auto* vertical = new QSplitter(Qt::Vertical, central);
    vertical->setObjectName(QStringLiteral("LogSplitter"));
    vertical->setChildrenCollapsible(false);
    auto* splitter = new QSplitter(Qt::Horizontal, vertical);
    splitter->setObjectName(QStringLiteral("MainSplitter"));
    splitter->setChildrenCollapsible(false);
    ui.TreeView1 = storeTree(splitter);

    auto* right = new QWidget(splitter);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(4, 0, 0, 0);
    rightLayout->setSpacing(8);
    ui.Frame1 = storePanel(right, ui);
    rightLayout->addWidget(ui.Frame1, 1);
    rightLayout->addWidget(comPlusGroup(right, ui));

    ui.Command1 = make<QPushButton>("Command1", right, QStringLiteral("Refresh"));
    ui.Command2 = make<QPushButton>("Command2", right, QStringLiteral("Exit"));
    for (QPushButton* b : {ui.Command1, ui.Command2}) b->setMinimumWidth(90);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ui.Command1);
    buttons->addWidget(ui.Command2);
    rightLayout->addLayout(buttons);

    splitter->addWidget(ui.TreeView1);
    splitter->addWidget(right);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({300, 900});

    vertical->addWidget(splitter);
    vertical->addWidget(errorArea(vertical, ui));
    vertical->setStretchFactor(0, 1);
    vertical->setStretchFactor(1, 0);
    vertical->setSizes({640, 100});
    outer->addWidget(vertical, 1);
    form->setCentralWidget(central);

    ui.StatusBar1 = make<QStatusBar>("StatusBar1", form);
    form->setStatusBar(ui.StatusBar1);
    kit::addStatusPanel(ui.StatusBar1, QStringLiteral("text"), kit::PanelSize::Stretch, 200);
    QLabel* progress = kit::addStatusPanel(ui.StatusBar1, QStringLiteral("progress"), kit::PanelSize::Fixed, 220);
    QLabel* date = kit::addStatusPanel(ui.StatusBar1, QStringLiteral("date"), kit::PanelSize::Fixed, 100);
    date->setText(QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
    date->setAlignment(Qt::AlignCenter);

    progress->setText(QString());
    // Laid over the "progress" panel when the window loads.
    ui.Picture1 = new kit::ProgressStrip(ui.StatusBar1);
    return ui;
}

}  // namespace app
