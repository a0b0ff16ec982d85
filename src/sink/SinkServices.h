#pragma once
// What the journaling sink asks of its host, in C++ terms: the directory and
// store services of the sink interface (platform/plugin/EventSink.h), and a log.

#include <QString>
#include <optional>
#include <vector>

namespace sink {

enum class Status { Ok, NotFound, Unavailable, Failed };

struct DirObject {
    QString dn;
    QString kind;  // "user", "group", "contact", "pf", "other"
    QString mail;
    QString alias;
    QString homeMdb;
    QString markers;  // extensionAttribute10 as stored ("" when absent)
};

struct Property {
    QString name;
    int type = 8;
    std::optional<QString> value;  // nothing: null
};

class Services {
public:
    virtual ~Services() = default;
    virtual Status findAddress(const QString& address, DirObject& out) = 0;
    virtual Status findDn(const QString& dn, DirObject& out) = 0;
    virtual Status journalRecipient(const QString& storeDn, QString& recipientDn) = 0;
    virtual Status groupMembers(const QString& groupDn, std::vector<DirObject>& members) = 0;
    // A text that changes whenever anything in the directory changes.
    virtual Status directoryStamp(QString& stamp) = 0;
    // Whether every directory answer given so far is what the directory holds
    // now. Services that keep answers and cannot tell forget them and answer false.
    virtual bool answersAreCurrent() { return true; }
    virtual Status mailboxInbox(const QString& mailbox, QString& url) = 0;
    virtual Status publicFolder(const QString& address, QString& url) = 0;
    virtual Status outboundQueue(QString& url) = 0;
    // The saved item's URL, or on failure the reason, goes to `result`.
    virtual Status saveItem(const QString& folderUrl, const std::vector<Property>& props, QString& result) = 0;
};

class Log {
public:
    virtual ~Log() = default;
    virtual void info(const QString& line) = 0;
    virtual void error(const QString& line) = 0;
};

// One save event as the sink sees it.
struct SaveEvent {
    QString itemUrl;
    QString folderUrl;
    QString folderOwner;  // mailbox name below "mbx", or the public folder's address
    bool folderIsPublic = false;
    std::vector<Property> item;
    std::vector<Property> registration;

    // A property's text; "" when absent or null.
    static QString valueOf(const std::vector<Property>& props, const QString& name);
    static bool has(const std::vector<Property>& props, const QString& name);
};

}  // namespace sink
