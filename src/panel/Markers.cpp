#include "panel/Markers.h"

#include <QStringList>

namespace users {
namespace {
void removeFirst(QString& value, const QString& marker) {
    const qsizetype p = value.indexOf(marker, 0, Qt::CaseInsensitive);
    if (p >= 0) value.remove(p, marker.size());
}
}  // namespace

Switches readMarkers(const QString& value) {
    Switches s;
    const QStringList pieces = value.split(kMarkerSeparator, Qt::KeepEmptyParts, Qt::CaseSensitive);
    for (qsizetype i = 1; i < pieces.size(); ++i) {
        if (pieces[i] == QLatin1String("NoArcIn")) s.ingoing = false;
        if (pieces[i] == QLatin1String("NoArcOut")) s.outgoing = false;
    }
    return s;
}

QString composeMarkers(const QString& storedValue, const Switches& switches) {
    QString value = storedValue;
    removeFirst(value, kNoArcIn);
    removeFirst(value, kNoArcOut);
    if (!switches.ingoing) value += kNoArcIn;
    if (!switches.outgoing) value += kNoArcOut;
    return value;
}

}  // namespace users
