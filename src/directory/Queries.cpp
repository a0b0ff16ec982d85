#include "directory/Queries.h"

#include "platform/directory/Directory.h"

namespace directory::queries {
namespace {
QString q(const QString& value) { return platform::directory::quoteValue(value); }
}  // namespace

QString from(const QString& ldapRoot) {
    return QStringLiteral("FROM '") + ldapRoot + QStringLiteral("' ");
}

QString homeServerOfUser(const QString& ldapRoot, const QString& logonName) {
    return QStringLiteral("SELECT msExchHomeServerName ") + from(ldapRoot) +
           QStringLiteral("WHERE objectcategory='person' AND sAMAccountName='") + q(logonName) +
           QStringLiteral("'");
}

QString identityOfUser(const QString& ldapRoot, const QString& logonName) {
    return QStringLiteral("SELECT sAMAccountName, cn, objectCategory ") + from(ldapRoot) +
           QStringLiteral("WHERE objectcategory='person' AND sAMAccountName='") + q(logonName) +
           QStringLiteral("'");
}

QString objectTypeByMail(const QString& ldapRoot, const QString& address) {
    return QStringLiteral("SELECT sAMAccountType,mAPIRecipient ") + from(ldapRoot) +
           QStringLiteral("WHERE mail='") + q(address) + QStringLiteral("'");
}

QString usersWithMailboxes(const QString& ldapRoot, const QString& homeMDB) {
    return QStringLiteral("SELECT name, extensionAttribute10, adspath, cn, mailNickName,mail,"
                          "distinguishedName,userAccountControl ") +
           from(ldapRoot) + QStringLiteral("WHERE homeMDB='") + q(homeMDB) +
           QStringLiteral("' AND objectcategory='person' AND MsExchMailboxGuid='*' ORDER BY cn");
}

QString pathsByMail(const QString& ldapRoot, const QStringList& addresses) {
    // Only the base is switched to LDAP; the addresses themselves are never rewritten.
    QString root = ldapRoot;
    root.replace(QStringLiteral("GC://"), QStringLiteral("LDAP://"));
    QStringList conditions;
    for (const QString& address : addresses) conditions << QStringLiteral("mail='") + q(address) + u'\'';
    return QStringLiteral("SELECT adspath, mail, distinguishedName ") + from(root) + QStringLiteral("WHERE ") +
           conditions.join(QStringLiteral(" OR "));
}

QString personPathByMail(const QString& ldapRoot, const QString& address) {
    return QStringLiteral("SELECT adspath ") + from(ldapRoot) +
           QStringLiteral("WHERE objectcategory='person' AND mail='") + q(address) + QStringLiteral("'");
}

QString nameByDN(const QString& ldapRoot, const QString& dn) {
    return QStringLiteral("SELECT displayName, mail ") + from(ldapRoot) +
           QStringLiteral("WHERE distinguishedName='") + q(dn) + QStringLiteral("'");
}

QString journalMailbox(const QString& ldapRoot, const QString& dn, bool requireMail) {
    return QStringLiteral("SELECT mail, mailNickname, sAMAccountType, mAPIRecipient ") + from(ldapRoot) +
           QStringLiteral("WHERE distinguishedName='") + q(dn) +
           (requireMail ? QStringLiteral("' AND mail='*'") : QStringLiteral("'"));
}

QString journalMailboxCandidates(const QString& ldapRoot, const QString& responsibleMTA) {
    return QStringLiteral("SELECT altRecipient, name, adspath, cn, mail,  mailNickName, distinguishedName, "
                          "sAMAccountType,mAPIRecipient,userAccountControl ") +
           from(ldapRoot) +
           QStringLiteral("WHERE mail='*' AND objectcategory='person' AND objectclass='user' ") +
           QStringLiteral(" AND homeMTA='") + q(responsibleMTA) + QStringLiteral("' ") +
           QStringLiteral(" ORDER BY cn");
}

QString forwardingCandidates(const QString& ldapRoot) {
    return QStringLiteral("SELECT name, adspath, cn, homeMDB, homeMTA, mail,  mailNickName, "
                          "distinguishedName, sAMAccountType,mAPIRecipient,userAccountControl ") +
           from(ldapRoot) +
           QStringLiteral("WHERE mail='*' AND ((objectcategory='publicFolder') OR (objectcategory='group') "
                          "OR (objectcategory='person' AND (objectclass='user' OR objectclass='contact'))) ") +
           QStringLiteral("  ORDER BY cn");
}

}  // namespace directory::queries
