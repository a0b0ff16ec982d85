#pragma once
// The writes the apply makes outside the window: the hosted COM+ application, the
// store's journal recipient, a user's attribute, and the registration item. The
// program uses the real ones (applyServices); tests may replace any of them.

#include "engine/ApplyDecisions.h"
#include "state/Forward.h"

#include <QString>
#include <QVariant>
#include <cstdint>
#include <functional>

namespace platform::system {
class SystemProbes;
}

namespace engine {

struct ApplyServices {
    // The application "Tavimor": removal, installation (1 or -1) and check.
    std::function<void()> RemoveComPlusApp;
    std::function<int16_t(const QString& identity, const QString& password)> InstallComPlusApp;
    std::function<bool()> CheckComPlusApp;
    // Writes the journal recipient of the store with that distinguished name as
    // one change; throws platform::ComError when it is not written.
    std::function<void(const QString& storeDn, const JournalRecipientChange& change)> SaveJournalRecipient;
    // Sets (or, for a null value, clears) one attribute of the object with that
    // mail address: 1 when written; a write that failed answers -1 or throws
    // platform::ComError with the failure (a denial is also shown to the
    // administrator).
    std::function<int16_t(const QString& mail, const QString& attribute, const QVariant& value)> SetAttribute;
    // Whether the registration item is in a journal mailbox; throws
    // platform::ComError when the mailbox could not be read (neither answer holds).
    std::function<bool(const QString& mailboxDn)> CheckRegItem;
    std::function<void(const QString& mailboxDn)> RemoveRegItem;
    std::function<void(const QString& mailboxDn, const QString& forwarding, bool both)> CreateRegItem;
};

// The real writes: the catalog, the directory and the store, with failures
// logged to `log` where their routines log.
ApplyServices applyServices(state::Globals& g, state::FormState& form, state::ErrorLog& log, state::Prompt& prompt,
                            platform::system::SystemProbes& probes);

}  // namespace engine
