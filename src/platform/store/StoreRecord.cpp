#include "platform/store/StoreRecord.h"

#include "platform/store/Session.h"
#include "platform/store/StoreConnection.h"
#include "platform/store/StoreErrors.h"
#include "platform/store/StoreEvents.h"
#include "platform/store/Value.h"

#include <algorithm>

namespace platform::store {
namespace {
bool same(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

std::function<void(const QString&)>& hook() {
    static std::function<void(const QString&)> h;
    return h;
}

detail::Item parentOf(detail::Database& db, const StoreUrl& u) {
    QStringList parentPath = u.segments;
    parentPath.removeLast();
    const auto parent = detail::findItem(db, parentPath);
    if (!parent || !parent->folder)
        err::raise(err::StoreNotFound,
                   QStringLiteral("The folder %1 does not exist").arg(u.withPath(parentPath)));
    return *parent;
}

detail::Item createAt(detail::Database& db, const StoreUrl& u, bool folder) {
    return detail::createItem(db, parentOf(db, u), u.segments.last(), folder);
}
}  // namespace

namespace testing {
void setFieldWriteHook(std::function<void(const QString&)> h) { hook() = std::move(h); }
}  // namespace testing

namespace detail {
void fieldWritten(const QString& fieldName) {
    if (hook()) hook()(fieldName);
}
}  // namespace detail

StoreRecord::StoreRecord() = default;
StoreRecord::~StoreRecord() = default;

void StoreRecord::open(const QString& url, StoreConnection* activeConnection, int mode, int createOptions,
                       int /*options*/) {
    if (view_) err::raise(err::AlreadyOpen, QStringLiteral("The record is already open"));
    const StoreUrl u = StoreUrl::parse(url);
    auto session = activeConnection ? activeConnection->session() : detail::Session::forUrl(u);
    session->check(u);
    detail::Database& db = *session->db;
    bool created = false, deferred = false;

    std::optional<detail::Item> item = detail::findItem(db, u.segments);
    if (createOptions == adCreate::FailIfNotExists) {
        if (!item) err::raise(err::ItemNotFound, QStringLiteral("The item %1 does not exist").arg(url));
    } else {
        const bool openIfExists = createOptions & adCreate::OpenIfExists;
        const bool overwrite = createOptions & adCreate::CreateOverwrite;
        const bool folder = createOptions & adCreate::CreateCollection;
        if (!(item && openIfExists)) {
            if (!(mode & adMode::Write))
                err::raise(err::ReadOnly, QStringLiteral("Creating %1 needs a write mode").arg(url));
            if (u.segments.isEmpty())
                err::raise(err::ItemExists, QStringLiteral("The root of the store cannot be replaced"));
            if (item && !overwrite)
                err::raise(err::ItemExists, QStringLiteral("The item %1 exists already").arg(url));
            deferred = (createOptions & adCreate::CreateOnUpdate) && !folder && !item;
            if (deferred) {
                parentOf(db, u);
                item = detail::Item{0, u.segments.last(), u.segments, false};
            } else {
                detail::atomically(db, [&] {
                    if (item) detail::deleteItem(db, item->id);
                    item = createAt(db, u, folder);
                });
            }
            created = true;
        }
    }
    session_ = std::move(session);
    view_.emplace(db, *item, u);
    url_ = url;
    mode_ = mode;
    pending_.clear();
    unsaved_ = created;
    deferred_ = deferred;
}

void StoreRecord::close() {
    requireOpen();
    view_.reset();
    session_.reset();
    pending_.clear();
    deferred_ = false;
}

int StoreRecord::state() const { return view_ ? adState::Open : adState::Closed; }

QString StoreRecord::url() const { return url_; }

void StoreRecord::requireOpen() const {
    if (!view_) err::raise(err::NotOpen, QStringLiteral("The record is not open"));
    if (!session_->open) err::raise(err::NotOpen, QStringLiteral("The connection of the record is closed"));
}

void StoreRecord::requireWritable() const {
    requireOpen();
    if (!(mode_ & adMode::Write)) err::raise(err::ReadOnly, QStringLiteral("The record %1 is read-only").arg(url_));
}

const StoreRecord::Pending* StoreRecord::pending(const QString& name) const {
    for (const Pending& p : pending_)
        if (same(p.name, name)) return &p;
    return nullptr;
}

std::optional<detail::FieldValue> StoreRecord::current(const QString& name) const {
    requireOpen();
    if (const Pending* p = pending(name)) return detail::FieldValue{p->name, p->type, p->value};
    return view_->find(name);
}

QStringList StoreRecord::fieldNames() const {
    requireOpen();
    QStringList names;
    for (const auto& f : view_->all()) names << f.name;
    for (const Pending& p : pending_) {
        bool known = false;
        for (const QString& n : names) known = known || same(n, p.name);
        if (!known) names << p.name;
    }
    return names;
}

int StoreRecord::fieldCount() const { return static_cast<int>(fieldNames().size()); }

bool StoreRecord::hasField(const QString& name) const { return current(name).has_value(); }

QVariant StoreRecord::field(const QString& name) const {
    const auto f = current(name);
    if (!f) err::raise(err::FieldNotFound, QStringLiteral("The item has no field \"%1\"").arg(name));
    return f->value;
}

int StoreRecord::fieldType(const QString& name) const {
    const auto f = current(name);
    if (!f) err::raise(err::FieldNotFound, QStringLiteral("The item has no field \"%1\"").arg(name));
    return f->type;
}

void StoreRecord::setField(const QString& name, const QVariant& value) {
    requireWritable();
    if (detail::ItemView::isComputed(name))
        err::raise(err::ReadOnly, QStringLiteral("The field \"%1\" cannot be written").arg(name));
    const auto existing = current(name);
    const int type = existing && existing->type != detail::LinkType && existing->type != adType::Empty
                         ? existing->type
                         : detail::inferType(value);
    const QVariant typed = detail::coerce(value, type);
    for (Pending& p : pending_) {
        if (same(p.name, name)) {
            p.type = type;
            p.value = typed;
            return;
        }
    }
    pending_.push_back({name, type, typed, false});
}

void StoreRecord::appendField(const QString& name, int type, int /*definedSize*/, int /*attributes*/,
                              const QVariant& value) {
    requireWritable();
    if (current(name) || detail::ItemView::isComputed(name))
        err::raise(err::FieldExists, QStringLiteral("The field \"%1\" exists already").arg(name));
    pending_.push_back({name, type, detail::coerce(value, type), true});
}

void StoreRecord::setLinkField(const QString& name, const QString& targetUrl) {
    requireWritable();
    const StoreUrl target = StoreUrl::parse(targetUrl);
    session_->check(target);
    pending_.erase(std::remove_if(pending_.begin(), pending_.end(), [&](const Pending& p) { return same(p.name, name); }),
                   pending_.end());
    pending_.push_back({name, detail::LinkType, target.segments.join(QLatin1Char('/')), false});
}

void StoreRecord::update() {
    requireWritable();
    detail::Database& db = *session_->db;
    int64_t id = view_->item().id;
    // The save event comes first, with the item as it is about to be stored, and
    // outside the write transaction (unless the caller holds one); a cancelled
    // save writes nothing and takes back an item this record created. What the
    // sinks saved is written in the same transaction either way.
    std::vector<detail::FieldValue> fields;
    for (const QString& n : fieldNames()) fields.push_back(*current(n));
    const detail::SaveOutcome outcome = detail::raiseSaveEvent(*session_, view_->item(), StoreUrl::parse(url_), fields);
    bool aborted = false;
    detail::atomically(db, [&] {
        detail::writeSinkSaves(db, outcome.saves);
        if (outcome.verdict == detail::SaveVerdict::Abort) {
            aborted = true;
            if (unsaved_ && !deferred_) detail::deleteItem(db, id);
            return;
        }
        if (deferred_) id = createAt(db, StoreUrl::parse(url_), false).id;
        for (const Pending& p : pending_) {
            detail::writeProp(db, id, {p.name, p.type, p.value});
            detail::fieldWritten(p.name);
        }
    });
    pending_.clear();
    if (aborted) {
        const bool gone = unsaved_;
        if (gone) close();
        err::raise(err::EventCancelled, gone ? QStringLiteral("An event sink cancelled the save of %1; the item was not stored").arg(url_)
                                             : QStringLiteral("An event sink cancelled the save of %1; the item is unchanged").arg(url_));
    }
    unsaved_ = deferred_ = false;
    detail::Item item = view_->item();  // the view is rebuilt to read the saved fields
    item.id = id;
    view_.emplace(db, std::move(item), StoreUrl::parse(url_));
}

void StoreRecord::deleteRecord(const QString& url) {
    requireWritable();
    if (!url.isEmpty()) {
        const StoreUrl u = StoreUrl::parse(url);
        session_->check(u);
        if (detail::keyOf(u.segments) != detail::keyOf(view_->item().path))
            err::raise(err::BadUrl, QStringLiteral("%1 is not the record's own item").arg(url));
    }
    if (view_->item().path.isEmpty())
        err::raise(err::ReadOnly, QStringLiteral("The root of the store cannot be deleted"));
    detail::Database& db = *session_->db;
    if (!deferred_) detail::atomically(db, [&] { detail::deleteItem(db, view_->item().id); });
    close();
}

}  // namespace platform::store
