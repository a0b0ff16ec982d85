#pragma once
// Attributes with more values than a server sends at once. Active Directory
// answers at most 1,500 values of an attribute (its MaxValRange) under a name
// such as "member;range=0-1499"; the rest is read slice by slice by asking for
// "member;range=1500-*" and so on, until a slice named "...-*" ends it.

#include "platform/directory/Directory.h"

#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace platform::directory {

// One slice as a server names it: "member;range=1500-2999" is member, values
// 1500 to 2999; "member;range=3000-*" is the last slice.
struct RangedName {
    QString attribute;
    int low = 0;
    int high = 0;  // the last index sent; unused when `last`
    bool last = false;
};
std::optional<RangedName> rangedName(const QString& name);

// Reads one entry's attribute slice ("member;range=1500-*"); the rows answered.
using SliceReader = std::function<std::vector<Row>(const QString& dn, const QString& slice)>;

// Makes each sliced attribute of the rows whole under its own name, reading
// the remaining slices with `read`. Throws ComError when the server answers a
// slice other than the one asked, or more values than the layer accepts.
void completeRangedValues(std::vector<Row>& rows, const SliceReader& read);

// The most values one attribute may have, however it is sliced.
constexpr int kMaxRangedValues = 5000000;

}  // namespace platform::directory
