#include "platform/directory/AdsiQuery.h"

#include <ldap.h>
#include <new>

#include <vector>

namespace platform::directory {
namespace {

struct Token {
    enum class Type { Word, String, Number, Op, LParen, RParen, Comma, Star, End };
    Type type;
    QString text;
    int pos;
};

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'-' || c == u'.' || c == u';';
}

std::vector<Token> tokenize(const QString& s) {
    std::vector<Token> out;
    int i = 0;
    const int n = s.size();
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        const int start = i;
        if (c == u'\'') {
            QString value;
            ++i;
            bool closed = false;
            while (i < n) {
                if (s[i] == u'\'') {
                    if (i + 1 < n && s[i + 1] == u'\'') {
                        value += u'\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                value += s[i++];
            }
            if (!closed)
                throw QueryError("Unterminated quoted value starting at position " + std::to_string(start + 1));
            out.push_back({Token::Type::String, value, start});
        } else if (c == u'(') {
            out.push_back({Token::Type::LParen, QStringLiteral("("), i++});
        } else if (c == u')') {
            out.push_back({Token::Type::RParen, QStringLiteral(")"), i++});
        } else if (c == u',') {
            out.push_back({Token::Type::Comma, QStringLiteral(","), i++});
        } else if (c == u'*') {
            out.push_back({Token::Type::Star, QStringLiteral("*"), i++});
        } else if (c == u'=' || c == u'<' || c == u'>' || c == u'!') {
            QString op(c);
            ++i;
            if (i < n && (s[i] == u'=' || (c == u'<' && s[i] == u'>'))) op += s[i++];
            if (op == QStringLiteral("!"))
                throw QueryError("Unexpected '!' at position " + std::to_string(start + 1));
            out.push_back({Token::Type::Op, op, start});
        } else if (isWordChar(c)) {
            while (i < n && isWordChar(s[i])) ++i;
            const QString word = s.mid(start, i - start);
            bool numeric = true;
            for (QChar ch : word)
                if (!ch.isDigit() && ch != u'-') numeric = false;
            out.push_back({numeric ? Token::Type::Number : Token::Type::Word, word, start});
        } else {
            throw QueryError("Unexpected character '" + QString(c).toStdString() + "' at position " +
                             std::to_string(start + 1));
        }
    }
    out.push_back({Token::Type::End, QString(), n});
    return out;
}

bool isAttributeName(const QString& w) {
    if (w.isEmpty()) return false;
    if (w[0].isLetter()) {
        for (QChar c : w)
            if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'-' && c != u';') return false;
        return true;
    }
    for (QChar c : w)  // a numeric OID
        if (!c.isDigit() && c != u'.') return false;
    return true;
}

// A value as it goes into the filter: * stays a wildcard and valid \hh escapes
// pass through; anything that could end or restructure the filter is escaped.
QString filterValue(const QString& v) {
    QString out;
    out.reserve(v.size());
    auto isHex = [](QChar c) { return c.isDigit() || (c.toLower() >= u'a' && c.toLower() <= u'f'); };
    for (int i = 0; i < v.size(); ++i) {
        const QChar c = v[i];
        if (c == u'\\') {
            if (i + 2 < v.size() && isHex(v[i + 1]) && isHex(v[i + 2])) {
                out += v.mid(i, 3);
                i += 2;
            } else {
                out += QStringLiteral("\\5c");
            }
        } else if (c == u'(') {
            out += QStringLiteral("\\28");
        } else if (c == u')') {
            out += QStringLiteral("\\29");
        } else if (c.unicode() == 0) {
            out += QStringLiteral("\\00");
        } else {
            out += c;
        }
    }
    return out;
}

// Parentheses and NOTs nest the condition; the parser recurses once per level,
// so the depth is bounded before it could run out of stack.
constexpr int kMaxNesting = 64;

class Parser {
public:
    explicit Parser(std::vector<Token> t) : t_(std::move(t)) {}

