#pragma once
// The test window wired to the lab: directory connection and base, the Exchange
// server's name as start-up finds it and its MTA as the store tree reads it,
// and a registration-item check answered from a table (the store's
// registration items are not what these tests are about).

#include "platform/directory/Directory.h"
#include "support/Lab.h"
#include "users/ListItem.h"
#include "unit/gui/engine_form.h"

#include <QHash>
#include <QSet>
#include <memory>

namespace testing_support {

struct LabForm : EngineForm {
    LabForm() {
        g.strLDAPRoot = labRoot();
        g.conAD = std::make_shared<platform::directory::DirectoryConnection>();
        g.conAD->open();
        state.ComputerName = labEnv("LAB_EXCHANGE_SERVER").toLower() + "." + labEnv("LAB_DNS_DOMAIN");
        g.strResponsibleMTAServer = attributeAt(exchangeServerDn(), "msExchResponsibleMTAServer").value_or("");
        services->onCheckRegItem = [this](const QString& dn, QString* tag) {
            const auto it = regItems.constFind(dn.toLower());
            if (it == regItems.constEnd()) return false;
            if (tag) *tag = tag->section(QChar(0), 0, 0) + *it;
            return true;
        };
    }
    // journal mailbox DN (lower case) -> the tag tail its registration item gives
    QHash<QString, QString> regItems;
};

// The tree node with that text below a node with `parentText`.
inline QTreeWidgetItem* findNode(QTreeWidget* tree, const QString& parentText, const QString& text) {
    QTreeWidgetItem* found = nullptr;
    tree::forEachNode(tree, [&](QTreeWidgetItem* n) {
        if (tree::text(n) == text && n->parent() && tree::text(n->parent()) == parentText) found = n;
    });
    return found;
}

// Distinguished name of the mailbox store with that name in the storage group
// with that name.
inline QString storeDn(const QString& group, const QString& store) {
    for (const QString& dn : ldapsearchValues("(&(objectClass=msExchPrivateMDB)(cn=" + filterValue(store) + "))",
                                              "distinguishedName", configNc()))
        if (dn.contains("CN=" + group + ",", Qt::CaseInsensitive)) return dn;
    return {};
}

inline QString userDn(const QString& alias) {
    return ldapsearchValues("(mailNickname=" + filterValue(alias) + ")", "distinguishedName").value(0);
}

inline QString mailOf(const QString& alias) {
    return ldapsearchValues("(mailNickname=" + filterValue(alias) + ")", "mail").value(0);
}

// The row of the object with an alias.
inline QTreeWidgetItem* rowOf(const QTreeWidget* list, const QString& alias) {
    return users::findItem(list, mailOf(alias));
}
// The same in the user list, whose rows are its model's.
inline QModelIndex userRowOf(const QTreeView* list, const QString& key) {
    const QAbstractItemModel* m = list->model();
    for (int r = 0; r < m->rowCount(); ++r)
        if (m->index(r, 0).data(users::KeyRole).toString().compare(key, Qt::CaseInsensitive) == 0) return m->index(r, 0);
    return {};
}

// Addresses (lower case) of what a filter finds, without system mailboxes and
// without the entry `leftOut`.
inline QSet<QString> expectedKeys(const QString& filter, const QString& leftOut = QString()) {
    const QStringList dns = ldapsearchValues(filter, "distinguishedName");
    const QStringList aliases = ldapsearchValues(filter, "mailNickname");
    const QStringList mails = ldapsearchValues(filter, "mail");
    QSet<QString> keys;
    for (int i = 0; i < mails.size(); ++i)
        if (!aliases.value(i).startsWith("SystemMailbox{", Qt::CaseInsensitive) &&
            (leftOut.isEmpty() || dns.value(i).compare(leftOut, Qt::CaseInsensitive) != 0))
            keys.insert(mails[i].toLower());
    return keys;
}

inline QSet<QString> listedKeys(const QTreeView* list) {
    QSet<QString> keys;
    const QAbstractItemModel* m = list->model();
    for (int i = 0; i < m->rowCount(); ++i) keys.insert(m->index(i, 0).data(users::KeyRole).toString().toLower());
    return keys;
}

}  // namespace testing_support
