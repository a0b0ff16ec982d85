#pragma once
// The pickers against the lab: the lab window with the Exchange server's MTA, and
// what ldapsearch says a picker must list.

#include "tree_lab_form.h"
#include "users/ListItem.h"

#include <QSet>

namespace testing_support {

struct PickerLabForm : LabForm {
    PickerLabForm() {
        g.strResponsibleMTAServer = ldapsearchValues("(&(objectClass=msExchExchangeServer)(cn=" +
                                                         filterValue(labEnv("LAB_EXCHANGE_SERVER")) + "))",
                                                     "msExchResponsibleMTAServer", configNc())
                                        .value(0);
    }
};

// The row of the object with an alias.
inline QTreeWidgetItem* rowOf(const QTreeWidget* list, const QString& alias) {
    return users::findItem(list, ldapsearchValues("(mailNickname=" + filterValue(alias) + ")", "mail").value(0));
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

inline QSet<QString> listedKeys(const QTreeWidget* list) {
    QSet<QString> keys;
    for (int i = 0; i < list->topLevelItemCount(); ++i) keys.insert(users::itemKey(list->topLevelItem(i)).toLower());
    return keys;
}

}  // namespace testing_support
