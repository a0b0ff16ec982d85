#pragma once
// A directory and store for the journaling sink, held in memory: recipients by
// address, stores with their journal recipients, folders the sink may save to,
// and counters of what was asked.

#include "sink/SinkServices.h"

#include <QHash>
#include <QMap>

namespace testsupport {

struct FakeServices : sink::Services {
    QHash<QString, sink::DirObject> byAddress;  // lower-case address
    QHash<QString, QString> journals;           // store DN -> journal DN
    QHash<QString, std::vector<sink::DirObject>> groups;
    QHash<QString, QString> inboxes;            // mailbox name -> URL
    QHash<QString, QString> publicFolders;      // address -> URL
    QMap<QString, std::vector<std::vector<sink::Property>>> saved;  // folder URL -> items
    bool directoryDown = false;
    QHash<QString, sink::Status> failing;       // lower-case address -> its answer
    QString failSavingIn;
    int directoryCalls = 0;

    // A mailbox user homed on `store`.
    sink::DirObject& user(const QString& alias, const QString& store, const QString& markers = {}) {
        sink::DirObject& o = byAddress[alias + "@tavimor.lab"];
        o = {"CN=" + alias + ",OU=Staff", "user", alias + "@tavimor.lab", alias, store, markers};
        inboxes.insert(alias, "file://./backofficestorage/tavimor.lab/mbx/" + alias + "/Inbox");
        return o;
    }

    // Counts a directory question; true while the directory is down.
    bool unavailable() { return ++directoryCalls, directoryDown; }

    sink::Status findAddress(const QString& a, sink::DirObject& out) override {
        if (unavailable()) return sink::Status::Unavailable;
        if (failing.contains(a.toLower())) return failing.value(a.toLower());
        const auto it = byAddress.constFind(a.toLower());
        if (it == byAddress.constEnd()) return sink::Status::NotFound;
        out = *it;
        return sink::Status::Ok;
    }
    sink::Status findDn(const QString& dn, sink::DirObject& out) override {
        if (unavailable()) return sink::Status::Unavailable;
        for (const sink::DirObject& o : byAddress)
            if (o.dn.compare(dn, Qt::CaseInsensitive) == 0) {
                out = o;
                return sink::Status::Ok;
            }
        return sink::Status::NotFound;
    }
    sink::Status journalRecipient(const QString& store, QString& dn) override {
        if (unavailable()) return sink::Status::Unavailable;
        if (!journals.contains(store)) return sink::Status::NotFound;
        dn = journals.value(store);
        return sink::Status::Ok;
    }
    sink::Status groupMembers(const QString& dn, std::vector<sink::DirObject>& members) override {
        if (unavailable()) return sink::Status::Unavailable;
        if (!groups.contains(dn)) return sink::Status::NotFound;
        members = groups.value(dn);
        return sink::Status::Ok;
    }
    QString stamp = "usn:1";
    sink::Status directoryStamp(QString& out) override {
        if (unavailable()) return sink::Status::Unavailable;
        out = stamp;
        return sink::Status::Ok;
    }
    sink::Status mailboxInbox(const QString& name, QString& url) override {
        if (!inboxes.contains(name)) return sink::Status::NotFound;
        url = inboxes.value(name);
        return sink::Status::Ok;
    }
    sink::Status publicFolder(const QString& address, QString& url) override {
        if (!publicFolders.contains(address.toLower())) return sink::Status::NotFound;
        url = publicFolders.value(address.toLower());
        return sink::Status::Ok;
    }
    sink::Status outboundQueue(QString& url) override {
        url = "file://./backofficestorage/tavimor.lab/Outbound Queue";
        return sink::Status::Ok;
    }
    sink::Status saveItem(const QString& folder, const std::vector<sink::Property>& props, QString& result) override {
        if (!failSavingIn.isEmpty() && folder == failSavingIn) {
            result = "disk full";
            return sink::Status::Failed;
        }
        saved[folder].push_back(props);
        result = folder + "/copy.eml";
        return sink::Status::Ok;
    }
};

struct MemoryLog : sink::Log {
    QStringList infos, errors;
    void info(const QString& l) override { infos << l; }
    void error(const QString& l) override { errors << l; }
};

}  // namespace testsupport
