#pragma once
// A transaction for the lifetime of a scope: begun on construction, rolled back
// when destroyed without commit() (also when an exception leaves the scope).

namespace platform::sqlite {

class Database;

class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();

private:
    Database& db_;
    bool done_ = false;
};

}  // namespace platform::sqlite
