#include "platform/sqlite/Transaction.h"

#include "platform/sqlite/Database.h"

namespace platform::sqlite {

Transaction::Transaction(Database& db) : db_(db) { db_.begin(); }

Transaction::~Transaction() {
    if (!done_) db_.abandon();
}

void Transaction::commit() {
    db_.commit();
    done_ = true;
}

}  // namespace platform::sqlite
