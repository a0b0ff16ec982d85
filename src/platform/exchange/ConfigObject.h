#pragma once
// Common ground of the Exchange management objects: each is one object of the
// directory's configuration partition, read when it is opened. Objects are
// addressed by distinguished name; an "LDAP://[host/]dn" URL is accepted too.
//
// The directory server is named by `serverPath` ("LDAP://host", or "" for this
// computer's domain controller), as platform::directory::search() takes it.

#include "platform/ComError.h"
#include "platform/directory/Directory.h"

#include <QString>
#include <QStringList>
#include <QVariant>

namespace platform::exchange {

class ConfigObject {
public:
    const QString& distinguishedName() const { return dn_; }
    const QString& serverPath() const { return serverPath_; }
    // The object's name (its "name" attribute, else its cn).
    QString Name() const;
    // An attribute read at open; null when the object does not have it. Several
    // values read as a QStringList.
    QVariant Fields(const QString& attribute) const;
    // An attribute as text: the first value, "" when absent.
    QString fieldText(const QString& attribute) const;

protected:
    ConfigObject() = default;
    // Reads the object `entry` when it is of `objectClass`; throws ComError
    // (hr::NoSuchObject) when there is no such object.
    void load(const QString& serverPath, const QString& entry, const QString& objectClass,
              const QStringList& attributes);
    void adopt(const QString& serverPath, const directory::Row& row);
    // Distinguished names of the objects of `objectClass` one level below `baseDn`,
    // ordered by name without regard to case.
    QStringList childrenOf(const QString& baseDn, const QString& objectClass) const;

    QString serverPath_;
    QString dn_;
    directory::Row row_;
};

// The distinguished name an entry names: the entry itself, or the DN part of an
// "LDAP://" / "GC://" URL.
QString entryDn(const QString& entry);

// Text of a directory value: the first value of a list, "" when null.
QString valueText(const QVariant& value);

}  // namespace platform::exchange
