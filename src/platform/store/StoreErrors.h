#pragma once
// Failure numbers of the Exchange store layer. Every failure is a
// platform::ComError carrying one of these numbers and a readable description.
//
//   ItemNotFound     0x80040E19  no item at the URL (record opened fail-if-not-exists)
//   CommandError     0x80040E14  the query text is malformed (position in the description)
//   BadUrl           0x80070057  the URL is not a store URL of either form
//   StoreNotFound    0x80070003  no store (domain folder) under the store root, or the
//                                parent folder of an item to create is missing
//   ItemExists       0x80040E73  an item exists where a new one was to be created
//   FieldNotFound    0x800A0CC1  a field name the record or row does not hold
//   FieldExists      0x800A0D27  a field appended twice
//   ReadOnly         0x800A0E88  writing through a read-only record, or a computed field
//   NotOpen          0x800A0E78  the object (or its connection) is closed
//   AlreadyOpen      0x800A0E79  the object is open already
//   NoCurrentRecord  0x800A0BCD  a field read while a record set stands at its end
//   NoTransaction    0x8004D00E  commit or rollback without a transaction
//   TransactionOpen  0x8004D013  a transaction begun twice on one connection
//   StoreFailure     0x80004005  the database underneath failed (its message follows)
//   EventCancelled   0x80040E4E  an event sink cancelled the save

#include "platform/ComError.h"

#include <cstdint>

namespace platform::store::err {

constexpr int32_t ItemNotFound = static_cast<int32_t>(0x80040E19);
constexpr int32_t CommandError = static_cast<int32_t>(0x80040E14);
constexpr int32_t BadUrl = static_cast<int32_t>(0x80070057);
constexpr int32_t StoreNotFound = static_cast<int32_t>(0x80070003);
constexpr int32_t ItemExists = static_cast<int32_t>(0x80040E73);
constexpr int32_t FieldNotFound = static_cast<int32_t>(0x800A0CC1);
constexpr int32_t FieldExists = static_cast<int32_t>(0x800A0D27);
constexpr int32_t ReadOnly = static_cast<int32_t>(0x800A0E88);
constexpr int32_t NotOpen = static_cast<int32_t>(0x800A0E78);
constexpr int32_t AlreadyOpen = static_cast<int32_t>(0x800A0E79);
constexpr int32_t NoCurrentRecord = static_cast<int32_t>(0x800A0BCD);
constexpr int32_t NoTransaction = static_cast<int32_t>(0x8004D00E);
constexpr int32_t TransactionOpen = static_cast<int32_t>(0x8004D013);
constexpr int32_t StoreFailure = static_cast<int32_t>(0x80004005);
constexpr int32_t EventCancelled = static_cast<int32_t>(0x80040E4E);

[[noreturn]] inline void raise(int32_t number, const QString& description) {
    throw ComError(number, description);
}

}  // namespace platform::store::err
