#pragma once
// Exclusion markers in a user's extensionAttribute10: free text, then any number
// of "###" + piece. A piece equal to "NoArcIn" (exactly, case-sensitive) turns the
// user's "Journal ingoing" switch off, "NoArcOut" the "Journal outgoing" switch.
// Everything else in the value is kept untouched when markers are rewritten.

#include <QString>

namespace rules {

inline const QString kMarkerSeparator = QStringLiteral("###");
inline const QString kNoArcIn = QStringLiteral("###NoArcIn");
inline const QString kNoArcOut = QStringLiteral("###NoArcOut");

struct Switches {
    bool ingoing = true;
    bool outgoing = true;
    bool anyOff() const { return !ingoing || !outgoing; }
};

// Reads the switches from a stored value (an empty value: both on). A switch is
// off when its marker stands as a whole piece: followed by the end of the value
// or by "###", however many "#" precede it.
Switches readMarkers(const QString& value);

// Composes the value to store: the first "###NoArcIn" and the first "###NoArcOut"
// (found without regard to case) are taken out of the value as read, then the
// markers of the switches that are off are appended, ingoing first. An empty
// result means the attribute is to be cleared.
QString composeMarkers(const QString& storedValue, const Switches& switches);

}  // namespace rules
