#pragma once
// The open store behind a connection, shared with the records and record sets
// opened through it. Closing the connection closes the session for all of them.

#include "platform/store/StoreDatabase.h"
#include "platform/store/StoreUrl.h"

#include <memory>

namespace platform::store::detail {

struct Session {
    std::shared_ptr<Database> db;
    QString domainFolder;  // as the opening URL wrote it
    bool open = true;

    // Opens the store of the URL's domain folder.
    static std::shared_ptr<Session> forUrl(const StoreUrl& url);

    // Throws unless the session is open and the URL lies in this store.
    void check(const StoreUrl& url) const;
};

// Runs `work` atomically: inside the connection's transaction when one is open,
// else in a transaction of its own.
template <typename F>
void atomically(Database& db, F&& work) {
    // On its own, the transaction takes the write lock first (waiting for it as
    // long as the busy timeout allows): one that read before it wrote could not
    // take the lock after another writer's commit, and would fail at once.
    if (!db.inTransaction()) {
        db.begin();
        try {
            work();
        } catch (...) {
            try {
                db.rollback();
            } catch (...) {
            }
            throw;
        }
        db.commit();
        return;
    }
    db.exec("SAVEPOINT tv_write");
    try {
        work();
    } catch (...) {
        try {
            db.exec("ROLLBACK TO tv_write; RELEASE tv_write");
        } catch (...) {
        }
        throw;
    }
    db.exec("RELEASE tv_write");
}

}  // namespace platform::store::detail
