#include "platform/store/StoreEvents.h"

#include "platform/complus/Catalog.h"
#include "platform/complus/InstalledComponent.h"
#include "platform/store/EventHost.h"
#include "platform/store/Query.h"
#include "platform/store/Schema.h"
#include "platform/store/StoreErrors.h"

#include <QSet>
#include <algorithm>
#include <mutex>
#include <syslog.h>

namespace platform::store::detail {
namespace {

const QString kRegistrationClass = QStringLiteral("urn:content-class:storeeventreg");

bool same(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

struct Registration {
    Item item;
    QStringList folder;  // path of the folder holding it
    std::vector<StoredProp> props;
    double priority = 0;

    QVariant value(const QString& name) const {
        for (const StoredProp& p : props)
            if (same(p.name, name)) return p.value;
        return {};
    }
};

// Every registration item of the store whose folder is the item's folder or, for
// a deep registration, one above it; in priority order, then in creation order.
std::vector<Registration> registrationsAbove(Database& db, const QStringList& itemPath) {
    std::vector<Registration> out;
    auto st = db.prepare(
        "SELECT r.id, r.name, r.path, f.path FROM props p JOIN items r ON r.id = p.item "
        "JOIN items f ON f.id = r.parent WHERE p.fold = ? AND p.value = ? AND r.is_folder = 0 ORDER BY r.id");
    st.bind(1, schema::kContentClass.toCaseFolded()).bind(2, kRegistrationClass);
    const QString itemFolderKey = keyOf(itemPath.mid(0, itemPath.size() - 1));
    while (st.step()) {
        Registration r;
        r.item.id = st.integer(0);
        r.item.name = st.text(1);
        r.item.path = st.text(2).split(QLatin1Char('/'));
        const QString folder = st.text(3);
        r.folder = folder.isEmpty() ? QStringList() : folder.split(QLatin1Char('/'));
        const QString folderKey = keyOf(r.folder);
        const bool own = folderKey == itemFolderKey;
        const bool above = itemFolderKey.startsWith(folderKey.isEmpty() ? folderKey : folderKey + QLatin1Char('/'));
        if (own || above) {
            r.props = loadProps(db, r.item.id);
            const QString scope = r.value(schema::exchange(QStringLiteral("events/MatchScope"))).toString().trimmed();
            if (!own && !(same(scope, QStringLiteral("DEEP")) || same(scope, QStringLiteral("ANY")))) continue;
            r.priority = r.value(schema::exchange(QStringLiteral("events/priority"))).toString().toDouble();
            out.push_back(std::move(r));
        }
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const Registration& a, const Registration& b) { return a.priority < b.priority; });
    return out;
}

bool selectsSave(const Registration& r) {
    const QStringList methods = r.value(schema::exchange(QStringLiteral("events/EventMethod")))
                                    .toString()
                                    .split(QLatin1Char(';'), Qt::SkipEmptyParts);
    return std::any_of(methods.begin(), methods.end(),
                       [](const QString& m) { return same(m.trimmed(), QStringLiteral("onsyncsave")); });
}

// Whether the item meets the registration's criteria (" WHERE ..."; none: every
// item). Criteria that do not parse select nothing.
bool meetsCriteria(const Registration& r, const std::vector<FieldValue>& fields) {
    const QString criteria = r.value(schema::exchange(QStringLiteral("events/criteria"))).toString();
    if (criteria.trimmed().isEmpty()) return true;
    try {
        const query::SelectQuery q = query::parse(
            QStringLiteral("SELECT * FROM SCOPE('shallow traversal of \"file://./backofficestorage/x\"') ") +
            criteria);
        if (!q.where) return true;
        const auto result = query::evaluate(*q.where, [&](const QString& name) -> QVariant {
            for (const FieldValue& f : fields)
                if (same(f.name, name)) return f.value;
            return {};
        });
        return result.value_or(false);
    } catch (const ComError&) {
        return false;
    }
}

// The folder's owner as the sink is told it: the mailbox name below "mbx", or the
// address of a public folder.
void describeFolder(Database& db, const QStringList& folder, QByteArray& owner, int& isPublic) {
    isPublic = 0;
    owner.clear();
    if (folder.size() >= 2 && same(folder[0], QStringLiteral("mbx"))) {
        owner = folder[1].toUtf8();
    } else if (!folder.isEmpty() && same(folder[0], QStringLiteral("public folders"))) {
        isPublic = 1;
        if (const auto f = findItem(db, folder))
            for (const StoredProp& p : loadProps(db, f->id))
                if (same(p.name, schema::publicFolderEmailAddress())) owner = p.value.toString().toUtf8();
    }
}

// One line in the mail log (the account that delivers is often the MTA's own),
// once per process and cause.
void logUnreadableCatalog(const QString& why) {
    static std::mutex lock;
    static QSet<QString> logged;
    const std::lock_guard guard(lock);
    if (logged.contains(why)) return;
    logged.insert(why);
    const QByteArray line = (QStringLiteral("Event sinks are not run: the application catalog cannot be read "
                                            "by this account: ") + why).toUtf8().replace('\n', ' ').replace('\r', ' ');
    ::syslog(LOG_MAIL | LOG_ERR, "%s", line.constData());
}

}  // namespace

SaveOutcome raiseSaveEvent(Session& session, const Item& item, const StoreUrl& form,
                           const std::vector<FieldValue>& fields) {
    if (item.folder || item.path.isEmpty()) return {};
    Database& db = *session.db;
    const std::vector<Registration> registrations = registrationsAbove(db, item.path);
    if (registrations.empty()) return {};

    const SinkProperties itemProps(fields);
    EventHostContext context{session, form, {}};
    const tv_sink_host host = eventHost(context);
    for (const Registration& r : registrations) {
        if (!selectsSave(r) || !meetsCriteria(r, fields)) continue;
        const QString sinkClass = r.value(schema::exchange(QStringLiteral("events/SinkClass"))).toString().trimmed();
        std::shared_ptr<complus::ComponentModule> module;
        try {
            module = complus::loadInstalledComponent(complus::Catalog::defaultPath(), sinkClass);
        } catch (const ComError& e) {
            // An unreadable catalog hosts nothing: the item is saved without the sink.
            logUnreadableCatalog(e.description());
            continue;
        }
        if (!module) continue;
        auto onSave = reinterpret_cast<tv_sink_onsyncsave_fn>(module->symbol(TV_SINK_ONSYNCSAVE_SYMBOL));
        if (!onSave) continue;

        std::vector<FieldValue> regFields;
        for (const StoredProp& p : r.props) regFields.push_back({p.name, p.type, p.value});
        const SinkProperties regProps(regFields);
        const QByteArray itemUrl = form.withPath(item.path).toUtf8();
        const QByteArray folderUrl = form.withPath(r.folder).toUtf8();
        QByteArray owner;
        int isPublic = 0;
        describeFolder(db, r.folder, owner, isPublic);
        tv_sink_event event{sizeof(tv_sink_event), itemUrl.constData(), folderUrl.constData(), owner.constData(),
                            isPublic, itemProps.data(), itemProps.size(), regProps.data(), regProps.size()};
        if (onSave(&host, &event) == TV_SINK_ABORT) return {SaveVerdict::Abort, std::move(context.saves)};
    }
    return {SaveVerdict::Continue, std::move(context.saves)};
}

}  // namespace platform::store::detail
