#include "platform/store/Query.h"

namespace platform::store::query {
namespace {

std::optional<bool> textAsBool(const QString& s) {
    const QString t = s.trimmed();
    if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || t == QLatin1String("1")) return true;
    if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 || t == QLatin1String("0")) return false;
    return std::nullopt;
}

bool isNumeric(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

template <typename T>
int order(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// Order of a property value against a literal; nothing when they cannot be compared.
std::optional<int> compare(const QVariant& v, const Literal& l) {
    if (v.isNull() || !v.isValid()) return std::nullopt;
    const bool vBool = v.typeId() == QMetaType::Bool;
    const bool vText = v.typeId() == QMetaType::QString;
    switch (l.kind) {
    case Literal::Kind::Boolean: {
        std::optional<bool> b;
        if (vBool) b = v.toBool();
        else if (vText) b = textAsBool(v.toString());
        else if (isNumeric(v)) b = v.toDouble() != 0;
        if (!b) return std::nullopt;
        return order(*b, l.boolean);
    }
    case Literal::Kind::Number: {
        bool ok = true;
        double d = 0;
        if (vBool) d = v.toBool() ? 1 : 0;
        else if (vText) d = v.toString().trimmed().toDouble(&ok);
        else if (isNumeric(v)) d = v.toDouble();
        else ok = false;
        if (!ok) return std::nullopt;
        return order(d, l.number);
    }
    case Literal::Kind::String:
        if (vBool) {
            const auto b = textAsBool(l.text);
            if (!b) return std::nullopt;
            return order(v.toBool(), *b);
        }
        if (isNumeric(v)) {
            bool ok = false;
            const double d = l.text.trimmed().toDouble(&ok);
            if (!ok) return std::nullopt;
            return order(v.toDouble(), d);
        }
        {
            const int c = v.toString().compare(l.text, Qt::CaseInsensitive);
            return c < 0 ? -1 : (c > 0 ? 1 : 0);
        }
    }
    return std::nullopt;
}

bool holds(const QString& op, int c) {
    if (op == QLatin1String("=")) return c == 0;
    if (op == QLatin1String("<>") || op == QLatin1String("!=")) return c != 0;
    if (op == QLatin1String("<")) return c < 0;
    if (op == QLatin1String(">")) return c > 0;
    if (op == QLatin1String("<=")) return c <= 0;
    return c >= 0;  // ">="
}

}  // namespace

std::optional<bool> evaluate(const Condition& c, const std::function<QVariant(const QString&)>& value) {
    switch (c.kind) {
    case Condition::Kind::And: {
        std::optional<bool> result = true;
        for (const auto& o : c.operands) {
            const auto r = evaluate(*o, value);
            if (r == false) return false;
            if (!r) result = std::nullopt;
        }
        return result;
    }
    case Condition::Kind::Or: {
        std::optional<bool> result = false;
        for (const auto& o : c.operands) {
            const auto r = evaluate(*o, value);
            if (r == true) return true;
            if (!r) result = std::nullopt;
        }
        return result;
    }
    case Condition::Kind::Not: {
        const auto r = evaluate(*c.operands.front(), value);
        if (!r) return std::nullopt;
        return !*r;
    }
    case Condition::Kind::IsNull:
        return value(c.property).isNull();
    case Condition::Kind::IsNotNull:
        return !value(c.property).isNull();
    case Condition::Kind::Compare: {
        const auto ord = compare(value(c.property), c.literal);
        if (!ord) return std::nullopt;
        return holds(c.op, *ord);
    }
    }
    return std::nullopt;
}

}  // namespace platform::store::query
