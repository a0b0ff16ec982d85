#include "platform/audit/Trail.h"

#include "platform/audit/AppendFile.h"
#include "platform/audit/SystemLog.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStringList>
#include <QUuid>

#include <algorithm>
#include <cerrno>
#include <pwd.h>
#include <unistd.h>

namespace platform::audit {
namespace {

QString lookUpAccount() {
    const uid_t uid = ::geteuid();
    passwd entry{};
    passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(uid, &entry, buffer, sizeof buffer, &found) == 0 && found)
        return QString::fromLocal8Bit(found->pw_name);
    return QString::number(uid);
}

// Looked up once: a Change of many users writes one entry each.
const QString& localAccount() {
    static const QString account = lookUpAccount();
    return account;
}

QString programName() { return QString::fromLocal8Bit(program_invocation_short_name); }

}  // namespace

QString namedFile() { return qEnvironmentVariable("TAVIMOR_AUDIT_FILE"); }

QString fallbackFile() {
    // A relative XDG_STATE_HOME is ignored, as the XDG base directories say.
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(state)) state = QDir::homePath() + QStringLiteral("/.local/state");
    return QDir::cleanPath(state + QStringLiteral("/tavimor/audit.jsonl"));
}

QString record(Entry e) {
    if (e.id.isEmpty()) e.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (!e.when.isValid()) e.when = QDateTime::currentDateTimeUtc();
    if (e.account.isEmpty()) e.account = localAccount();
    if (e.program.isEmpty()) e.program = programName();
    QStringList problems;
    const bool journal = sendToJournal(e);
    if (!journal) sendToSyslog(e);
    const QByteArray line = jsonLine(e);
    bool inNamedFile = false;
    if (const QString named = namedFile(); !named.isEmpty()) {
        const QString problem = appendLine(named, line, false);
        inNamedFile = problem.isEmpty();
        if (!inNamedFile) problems << problem;
    }
    if (!journal && !inNamedFile) {
        const QString file = fallbackFile();
        QString problem = makePrivateFolder(QFileInfo(file).path());
        if (problem.isEmpty()) problem = appendLine(file, line, true);
        if (!problem.isEmpty()) problems << problem;
    }
    return problems.join(u' ');
}

std::vector<Entry> readTrail(std::optional<QDateTime> since, QString* problem) {
    std::vector<Entry> entries;
    QStringList problems;
    QString why;
    if (!readJournal(since, entries, &why)) problems << why;
    QStringList files{fallbackFile()};
    if (const QString named = namedFile(); !named.isEmpty() && QFileInfo(named) != QFileInfo(files[0]))
        files.prepend(named);
    for (const QString& file : files) {
        why.clear();
        const bool read = readLines(file, [&](QByteArrayView line) {
            if (std::optional<Entry> e = parseJsonLine(line)) entries.push_back(std::move(*e));
        }, &why);
        if (!read) problems << why;
    }
    // Each entry once (the journal and a file may both hold it), oldest first.
    QSet<QString> seen;
    std::vector<Entry> kept;
    for (Entry& e : entries) {
        if (since && e.when < *since) continue;
        if (!e.id.isEmpty() && seen.contains(e.id)) continue;
        seen.insert(e.id);
        kept.push_back(std::move(e));
    }
    std::stable_sort(kept.begin(), kept.end(), [](const Entry& a, const Entry& b) { return a.when < b.when; });
    if (problem) *problem = problems.join(u' ');
    return kept;
}

}  // namespace platform::audit
