#include "rules/ForwardingText.h"

#include "rules/StoreTag.h"

namespace rules {
namespace {
QString withoutAngles(QString text) {
    text.remove(QLatin1Char('<'));
    text.remove(QLatin1Char('>'));
    return text;
}
}  // namespace

ForwardingName splitForwardingText(const QString& text) {
    ForwardingName r;
    const qsizetype lt = text.indexOf(QLatin1Char('<'));
    if (lt >= 1) {
        r.displayName = trimBlanks(text.left(lt));
        r.address = trimBlanks(withoutAngles(trimBlanks(text.mid(lt + 1))));
    }
    if (r.displayName.isEmpty()) {
        r.displayName = trimBlanks(withoutAngles(text));
        r.address = r.displayName;
    }
    return r;
}

}  // namespace rules
