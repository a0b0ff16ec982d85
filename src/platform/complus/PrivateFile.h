#pragma once
// Prepares a file that only its owner may read: missing parent folders are made
// with mode 0700, the file is created with mode 0600 (never through a symbolic
// link), and an existing file of ours that others could read is narrowed to 0600.
// Throws ComError (AccessDenied for permission failures).

#include <QString>

namespace platform::complus {

void preparePrivateFile(const QString& path);

}  // namespace platform::complus
