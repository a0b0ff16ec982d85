#pragma once
// Tokens of the store's query dialect: words (keywords), "quoted" property names,
// 'string' literals (an apostrophe doubled inside stands for one), numbers and
// the symbols , ( ) * = <> != < > <= >=.

#include <QString>
#include <vector>

namespace platform::store::query {

enum class Tok { Word, Name, String, Number, Comma, LParen, RParen, Star, Op, End };

struct Token {
    Tok kind = Tok::End;
    QString text;  // word, unquoted name or string, number, operator
    int pos = 0;   // 1-based character position in the query text
};

// Splits a query text into tokens, ending with Tok::End. Throws ComError
// (err::CommandError) for an unterminated literal or a character that starts no
// token, naming its position.
std::vector<Token> tokenize(const QString& text);

}  // namespace platform::store::query
