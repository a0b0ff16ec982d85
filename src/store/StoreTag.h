#pragma once
// The store tag of a tree node: journal mailbox DN, then optionally NUL and the
// forwarding text, then optionally NUL and "Both".

#include <QString>

namespace store::tag {

// The text before the first NUL when that NUL is not the first character,
// otherwise the whole tag.
QString journalPart(const QString& tag);

// The tag rebuilt from a registration item's stored settings: the old tag's
// journal part, NUL + forwarding text when that is not empty, NUL + "Both" when
// the deliver-to-both setting is present.
QString fromRegistration(const QString& oldTag, const QString& forwarding, const QString& fwdAndSave);

}  // namespace store::tag
