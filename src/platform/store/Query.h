#pragma once
// The store's query dialect, as far as the program uses it:
//   SELECT "prop", ... | *
//   FROM SCOPE('shallow traversal of "URL"')      (also deep, hierarchical; any
//                                                 whitespace between the words)
//   [WHERE condition]
// Conditions: "prop" op literal with op one of = <> != < > <= >=, "prop" IS [NOT]
// NULL, NOT, AND, OR and parentheses. Literals: 'text' (apostrophes doubled
// inside), numbers, TRUE/FALSE in any case. Keywords in any case.

#include "platform/store/ItemTable.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace platform::store::query {

struct Literal {
    enum class Kind { String, Number, Boolean };
    Kind kind = Kind::String;
    QString text;
    double number = 0;
    bool boolean = false;
};

struct Condition {
    enum class Kind { And, Or, Not, Compare, IsNull, IsNotNull };
    Kind kind = Kind::Compare;
    std::vector<std::unique_ptr<Condition>> operands;  // And, Or, Not
    QString property;                                  // Compare, IsNull, IsNotNull
    QString op;                                        // Compare
    Literal literal;                                   // Compare
};

struct SelectQuery {
    bool allColumns = false;
    QStringList columns;
    detail::Traversal traversal = detail::Traversal::Shallow;
    QString scopeUrl;
    std::unique_ptr<Condition> where;  // null: every item

    // Whether the condition refers to the property (case-blind).
    bool conditionMentions(const QString& property) const;
};

// Parses a query text; throws ComError (err::CommandError) with the position and
// what was expected when the text is malformed, or when its condition nests
// parentheses and NOTs more than 64 levels deep.
SelectQuery parse(const QString& text);

// Evaluates a condition with three-valued logic: a comparison with an absent
// (null) property is unknown, and a row matches only when the result is true.
// Text compares without regard to case; booleans and numbers by value, a text
// property against a number or boolean literal by its converted value.
std::optional<bool> evaluate(const Condition& c, const std::function<QVariant(const QString&)>& value);

}  // namespace platform::store::query
