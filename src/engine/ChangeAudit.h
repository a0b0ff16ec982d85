#pragma once
// The audit trail's entry of one write of a change plan: what was written,
// where, and its value before and after, from what the plan knows (no reads of
// its own). Who, when and the program are added where the entry is recorded.

#include "engine/ChangePlan.h"
#include "platform/audit/Entry.h"

#include <QString>

namespace engine {

// `step` is a write: a marker, a journal recipient set or deleted, or a
// registration item removed or created.
platform::audit::Entry auditEntry(const ChangeStep& step, bool done, const QString& why);

}  // namespace engine
