#pragma once
// Directory answers kept for a short time, so that a run of reports between the
// same parties costs one look-up per party rather than several per report.
// Answers "found" and "not found" are kept; a directory that could not answer is
// asked again next time. The cache sits in front of the host's services and
// passes the store services through.
//
// A kept answer may only ever keep a report too many, never drop one: before the
// sink drops a report, answersAreCurrent() compares the directory's stamp with
// the one read when the answers began to be kept; when it changed (or cannot be
// read) every answer is forgotten and the sink decides again on fresh ones.

#include "sink/SinkServices.h"

#include <QHash>
#include <functional>
#include <mutex>

namespace sink {

class DirectoryCache : public Services {
public:
    using Clock = std::function<qint64()>;  // milliseconds
    explicit DirectoryCache(qint64 ttlMs = 60000, Clock clock = {});

    // The services answering misses; set before each event (the host's table
    // lives for one call).
    void setBackend(Services* backend) { backend_ = backend; }
    void clear();
    void setTtl(qint64 ttlMs) { ttlMs_ = ttlMs; }

    Status findAddress(const QString& address, DirObject& out) override;
    Status findDn(const QString& dn, DirObject& out) override;
    Status journalRecipient(const QString& storeDn, QString& recipientDn) override;
    Status groupMembers(const QString& groupDn, std::vector<DirObject>& members) override;
    Status directoryStamp(QString& stamp) override { return backend_->directoryStamp(stamp); }
    bool answersAreCurrent() override;
    Status mailboxInbox(const QString& mailbox, QString& url) override { return backend_->mailboxInbox(mailbox, url); }
    Status publicFolder(const QString& address, QString& url) override { return backend_->publicFolder(address, url); }
    Status outboundQueue(QString& url) override { return backend_->outboundQueue(url); }
    Status saveItem(const QString& folderUrl, const std::vector<Property>& props, QString& result) override {
        return backend_->saveItem(folderUrl, props, result);
    }

private:
    template <typename T>
    struct Entry {
        qint64 expires = 0;
        Status status = Status::Ok;
        T value;
    };
    template <typename T, typename F>
    Status cached(QHash<QString, Entry<T>>& table, const QString& key, T& out, F&& ask);

    Services* backend_ = nullptr;
    qint64 ttlMs_;
    Clock clock_;
    std::mutex lock_;
    QString stamp_;  // the directory's stamp before the kept answers were read ("" none)
    QHash<QString, Entry<DirObject>> byAddress_, byDn_;
    QHash<QString, Entry<QString>> journals_;
    QHash<QString, Entry<std::vector<DirObject>>> groups_;
};

}  // namespace sink
