// Reads every user of the large lab store through the directory layer with the
// list-fill options (pages of 100), beside ldapsearch doing the same paged search.

#include "BenchSupport.h"
#include "directory/Queries.h"
#include "platform/directory/Directory.h"

#include <QCoreApplication>

using namespace platform::directory;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("LAB_LDAP_ARGS")) {
        std::fprintf(stderr, "directory: the large lab is not configured (bench/run sets it up)\n");
        return 2;
    }
    const QString root = "LDAP://" + qEnvironmentVariable("LAB_DC_HOST");
    const QString base = qEnvironmentVariable("LDAPBASE");
    const QString store = bench::largestStore(root);
    if (store.isEmpty()) {
        std::fprintf(stderr, "directory: the lab holds no mailbox users\n");
        return 2;
    }
    const QString text = directory::queries::usersWithMailboxes(root, store);
    const QString filter = "(&(homeMDB=" + escapeFilterValue(store) + ")(objectCategory=person)(msExchMailboxGuid=*))";
    const QStringList attrs = {"name", "extensionAttribute10", "cn", "mailNickName", "mail", "distinguishedName",
                               "userAccountControl"};

    int rows = 0;
    DirectoryConnection c;
    c.open();
    c.execute(text, PropertySet::B);  // warm the connection and the server's caches
    const double ours = bench::medianSeconds(3, [&] {
        RecordSet rs = c.execute(text, PropertySet::B);
        rows = 0;
        for (; !rs.eof(); rs.moveNext()) {
            rs.text("mail");
            ++rows;
        }
    });
    int baseRows = 0;
    const double baseline = bench::medianSeconds(3, [&] { baseRows = bench::ldapsearchCount(base, filter, attrs, 100); });
    std::printf("directory: %d rows through the layer, %d through ldapsearch (store %s)\n", rows, baseRows,
                qPrintable(store));
    bench::report("directory", ours, baseline);
    return rows == baseRows ? 0 : 1;
}
