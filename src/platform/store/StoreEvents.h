#pragma once
// The store's event service: the synchronous save event. Saving a visible item
// calls the sink of every registration item ("urn:content-class:storeeventreg",
// event method "onsyncsave") that selects it: one in the item's own folder, or,
// with match scope "DEEP" or "ANY", in a folder above it, whose criteria the item
// meets. The sink class is called only while the application catalog holds an
// application with a component of that class whose library loads and identifies
// itself; otherwise the registration is passed over and the save goes on.

#include "platform/store/EventHost.h"
#include "platform/store/ItemView.h"
#include "platform/store/Session.h"

#include <vector>

namespace platform::store::detail {

enum class SaveVerdict { Continue, Abort };

struct SaveOutcome {
    SaveVerdict verdict = SaveVerdict::Continue;
    std::vector<SinkSave> saves;  // what the sinks saved, for writeSinkSaves
};

// Raises the save event of `item` with the properties it is about to be stored
// with. Runs before the save's write transaction, so that a sink's directory
// look-ups and reading never hold the store's lock; the saver writes the
// outcome's saves in that transaction, whether the save goes on or not.
// Abort when a sink cancelled the save.
SaveOutcome raiseSaveEvent(Session& session, const Item& item, const StoreUrl& form,
                           const std::vector<FieldValue>& fields);

}  // namespace platform::store::detail
