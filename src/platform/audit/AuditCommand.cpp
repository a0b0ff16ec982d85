#include "platform/audit/AuditCommand.h"

#include "platform/audit/Trail.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace platform::audit {

std::optional<QDateTime> parseSince(const QString& text, const QDateTime& now) {
    static const QRegularExpression relative(QStringLiteral("^-(\\d{1,9})([smhd])$"));
    if (const QRegularExpressionMatch m = relative.match(text); m.hasMatch()) {
        const qint64 count = m.captured(1).toLongLong();
        const QChar unit = m.captured(2)[0];
        const qint64 seconds = unit == u's' ? 1 : unit == u'm' ? 60 : unit == u'h' ? 3600 : 86400;
        return now.toUTC().addSecs(-count * seconds);
    }
    const QDate day = QDate::fromString(text, Qt::ISODate);
    if (day.isValid() && text.size() == 10) return QDateTime(day, QTime(0, 0), Qt::UTC);
    QDateTime at = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!at.isValid()) return std::nullopt;
    // Without a zone the time is UTC, as the trail shows times.
    if (at.timeSpec() == Qt::LocalTime) at.setTimeSpec(Qt::UTC);
    return at.toUTC();
}

int auditCommand(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Reads the audit trail back: every write made to the directory, "
                                                    "the store and the application catalog."));
    const QCommandLineOption since(QStringLiteral("since"),
                                   QStringLiteral("Entries from TIME on: ISO 8601 (UTC without a zone) or -N[smhd]."),
                                   QStringLiteral("TIME"));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("A JSON array of entries."));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help."));
    parser.addOptions({since, json, help});
    if (!parser.parse(arguments.isEmpty() ? QStringList{QStringLiteral("audit")} : arguments)) {
        err << parser.errorText() << '\n';
        return kAuditUsage;
    }
    if (parser.isSet(help)) {
        out << parser.helpText();
        return kAuditOk;
    }
    if (!parser.positionalArguments().isEmpty()) {
        err << "Unexpected argument: " << parser.positionalArguments().first() << '\n';
        return kAuditUsage;
    }
    std::optional<QDateTime> from;
    if (parser.isSet(since)) {
        from = parseSince(parser.value(since), QDateTime::currentDateTimeUtc());
        if (!from) {
            err << "--since: not a time: " << parser.value(since)
                << " (give an ISO 8601 date or time, or -N followed by s, m, h or d)\n";
            return kAuditUsage;
        }
    }
    QString problem;
    const std::vector<Entry> entries = readTrail(from, &problem);
    if (parser.isSet(json)) {
        out << '[';
        for (size_t i = 0; i < entries.size(); ++i)
            out << (i ? ",\n" : "\n") << QString::fromUtf8(jsonLine(entries[i]));
        out << (entries.empty() ? "]\n" : "\n]\n");
    } else {
        for (const Entry& e : entries) out << textLine(e) << '\n';
    }
    out.flush();
    if (!problem.isEmpty()) {
        err << problem << '\n';
        return kAuditUnreadable;
    }
    return kAuditOk;
}

}  // namespace platform::audit
