#pragma once
// What the pickers make of one directory record: the row it becomes in the list,
// or nothing when the record is not offered. Plain rules without widgets.

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <optional>

namespace pickers {

// One record of a picker's query, read by attribute name (null when absent).
using RecordFields = std::function<QVariant(const QString& attribute)>;

// Display name of the object with a distinguished name; its mail address goes to
// the second argument (engine::GetNameByDN in the program).
using NameLookup = std::function<QString(const QString& dn, QString& mail)>;

// A list row: Key, Text, SmallIcon and the sub-item texts from column 2 on.
struct PickerRow {
    QString key;
    QString name;
    QString icon;
    QStringList subItems;
};

// System mailboxes carry an alias beginning with "SystemMailbox{", in any case.
bool isSystemMailboxAlias(const QString& alias);

// A name followed by " <" + address + ">", or the name alone when the address is
// blank.
QString nameWithAddress(const QString& name, const QString& address);

// A user of the journal-mailbox picker: a normal user account (sAMAccountType
// 805306368) with a mail address and an alias that is not a system mailbox.
// Icon and Tag are "user" or "userdisabled"; the sub-items are the
// distinguished name, the address and the forwarding recipient as display text.
std::optional<PickerRow> journalMailboxRow(const RecordFields& record, const NameLookup& lookup);

// Kind of a forwarding recipient: "user" or "userdisabled" for a normal user
// account, "group" for security and distribution groups, "pf" for an object
// without account type and without the MAPI flag, "contact" otherwise.
QString recipientKind(const QVariant& sAMAccountType, const QVariant& userAccountControl,
                      const QVariant& mAPIRecipient);

// A recipient of the forwarding picker, unless it is a system mailbox or the
// store's journal mailbox `journalDn` (compared without regard to case). Tag is
// "pf" for public folders; the sub-items are the distinguished name and the
// address.
std::optional<PickerRow> recipientRow(const RecordFields& record, const QString& journalDn);

}  // namespace pickers
