#include "platform/directory/LdapErrors.h"

#include <ldap.h>

namespace platform::directory {
namespace {

struct Entry {
    int ldap;
    uint32_t number;
    const char* text;
};

// Directory-service errors are ERROR_DS_* codes in the Win32 facility.
constexpr Entry kTable[] = {
    {LDAP_OPERATIONS_ERROR, 0x80072020, "An operations error occurred."},
    {LDAP_PROTOCOL_ERROR, 0x80072021, "A protocol error occurred."},
    {LDAP_TIMELIMIT_EXCEEDED, 0x80072022, "The time limit for this request was exceeded."},
    {LDAP_SIZELIMIT_EXCEEDED, 0x80072023, "The size limit for this request was exceeded."},
    {LDAP_AUTH_METHOD_NOT_SUPPORTED, 0x80072026, "The authentication method is not supported."},
    {LDAP_STRONG_AUTH_REQUIRED, 0x80072027, "A more secure authentication method is required for this server."},
    {LDAP_INAPPROPRIATE_AUTH, 0x80072028, "Inappropriate authentication."},
    {LDAP_REFERRAL, 0x8007202B, "A referral was returned from the server."},
    {LDAP_ADMINLIMIT_EXCEEDED, 0x80072024, "The administrative limit for this request was exceeded."},
    {LDAP_UNAVAILABLE_CRITICAL_EXTENSION, 0x8007202C, "The server does not support the requested critical extension."},
    {LDAP_CONFIDENTIALITY_REQUIRED, 0x8007202D, "This request requires a secure connection."},
    {LDAP_NO_SUCH_ATTRIBUTE, 0x8007200A, "The specified directory service attribute or value does not exist."},
    {LDAP_UNDEFINED_TYPE, 0x8007200C, "The attribute type specified to the directory service is not defined."},
    {LDAP_INAPPROPRIATE_MATCHING, 0x8007202E, "An inappropriate matching occurred."},
    {LDAP_CONSTRAINT_VIOLATION, 0x8007202F, "A constraint violation occurred."},
    {LDAP_TYPE_OR_VALUE_EXISTS, 0x8007200D, "The specified value already exists."},
    {LDAP_INVALID_SYNTAX, 0x8007200B, "The attribute syntax specified to the directory service is invalid."},
    {LDAP_NO_SUCH_OBJECT, 0x80072030, "There is no such object on the server."},
    {LDAP_INVALID_DN_SYNTAX, 0x80072032, "An invalid dn syntax has been specified."},
    {LDAP_INVALID_CREDENTIALS, 0x8007052E, "The user name or password is incorrect."},
    {LDAP_INSUFFICIENT_ACCESS, 0x80070005, "Access is denied."},
    {LDAP_BUSY, 0x8007200E, "The server is busy."},
    {LDAP_UNAVAILABLE, 0x8007203A, "The server is not operational."},
    {LDAP_UNWILLING_TO_PERFORM, 0x80072035, "The server is unwilling to process the request."},
    {LDAP_LOOP_DETECT, 0x80072036, "A loop was detected."},
    {LDAP_NAMING_VIOLATION, 0x80072037, "A naming violation occurred."},
    {LDAP_OBJECT_CLASS_VIOLATION, 0x80072014, "The requested operation did not satisfy one or more constraints associated with the class of the object."},
    {LDAP_NOT_ALLOWED_ON_NONLEAF, 0x80072015, "The directory service can perform the requested operation only on a leaf object."},
    {LDAP_ALREADY_EXISTS, 0x80071392, "The object already exists."},
    {LDAP_SERVER_DOWN, 0x8007203A, "The server is not operational."},
    {LDAP_LOCAL_ERROR, 0x8007203B, "A local error has occurred."},
    {LDAP_ENCODING_ERROR, 0x8007203C, "An encoding error has occurred."},
    {LDAP_DECODING_ERROR, 0x8007203D, "A decoding error has occurred."},
    {LDAP_TIMEOUT, 0x80072022, "The time limit for this request was exceeded."},
    {LDAP_FILTER_ERROR, 0x8007203E, "The search filter cannot be recognized."},
    {LDAP_PARAM_ERROR, 0x80070057, "The parameter is incorrect."},
    {LDAP_NO_MEMORY, 0x8007000E, "Not enough memory resources are available to complete this operation."},
    {LDAP_CONNECT_ERROR, 0x8007203A, "The server is not operational."},
    {LDAP_NOT_SUPPORTED, 0x80072040, "The feature is not supported."},
};

const Entry* find(int rc) {
    for (const Entry& e : kTable)
        if (e.ldap == rc) return &e;
    return nullptr;
}

}  // namespace

int32_t numberForLdapResult(int rc) {
    if (const Entry* e = find(rc)) return static_cast<int32_t>(e->number);
    return hr::Fail;
}

QString descriptionForLdapResult(int rc) {
    if (const Entry* e = find(rc)) return QString::fromLatin1(e->text);
    return QString::fromUtf8(ldap_err2string(rc));
}

void throwLdapError(int rc, const QString& detail) {
    QString text = descriptionForLdapResult(rc);
    if (!detail.isEmpty()) text += QLatin1Char(' ') + detail;
    throw ComError(numberForLdapResult(rc), text);
}

}  // namespace platform::directory
