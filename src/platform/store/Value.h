#pragma once
// Typed property values. Types carry ADO's numbers; values travel as QVariant
// (QString, bool, qint32, qint64, double, QDateTime; null for Empty).

#include <QVariant>

namespace platform::store {

namespace adType {
constexpr int Empty = 0;
constexpr int Integer = 3;    // 32-bit signed
constexpr int Double = 5;
constexpr int Date = 7;
constexpr int BSTR = 8;
constexpr int Boolean = 11;
constexpr int BigInt = 20;    // 64-bit signed
constexpr int VarWChar = 202;
}  // namespace adType

namespace detail {

// A reference to another item of the same store, kept as its store path and read
// back as a URL in the form the reader used.
constexpr int LinkType = -8;

// The type a value assigned without a declared type gets.
int inferType(const QVariant& value);
// Converts a value to a declared type; throws ComError (err::CommandError) when
// the value cannot be represented ("abc" as an integer).
QVariant coerce(const QVariant& value, int type);
// The value as SQLite keeps it, and back.
QVariant toStorage(const QVariant& value, int type);
QVariant fromStorage(const QVariant& stored, int type);

}  // namespace detail
}  // namespace platform::store
