#pragma once
// Roles every report list of the program answers: the user list's model and the
// pickers' lists.

#include <Qt>

namespace users {

enum ListRole {
    KeyRole = Qt::UserRole + 1,  // the row's key: a mail address
    StagedRole,                  // bool: written by the next Change
    ImageKeyRole,                // the picture's key ("user", "checked", ...)
};

}  // namespace users
