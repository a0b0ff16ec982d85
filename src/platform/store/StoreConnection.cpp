#include "platform/store/StoreConnection.h"

#include "platform/store/Session.h"
#include "platform/store/StoreErrors.h"

namespace platform::store {

StoreConnection::StoreConnection() = default;

StoreConnection::~StoreConnection() {
    if (session_) {
        try {
            close();
        } catch (...) {
        }
    }
}

void StoreConnection::open(const QString& url) {
    if (session_) err::raise(err::AlreadyOpen, QStringLiteral("The connection is already open"));
    if (!url.isEmpty()) connectionString_ = url;
    session_ = detail::Session::forUrl(StoreUrl::parse(connectionString_));
}

void StoreConnection::close() {
    if (!session_) err::raise(err::NotOpen, QStringLiteral("The connection is not open"));
    auto s = std::move(session_);
    s->open = false;
    if (inTransaction_) {
        inTransaction_ = false;
        s->db->rollback();
    }
}

int StoreConnection::state() const { return session_ ? adState::Open : adState::Closed; }

std::shared_ptr<detail::Session> StoreConnection::session() const {
    if (!session_) err::raise(err::NotOpen, QStringLiteral("The connection is not open"));
    return session_;
}

void StoreConnection::beginTrans() {
    auto s = session();
    if (inTransaction_) err::raise(err::TransactionOpen, QStringLiteral("A transaction is already open"));
    s->db->begin();
    inTransaction_ = true;
}

void StoreConnection::commitTrans() {
    auto s = session();
    if (!inTransaction_) err::raise(err::NoTransaction, QStringLiteral("No transaction is open"));
    s->db->commit();
    inTransaction_ = false;
}

void StoreConnection::rollbackTrans() {
    auto s = session();
    if (!inTransaction_) err::raise(err::NoTransaction, QStringLiteral("No transaction is open"));
    inTransaction_ = false;
    s->db->rollback();
}

}  // namespace platform::store
