#include "storetool/ExitStatus.h"

#include "platform/store/StoreErrors.h"

namespace storetool {

int exitStatus(const platform::ComError& e) {
    namespace err = platform::store::err;
    switch (static_cast<uint32_t>(e.number())) {
    case 0x8007203A:  // the server is not operational (down, refused, none configured)
    case 0x80072022:  // time limit exceeded
    case 0x8007200E:  // the server is busy
    case 0x8007052E:  // the user name or password is incorrect
    case 0x80072027:  // stronger authentication required
    case 0x8007203B:  // local error (the SASL layer)
    case 0x8009030E:  // no Kerberos credentials
        return exits::TempFail;
    default:
        break;
    }
    switch (e.number()) {
    case err::StoreFailure:
    case err::StoreNotFound:
        return exits::TempFail;
    case platform::hr::AccessDenied:
        return exits::NoPermission;
    case err::ItemNotFound:
        return exits::NoInput;
    case err::BadUrl:
        return exits::Usage;
    default:
        return exits::Software;
    }
}

}  // namespace storetool
