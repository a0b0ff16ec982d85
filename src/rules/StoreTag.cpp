#include "rules/StoreTag.h"

namespace rules {
namespace {
// Position of the first separator when it stands past the first character, else -1.
qsizetype separatorAfterStart(const QString& text) {
    const qsizetype p = text.indexOf(kTagSeparator);
    return p >= 1 ? p : -1;
}
}  // namespace

QString trimBlanks(const QString& text) {
    qsizetype b = 0;
    qsizetype e = text.size();
    while (b < e && text.at(b) == QLatin1Char(' ')) ++b;
    while (e > b && text.at(e - 1) == QLatin1Char(' ')) --e;
    return text.mid(b, e - b);
}

QString journalPart(const QString& tag) {
    const qsizetype p = separatorAfterStart(tag);
    return p >= 0 ? tag.left(p) : tag;
}

StoreTag readStoreTag(const QString& tag) {
    StoreTag t;
    const qsizetype p1 = separatorAfterStart(tag);
    if (p1 < 0) {
        t.journal = tag;
        return t;
    }
    t.journal = tag.left(p1);
    const QString rest = tag.mid(p1 + 1);
    const qsizetype p2 = separatorAfterStart(rest);
    if (p2 < 0) {
        t.forwarding = rest;
    } else {
        t.forwarding = rest.left(p2);
        t.both = true;
    }
    return t;
}

QString composeStoreTag(const QString& journal, const QString& forwarding) {
    if (!journal.isEmpty() && !forwarding.isEmpty()) return journal + kTagSeparator + forwarding;
    return journal;
}

QString withBoth(const QString& tag, bool both) {
    const qsizetype p1 = separatorAfterStart(tag);
    if (p1 < 0) return tag;
    const qsizetype p2 = tag.indexOf(kTagSeparator, p1 + 1);
    const bool hasSecond = p2 >= 1;
    if (both) return hasSecond ? tag : tag + kTagSeparator + QStringLiteral("Both");
    return hasSecond ? tag.left(p2) : tag;
}

QString fromRegistration(const QString& oldTag, const QString& forwarding, const QString& fwdAndSave) {
    QString tag = journalPart(oldTag);
    if (!forwarding.isEmpty()) tag += QChar(0) + forwarding;
    if (!fwdAndSave.isEmpty()) tag += QChar(0) + QStringLiteral("Both");
    return tag;
}

}  // namespace rules
