#include "state/ErrorLog.h"

#include <QLocale>

namespace state {
namespace {
std::function<QDateTime()>& clock() {
    static std::function<QDateTime()> c = [] { return QDateTime::currentDateTime(); };
    return c;
}
const QString kCrLf2 = QStringLiteral("\r\n\r\n");
}  // namespace

void setClockForTesting(std::function<QDateTime()> c) {
    clock() = c ? std::move(c) : [] { return QDateTime::currentDateTime(); };
}

QString timestamp() {
    const QDateTime now = clock()();
    const QLocale locale = QLocale::system();
    return locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(now.time(), QLocale::LongFormat);
}

QString formatEntryWithContext(const QString& stamp, const QString& context, int32_t number,
                               const QString& description) {
    return QLatin1Char('[') + stamp + QStringLiteral("] ") + context + QStringLiteral(" - ERROR: ") +
           QString::number(number) + QLatin1Char(' ') + description + kCrLf2;
}

QString formatEntryWithoutContext(const QString& stamp, int32_t number, const QString& description) {
    return QLatin1Char('[') + stamp + QStringLiteral("] ERROR: ") + QString::number(number) +
           QLatin1Char(' ') + description + kCrLf2;
}

void ErrorLog::logWithContext(const QString& context, int32_t number, const QString& description) {
    prepend(formatEntryWithContext(timestamp(), context, number, description));
}

void ErrorLog::logWithoutContext(int32_t number, const QString& description) {
    prepend(formatEntryWithoutContext(timestamp(), number, description));
}

}  // namespace state
