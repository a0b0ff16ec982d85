#pragma once
// The milter never runs as root. Started as root it becomes `user` (its groups,
// then its group and user IDs) before it serves; started by another user it
// stays that user (naming another with `named` is an error).

#include <QString>

namespace milter {

// Returns "" when the process now runs as an unprivileged user, else why not.
QString becomeUnprivileged(const QString& user, bool named);

}  // namespace milter
