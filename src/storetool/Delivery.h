#pragma once
// Delivery as the message transfer agent does it for journaling: the recipients'
// groups are expanded, and one journal report goes into the journal folder of
// every journaled store on which a party (the sender or a recipient) is homed.
// Saving the report raises the store's save event, so the journal folder's sink
// decides whether it stays. A deliverer keeps what the directory told it (where
// an address is homed, a store's journal recipient and folder) for its life, so
// a long-lived user makes a new one now and then.

#include "journal/JournalReport.h"
#include "platform/store/EventDirectory.h"
#include "storetool/StoreEnvironment.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace platform::store { class StoreConnection; }

namespace storetool {

struct Message {
    QString from;
    QStringList to, cc, bcc;
    QString subject;
};

// A message as a mail transfer agent hands it over: the envelope sender, every
// envelope recipient, and the message itself, unchanged.
struct RawMessage {
    QString sender;
    QStringList recipients;
    QByteArray data;
};

struct SavedReport {
    QString journalDn;   // the journal recipient
    QString folderUrl;   // its journal folder ("" when it has none)
    QString itemUrl;     // the report's URL
    bool kept = false;   // still in the journal folder after the save
    QString problem;     // why nothing could be saved, or why the sink cancelled
};

class Deliverer {
public:
    explicit Deliverer(StoreEnvironment& env);
    ~Deliverer();

    // Delivers one message: one report per journaled store a party is homed on.
    // Throws ComError when the directory cannot answer.
    std::vector<SavedReport> deliver(const Message& message);
    // Delivers a real message: the parties are its envelope's (a recipient the
    // headers do not name is listed as Bcc), never its headers'; the report
    // embeds the message byte for byte. Throws ComError as above.
    std::vector<SavedReport> deliver(const RawMessage& message);
    // Saves one report for `original` into a journal folder on the tool's store
    // connection. Throws ComError on a store failure other than the sink's cancel.
    SavedReport saveInto(const QString& folderUrl, const QString& journalMail, const journal::Envelope& envelope,
                         const QByteArray& original);

private:
    struct Party {
        QString entry;    // the envelope entry ("a@x" or "a@x, Expanded: g@x")
        QString homeMdb;
    };
    std::vector<Party> expand(const QString& address);
    QString journalOf(const QString& homeMdb);
    QString folderOf(const QString& journalDn, QString& journalMail);
    // Expands the recipients into `e`'s lists and saves one report of
    // `original` per journaled store a party is homed on.
    std::vector<SavedReport> journal(journal::Envelope& e, const QStringList* const (&recipients)[3],
                                     const QByteArray& original);
    SavedReport save(const QString& journalDn, const QByteArray& original, const journal::Envelope& envelope);

    StoreEnvironment& env_;
    QHash<QString, QString> journals_;                      // store DN -> journal DN ("" none)
    QHash<QString, std::pair<QString, QString>> folders_;   // journal DN -> (folder URL, mail)
    std::unique_ptr<platform::store::StoreConnection> connection_;
};

}  // namespace storetool
