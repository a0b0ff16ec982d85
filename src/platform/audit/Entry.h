#pragma once
// One entry of the audit trail: one write the window or tavimorctl made (or
// tried to make) to the directory, the store or the application catalog. An
// entry carries names, addresses and values, never a password.

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <optional>

namespace platform::audit {

// What was written.
inline constexpr const char* kMarker = "marker";                        // a user's exclusion markers
inline constexpr const char* kJournalRecipient = "journal-recipient";   // a store's journal recipient
inline constexpr const char* kRegistrationItem = "registration-item";   // the event registration of a journal mailbox
inline constexpr const char* kCatalog = "catalog";                      // the hosted application
inline constexpr const char* kForwardingRule = "forwarding-rule";       // a mailbox's forwarding, taken off by the picker

struct Entry {
    QString id;        // unique per entry (the same entry read from two places is shown once)
    QDateTime when;    // UTC
    QString who;       // the identity the directory sees: "dn:...", "u:DOMAIN\\user" or "upn:..."
    QString account;   // the local account that ran the program
    QString program;   // tavimor, tavimorctl
    QString action;    // one of the constants above
    QString object;    // a DN, a mail address, a store URL or the application's name
    QString before;
    QString after;
    bool done = false;
    QString error;     // why it failed

    bool operator==(const Entry&) const = default;
};

// The entry as one JSON object on one line (no line end): keys in a fixed order,
// every value a JSON string (control characters, quotes and backslashes escaped).
QByteArray jsonLine(const Entry& entry);
// An entry from such a line; nothing for a line that is not one.
std::optional<Entry> parseJsonLine(QByteArrayView line);

// The entry as one line of text for people: every value quoted with control
// characters escaped, so no value can end the line or pass for another field.
QString textLine(const Entry& entry);

// `value` with backslashes and control characters escaped (\\, \xNN): one line,
// reversible with unescape.
QString escaped(const QString& value);
QString unescaped(const QString& value);

// The time as ISO 8601 in UTC with milliseconds: 2026-12-07T06:40:00.123Z.
QString isoTime(const QDateTime& when);

}  // namespace platform::audit
