#pragma once
// Hooks for tests that need to stop a writer at an exact point (the crash test
// kills a child process between two field writes). Unset in the program.

#include <QString>
#include <functional>

namespace platform::store::testing {

// Called after each single field has been written by StoreRecord::update().
void setFieldWriteHook(std::function<void(const QString& fieldName)> hook);

// Called with the text of every query a record set runs (tests count store calls).
void setQueryHook(std::function<void(const QString& queryText)> hook);

}  // namespace platform::store::testing

namespace platform::store::detail {
void fieldWritten(const QString& fieldName);
}
