#include "platform/exchange/ConfigObject.h"

#include <algorithm>

namespace platform::exchange {

using directory::Row;
using directory::Scope;

QString valueText(const QVariant& value) {
    if (!value.isValid() || value.isNull()) return {};
    if (value.typeId() == QMetaType::QStringList) {
        const QStringList l = value.toStringList();
        return l.isEmpty() ? QString() : l.first();
    }
    return value.toString();
}

QString entryDn(const QString& entry) {
    QString rest;
    if (entry.startsWith(QStringLiteral("LDAP://"), Qt::CaseInsensitive))
        rest = entry.mid(7);
    else if (entry.startsWith(QStringLiteral("GC://"), Qt::CaseInsensitive))
        rest = entry.mid(5);
    else
        return entry;
    // A first segment without '=' names a server.
    const qsizetype slash = rest.indexOf(QLatin1Char('/'));
    const QString first = slash < 0 ? rest : rest.left(slash);
    if (first.contains(QLatin1Char('='))) return rest;
    return slash < 0 ? QString() : rest.mid(slash + 1);
}

QString ConfigObject::Name() const {
    const QString name = fieldText(QStringLiteral("name"));
    return name.isEmpty() ? fieldText(QStringLiteral("cn")) : name;
}

QVariant ConfigObject::Fields(const QString& attribute) const {
    if (attribute.compare(QStringLiteral("distinguishedName"), Qt::CaseInsensitive) == 0) return dn_;
    return row_.value(attribute);
}

QString ConfigObject::fieldText(const QString& attribute) const { return valueText(Fields(attribute)); }

void ConfigObject::load(const QString& serverPath, const QString& entry, const QString& objectClass,
                        const QStringList& attributes) {
    const QString dn = entryDn(entry).trimmed();
    const auto notFound = [&] {
        return ComError(hr::NoSuchObject,
                        QStringLiteral("There is no %1 object '%2' in the directory.").arg(objectClass, entry));
    };
    if (dn.isEmpty()) throw notFound();
    std::vector<Row> rows;
    try {
        rows = directory::search(serverPath, dn, Scope::Base,
                                 QStringLiteral("(objectClass=") + directory::escapeFilterValue(objectClass) +
                                     QStringLiteral(")"),
                                 attributes + QStringList{QStringLiteral("name"), QStringLiteral("cn")});
    } catch (const ComError& e) {
        if (e.number() == hr::NoSuchObject) throw notFound();
        throw;
    }
    if (rows.empty()) throw notFound();
    adopt(serverPath, rows.front());
}

void ConfigObject::adopt(const QString& serverPath, const Row& row) {
    serverPath_ = serverPath;
    row_ = row;
    dn_ = valueText(row.value(QStringLiteral("distinguishedName")));
}

QStringList ConfigObject::childrenOf(const QString& baseDn, const QString& objectClass) const {
    std::vector<Row> rows;
    try {
        rows = directory::search(serverPath_, baseDn, Scope::OneLevel,
                                 QStringLiteral("(objectClass=") + directory::escapeFilterValue(objectClass) +
                                     QStringLiteral(")"),
                                 {QStringLiteral("name"), QStringLiteral("cn")});
    } catch (const ComError& e) {
        // A server without an information store (or a group without stores) has
        // nothing below it.
        if (e.number() == hr::NoSuchObject) return {};
        throw;
    }
    struct Child {
        QString name;
        QString dn;
    };
    std::vector<Child> children;
    for (const Row& r : rows) {
        QString name = valueText(r.value(QStringLiteral("name")));
        if (name.isEmpty()) name = valueText(r.value(QStringLiteral("cn")));
        children.push_back({name, valueText(r.value(QStringLiteral("distinguishedName")))});
    }
    std::stable_sort(children.begin(), children.end(), [](const Child& a, const Child& b) {
        return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
    });
    QStringList dns;
    for (const Child& c : children) dns << c.dn;
    return dns;
}

}  // namespace platform::exchange
