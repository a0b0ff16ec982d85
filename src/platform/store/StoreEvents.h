#pragma once
// The store's event service: the synchronous save event. Saving a visible item
// calls the sink of every registration item ("urn:content-class:storeeventreg",
// event method "onsyncsave") that selects it: one in the item's own folder, or,
// with match scope "DEEP" or "ANY", in a folder above it, whose criteria the item
// meets. The sink class is called only while the application catalog holds an
// application with a component of that class whose library loads and identifies
// itself; otherwise the registration is passed over and the save goes on.

#include "platform/store/ItemView.h"
#include "platform/store/Session.h"

#include <vector>

namespace platform::store::detail {

enum class SaveVerdict { Continue, Abort };

// Raises the save event of `item` with the properties it is about to be stored
// with. Runs inside the save's transaction; what the sinks save through the
// host's services is part of it. Answers Abort when a sink cancelled the save.
SaveVerdict raiseSaveEvent(Session& session, const Item& item, const StoreUrl& form,
                           const std::vector<FieldValue>& fields);

}  // namespace platform::store::detail
