#pragma once
// The pickers against the lab: the lab window with the Exchange server's MTA, and
// helpers to read the dialogs' rows.

#include "tree_lab_form.h"
#include "users/ListItem.h"

#include <QSet>
#include <QTreeWidget>

namespace testing_support {

inline QString labHost() { return labEnv("LAB_EXCHANGE_SERVER"); }

struct PickerLabForm : LabForm {
    PickerLabForm() {
        g.strResponsibleMTAServer =
            ldapsearchValues("(&(objectClass=msExchExchangeServer)(cn=" + filterValue(labHost()) + "))",
                             "msExchResponsibleMTAServer", configNc())
                .value(0);
    }
};

inline QString mailOf(const QString& alias) {
    return ldapsearchValues("(mailNickname=" + filterValue(alias) + ")", "mail").value(0);
}

// Mail addresses (lower case) of the entries a filter finds, without system
// mailboxes and without the entry `leftOut`.
inline QSet<QString> expectedKeys(const QString& filter, const QString& leftOut = QString()) {
    const QStringList dns = ldapsearchValues(filter, "distinguishedName");
    const QStringList aliases = ldapsearchValues(filter, "mailNickname");
    const QStringList mails = ldapsearchValues(filter, "mail");
    EXPECT_EQ(dns.size(), mails.size());
    EXPECT_EQ(aliases.size(), mails.size());
    QSet<QString> keys;
    for (int i = 0; i < mails.size(); ++i) {
        if (aliases.value(i).startsWith("SystemMailbox{", Qt::CaseInsensitive)) continue;
        if (!leftOut.isEmpty() && dns.value(i).compare(leftOut, Qt::CaseInsensitive) == 0) continue;
        keys.insert(mails[i].toLower());
    }
    return keys;
}

inline QSet<QString> listedKeys(const QTreeWidget* list) {
    QSet<QString> keys;
    for (int i = 0; i < list->topLevelItemCount(); ++i) keys.insert(users::itemKey(list->topLevelItem(i)).toLower());
    return keys;
}

inline QStringList rowNames(const QTreeWidget* list) {
    QStringList names;
    for (int i = 0; i < list->topLevelItemCount(); ++i) names << list->topLevelItem(i)->text(0);
    return names;
}

}  // namespace testing_support
