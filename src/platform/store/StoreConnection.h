#pragma once
// A connection to one Exchange store, opened on a store URL (either form). Records
// and record sets opened through it share its transaction: beginTrans/commitTrans
// make their writes all-or-nothing, and a transaction still open when the
// connection is closed or destroyed is abandoned (rolled back). A process that dies
// inside a transaction leaves the store as it was before it began.

#include <QString>
#include <memory>

namespace platform::store {

namespace detail { struct Session; }

namespace adState {
constexpr int Closed = 0;
constexpr int Open = 1;
}  // namespace adState

class StoreConnection {
public:
    StoreConnection();
    ~StoreConnection();
    StoreConnection(const StoreConnection&) = delete;
    StoreConnection& operator=(const StoreConnection&) = delete;

    void setConnectionString(const QString& url) { connectionString_ = url; }
    const QString& connectionString() const { return connectionString_; }

    // Opens on `url` (or, when empty, on the connection string). Throws ComError
    // when the URL is malformed, the store does not exist or the object is open.
    void open(const QString& url = QString());
    // Closes; abandons an open transaction. Closing a closed connection throws.
    void close();
    int state() const;

    void beginTrans();
    void commitTrans();
    void rollbackTrans();
    bool inTransaction() const { return inTransaction_; }

    // The open store, for records and record sets; throws when closed.
    std::shared_ptr<detail::Session> session() const;

private:
    QString connectionString_;
    std::shared_ptr<detail::Session> session_;
    bool inTransaction_ = false;
};

}  // namespace platform::store
