#include "platform/store/Value.h"

#include "platform/store/StoreErrors.h"

#include <QDateTime>
#include <limits>

namespace platform::store::detail {
namespace {
[[noreturn]] void cannot(const QVariant& value, int type) {
    err::raise(err::CommandError, QStringLiteral("The value \"%1\" cannot be stored as type %2")
                                      .arg(value.toString())
                                      .arg(type));
}

qint64 toInteger(const QVariant& value, int type) {
    if (value.typeId() == QMetaType::Bool) return value.toBool() ? -1 : 0;
    bool ok = false;
    const qint64 n = value.typeId() == QMetaType::QString ? value.toString().trimmed().toLongLong(&ok)
                                                           : value.toLongLong(&ok);
    if (!ok) cannot(value, type);
    return n;
}
}  // namespace

int inferType(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return adType::Empty;
    case QMetaType::Bool:
        return adType::Boolean;
    case QMetaType::Int:
    case QMetaType::Short:
        return adType::Integer;
    case QMetaType::LongLong:
    case QMetaType::UInt:
        return adType::BigInt;
    case QMetaType::Double:
        return adType::Double;
    case QMetaType::QDateTime:
        return adType::Date;
    default:
        return adType::VarWChar;
    }
}

QVariant coerce(const QVariant& value, int type) {
    if (value.isNull() && value.typeId() != QMetaType::QString) return {};
    switch (type) {
    case adType::Empty:
        return {};
    case adType::Boolean:
        if (value.typeId() == QMetaType::QString) {
            const QString s = value.toString().trimmed();
            if (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) return true;
            if (s.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) return false;
            bool ok = false;
            const qint64 n = s.toLongLong(&ok);
            if (!ok) cannot(value, type);
            return n != 0;
        }
        return value.toBool();
    case adType::Integer: {
        const qint64 n = toInteger(value, type);
        if (n < std::numeric_limits<qint32>::min() || n > std::numeric_limits<qint32>::max())
            cannot(value, type);
        return static_cast<qint32>(n);
    }
    case adType::BigInt:
        return toInteger(value, type);
    case adType::Double: {
        bool ok = false;
        const double d = value.toDouble(&ok);
        if (!ok) cannot(value, type);
        return d;
    }
    case adType::Date: {
        const QDateTime dt = value.toDateTime();
        if (!dt.isValid()) cannot(value, type);
        return dt;
    }
    case LinkType:
        return value.toString();
    default:
        return value.toString();
    }
}

QVariant toStorage(const QVariant& value, int type) {
    if (value.isNull() && value.typeId() != QMetaType::QString) return {};
    switch (type) {
    case adType::Boolean:
        return QVariant::fromValue<qlonglong>(value.toBool() ? 1 : 0);
    case adType::Integer:
    case adType::BigInt:
        return QVariant::fromValue<qlonglong>(value.toLongLong());
    case adType::Double:
        return value.toDouble();
    case adType::Date:
        return value.toDateTime().toString(Qt::ISODateWithMs);
    default:
        return value.toString();
    }
}

QVariant fromStorage(const QVariant& stored, int type) {
    if (stored.isNull() && stored.typeId() != QMetaType::QString) return {};
    switch (type) {
    case adType::Boolean:
        return stored.toLongLong() != 0;
    case adType::Integer:
        return static_cast<qint32>(stored.toLongLong());
    case adType::BigInt:
        return QVariant::fromValue<qlonglong>(stored.toLongLong());
    case adType::Double:
        return stored.toDouble();
    case adType::Date:
        return QDateTime::fromString(stored.toString(), Qt::ISODateWithMs);
    default:
        return stored.toString();
    }
}

}  // namespace platform::store::detail
