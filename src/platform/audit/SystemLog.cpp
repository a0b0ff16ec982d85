#include "platform/audit/SystemLog.h"

#include <cerrno>
#include <cstring>
#include <sys/uio.h>
#include <syslog.h>
#include <systemd/sd-journal.h>
#include <unistd.h>

namespace platform::audit {
namespace {

constexpr const char* kIdentifier = "tavimor";
constexpr const char* kJournalSocket = "/run/systemd/journal/socket";
constexpr const char* kSyslogSocket = "/dev/log";

struct Field {
    const char* name;
    QString Entry::*value;
};

// The values of an entry and their journal fields (besides time and result).
constexpr Field kFields[] = {
    {"TAVIMOR_ID", &Entry::id},         {"TAVIMOR_WHO", &Entry::who},       {"TAVIMOR_ACCOUNT", &Entry::account},
    {"TAVIMOR_PROGRAM", &Entry::program}, {"TAVIMOR_ACTION", &Entry::action}, {"TAVIMOR_OBJECT", &Entry::object},
    {"TAVIMOR_BEFORE", &Entry::before}, {"TAVIMOR_AFTER", &Entry::after},   {"TAVIMOR_ERROR", &Entry::error},
};

QByteArray field(const char* name, const QString& value) {
    return QByteArray(name) + '=' + escaped(value).toUtf8();
}

// A field of the journal's current entry, unescaped; "" when absent.
QString journalField(sd_journal* j, const char* name) {
    const void* data = nullptr;
    size_t length = 0;
    if (sd_journal_get_data(j, name, &data, &length) < 0) return {};
    const size_t prefix = std::strlen(name) + 1;
    if (length < prefix) return {};
    return unescaped(QString::fromUtf8(static_cast<const char*>(data) + prefix, static_cast<qsizetype>(length - prefix)));
}

}  // namespace

bool sendToJournal(const Entry& e) {
    if (::access(kJournalSocket, F_OK) != 0) return false;
    std::vector<QByteArray> fields;
    fields.push_back(QByteArray("MESSAGE=") + textLine(e).toUtf8());  // escaped already
    fields.push_back(QByteArray("SYSLOG_IDENTIFIER=") + kIdentifier);
    fields.push_back(QByteArray("PRIORITY=") + QByteArray::number(e.done ? LOG_NOTICE : LOG_WARNING));
    fields.push_back(QByteArray("SYSLOG_FACILITY=") + QByteArray::number(LOG_AUTHPRIV >> 3));
    fields.push_back(field("TAVIMOR_TIME", isoTime(e.when)));
    fields.push_back(QByteArray("TAVIMOR_RESULT=") + (e.done ? "done" : "failed"));
    for (const Field& f : kFields) fields.push_back(field(f.name, e.*f.value));
    std::vector<iovec> parts;
    for (QByteArray& f : fields) parts.push_back({f.data(), static_cast<size_t>(f.size())});
    return sd_journal_sendv(parts.data(), static_cast<int>(parts.size())) >= 0;
}

bool sendToSyslog(const Entry& e) {
    if (::access(kSyslogSocket, F_OK) != 0) return false;
    const QByteArray line = QByteArray(kIdentifier) + " audit: " + textLine(e).toUtf8();
    ::syslog(LOG_AUTHPRIV | (e.done ? LOG_NOTICE : LOG_WARNING), "%s", line.constData());
    return true;
}

bool readJournal(const std::optional<QDateTime>& since, std::vector<Entry>& out, QString* problem) {
    sd_journal* j = nullptr;
    if (const int rc = sd_journal_open(&j, SD_JOURNAL_LOCAL_ONLY); rc < 0) {
        if (problem) *problem = QStringLiteral("Cannot open the system journal: %1").arg(QString::fromLocal8Bit(std::strerror(-rc)));
        return false;
    }
    const QByteArray match = QByteArray("SYSLOG_IDENTIFIER=") + kIdentifier;
    sd_journal_add_match(j, match.constData(), 0);
    if (since)
        sd_journal_seek_realtime_usec(j, static_cast<uint64_t>(since->toMSecsSinceEpoch()) * 1000);
    else
        sd_journal_seek_head(j);
    while (sd_journal_next(j) > 0) {
        Entry e;
        for (const Field& f : kFields) e.*f.value = journalField(j, f.name);
        e.when = QDateTime::fromString(journalField(j, "TAVIMOR_TIME"), Qt::ISODateWithMs).toUTC();
        const QString result = journalField(j, "TAVIMOR_RESULT");
        if (e.action.isEmpty() || !e.when.isValid() || (result != "done" && result != "failed")) continue;
        e.done = result == "done";
        out.push_back(std::move(e));
    }
    sd_journal_close(j);
    return true;
}

}  // namespace platform::audit
