#include "store/StoreTag.h"

namespace store::tag {

QString journalPart(const QString& tag) {
    const qsizetype nul = tag.indexOf(QChar(0));
    return nul >= 1 ? tag.left(nul) : tag;
}

QString fromRegistration(const QString& oldTag, const QString& forwarding, const QString& fwdAndSave) {
    QString tag = journalPart(oldTag);
    if (!forwarding.isEmpty()) tag += QChar(0) + forwarding;
    if (!fwdAndSave.isEmpty()) tag += QChar(0) + QStringLiteral("Both");
    return tag;
}

}  // namespace store::tag
