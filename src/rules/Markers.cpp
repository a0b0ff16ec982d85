#include "rules/Markers.h"

#include <QStringList>

namespace rules {
namespace {
void removeFirst(QString& value, const QString& marker) {
    const qsizetype p = value.indexOf(marker, 0, Qt::CaseInsensitive);
    if (p >= 0) value.remove(p, marker.size());
}

// The marker (exact case) as a whole piece: followed by the end of the value or
// by the next separator. Searching for the marker itself rather than splitting
// at the first "###" of a run of "#" also finds a marker appended to free text
// that ends in "#" ("note#" + "###NoArcIn" splits into "note", "#NoArcIn").
bool holdsMarker(const QString& value, const QString& marker) {
    for (qsizetype p = value.indexOf(marker); p >= 0; p = value.indexOf(marker, p + 1)) {
        const qsizetype end = p + marker.size();
        if (end == value.size() || QStringView(value).sliced(end).startsWith(kMarkerSeparator)) return true;
    }
    return false;
}
}  // namespace

Switches readMarkers(const QString& value) {
    Switches s;
    s.ingoing = !holdsMarker(value, kNoArcIn);
    s.outgoing = !holdsMarker(value, kNoArcOut);
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

}  // namespace rules
