#pragma once
// Failure numbers of the application catalog. They follow the numbering of the
// COM+ administration catalog, so the error log shows what an administrator
// would look up; catalog storage failures use the generic numbers of ComError.h.
//
//   0x80110401  ObjectErrors        a saved object vanished or could not be written
//   0x80110402  ObjectInvalid       an object's properties are missing or invalid
//   0x80110424  FileDoesNotExist    the component library file does not exist
//   0x80110425  LoadLibraryFailed   the component library cannot be loaded
//   0x80110426  NoClassIdentity     the library does not identify a component class
//   0x80110439  ComponentExists     the component class is already installed
//   0x80110809  ObjectDoesNotExist  the named application or collection does not exist
//   0x80070431  ServiceExists       the service name (or the application's service) exists
//   0x80070057  InvalidArg          unknown or read-only property, bad index or argument
//   0x80070005  AccessDenied        the catalog file or its folder may not be opened
//   0x80070005  NotTrusted          a component library fails the trust check (not loaded)
//   0x80004005  Fail                the catalog database failed

#include "platform/ComError.h"

#include <cstdint>

namespace platform::complus {

namespace err {
constexpr int32_t ObjectErrors = static_cast<int32_t>(0x80110401);
constexpr int32_t ObjectInvalid = static_cast<int32_t>(0x80110402);
constexpr int32_t FileDoesNotExist = static_cast<int32_t>(0x80110424);
constexpr int32_t LoadLibraryFailed = static_cast<int32_t>(0x80110425);
constexpr int32_t NoClassIdentity = static_cast<int32_t>(0x80110426);
constexpr int32_t ComponentExists = static_cast<int32_t>(0x80110439);
constexpr int32_t ObjectDoesNotExist = static_cast<int32_t>(0x80110809);
constexpr int32_t ServiceExists = static_cast<int32_t>(0x80070431);
constexpr int32_t NotImplemented = static_cast<int32_t>(0x80004001);
constexpr int32_t NotTrusted = hr::AccessDenied;
}  // namespace err

[[noreturn]] inline void fail(int32_t number, const QString& description) {
    throw ComError(number, description);
}

}  // namespace platform::complus
