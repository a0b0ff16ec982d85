#pragma once
// The catalog's file, which holds the password of an application's identity, so
// that only its owner may read it. Preparing it for writing makes missing parent
// folders with mode 0700 and the file with mode 0600 (never through a symbolic
// link). Either way, an existing file is refused when it belongs to another user
// (root excepted when it is only read) or when its group or others have any
// access to it, as the password file of the directory sign-in is.
// Throws ComError (AccessDenied for permission failures and refusals).

#include <QByteArray>
#include <QString>

namespace platform::complus {

void preparePrivateFile(const QString& path);

// Checks an existing file for reading only; nothing is created.
void checkPrivateFileForReading(const QString& path);

// Checks it as above and answers what tells one content of it from another: the
// file's identity, size and times, and SQLite's header, whose change counter
// every committed write moves on. Equal answers mean the same content.
QByteArray privateFileVersion(const QString& path);

}  // namespace platform::complus
