#include "platform/store/QueryLexer.h"

#include "platform/store/StoreErrors.h"

namespace platform::store::query {
namespace {
[[noreturn]] void fail(int pos, const QString& what) {
    err::raise(err::CommandError, QStringLiteral("Syntax error in the query at position %1: %2").arg(pos).arg(what));
}

// Reads a literal closed by `quote`, where a doubled quote stands for one.
qsizetype readQuoted(const QString& s, qsizetype i, QChar quote, QString& out) {
    const qsizetype start = i++;
    while (i < s.size()) {
        if (s[i] == quote) {
            if (i + 1 < s.size() && s[i + 1] == quote) {
                out += quote;
                i += 2;
                continue;
            }
            return i + 1;
        }
        out += s[i++];
    }
    fail(static_cast<int>(start + 1), QStringLiteral("the literal beginning here is not closed"));
}
}  // namespace

std::vector<Token> tokenize(const QString& s) {
    std::vector<Token> out;
    qsizetype i = 0;
    while (i < s.size()) {
        const QChar c = s[i];
        const int pos = static_cast<int>(i + 1);
        if (c.isSpace()) {
            ++i;
        } else if (c.isLetter() || c == QLatin1Char('_')) {
            qsizetype j = i;
            while (j < s.size() && (s[j].isLetterOrNumber() || s[j] == QLatin1Char('_'))) ++j;
            out.push_back({Tok::Word, s.mid(i, j - i), pos});
            i = j;
        } else if (c.isDigit()) {
            qsizetype j = i;
            while (j < s.size() && (s[j].isDigit() || s[j] == QLatin1Char('.'))) ++j;
            out.push_back({Tok::Number, s.mid(i, j - i), pos});
            i = j;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            Token t{c == QLatin1Char('"') ? Tok::Name : Tok::String, QString(), pos};
            i = readQuoted(s, i, c, t.text);
            out.push_back(std::move(t));
        } else if (c == QLatin1Char(',')) {
            out.push_back({Tok::Comma, QStringLiteral(","), pos});
            ++i;
        } else if (c == QLatin1Char('(')) {
            out.push_back({Tok::LParen, QStringLiteral("("), pos});
            ++i;
        } else if (c == QLatin1Char(')')) {
            out.push_back({Tok::RParen, QStringLiteral(")"), pos});
            ++i;
        } else if (c == QLatin1Char('*')) {
            out.push_back({Tok::Star, QStringLiteral("*"), pos});
            ++i;
        } else if (c == QLatin1Char('=') || c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char('!')) {
            QString op(c);
            if (i + 1 < s.size()) {
                const QString two = s.mid(i, 2);
                if (two == QLatin1String("<>") || two == QLatin1String("!=") || two == QLatin1String("<=") ||
                    two == QLatin1String(">="))
                    op = two;
            }
            if (op == QLatin1String("!")) fail(pos, QStringLiteral("\"!\" must be followed by \"=\""));
            out.push_back({Tok::Op, op, pos});
            i += op.size();
        } else if (c == QLatin1Char('-') && i + 1 < s.size() && s[i + 1].isDigit()) {
            qsizetype j = i + 1;
            while (j < s.size() && (s[j].isDigit() || s[j] == QLatin1Char('.'))) ++j;
            out.push_back({Tok::Number, s.mid(i, j - i), pos});
            i = j;
        } else {
            fail(pos, QStringLiteral("unexpected character \"%1\"").arg(c));
        }
    }
    out.push_back({Tok::End, QString(), static_cast<int>(s.size() + 1)});
    return out;
}

}  // namespace platform::store::query
