#pragma once
// The forwarding text: a display name followed by " <" + address + ">", or a bare
// address. Split into what the panel shows and what is looked up.

#include <QString>

namespace rules {

struct ForwardingName {
    QString displayName;
    QString address;
};

// Name before the first "<" (when something stands before it) and the address
// after it, without angle brackets; otherwise the whole text, without angle
// brackets, serves as both name and address.
ForwardingName splitForwardingText(const QString& text);

}  // namespace rules
