#pragma once
// One prepared statement: bind parameters (1-based), step row by row, read the
// columns of the current row (0-based). Values only ever reach SQL as bound
// parameters.

#include <QString>
#include <QVariant>
#include <cstdint>
#include <type_traits>

struct sqlite3_stmt;

namespace platform::sqlite {

class Database;

class Statement {
public:
    Statement(Database& db, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int index, const QString& value);  // always text, a null string as ''
    // Any integer; bool binds 1 or 0.
    template <typename T>
        requires std::is_integral_v<T>
    Statement& bind(int index, T value) {
        return bindInteger(index, static_cast<int64_t>(value));
    }
    Statement& bind(int index, double value);
    // An invalid variant binds NULL; bool and integers bind integers, double a
    // real; anything else binds its text.
    Statement& bind(int index, const QVariant& value);

    // Steps once; true while a row is available.
    bool step();
    // Runs to completion (for statements that return no rows).
    void run();
    // Rewinds for another run; bindings are cleared to NULL.
    void reset();

    int64_t integer(int column) const;
    QString text(int column) const;  // a NULL column reads as a null string
    QVariant value(int column) const;  // invalid, qlonglong, double or QString by the stored type
    bool isNull(int column) const;

private:
    Statement& bindInteger(int index, int64_t value);

    Database& db_;
    sqlite3_stmt* stmt_ = nullptr;
};

}  // namespace platform::sqlite