    AdsiQuery parse() {
        AdsiQuery q;
        expectKeyword("SELECT");
        if (peek().type == Token::Type::Star) {
            next();
            q.attributes << QStringLiteral("*");
        } else {
            q.attributes << attribute("an attribute name after SELECT");
            while (peek().type == Token::Type::Comma) {
                next();
                q.attributes << attribute("an attribute name after ','");
            }
        }
        expectKeyword("FROM");
        const Token& from = next();
        if (from.type != Token::Type::String)
            fail(from, "a quoted directory path after FROM");
        q.from = AdsiUrl::parse(from.text);
        if (isKeyword(peek(), "WHERE")) {
            next();
            q.filter = orExpr();
        } else {
            q.filter = QStringLiteral("(objectClass=*)");
        }
        if (isKeyword(peek(), "ORDER")) {
            next();
            expectKeyword("BY");
            q.orderBy = attribute("an attribute name after ORDER BY");
            if (isKeyword(peek(), "DESC")) {
                next();
                q.descending = true;
            } else if (isKeyword(peek(), "ASC")) {
                next();
            }
        }
        if (peek().type != Token::Type::End) fail(peek(), "the end of the query");
        return q;
    }

private:
    const Token& peek() const { return t_[i_]; }
    const Token& next() { return t_[i_ < t_.size() - 1 ? i_++ : i_]; }

    static bool isKeyword(const Token& t, const char* kw) {
        return t.type == Token::Type::Word && t.text.compare(QLatin1String(kw), Qt::CaseInsensitive) == 0;
    }
    [[noreturn]] static void fail(const Token& t, const std::string& expected) {
        const std::string found =
            t.type == Token::Type::End ? std::string("the end of the text") : "'" + t.text.toStdString() + "'";
        throw QueryError("Expected " + expected + " at position " + std::to_string(t.pos + 1) + ", found " + found);
    }
    void expectKeyword(const char* kw) {
        if (!isKeyword(peek(), kw)) fail(peek(), kw);
        next();
    }
    QString attribute(const std::string& what) {
        const Token& t = next();
        if (t.type != Token::Type::Word || !isAttributeName(t.text) || isReserved(t.text)) fail(t, what);
        return t.text;
    }
    static bool isReserved(const QString& w) {
        static const QStringList words = {"SELECT", "FROM", "WHERE", "ORDER", "BY", "AND", "OR", "NOT"};
        return words.contains(w, Qt::CaseInsensitive);
    }

    QString orExpr() {
        QStringList parts{andExpr()};
        while (isKeyword(peek(), "OR")) {
            next();
            parts << andExpr();
        }
        return join(u'|', parts);
    }
    QString andExpr() {
        QStringList parts{unary()};
        while (isKeyword(peek(), "AND")) {
            next();
            parts << unary();
        }
        return join(u'&', parts);
    }
    static QString join(QChar op, const QStringList& parts) {
        if (parts.size() == 1) return parts.first();
        QString out = QStringLiteral("(") + op;
        for (const QString& p : parts) {
            // Flatten nested groups of the same operator.
            if (p.startsWith(QStringLiteral("(") + op) && balancedGroup(p))
                out += p.mid(2, p.size() - 3);
            else
                out += p;
        }
        return out + u')';
    }
    // Whether the text is one parenthesised group (not a sequence of groups).
    static bool balancedGroup(const QString& p) {
        int depth = 0;
        for (int i = 0; i < p.size(); ++i) {
            if (p[i] == u'\\') {
                i += 2;
                continue;
            }
            if (p[i] == u'(') ++depth;
            if (p[i] == u')' && --depth == 0 && i != p.size() - 1) return false;
        }
        return true;
    }
    QString unary() {
        if (isKeyword(peek(), "NOT")) {
            const Nesting level(*this);
            next();
            return QStringLiteral("(!") + unary() + u')';
        }
        if (peek().type == Token::Type::LParen) {
            const Nesting level(*this);
            next();
            QString inner = orExpr();
            if (peek().type != Token::Type::RParen) fail(peek(), "')'");
            next();
            return inner;
        }
        return comparison();
    }
    // One level deeper for the life of the object; too deep is refused.
    class Nesting {
    public:
        explicit Nesting(Parser& p) : p_(p) {
            if (++p_.depth_ > kMaxNesting)
                throw QueryError("The condition is nested more than " + std::to_string(kMaxNesting) +
                                 " levels deep at position " + std::to_string(p_.peek().pos + 1));
        }
        ~Nesting() { --p_.depth_; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

    private:
        Parser& p_;
    };
    QString comparison() {
        const QString attr = attribute("an attribute name");
        const Token& op = next();
        if (op.type != Token::Type::Op) fail(op, "a comparison operator");
        const Token& v = next();
        QString value;
        bool presence = false;
        switch (v.type) {
        case Token::Type::String:
            presence = v.text == QStringLiteral("*");
            value = presence ? QStringLiteral("*") : filterValue(v.text);
            break;
        case Token::Type::Number:
            value = v.text;
            break;
        case Token::Type::Word:
            if (isKeyword(v, "TRUE") || isKeyword(v, "FALSE")) {
                value = v.text.toUpper();
                break;
            }
            fail(v, "a quoted value, a number, TRUE or FALSE");
        default:
            fail(v, "a quoted value, a number, TRUE or FALSE");
        }
        if (value.isEmpty()) fail(v, "a non-empty value");
        const QString o = op.text;
        if (o == QStringLiteral("=")) return u'(' + attr + u'=' + value + u')';
        if (presence) fail(v, "a value that is not a lone '*' with this operator");
        if (o == QStringLiteral("<>") || o == QStringLiteral("!="))
            return QStringLiteral("(!(") + attr + u'=' + value + QStringLiteral("))");
        if (o == QStringLiteral("<=")) return u'(' + attr + QStringLiteral("<=") + value + u')';
        if (o == QStringLiteral(">=")) return u'(' + attr + QStringLiteral(">=") + value + u')';
        if (o == QStringLiteral("<")) return QStringLiteral("(!(") + attr + QStringLiteral(">=") + value + QStringLiteral("))");
        if (o == QStringLiteral(">")) return QStringLiteral("(!(") + attr + QStringLiteral("<=") + value + QStringLiteral("))");
        fail(op, "a comparison operator");
    }

