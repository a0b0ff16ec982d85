#pragma once
// Access to the lab domain controller for lab tests: its settings come from the
// environment that `lab/lab env` prints (./test sets it). Without them a lab test
// fails with a message saying so: a lab test never passes without the lab.

#include "platform/directory/Directory.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <optional>
#include <utility>
#include <vector>

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

// A value written literally into an ldapsearch filter.
inline QString filterValue(QString v) {
    v.replace("\\", "\\5c").replace("*", "\\2a").replace("(", "\\28").replace(")", "\\29");
    return v;
}

// The lab Exchange server's object in the configuration partition.
inline QString exchangeServerDn() {
    return ldapsearchValues("(&(objectClass=msExchExchangeServer)(cn=" + filterValue(labEnv("LAB_EXCHANGE_SERVER")) + "))",
                            "distinguishedName", configNc())
        .value(0);
}

inline QString dnOfMail(const QString& mail) {
    return ldapsearchValues("(mail=" + filterValue(mail) + ")", "distinguishedName").value(0);
}

// The first value of an attribute of one object as ldapsearch reads it; none when unset.
inline std::optional<QString> attributeAt(const QString& dn, const QString& attr) {
    const QStringList v = ldapsearchValues("(objectClass=*)", attr, dn);
    if (v.isEmpty()) return std::nullopt;
    return v.first();
}

// Writes an attribute straight through the directory layer: one value, several
// (a list), or with a null value none (cleared).
inline void writeAttribute(const QString& dn, const QString& attr, const QVariant& value) {
    auto o = platform::directory::DirectoryObject::bind("LDAP://" + dn);
    if (value.isNull())
        o.putEx(platform::directory::DirectoryObject::ClearControl, attr);
    else
        o.put(attr, value);
    o.setInfo();
}

// Puts every kept attribute back as it was when first kept, at the latest when it ends.
class AttributeKeeper {
public:
    ~AttributeKeeper() { restore(); }
    void keep(const QString& dn, const QString& attr) {
        kept_.push_back({dn, attr, ldapsearchValues("(objectClass=*)", attr, dn)});
    }
    // Keeps the attribute, then writes it.
    void write(const QString& dn, const QString& attr, const QVariant& value) {
        keep(dn, attr);
        writeAttribute(dn, attr, value);
    }
    // Latest first, so an attribute kept twice ends with its first value.
    void restore() {
        for (auto k = kept_.rbegin(); k != kept_.rend(); ++k) try {
                if (ldapsearchValues("(objectClass=*)", k->attr, k->dn) == k->values) continue;
                writeAttribute(k->dn, k->attr, k->values.isEmpty()     ? QVariant()
                                               : k->values.size() == 1 ? QVariant(k->values[0])
                                                                       : QVariant(k->values));
            } catch (const platform::ComError&) {
                ADD_FAILURE() << "could not restore " << k->attr.toStdString() << " of " << k->dn.toStdString();
            }
        kept_.clear();
    }

private:
    struct Kept {
        QString dn, attr;
        QStringList values;
    };
    std::vector<Kept> kept_;
};

// Environment variables changed for a scope (a null value unsets one), put back
// as they were when it ends.
class EnvScope {
public:
    ~EnvScope() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
            it->second.isNull() ? qunsetenv(it->first) : qputenv(it->first, it->second);
    }
    void set(const char* name, const QByteArray& value) {
        saved_.emplace_back(name, qgetenv(name));
        value.isNull() ? qunsetenv(name) : qputenv(name, value);
    }

private:
    std::vector<std::pair<const char*, QByteArray>> saved_;
};

}  // namespace testing_support
