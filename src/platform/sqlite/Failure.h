#pragma once
// What went wrong in SQLite, handed to the owning layer's error policy, which
// turns it into that layer's ComError (its own number and wording).

#include <QString>

namespace platform::sqlite {

// The operation that failed.
enum class Stage { Open, Exec, Prepare, Bind, Step };

// The stage as a lower-case word ("open", "exec", "prepare", "bind", "step").
const char* stageName(Stage stage);

struct Failure {
    Stage stage;
    int code;         // SQLite's (extended) result code
    QString message;  // SQLite's own description
    QString path;     // the database file as it was given to open
};

// Must throw. Should a policy return, the wrapper throws a generic failure instead.
using ErrorPolicy = void (*)(const Failure&);

}  // namespace platform::sqlite
