#pragma once
// Every directory query of the program, built in the one query form:
// "SELECT " attributes "FROM '" base "' " "WHERE " condition [ORDER BY cn].
// Values are escaped as quoted literals (apostrophes doubled), so an address or
// name can never change a query's meaning.

#include <QString>
#include <QStringList>

namespace directory::queries {

// The FROM part: "FROM '" + root + "' ".
QString from(const QString& ldapRoot);

// Home server of the logged-on user (cluster name look-up).
QString homeServerOfUser(const QString& ldapRoot, const QString& logonName);
// Account and category of the logged-on user (identity default).
QString identityOfUser(const QString& ldapRoot, const QString& logonName);
// Account type of the object with a mail address (classification).
QString objectTypeByMail(const QString& ldapRoot, const QString& address);
// Users homed on a mailbox store, by name.
QString usersWithMailboxes(const QString& ldapRoot, const QString& homeMDB);
// Path, name and address of any object carrying one of the mail addresses
// (at least one); always searched over LDAP, also when the root is a
// global-catalog base, so the paths found are writable.
QString pathsByMail(const QString& ldapRoot, const QStringList& addresses);
// Path of a person with a mail address.
QString personPathByMail(const QString& ldapRoot, const QString& address);
// Display name and mail of an object by distinguished name.
QString nameByDN(const QString& ldapRoot, const QString& dn);
// The journal mailbox as the registration routines read it; `requireMail` adds
// the mail='*' condition (check and create) that removal leaves out.
QString journalMailbox(const QString& ldapRoot, const QString& dn, bool requireMail);
// Candidates of the journal-mailbox picker: users homed on the server's MTA.
QString journalMailboxCandidates(const QString& ldapRoot, const QString& responsibleMTA);
// Candidates of the forwarding-recipient picker.
QString forwardingCandidates(const QString& ldapRoot);

}  // namespace directory::queries
