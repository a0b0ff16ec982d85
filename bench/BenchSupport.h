#pragma once
// Shared pieces of the benchmarks: timing, peak memory, the baseline tool run and
// the one result line every benchmark prints.

#include "platform/complus/Catalog.h"
#include "platform/directory/Directory.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <sys/resource.h>
#include <vector>

namespace bench {

inline double peakMb() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_maxrss / 1024.0;
}

// Median of `runs` timings of `work`, in seconds.
inline double medianSeconds(int runs, const std::function<void()>& work) {
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        t.push_back(timer.nsecsElapsed() / 1e9);
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

// ldapsearch with the lab's bind arguments (the password stays in its file);
// returns the number of entries it printed.
inline int ldapsearchCount(const QString& base, const QString& filter, const QStringList& attrs, int pageSize) {
    QStringList args = qEnvironmentVariable("LAB_LDAP_ARGS").split(' ', Qt::SkipEmptyParts);
    args << "-LLL" << "-o" << "ldif-wrap=no" << "-E" << QString("pr=%1/noprompt").arg(pageSize) << "-b" << base
         << filter << attrs;
    QProcess p;
    p.start("ldapsearch", args);
    p.waitForFinished(-1);
    const QByteArray out = p.readAllStandardOutput();
    // "dn: " or, for names that are not plain ASCII, "dn:: " (base64).
    return static_cast<int>(out.count("\ndn:") + (out.startsWith("dn:") ? 1 : 0));
}

// The mailbox store with the most users (LAB_LARGE_STORE_DN when the lab names it).
inline QString largestStore(const QString& root) {
    QString named = qEnvironmentVariable("LAB_LARGE_STORE_DN");
    if (!named.isEmpty()) return named;
    platform::directory::DirectoryConnection c;
    c.open();
    auto rs = c.execute("SELECT homeMDB FROM '" + root + "' WHERE homeMDB='*' AND objectcategory='person'",
                        platform::directory::PropertySet::B);
    QHash<QString, int> counts;
    for (; !rs.eof(); rs.moveNext()) ++counts[rs.text("homeMDB")];
    QString best;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (best.isEmpty() || it.value() > counts.value(best)) best = it.key();
    return best;
}

// One LDIF change record per (DN, value) pair: extensionAttribute10 put back
// as it was ("" deletes it).
inline QByteArray restoringLdif(const std::vector<std::pair<QString, QString>>& stored) {
    QByteArray ldif;
    for (const auto& [dn, value] : stored) {
        ldif += "dn:: " + dn.toUtf8().toBase64() + "\nchangetype: modify\n";
        if (value.isEmpty())
            ldif += "delete: extensionAttribute10\n-\n\n";
        else
            ldif += "replace: extensionAttribute10\nextensionAttribute10:: " + value.toUtf8().toBase64() + "\n-\n\n";
    }
    return ldif;
}

// Seconds ldapmodify takes for `ldif` (the baseline of the marker writes).
inline double ldapmodifySeconds(const QByteArray& ldif, int* exitCode = nullptr) {
    const QString path = QDir::temp().filePath(QStringLiteral("bench-%1.ldif").arg(QCoreApplication::applicationPid()));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return -1;
    file.write(ldif);
    file.close();
    QStringList args = qEnvironmentVariable("LAB_LDAP_ARGS").split(' ', Qt::SkipEmptyParts);
    args << "-f" << path;
    QElapsedTimer timer;
    timer.start();
    QProcess modify;
    modify.start("ldapmodify", args);
    modify.waitForFinished(-1);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (exitCode) *exitCode = modify.exitCode();
    QFile::remove(path);
    return seconds;
}

// The hosted application with the sink library `library`, in the catalog the
// environment names.
inline void installSink(const QString& library) {
    platform::complus::Catalog c(platform::complus::Catalog::defaultPath());
    auto apps = c.GetCollection("Applications");
    apps.Populate();
    auto a = apps.Add();
    a.SetValue("Name", "Tavimor");
    apps.SaveChanges();
    c.InstallComponent(a.Key(), library, QString(), QString());
}

inline void report(const char* name, double ours, double baseline) {
    std::printf("%s: ours=%.3f baseline=%.3f ratio=%.2f peak_mb=%.0f\n", name, ours, baseline,
                baseline > 0 ? ours / baseline : 0.0, peakMb());
    std::fflush(stdout);
}

// Sets a single-valued attribute for the life of the object, then puts it back.
class Borrowed {
public:
    Borrowed(const QString& dn, const QString& attr, const QString& value) : dn_(dn), attr_(attr) {
        const auto rows = platform::directory::search(QString(), dn, platform::directory::Scope::Base, "(objectClass=*)", {attr});
        if (!rows.empty() && !rows.front().value(attr).isNull()) old_ = rows.front().value(attr).toString();
        if (old_ && old_->compare(value, Qt::CaseInsensitive) == 0) return;
        set(value);
        changed_ = true;
    }
    ~Borrowed() {
        if (!changed_) return;
        try {
            set(old_);
        } catch (const platform::ComError& e) {
            std::fprintf(stderr, "bench: could not put back %s: %s\n", qPrintable(attr_), e.what());
        }
    }

private:
    void set(const std::optional<QString>& v) {
        auto o = platform::directory::DirectoryObject::bind("LDAP://" + dn_);
        if (v) o.put(attr_, *v);
        else o.putEx(platform::directory::DirectoryObject::ClearControl, attr_);
        o.setInfo();
    }
    QString dn_, attr_;
    std::optional<QString> old_;
    bool changed_ = false;
};

}  // namespace bench
