#include "platform/store/EventHost.h"

#include "platform/store/EventDirectory.h"
#include "platform/store/Schema.h"
#include "platform/store/StoreErrors.h"
#include "platform/store/Value.h"

#include <QDateTime>
#include <QUuid>

namespace platform::store::detail {
namespace {

const QString kOutboundQueue = QStringLiteral("Outbound Queue");

bool same(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

EventHostContext& ctx(void* c) { return *static_cast<EventHostContext*>(c); }

void give(tv_text_fn fn, void* user, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    fn(user, utf8.constData());
}

// Runs a service; a store failure is TV_FAILED, never an exception across the C boundary.
template <typename F>
int guarded(F&& work) {
    try {
        return work();
    } catch (const ComError&) {
        return TV_FAILED;
    } catch (...) {
        return TV_FAILED;
    }
}

int mailboxInbox(void* c, const char* mailbox, tv_text_fn found, void* user) {
    return guarded([&] {
        EventHostContext& x = ctx(c);
        const QString name = QString::fromUtf8(mailbox ? mailbox : "");
        if (name.isEmpty() || name.contains(QLatin1Char('/'))) return TV_NOT_FOUND;
        const auto box = findItem(*x.session.db, {QStringLiteral("mbx"), name});
        if (!box || !box->folder) return TV_NOT_FOUND;
        const ItemView view(*x.session.db, *box, x.form);
        const auto inbox = view.find(schema::kInbox);
        const QString url = inbox && !inbox->value.toString().isEmpty()
                                ? inbox->value.toString()
                                : x.form.withPath(box->path + QStringList{QStringLiteral("Inbox")});
        give(found, user, url);
        return TV_OK;
    });
}

int publicFolder(void* c, const char* address, tv_text_fn found, void* user) {
    return guarded([&] {
        EventHostContext& x = ctx(c);
        const QString wanted = QString::fromUtf8(address ? address : "");
        if (wanted.isEmpty()) return TV_NOT_FOUND;
        auto st = x.session.db->prepare(
            "SELECT i.path FROM props p JOIN items i ON i.id = p.item WHERE p.fold = ? AND i.is_folder = 1 "
            "AND p.value = ? COLLATE NOCASE ORDER BY i.id LIMIT 1");
        st.bind(1, schema::publicFolderEmailAddress().toCaseFolded()).bind(2, wanted);
        if (!st.step()) return TV_NOT_FOUND;
        give(found, user, x.form.withPath(st.text(0).split(QLatin1Char('/'))));
        return TV_OK;
    });
}

int outboundQueue(void* c, tv_text_fn found, void* user) {
    return guarded([&] {
        EventHostContext& x = ctx(c);
        Database& db = *x.session.db;
        if (!findItem(db, {kOutboundQueue})) {
            atomically(db, [&] { createItem(db, *findItem(db, {}), kOutboundQueue, true); });
        }
        give(found, user, x.form.withPath({kOutboundQueue}));
        return TV_OK;
    });
}

int saveItem(void* c, const char* folderUrl, const tv_property* properties, size_t count, tv_text_fn saved,
             void* user) {
    try {
        EventHostContext& x = ctx(c);
        std::vector<StoredProp> props;
        for (size_t i = 0; i < count; ++i) {
            const tv_property& p = properties[i];
            if (!p.name) continue;
            const QVariant text = p.value ? QVariant(QString::fromUtf8(p.value)) : QVariant();
            props.push_back({QString::fromUtf8(p.name), p.type, coerce(text, p.type)});
        }
        give(saved, user,
             saveNewItem(x.session, x.form, QString::fromUtf8(folderUrl ? folderUrl : ""), props, x.saves));
        return TV_OK;
    } catch (const ComError& e) {
        give(saved, user, e.description());
        return e.number() == err::ItemNotFound || e.number() == err::StoreNotFound ? TV_NOT_FOUND : TV_FAILED;
    } catch (...) {
        return TV_FAILED;
    }
}

QString textOf(const QVariant& v, int type) {
    if (v.isNull()) return QString();
    if (type == adType::Boolean) return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    if (type == adType::Date) return v.toDateTime().toString(Qt::ISODateWithMs);
    return v.toString();
}

}  // namespace

SinkProperties::SinkProperties(const std::vector<FieldValue>& fields) {
    texts_.reserve(fields.size() * 2);
    for (const FieldValue& f : fields) {
        texts_.push_back(f.name.toUtf8());
        texts_.push_back(textOf(f.value, f.type).toUtf8());
    }
    for (size_t i = 0; i < fields.size(); ++i)
        props_.push_back({texts_[2 * i].constData(), fields[i].type == LinkType ? adType::VarWChar : fields[i].type,
                          fields[i].value.isNull() ? nullptr : texts_[2 * i + 1].constData()});
}

QString saveNewItem(Session& session, const StoreUrl& form, const QString& folderUrl,
                    const std::vector<StoredProp>& props, std::vector<SinkSave>& saves) {
    const StoreUrl folderAt = StoreUrl::parse(folderUrl);
    session.check(folderAt);
    const auto folder = findItem(*session.db, folderAt.segments);
    if (!folder || !folder->folder)
        err::raise(err::ItemNotFound, QStringLiteral("The folder %1 does not exist").arg(folderUrl));
    SinkSave save{folder->path, QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral(".eml"), {}};
    for (const StoredProp& p : props)
        if (!ItemView::isComputed(p.name) && !same(p.name, schema::kIsHidden)) save.props.push_back(p);
    saves.push_back(std::move(save));
    return form.withPath(folder->path + QStringList{saves.back().name});
}

void writeSinkSaves(Database& db, const std::vector<SinkSave>& saves) {
    for (const SinkSave& s : saves) {
        const auto folder = findItem(db, s.folder);
        if (!folder || !folder->folder)
            err::raise(err::ItemNotFound,
                       QStringLiteral("The folder %1 went away while the save event ran").arg(s.folder.join(u'/')));
        const Item item = createItem(db, *folder, s.name, false);
        for (const StoredProp& p : s.props) writeProp(db, item.id, p);
    }
}

tv_sink_host eventHost(EventHostContext& context) {
    tv_sink_host host{};
    host.size = sizeof host;
    host.abi = TV_SINK_ABI;
    host.context = &context;
    directoryServices(host);
    host.mailbox_inbox = &mailboxInbox;
    host.public_folder = &publicFolder;
    host.outbound_queue = &outboundQueue;
    host.save_item = &saveItem;
    return host;
}

}  // namespace platform::store::detail
