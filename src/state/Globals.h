#pragma once
// Program-wide values, created empty at program start and filled by start-up and
// the refresh cycle. One instance lives for the program (tests make their own).

#include "platform/directory/Directory.h"

#include <QString>
#include <cstdint>
#include <memory>

namespace platform::store { class StoreConnection; }

namespace state {

struct Globals {
    QString strWindowsVersion;        // "Windows 2000" is the only value ever tested
    int32_t lngProgress = 0;          // units of the progress strip drawn so far
    QString strLDAPRoot;              // "LDAP://" or "GC://" + DC host name
    QString strHttpMailboxRoot;       // "http://" + server + "/exadmin/" + folder + "/mbx"
    QString strFileMailboxRoot;       // "file://./backofficestorage/" + folder + "/mbx"
    std::shared_ptr<platform::directory::DirectoryConnection> conAD;
    std::shared_ptr<platform::store::StoreConnection> conExOLEDB;
    QString strResponsibleMTAServer;
};

// Public state of the main window, in declaration order.
struct FormState {
    QString ComputerName;
    QString ShortComputerName;
    QString ClusterName;
    QString strCurrentUserEmailAddress;
    bool blnNotFirstTime = false;
    QString DomainDNSName;
    QString strLastSelectedItemKey;
    QString strLastSelectedMailboxStore;
    // Distinguished name of the store last shown in the panel. A refresh shows
    // that very store again; two stores may share a name in different groups.
    QString lastShownStoreDn;
    bool blnComPlusInstalled = false;  // private to the window in spirit
};

constexpr const char* kAppName = "Tavimor";

}  // namespace state
