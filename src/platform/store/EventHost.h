#pragma once
// The services the store offers a sink during a save event (EventSink.h): the
// directory through the program's directory layer, and the store of the saved
// item through the save's own database connection. The event runs before the
// save's write transaction: what a sink saves is checked and set aside, and
// written with the saved item (writeSinkSaves), in its transaction.

#include "platform/plugin/EventSink.h"
#include "platform/store/ItemView.h"
#include "platform/store/Session.h"

namespace platform::store::detail {

// An item a sink saved, to be written with the saved item.
struct SinkSave {
    QStringList folder;  // path of the folder
    QString name;
    std::vector<StoredProp> props;
};

struct EventHostContext {
    Session& session;
    StoreUrl form;  // URLs handed out are in the form of the saved item's URL
    std::vector<SinkSave> saves;
};

// Writes the items the sinks saved; inside the saved item's write transaction.
// Throws ComError (a folder that went away meanwhile).
void writeSinkSaves(Database& db, const std::vector<SinkSave>& saves);

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

// Checks a new visible item with the properties for the folder (the host's
// save_item) and sets it aside in `saves`; answers its URL. Throws ComError.
QString saveNewItem(Session& session, const StoreUrl& form, const QString& folderUrl,
                    const std::vector<StoredProp>& props, std::vector<SinkSave>& saves);

}  // namespace platform::store::detail
