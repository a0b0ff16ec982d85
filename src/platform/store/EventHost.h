#pragma once
// The services the store offers a sink during a save event (EventSink.h): the
// directory through the program's directory layer, and the store of the saved
// item through the save's own database connection, so the sink's saves belong to
// the save's transaction and never wait for it.

#include "platform/plugin/EventSink.h"
#include "platform/store/ItemView.h"
#include "platform/store/Session.h"

namespace platform::store::detail {

struct EventHostContext {
    Session& session;
    StoreUrl form;  // URLs handed out are in the form of the saved item's URL
};

// The host table over a context; the context must outlive every call.
tv_sink_host eventHost(EventHostContext& context);

// Properties as the sink interface carries them; the texts live as long as the object.
class SinkProperties {
public:
    explicit SinkProperties(const std::vector<FieldValue>& fields);
    const tv_property* data() const { return props_.data(); }
    size_t size() const { return props_.size(); }

private:
    std::vector<QByteArray> texts_;
    std::vector<tv_property> props_;
};

// Saves a new visible item with the properties in the folder (the host's
// save_item); answers its URL. Throws ComError; nothing of the item remains then.
QString saveNewItem(Session& session, const StoreUrl& form, const QString& folderUrl,
                    const std::vector<StoredProp>& props);

}  // namespace platform::store::detail
