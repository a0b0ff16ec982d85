// `tavimorctl set --users-from` with 1,000 users of the large lab's biggest
// store, each user's "Journal ingoing" switch flipped: the whole program, from
// start-up and the store tree to Change writing the markers. Baseline: one
// ldapmodify batch making the same number of marker writes, which puts every
// value back as it was, so the lab ends as it started. Prints details, then
//   ctl: ours=SECONDS baseline=SECONDS ratio=R peak_mb=M
// where peak_mb is tavimorctl's own peak. Exits 2 when the large lab is not
// available.

#include "BenchSupport.h"
#include "directory/Queries.h"
#include "rules/Markers.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryFile>

using namespace platform::directory;

namespace {

constexpr int kUsers = 1000;

struct User {
    QString mail, dn, stored;
};

// The first users tavimorctl lists for the store (a list cut at the size
// limit lists only those it read), with their distinguished names.
std::vector<User> usersOf(const QString& root, const QString& store) {
    QProcess list;
    list.start(QCoreApplication::applicationDirPath() + "/tavimorctl",
               {"users", store, "--json", "--server", qEnvironmentVariable("LAB_EXCHANGE_SERVER")});
    list.waitForFinished(600000);
    std::vector<User> users;
    for (const QJsonValue u : QJsonDocument::fromJson(list.readAllStandardOutput())["users"].toArray()) {
        if (users.size() == kUsers) break;
        users.push_back({u["address"].toString(), QString(), u["extensionAttribute10"].toString()});
    }
    QHash<QString, QString> dns;
    DirectoryConnection c;
    c.open();
    for (size_t first = 0; first < users.size(); first += 100) {
        QStringList mails;
        for (size_t i = first; i < std::min(users.size(), first + 100); ++i) mails << users[i].mail;
        for (RecordSet rs = c.execute(directory::queries::pathsByMail(root, mails)); !rs.eof(); rs.moveNext())
            dns.insert(rs.text("mail").toLower(), rs.text("distinguishedName"));
    }
    for (User& u : users) u.dn = dns.value(u.mail.toLower());
    return users;
}

QByteArray usersCsv(const std::vector<User>& users) {
    QByteArray csv = "address,in,out\n";
    for (const User& u : users)
        csv += u.mail.toUtf8() + (rules::readMarkers(u.stored).ingoing ? ",off,\n" : ",on,\n");
    return csv;
}

double childPeakMb() {
    rusage ru{};
    getrusage(RUSAGE_CHILDREN, &ru);
    return ru.ru_maxrss / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("LAB_LDAP_ARGS")) {
        std::fprintf(stderr, "ctl: the large lab is not configured (bench/run sets it up)\n");
        return 2;
    }
    const QString root = "LDAP://" + qEnvironmentVariable("LAB_DC_HOST");
    const QString store = bench::largestStore(root);
    const std::vector<User> users = usersOf(root, store);
    if (users.size() < kUsers || std::any_of(users.begin(), users.end(), [](const User& u) { return u.dn.isEmpty(); })) {
        std::fprintf(stderr, "ctl: the store holds %zu users, %d needed\n", users.size(), kUsers);
        return 2;
    }
    QTemporaryFile csv;
    if (!csv.open()) return 1;
    csv.write(usersCsv(users));
    csv.flush();

    QElapsedTimer timer;
    timer.start();
    QProcess ctl;
    ctl.start(QCoreApplication::applicationDirPath() + "/tavimorctl",
              {"set", store, "--users-from", csv.fileName(), "--server", qEnvironmentVariable("LAB_EXCHANGE_SERVER")});
    const bool ended = ctl.waitForFinished(600000);
    const double ours = timer.nsecsElapsed() / 1e9;
    const QByteArray errors = ctl.readAllStandardError();
    const int written = static_cast<int>(ctl.readAllStandardOutput().count("done: extensionAttribute10 of "));

    std::vector<std::pair<QString, QString>> stored;
    for (const User& u : users) stored.emplace_back(u.dn, u.stored);
    int modified = -1;
    const double baseline = bench::ldapmodifySeconds(bench::restoringLdif(stored), &modified);

    std::printf("ctl: %d of %zu users of %s written by tavimorctl (exit %d)%s%s; ldapmodify exit %d\n", written,
                users.size(), qPrintable(store), ended ? ctl.exitCode() : -1, errors.isEmpty() ? "" : ": ",
                errors.left(300).constData(), modified);
    std::printf("ctl: ours=%.3f baseline=%.3f ratio=%.2f peak_mb=%.0f\n", ours, baseline,
                baseline > 0 ? ours / baseline : 0.0, childPeakMb());
    return ended && ctl.exitCode() == 0 && written == kUsers && modified == 0 ? 0 : 1;
}
