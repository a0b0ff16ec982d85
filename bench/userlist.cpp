// Filling the user list of the largest mailbox store of the lab's large instance
// (eval "$(lab/lab env --large)"), offscreen with the progress strip and the
// window's message processing, against ldapsearch reading the same users with
// paging in the same run. Prints details, then one line:
//   userlist: ours=SECONDS baseline=SECONDS ratio=R peak_mb=M
// Exits 2 when the large lab is not available.

#include "kit/ProgressStrip.h"
#include "kit/StatusProgress.h"
#include "state/ErrorLog.h"
#include "state/Globals.h"
#include "panel/InstallFormUi.h"
#include "directory/tree/Node.h"
#include "panel/PanelModel.h"
#include "platform/directory/Directory.h"
#include "platform/exchange/ExchangeServer.h"
#include "platform/exchange/StorageGroup.h"
#include "users/UserList.h"
#include "users/UserListModel.h"
#include "users/UserListView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QProcess>
#include <QStatusBar>
#include <QVBoxLayout>
#include <cstdio>
#include <sys/resource.h>

namespace {

constexpr int kLargeStoreMinimum = 25000;
constexpr int kRounds = 2;

int unavailable(const QString& why) {
    std::fprintf(stderr, "userlist: the large lab is not available: %s\n"
                         "  start it with lab/lab start --large, then eval \"$(lab/lab env --large)\"\n",
                 qPrintable(why));
    return 2;
}

double peakMb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024.0;  // kilobytes on Linux
}

struct Store {
    QString dn;
    QString name;
    int users = 0;
};

// The mailbox store of the Exchange server with the most users.
Store largestStore(platform::directory::DirectoryConnection& con, const QString& root, const QString& server) {
    using namespace platform::exchange;
    Store best;
    const ExchangeServer s = ExchangeServer::open(server);
    for (const QString& groupEntry : s.StorageGroups()) {
        QStringList stores;
        try {
            stores = StorageGroup::open(groupEntry).MailboxStoreDBs();
        } catch (const platform::ComError&) {
            continue;  // recovery group
        }
        for (const QString& dn : stores) {
            const int n = con.execute("SELECT cn FROM '" + root + "' WHERE homeMDB='" +
                                          platform::directory::quoteValue(dn) +
                                          "' AND objectcategory='person' AND MsExchMailboxGuid='*'",
                                      platform::directory::PropertySet::B)
                              .recordCount();
            if (n > best.users) best = {dn, dn.section(',', 0, 0).mid(3), n};
        }
    }
    return best;
}

// ldapsearch with paging for the same filter and attributes; seconds, or -1.
double baseline(const QString& storeDn, int& entries) {
    QStringList args = qEnvironmentVariable("LAB_LDAP_ARGS").split(' ', Qt::SkipEmptyParts);
    QString dn = storeDn;
    dn.replace("\\", "\\5c").replace("*", "\\2a").replace("(", "\\28").replace(")", "\\29");
    args << "-LLL" << "-o" << "ldif-wrap=no" << "-E" << "pr=100/noprompt" << "-b" << qEnvironmentVariable("LDAPBASE")
         << "(&(homeMDB=" + dn + ")(objectCategory=person)(msExchMailboxGuid=*))"
         << "name" << "extensionAttribute10" << "cn" << "mailNickName" << "mail" << "distinguishedName"
         << "userAccountControl";
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start("ldapsearch", args);
    if (!p.waitForStarted(10000)) return -1;
    QByteArray out;
    while (p.state() != QProcess::NotRunning) {
        p.waitForReadyRead(1000);
        out += p.readAllStandardOutput();
    }
    out += p.readAllStandardOutput();
    const double seconds = t.nsecsElapsed() / 1e9;
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "ldapsearch failed: %s\n", p.readAllStandardError().constData());
        return -1;
    }
    entries = out.count("\ndn:") + (out.startsWith("dn:") ? 1 : 0);  // "dn::" when base64
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const QString host = qEnvironmentVariable("LAB_DC_HOST");
    const QString server = qEnvironmentVariable("LAB_EXCHANGE_SERVER");
    if (host.isEmpty() || server.isEmpty() || qEnvironmentVariableIsEmpty("LAB_LDAP_ARGS"))
        return unavailable("the lab's environment is not set");

    state::Globals g;
    g.strLDAPRoot = "LDAP://" + host;
    g.conAD = std::make_shared<platform::directory::DirectoryConnection>();
    Store store;
    try {
        g.conAD->open();
        store = largestStore(*g.conAD, g.strLDAPRoot, server);
    } catch (const platform::ComError& e) {
        return unavailable(QString("the directory cannot be read (%1 %2)").arg(e.number()).arg(e.description()));
    }
    if (store.users < kLargeStoreMinimum)
        return unavailable(QString("the largest mailbox store has %1 users").arg(store.users));

    // A window with the list, the tree and the progress strip over the status bar.
    QMainWindow window;
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    panel::InstallFormUi ui;
    ui.form = &window;
    ui.TreeView1 = new QTreeWidget;
    ui.ListView1 = new users::UserListView;
    layout->addWidget(ui.TreeView1);
    layout->addWidget(ui.ListView1);
    window.setCentralWidget(central);
    auto* panel = new QLabel;
    window.statusBar()->addWidget(new QLabel("text"), 1);
    window.statusBar()->addWidget(panel, 1);
    auto* strip = new kit::ProgressStrip;
    strip->prepare(window.statusBar(), panel);
    window.resize(900, 700);
    window.show();
    QCoreApplication::processEvents();

    QTreeWidgetItem* group = tree::addRoot(ui.TreeView1, QString(), "Storage Group", tree::kStorageGroupImage);
    ui.TreeView1->setCurrentItem(tree::addChild(group, store.dn, store.name, "mailboxstore"));

    state::FormState form;
    state::MemoryErrorLog log;
    kit::StripProgress progress(g, *strip);
    panel::PanelModel model;
    users::UserListModels listModels(model);
    ui.ListView1->setModel(&listModels.order);
    const users::UserListFill fill{model, g, form, log, progress};

    double ours = 1e9;
    double base = 1e9;
    int listed = 0;
    int entries = 0;
    for (int round = 0; round < kRounds; ++round) {
        const double b = baseline(store.dn, entries);
        if (b < 0) return unavailable("ldapsearch could not read the store");
        base = std::min(base, b);

        QElapsedTimer t;
        t.start();
        users::GetUsersWithMailboxes(fill, store.dn, QString(), true);
        QCoreApplication::processEvents();  // the list is drawn once the fill ends
        ours = std::min(ours, t.nsecsElapsed() / 1e9);
        listed = ui.ListView1->model()->rowCount();
        std::printf("round %d: ours %.3f s (%d rows listed), ldapsearch %.3f s (%d entries)\n", round + 1,
                    t.nsecsElapsed() / 1e9, listed, b, entries);
    }
    if (!log.text().isEmpty()) std::printf("error log:\n%s\n", qPrintable(log.text()));

    const double ratio = ours / base;
    const double peak = peakMb();
    std::printf("store: %s (%d users homed there)\n", qPrintable(store.dn), store.users);
    std::printf("best of %d rounds; goal ratio <= 1.5 and peak < 300 MB: %s\n", kRounds,
                ratio <= 1.5 && peak < 300 ? "met" : "missed");
    std::printf("userlist: ours=%.3f baseline=%.3f ratio=%.2f peak_mb=%.1f\n", ours, base, ratio, peak);
    return 0;
}
