#include "platform/directory/RangedValues.h"

#include <QRegularExpression>

namespace platform::directory {
namespace {

QStringList listOf(const QVariant& v) {
    if (v.isNull()) return {};
    return v.typeId() == QMetaType::QStringList ? v.toStringList() : QStringList{v.toString()};
}

// The slice of `attribute` in a row answered for it, with its values.
std::optional<RangedName> sliceIn(const std::vector<Row>& rows, const QString& attribute, QStringList& values) {
    if (rows.empty()) return std::nullopt;
    for (const QString& name : rows.front().names()) {
        const auto slice = rangedName(name);
        if (!slice || slice->attribute.compare(attribute, Qt::CaseInsensitive) != 0) continue;
        values = listOf(rows.front().value(name));
        return slice;
    }
    return std::nullopt;
}

ComError badSlice(const QString& dn, const QString& what) {
    return ComError(hr::Fail, QStringLiteral("The directory did not give all values of %1: %2.").arg(dn, what));
}

}  // namespace

std::optional<RangedName> rangedName(const QString& name) {
    static const QRegularExpression form(QStringLiteral("^([^;]+);range=(\\d{1,9})-(\\d{1,9}|\\*)$"),
                                         QRegularExpression::CaseInsensitiveOption);
    if (!name.contains(u';')) return std::nullopt;  // the common case, without the expression
    const auto m = form.match(name);
    if (!m.hasMatch()) return std::nullopt;
    RangedName r{m.captured(1), m.captured(2).toInt(), 0, m.captured(3) == u'*'};
    if (!r.last) r.high = m.captured(3).toInt();
    return r;
}

void completeRangedValues(std::vector<Row>& rows, const SliceReader& read) {
    for (Row& row : rows) {
        for (const QString& name : row.names()) {
            const auto first = rangedName(name);
            if (!first) continue;
            const QString dn = row.value(QStringLiteral("distinguishedName")).toString();
            if (first->low != 0)
                throw badSlice(dn, QStringLiteral("the first values of %1 sent were from %2").arg(first->attribute).arg(first->low));
            QStringList values = listOf(row.value(name));
            RangedName at = *first;
            while (!at.last) {
                if (values.size() > kMaxRangedValues)
                    throw badSlice(dn, QStringLiteral("%1 has more than %2 values").arg(at.attribute).arg(kMaxRangedValues));
                const int next = at.high + 1;
                QStringList more;
                const auto slice =
                    sliceIn(read(dn, QStringLiteral("%1;range=%2-*").arg(at.attribute).arg(next)), at.attribute, more);
                // No slice: the values past the last one read went away meanwhile.
                if (!slice) break;
                if (slice->low != next || (!slice->last && (more.isEmpty() || slice->high < slice->low)))
                    throw badSlice(dn, QStringLiteral("values %1 onwards of %2 were asked, the server answered from %3")
                                           .arg(next)
                                           .arg(at.attribute)
                                           .arg(slice->low));
                values += more;
                at = *slice;
            }
            row.remove(name);
            row.set(at.attribute, values.isEmpty()       ? QVariant()
                                  : values.size() == 1 ? QVariant(values.front())
                                                       : QVariant(values));
        }
    }
}

}  // namespace platform::directory
