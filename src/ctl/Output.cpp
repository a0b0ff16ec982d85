#include "ctl/Output.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace ctl {
namespace {

QJsonValue textOrNull(const QString& s) { return s.isEmpty() ? QJsonValue() : QJsonValue(s); }

QString json(const QJsonObject& o) { return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Indented)); }

QJsonObject userJson(const panel::UserRow& u) {
    return {{QStringLiteral("address"), u.mail},
            {QStringLiteral("name"), u.name},
            {QStringLiteral("ingoing"), u.switches.ingoing},
            {QStringLiteral("outgoing"), u.switches.outgoing},
            {QStringLiteral("disabled"), u.disabled},
            {QStringLiteral("extensionAttribute10"), textOrNull(u.stored)}};
}

// A value of the text form on its line: a control character (a line end in a
// name) is shown escaped, so that no value can start a line of its own.
QString shown(const QString& s) {
    QString out;
    for (const QChar c : s)
        out += c.unicode() < 0x20 || c.unicode() == 0x7f ? QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QChar(u'0')) : QString(c);
    return out;
}

// A column of the text form: columns separated by two blanks, the last one free.
QString padded(const QString& s, int width) { return shown(s).leftJustified(width) + QStringLiteral("  "); }

}  // namespace

QString csvField(const QString& value) {
    if (!value.contains(u',') && !value.contains(u'"') && !value.contains(u'\n') && !value.contains(u'\r'))
        return value;
    QString quoted = value;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString csvLine(const QStringList& fields) {
    QStringList out;
    for (const QString& f : fields) out << csvField(f);
    return out.join(u',') + u'\n';
}

QString onOff(bool on) { return on ? QStringLiteral("on") : QStringLiteral("off"); }

QJsonObject storeJson(const StoreView& s) {
    QJsonObject journal, forwarding;
    if (!s.journalDn.isEmpty())
        journal = {{QStringLiteral("dn"), s.journalDn}, {QStringLiteral("name"), textOrNull(s.journalName)}};
    if (!s.forwarding.isEmpty())
        forwarding = {{QStringLiteral("text"), s.forwarding},
                      {QStringLiteral("name"), textOrNull(s.forwardingName)},
                      {QStringLiteral("address"), textOrNull(s.forwardingAddress)}};
    return {{QStringLiteral("name"), s.name},
            {QStringLiteral("dn"), s.dn},
            {QStringLiteral("storageGroup"), s.group},
            {QStringLiteral("mode"), s.mode},
            {QStringLiteral("journalMailbox"), journal.isEmpty() ? QJsonValue() : QJsonValue(journal)},
            {QStringLiteral("forwarding"), forwarding.isEmpty() ? QJsonValue() : QJsonValue(forwarding)},
            {QStringLiteral("both"), s.both}};
}

QString storesText(const QString& server, const QList<StoreView>& stores, Format format) {
    if (format == Format::Json) {
        QJsonArray groups;
        QJsonObject group;
        QJsonArray members;
        QString current;
        const auto flush = [&] {
            if (group.isEmpty()) return;
            group.insert(QStringLiteral("stores"), members);
            groups.append(group);
            members = {};
        };
        for (const StoreView& s : stores) {
            if (group.isEmpty() || s.groupDn != current) {
                flush();
                group = {{QStringLiteral("name"), s.group}, {QStringLiteral("dn"), s.groupDn}};
                current = s.groupDn;
            }
            members.append(storeJson(s));
        }
        flush();
        return json({{QStringLiteral("server"), server}, {QStringLiteral("storageGroups"), groups}});
    }
    QString out;
    QString current;
    bool first = true;
    for (const StoreView& s : stores) {
        if (first || s.groupDn != current) out += shown(s.group) + u'\n';
        first = false;
        current = s.groupDn;
        QString line = QStringLiteral("  ") + padded(s.name, 28) + padded(s.mode, 8);
        if (!s.journalDn.isEmpty()) line += QStringLiteral("journal: ") + shown(s.journalName.isEmpty() ? s.journalDn : s.journalName);
        if (!s.forwarding.isEmpty())
            line += QStringLiteral("  forward: ") + shown(s.forwardingName.isEmpty() ? s.forwarding : s.forwardingName) +
                    QStringLiteral("  both: ") + onOff(s.both);
        out += line.trimmed().prepend(QStringLiteral("  ")) + u'\n';
    }
    return out;
}

QString usersText(const StoreView& store, const std::vector<const panel::UserRow*>& users, Format format) {
    if (format == Format::Json) {
        QJsonArray rows;
        for (const panel::UserRow* u : users) rows.append(userJson(*u));
        return json({{QStringLiteral("store"), storeJson(store)}, {QStringLiteral("users"), rows}});
    }
    QString out;
    if (format == Format::Csv) {
        out = csvLine({QStringLiteral("address"), QStringLiteral("in"), QStringLiteral("out"), QStringLiteral("name"),
                       QStringLiteral("disabled")});
        for (const panel::UserRow* u : users)
            out += csvLine({u->mail, onOff(u->switches.ingoing), onOff(u->switches.outgoing), u->name,
                            u->disabled ? QStringLiteral("yes") : QStringLiteral("no")});
        return out;
    }
    for (const panel::UserRow* u : users)
        out += padded(u->mail, 36) + QStringLiteral("in ") + padded(onOff(u->switches.ingoing), 3) +
               QStringLiteral("out ") + padded(onOff(u->switches.outgoing), 3) + shown(u->name) +
               (u->disabled ? QStringLiteral(" (disabled)") : QString()) + u'\n';
    return out;
}

QString reportText(const QList<ReportRow>& rows, Format format) {
    if (format == Format::Json) {
        QJsonArray users;
        for (const ReportRow& r : rows) {
            QJsonObject o = userJson(r.user);
            o.insert(QStringLiteral("server"), r.server);
            o.insert(QStringLiteral("storageGroup"), r.group);
            o.insert(QStringLiteral("store"), r.store);
            o.insert(QStringLiteral("storeDn"), r.storeDn);
            users.append(o);
        }
        return json({{QStringLiteral("users"), users}});
    }
    QString out;
    if (format == Format::Csv) {
        out = csvLine({QStringLiteral("address"), QStringLiteral("in"), QStringLiteral("out"), QStringLiteral("name"),
                       QStringLiteral("server"), QStringLiteral("storage_group"), QStringLiteral("store"),
                       QStringLiteral("store_dn")});
        for (const ReportRow& r : rows)
            out += csvLine({r.user.mail, onOff(r.user.switches.ingoing), onOff(r.user.switches.outgoing), r.user.name,
                            r.server, r.group, r.store, r.storeDn});
        return out;
    }
    for (const ReportRow& r : rows)
        out += padded(r.user.mail, 36) + QStringLiteral("in ") + padded(onOff(r.user.switches.ingoing), 3) +
               QStringLiteral("out ") + padded(onOff(r.user.switches.outgoing), 3) +
               shown(r.server + u'/' + r.group + u'/' + r.store) + u'\n';
    return out;
}

}  // namespace ctl
