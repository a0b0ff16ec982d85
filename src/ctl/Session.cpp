#include "ctl/Session.h"

#include "complus/ComPlus.h"
#include "ctl/Exit.h"
#include "directory/tree/Node.h"
#include "engine/StoreServices.h"
#include "engine/StoreTree.h"
#include "kit/CaptionLabel.h"
#include "platform/ComError.h"
#include "platform/complus/Catalog.h"
#include "platform/directory/Directory.h"
#include "platform/directory/LdapLibrary.h"
#include "platform/exchange/ExchangeServer.h"
#include "platform/store/StoreConnection.h"
#include "startup/ServerChoice.h"
#include "startup/StartupDiscovery.h"

#include <QFileInfo>

#include <algorithm>

namespace ctl {
namespace {

// A list cut short by the size limit (the window notes it in its log and lists what it read).
constexpr int32_t kSizeLimitExceeded = static_cast<int32_t>(0x80072023);

// The error log's entries, oldest first, each on one line.
QStringList logEntries(const QString& text) {
    QStringList entries = text.split(QStringLiteral("\r\n\r\n"), Qt::SkipEmptyParts);
    std::reverse(entries.begin(), entries.end());
    for (QString& e : entries) e = oneLine(e);
    return entries;
}
QString logLines(const QString& text) { return logEntries(text).join(u'\n'); }

// Why the directory did not answer start-up: its own error, read again.
QString directoryProblem() {
    try {
        const QVariant host = platform::directory::DirectoryObject::bind(QStringLiteral("LDAP://RootDSE"))
                                  .get(QStringLiteral("dnshostname"));
        if (host.toString().isEmpty()) return QStringLiteral("the directory's RootDSE names no dnsHostName");
        return QStringLiteral("the directory answered only after start-up gave up; try again");
    } catch (const platform::ComError& e) {
        return e.description();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    }
}

}  // namespace

Session::Session(CtlPrompt& prompt) : prompt_(prompt), probes_(platform::system::makeHostProbes()) {
    // The window's controls, made and filled as the window's are, never shown
    // to anybody (the platform is "offscreen").
    form_widget_ = std::make_unique<QWidget>();
    QWidget* w = form_widget_.get();
    ui_.form = w;
    ui_.TreeView1 = new QTreeWidget(w);
    ui_.Frame1 = new QGroupBox(w);
    for (QCheckBox** box : {&ui_.Check1, &ui_.Check2, &ui_.Check3, &ui_.Check4, &ui_.Check5, &ui_.CheckRegCom,
                            &ui_.CheckUnRegCom})
        *box = new QCheckBox(w);
    for (QPushButton** button : {&ui_.Command1, &ui_.Command2, &ui_.Command3, &ui_.Command4, &ui_.Command5,
                                 &ui_.Command6})
        *button = new QPushButton(w);
    ui_.ListView1 = new QTreeView(w);
    ui_.ListView1->setModel(&list_.order);
    ui_.Label3 = new kit::CaptionLabel(w);
    ui_.Label4 = new kit::CaptionLabel(w);
    for (QLabel** label : {&ui_.LabelIdentity, &ui_.LabelIdentityHelp, &ui_.LabelPassword, &ui_.Label8})
        *label = new QLabel(w);
    ui_.txtIdent = new QLineEdit(w);
    ui_.txtPwd = new QLineEdit(w);
    ui_.txtErr = new QPlainTextEdit(w);
    ui_.StatusBar1 = new QStatusBar(w);
    load_ = std::make_unique<engine::StoreLoad>(
        engine::StoreLoad{ui_, ui_.TreeView1, g_, form_, log_, progress_, prompt_, panel_, guard_, {}});
    load_->services = engine::liveServices(*load_, *probes_, &list_, [this](const engine::ChangeReport& report) {
        report_ = report;
        runLog_ = log_.text();
    });
    // The list shows a load's users sorted by name; Change writes them in that order.
    QObject::connect(&panel_, &panel::PanelModel::usersLoaded, w, [this] { list_.order.sort(0); });
    // What the directory layer notes on its own (a referral it would not
    // follow): the answer may lack what that server holds.
    platform::directory::setNoticeHandler([this](int32_t number, const QString& description) {
        partial_ << QStringLiteral("ERROR: %1 %2").arg(number).arg(oneLine(description));
    });
}

Session::~Session() {
    platform::directory::setNoticeHandler({});
    ++guard_.loadGeneration;
    ++guard_.treeGeneration;
    platform::ResumeNext run;
    run([this] {
        if (g_.conAD) g_.conAD->close();
    });
}

void Session::openDirectory(const QString& server) {
    startup::DirectoryFacts facts;
    startup::RunStartupDiscovery(g_, form_, *probes_, facts);
    g_.conExOLEDB = std::make_shared<platform::store::StoreConnection>();
    startup::useServer(g_, form_, startup::requestedServer(server));
    if (!g_.conAD || g_.strLDAPRoot.isEmpty())
        throw Error(kUnreachable, QStringLiteral("the directory cannot be reached: ") + directoryProblem());
}

void Session::checkServer() {
    try {
        serverName_ = platform::exchange::ExchangeServer::open(form_.ComputerName).Name();
    } catch (const platform::ComError& e) {
        if (e.number() != platform::hr::NoSuchObject) throw Error(kUnreachable, e.description());
        QString known;
        try {
            known = platform::exchange::organisationServerNames().join(QStringLiteral(", "));
        } catch (const platform::ComError& list) {
            known = QStringLiteral("(not listed: ") + list.description() + u')';
        }
        if (known.isEmpty())
            known = QStringLiteral("none that this account may read (no Exchange organisation, or no right to read it)");
        throw Error(kRefused, QStringLiteral("%1 is no Exchange server of the organisation. Its servers: %2. "
                                             "Name one with --server or TAVIMOR_SERVER.")
                                  .arg(form_.ComputerName, known));
    }
}

bool Session::comPlusInstalled() {
    // The window's check, on a catalog opened for reading: a read writes
    // nothing (the check would record the components' versions, and create a
    // missing catalog). Change checks again, as the window's Change does.
    using platform::complus::Catalog;
    const QString path = Catalog::defaultPath();
    if (!QFileInfo::exists(path)) return false;
    state::MemoryErrorLog checkLog;
    QString identity;
    const bool installed =
        complus::ComPlus(checkLog, g_, *probes_, [path] { return std::make_unique<Catalog>(path, Catalog::Access::ReadOnly); })
            .CheckComPlusApp(QString::fromLatin1(state::kAppName), identity);
    // Found, the refresh refused by the read-only catalog is no failure.
    if (!installed && !checkLog.text().isEmpty()) log_.setText(checkLog.text() + log_.text());
    return installed;
}

Session::RememberedStore Session::rememberedStore(const QString& ref) {
    const QString r = ref.trimmed();
    if (r.isEmpty()) return {};
    // A distinguished name: its first value, up to the first separator not escaped.
    if (r.startsWith(QLatin1String("CN="), Qt::CaseInsensitive)) {
        QString name;
        for (qsizetype i = 3; i < r.size() && r[i] != u','; ++i) {
            if (r[i] == u'\\' && i + 1 < r.size()) ++i;
            name += r[i];
        }
        return {name, r};
    }
    // "Group/Store" or a store's name; a name holding "/" itself is read in full later.
    return {r.section(u'/', -1), QString()};
}

void Session::open(const QString& server, const QString& storeRef) {
    openDirectory(server);
    checkServer();
    form_.blnComPlusInstalled = comPlusInstalled();
    // The store a command names is the one the tree shows (it is read once,
    // into the panel); without one, the tree reads every store as it reads
    // those it does not show (a name no store has), so that each node holds
    // its mode and children.
    const RememberedStore remembered = rememberedStore(storeRef);
    form_.strLastSelectedMailboxStore = remembered.name.isEmpty() ? QString(QChar(0)) : remembered.name;
    form_.lastShownStoreDn = remembered.dn;
    tree::GetMailboxStores(*load_);
    takeLog(QStringLiteral("the stores could not be read"));
}

void Session::takeLog(const QString& what) {
    const QString sizeLimit = QStringLiteral("ERROR: %1 ").arg(kSizeLimitExceeded);
    QStringList failures;
    for (const QString& entry : logEntries(log_.text())) (entry.contains(sizeLimit) ? partial_ : failures) << entry;
    log_.setText(QString());
    if (!failures.isEmpty()) throw Error(kUnreachable, what + QStringLiteral(":\n") + failures.join(u'\n'));
}

void Session::show(QTreeWidgetItem* node) {
    if (engine::loadedNode(panel_, tree()) != node) tree::NodeClick(*load_, node);
    takeLog(QStringLiteral("the store could not be read"));
}

std::vector<size_t> Session::usersInListOrder() const {
    std::vector<size_t> rows;
    for (int r = 0; r < list_.order.rowCount(); ++r) {
        const int source = list_.order.mapToSource(list_.order.index(r, 0)).row();
        if (source >= 0 && static_cast<size_t>(source) < panel_.users().size()) rows.push_back(static_cast<size_t>(source));
    }
    return rows;
}

engine::ChangeFacts Session::facts() const { return engine::changeFacts(*load_, &list_); }

engine::ChangePlan Session::plan() const { return engine::planChange(panel_, facts()); }

std::optional<engine::ChangeReport> Session::change(QString& runLog) {
    report_.reset();
    runLog_.clear();
    log_.setText(QString());
    // The window's Change writes, then reads the store back to show it; the
    // command shows nothing after it, so it only writes.
    platform::ResumeNext resume;
    if (panel_.anyStaged()) {
        int16_t result = 1;
        resume([&] { load_->services->applyStagedChanges(result); });
    }
    // A run that threw before it reported leaves its cause in the log.
    runLog = logLines(report_ ? runLog_ : log_.text());
    if (!report_ && resume.number() != 0)
        runLog += (runLog.isEmpty() ? QString() : QStringLiteral("\n")) + resume.description();
    return report_;
}

}  // namespace ctl
