#include "platform/store/StoreRecordset.h"

#include "platform/store/ItemView.h"
#include "platform/store/Query.h"
#include "platform/store/Schema.h"
#include "platform/store/Session.h"
#include "platform/store/StoreConnection.h"
#include "platform/store/StoreErrors.h"
#include "platform/store/TestHooks.h"

namespace platform::store {
namespace {
std::function<void(const QString&)>& queryHook() {
    static std::function<void(const QString&)> h;
    return h;
}
}  // namespace

namespace testing {
void setQueryHook(std::function<void(const QString&)> h) { queryHook() = std::move(h); }
}  // namespace testing

StoreRecordset::StoreRecordset() = default;
StoreRecordset::~StoreRecordset() = default;

void StoreRecordset::open(const QString& queryText, StoreConnection& connection) {
    if (open_) err::raise(err::AlreadyOpen, QStringLiteral("The record set is already open"));
    run(queryText, connection);
}

void StoreRecordset::open(const QString& queryText, const QString& connectionString) {
    if (open_) err::raise(err::AlreadyOpen, QStringLiteral("The record set is already open"));
    StoreConnection own;
    own.open(connectionString);
    run(queryText, own);
}

void StoreRecordset::run(const QString& queryText, StoreConnection& connection) {
    if (queryHook()) queryHook()(queryText);
    const query::SelectQuery q = query::parse(queryText);
    const StoreUrl scope = StoreUrl::parse(q.scopeUrl);
    const auto session = connection.session();
    session->check(scope);
    detail::Database& db = *session->db;
    const auto scopeItem = detail::findItem(db, scope.segments);
    if (!scopeItem)
        err::raise(err::ItemNotFound, QStringLiteral("The scope %1 does not exist").arg(q.scopeUrl));
    const bool showHidden = q.conditionMentions(schema::kIsHidden);

    QStringList names = q.columns;
    std::vector<Row> rows;
    for (const detail::Item& item : detail::listItems(db, *scopeItem, q.traversal)) {
        const detail::ItemView view(db, item, scope);
        auto value = [&](const QString& name) {
            const auto f = view.find(name);
            return f ? f->value : QVariant();
        };
        if (!showHidden && value(schema::kIsHidden).toBool()) continue;
        if (q.where && query::evaluate(*q.where, value) != true) continue;
        Row row;
        if (q.allColumns) {
            for (const auto& f : view.all()) {
                qsizetype at = -1;
                for (qsizetype i = 0; i < names.size(); ++i)
                    if (names[i].compare(f.name, Qt::CaseInsensitive) == 0) at = i;
                if (at < 0) {
                    names << f.name;
                    for (Row& r : rows) r.values.emplace_back();
                    at = names.size() - 1;
                }
                row.values.resize(names.size());
                row.values[at] = f.value;
            }
            row.values.resize(names.size());
        } else {
            for (const QString& n : names) row.values.push_back(value(n));
        }
        rows.push_back(std::move(row));
    }
    names_ = names;
    rows_ = std::move(rows);
    pos_ = 0;
    open_ = true;
}

void StoreRecordset::requireOpen() const {
    if (!open_) err::raise(err::NotOpen, QStringLiteral("The record set is not open"));
}

void StoreRecordset::close() {
    requireOpen();
    open_ = false;
    rows_.clear();
    names_.clear();
    pos_ = 0;
}

int StoreRecordset::state() const { return open_ ? 1 : 0; }

bool StoreRecordset::eof() const {
    requireOpen();
    return pos_ >= rows_.size();
}

void StoreRecordset::moveNext() {
    if (eof()) err::raise(err::NoCurrentRecord, QStringLiteral("The record set is at its end"));
    ++pos_;
}

void StoreRecordset::moveFirst() {
    requireOpen();
    pos_ = 0;
}

void StoreRecordset::moveLast() {
    requireOpen();
    if (rows_.empty()) err::raise(err::NoCurrentRecord, QStringLiteral("The record set is empty"));
    pos_ = rows_.size() - 1;
}

int StoreRecordset::recordCount() const {
    requireOpen();
    return static_cast<int>(rows_.size());
}

QStringList StoreRecordset::fieldNames() const {
    requireOpen();
    return names_;
}

QVariant StoreRecordset::field(const QString& name) const {
    if (eof()) err::raise(err::NoCurrentRecord, QStringLiteral("There is no current row"));
    for (qsizetype i = 0; i < names_.size(); ++i)
        if (names_[i].compare(name, Qt::CaseInsensitive) == 0) return rows_[pos_].values[i];
    err::raise(err::FieldNotFound, QStringLiteral("The query did not select \"%1\"").arg(name));
}

}  // namespace platform::store
