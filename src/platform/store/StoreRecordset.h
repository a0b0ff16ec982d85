#pragma once
// The rows a store query answers, in the manner of an ADO Recordset: opened on a
// query text over a connection (or on a connection string, which opens one of its
// own), read forward or moved to the last row.
//
// Hidden items are left out unless the condition mentions "DAV:ishidden", as the
// Exchange store does. Rows come parents before children, siblings in creation
// order. Reading a column that the query did not select throws; a selected column
// the item lacks reads as null.

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

namespace platform::store {

class StoreConnection;

class StoreRecordset {
public:
    StoreRecordset();
    ~StoreRecordset();
    StoreRecordset(const StoreRecordset&) = delete;
    StoreRecordset& operator=(const StoreRecordset&) = delete;

    // Runs the query. The scope must lie in the connection's store and exist.
    void open(const QString& queryText, StoreConnection& connection);
    void open(const QString& queryText, const QString& connectionString);
    void close();
    int state() const;

    bool eof() const;
    void moveNext();
    void moveFirst();
    void moveLast();
    int recordCount() const;

    QStringList fieldNames() const;
    QVariant field(const QString& name) const;

private:
    struct Row {
        std::vector<QVariant> values;  // parallel to names_
    };
    void run(const QString& queryText, StoreConnection& connection);
    void requireOpen() const;

    bool open_ = false;
    QStringList names_;
    std::vector<Row> rows_;
    size_t pos_ = 0;
};

}  // namespace platform::store
