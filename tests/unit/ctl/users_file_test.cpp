// The users file of `tavimorctl set --users-from`: what each line sets, and the
// line named when one is wrong.

#include "ctl/Exit.h"
#include "ctl/UsersFile.h"

#include <gtest/gtest.h>

namespace {

std::string settings(const QByteArray& csv) {
    std::string out;
    const auto sw = [](const std::optional<bool>& v) { return v ? (*v ? "on" : "off") : "-"; };
    for (const ctl::UserSetting& u : ctl::parseUsers(csv, "f.csv"))
        out += u.address.toStdString() + ":" + sw(u.ingoing) + "/" + sw(u.outgoing) + " ";
    return out;
}

std::string error(const QByteArray& csv) {
    try {
        ctl::parseUsers(csv, "f.csv");
    } catch (const ctl::Error& e) {
        return std::to_string(e.code()) + " " + e.message().toStdString();
    }
    return "none";
}

TEST(UsersFile, EachLineSetsItsSwitchesAndHeaderCommentsAndExtraColumnsAreSkipped) {
    EXPECT_EQ(settings("address,in,out,name\r\na@x,off,,A\n\n# note\n\"b,\"\"q\"\"@x\",ON,0\nc@x\n"),
              "a@x:off/- b,\"q\"@x:on/off c@x:-/- ");
    // "address" is a header only on the first line
    EXPECT_EQ(settings("a@x,on,on\naddress,off,off"), "a@x:on/on address:off/off ");
}

TEST(UsersFile, AWrongLineIsNamed) {
    EXPECT_EQ(error("a@x,on,on\nb@x,maybe,on\n"), "2 f.csv, line 2: in and out are on, off or empty");
    EXPECT_EQ(error("a@x,on\n,off,on\n"), "2 f.csv, line 2: no address");
    EXPECT_EQ(error("\"a@x,on,on\n"), "2 f.csv, line 1: a quoted field is not closed");
}

}  // namespace
