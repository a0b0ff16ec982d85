#pragma once
// Access to the lab domain controller for lab tests: its settings come from the
// environment that `lab/lab env` prints (./test sets it). Without them a lab test
// fails with a message saying so: a lab test never passes without the lab.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

namespace testing_support {

inline QString labEnv(const char* name) { return qEnvironmentVariable(name); }

inline bool labConfigured() { return !labEnv("LDAPURI").isEmpty() && !labEnv("LAB_LDAP_ARGS").isEmpty(); }

#define REQUIRE_LAB()                                                                             \
    do {                                                                                          \
        if (!testing_support::labConfigured())                                                    \
            FAIL() << "The lab is not configured: run `eval \"$(lab/lab env)\"` (./test does).";  \
    } while (0)

// The lab's directory base, e.g. "LDAP://dc1.tavimor.lab".
inline QString labRoot(const char* scheme = "LDAP") {
    return QString::fromLatin1(scheme) + "://" + labEnv("LAB_DC_HOST");
}

inline QString labBase() { return labEnv("LDAPBASE"); }

// The configuration partition, where the Exchange organisation lives.
inline QString configNc() { return "CN=Configuration," + labBase(); }

// Runs ldapsearch with the lab's bind arguments and returns the values of one
// attribute over all entries (an independent view of what the lab holds).
inline QStringList ldapsearchValues(const QString& filter, const QString& attribute,
                                    const QString& base = QString(), const QString& uri = QString()) {
    QStringList args = labEnv("LAB_LDAP_ARGS").split(' ', Qt::SkipEmptyParts);
    args << "-LLL" << "-o" << "ldif-wrap=no" << "-E" << "pr=500/noprompt";
    if (!uri.isEmpty()) args << "-H" << uri;
    if (!base.isEmpty()) args << "-b" << base;
    args << filter << attribute;
    QProcess p;
    p.start("ldapsearch", args);
    p.waitForFinished(60000);
    QStringList values;
    const QString prefix = attribute.toLower() + ":";
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split('\n')) {
        if (line.toLower().startsWith(prefix)) {
            QString v = line.mid(prefix.size());
            if (v.startsWith(':')) v = QString::fromUtf8(QByteArray::fromBase64(v.mid(1).trimmed().toLatin1()));
            values << v.trimmed();
        }
    }
    return values;
}

}  // namespace testing_support
