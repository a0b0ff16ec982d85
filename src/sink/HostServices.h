#pragma once
// The host's C service table (platform/plugin/EventSink.h) seen as sink::Services,
// and the C event seen as a sink::SaveEvent.

#include "platform/plugin/EventSink.h"
#include "sink/SinkServices.h"

namespace sink {

class HostServices : public Services {
public:
    explicit HostServices(const tv_sink_host& host) : h_(host) {}

    Status findAddress(const QString& address, DirObject& out) override;
    Status findDn(const QString& dn, DirObject& out) override;
    Status journalRecipient(const QString& storeDn, QString& recipientDn) override;
    Status groupMembers(const QString& groupDn, std::vector<DirObject>& members) override;
    Status directoryStamp(QString& stamp) override;
    Status mailboxInbox(const QString& mailbox, QString& url) override;
    Status publicFolder(const QString& address, QString& url) override;
    Status outboundQueue(QString& url) override;
    Status saveItem(const QString& folderUrl, const std::vector<Property>& props, QString& result) override;

private:
    const tv_sink_host& h_;
};

SaveEvent eventOf(const tv_sink_event& event);

}  // namespace sink
