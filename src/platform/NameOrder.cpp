#include "platform/NameOrder.h"

#include <QCollator>
#include <QLocale>

namespace platform {
namespace {

QLocale collationLocale() {
    const QLocale locale = QLocale().collation();
    if (locale.language() == QLocale::C) return QLocale(QLocale::English, QLocale::UnitedStates);
    return locale;
}

const QCollator& collator() {
    // One per thread: a collator keeps state of its own while comparing.
    thread_local const QCollator c = [] {
        QCollator made(collationLocale());
        made.setCaseSensitivity(Qt::CaseInsensitive);
        return made;
    }();
    return c;
}

}  // namespace

int compareNames(const QString& a, const QString& b) { return collator().compare(a, b); }

QString nameOrderLocale() { return collator().locale().name(); }

}  // namespace platform
