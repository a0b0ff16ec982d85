#include "sink/HostServices.h"

#include <cstddef>

namespace sink {
namespace {

Status statusOf(int code) {
    switch (code) {
    case TV_OK: return Status::Ok;
    case TV_NOT_FOUND: return Status::NotFound;
    case TV_UNAVAILABLE: return Status::Unavailable;
    default: return Status::Failed;
    }
}

QString text(const char* s) { return s ? QString::fromUtf8(s) : QString(); }

DirObject objectOf(const tv_directory_object* o) {
    return {text(o->dn), text(o->kind), text(o->mail), text(o->alias), text(o->home_mdb), text(o->markers)};
}

void takeText(void* user, const char* s) { *static_cast<QString*>(user) = text(s); }
void takeObject(void* user, const tv_directory_object* o) { *static_cast<DirObject*>(user) = objectOf(o); }
void addObject(void* user, const tv_directory_object* o) {
    static_cast<std::vector<DirObject>*>(user)->push_back(objectOf(o));
}

std::vector<Property> propertiesOf(const tv_property* p, size_t n) {
    std::vector<Property> out;
    for (size_t i = 0; i < n; ++i)
        if (p[i].name)
            out.push_back({text(p[i].name), p[i].type,
                           p[i].value ? std::optional<QString>(text(p[i].value)) : std::nullopt});
    return out;
}

// Members of a newer host beyond what this sink knows are ignored; a service an
// older host lacks answers "failed".
#define TV_OFFERS(h, member) \
    ((h).size >= offsetof(tv_sink_host, member) + sizeof((h).member) && (h).member != nullptr)

}  // namespace

Status HostServices::findAddress(const QString& address, DirObject& out) {
    if (!TV_OFFERS(h_, find_address)) return Status::Failed;
    return statusOf(h_.find_address(h_.context, address.toUtf8().constData(), &takeObject, &out));
}

Status HostServices::findDn(const QString& dn, DirObject& out) {
    if (!TV_OFFERS(h_, find_dn)) return Status::Failed;
    return statusOf(h_.find_dn(h_.context, dn.toUtf8().constData(), &takeObject, &out));
}

Status HostServices::journalRecipient(const QString& storeDn, QString& recipientDn) {
    if (!TV_OFFERS(h_, journal_recipient)) return Status::Failed;
    return statusOf(h_.journal_recipient(h_.context, storeDn.toUtf8().constData(), &takeText, &recipientDn));
}

Status HostServices::groupMembers(const QString& groupDn, std::vector<DirObject>& members) {
    if (!TV_OFFERS(h_, group_members)) return Status::Failed;
    return statusOf(h_.group_members(h_.context, groupDn.toUtf8().constData(), &addObject, &members));
}

Status HostServices::directoryStamp(QString& stamp) {
    if (!TV_OFFERS(h_, directory_stamp)) return Status::Failed;
    return statusOf(h_.directory_stamp(h_.context, &takeText, &stamp));
}

Status HostServices::mailboxInbox(const QString& mailbox, QString& url) {
    if (!TV_OFFERS(h_, mailbox_inbox)) return Status::Failed;
    return statusOf(h_.mailbox_inbox(h_.context, mailbox.toUtf8().constData(), &takeText, &url));
}

Status HostServices::publicFolder(const QString& address, QString& url) {
    if (!TV_OFFERS(h_, public_folder)) return Status::Failed;
    return statusOf(h_.public_folder(h_.context, address.toUtf8().constData(), &takeText, &url));
}

Status HostServices::outboundQueue(QString& url) {
    if (!TV_OFFERS(h_, outbound_queue)) return Status::Failed;
    return statusOf(h_.outbound_queue(h_.context, &takeText, &url));
}

Status HostServices::saveItem(const QString& folderUrl, const std::vector<Property>& props, QString& result) {
    if (!TV_OFFERS(h_, save_item)) return Status::Failed;
    std::vector<QByteArray> texts;
    texts.reserve(props.size() * 2);
    std::vector<tv_property> c;
    for (const Property& p : props) {
        texts.push_back(p.name.toUtf8());
        texts.push_back(p.value.value_or(QString()).toUtf8());
    }
    for (size_t i = 0; i < props.size(); ++i)
        c.push_back({texts[2 * i].constData(), props[i].type, props[i].value ? texts[2 * i + 1].constData() : nullptr});
    return statusOf(h_.save_item(h_.context, folderUrl.toUtf8().constData(), c.data(), c.size(), &takeText, &result));
}

SaveEvent eventOf(const tv_sink_event& e) {
    SaveEvent out;
    out.itemUrl = text(e.item_url);
    out.folderUrl = text(e.folder_url);
    out.folderOwner = text(e.folder_owner);
    out.folderIsPublic = e.folder_is_public != 0;
    out.item = propertiesOf(e.properties, e.property_count);
    out.registration = propertiesOf(e.registration, e.registration_count);
    return out;
}

}  // namespace sink