    std::vector<Token> t_;
    size_t i_ = 0;
    int depth_ = 0;
};

}  // namespace

AdsiUrl AdsiUrl::parse(const QString& text) {
    AdsiUrl url;
    QString rest;
    if (text.startsWith(QStringLiteral("LDAP://"), Qt::CaseInsensitive)) {
        url.kind = Kind::Ldap;
        rest = text.mid(7);
    } else if (text.startsWith(QStringLiteral("GC://"), Qt::CaseInsensitive)) {
        url.kind = Kind::GlobalCatalog;
        rest = text.mid(5);
    } else {
        throw QueryError("The directory path '" + text.toStdString() + "' is not an LDAP:// or GC:// path");
    }
    if (rest.isEmpty()) throw QueryError("The directory path '" + text.toStdString() + "' names no server");
    // A first segment with '=' is a distinguished name (no server named).
    const int slash = rest.indexOf(u'/');
    const QString first = slash < 0 ? rest : rest.left(slash);
    if (first.contains(u'=') || first.compare(QStringLiteral("RootDSE"), Qt::CaseInsensitive) == 0) {
        url.dn = rest;
        return url;
    }
    QString host = first;
    const int colon = host.lastIndexOf(u':');
    if (colon > 0) {
        bool ok = false;
        url.port = host.mid(colon + 1).toInt(&ok);
        if (!ok || url.port <= 0 || url.port > 65535)
            throw QueryError("The directory path '" + text.toStdString() + "' has an invalid port");
        host = host.left(colon);
    }
    for (QChar c : host)
        if (!(c.isLetterOrNumber() || c == u'-' || c == u'.' || c == u'_'))
            throw QueryError("The directory path '" + text.toStdString() + "' has an invalid server name");
    url.host = host;
    url.dn = slash < 0 ? QString() : rest.mid(slash + 1);
    return url;
}

AdsiQuery AdsiQuery::parse(const QString& text) { return Parser(tokenize(text)).parse(); }

QString escapeLdapFilterValue(const QString& value) {
    const QByteArray bytes = value.toUtf8();
    berval in{static_cast<ber_len_t>(bytes.size()), const_cast<char*>(bytes.constData())};
    berval out{0, nullptr};
    if (ldap_bv2escaped_filter_value(&in, &out) != 0) throw std::bad_alloc();
    const QString escaped = QString::fromLatin1(out.bv_val, static_cast<qsizetype>(out.bv_len));
    ber_memfree(out.bv_val);
    return escaped;
}

}  // namespace platform::directory
