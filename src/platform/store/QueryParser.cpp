#include "platform/store/Query.h"

#include "platform/store/QueryLexer.h"
#include "platform/store/StoreErrors.h"

#include <QRegularExpression>

namespace platform::store::query {
namespace {

// Parentheses and NOTs nest the condition; the parser and the evaluator recurse
// once per level, so the depth is bounded before either could run out of stack.
constexpr int kMaxNesting = 64;

class Parser {
public:
    explicit Parser(const QString& text) : tokens_(tokenize(text)) {}

    SelectQuery select() {
        SelectQuery q;
        expectWord("SELECT");
        if (peek().kind == Tok::Star) {
            next();
            q.allColumns = true;
        } else {
            q.columns << expect(Tok::Name, "a quoted property name").text;
            while (peek().kind == Tok::Comma) {
                next();
                q.columns << expect(Tok::Name, "a quoted property name").text;
            }
        }
        expectWord("FROM");
        expectWord("SCOPE");
        expect(Tok::LParen, "\"(\"");
        scope(expect(Tok::String, "the scope in '...'"), q);
        expect(Tok::RParen, "\")\"");
        if (isWord("WHERE")) {
            next();
            q.where = disjunction();
        }
        if (peek().kind != Tok::End) fail(peek(), "the end of the query");
        return q;
    }

private:
    const Token& peek() const { return tokens_[pos_]; }
    const Token& next() { return tokens_[pos_ < tokens_.size() - 1 ? pos_++ : pos_]; }
    bool isWord(const char* w) const {
        return peek().kind == Tok::Word && peek().text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
    }

    [[noreturn]] void fail(const Token& t, const QString& expected) const {
        const QString found = t.kind == Tok::End ? QStringLiteral("the end of the text")
                                                 : QStringLiteral("\"%1\"").arg(t.text);
        err::raise(err::CommandError, QStringLiteral("Syntax error in the query at position %1: expected %2, found %3")
                                          .arg(t.pos)
                                          .arg(expected, found));
    }
    const Token& expect(Tok kind, const char* what) {
        if (peek().kind != kind) fail(peek(), QString::fromUtf8(what));
        return next();
    }
    void expectWord(const char* w) {
        if (!isWord(w)) fail(peek(), QString::fromUtf8(w));
        next();
    }

    void scope(const Token& t, SelectQuery& q) {
        static const QRegularExpression re(
            QStringLiteral(R"re(^\s*(shallow|deep|hierarchical)\s+traversal\s+of\s+"([^"]*)"\s*$)re"),
            QRegularExpression::CaseInsensitiveOption);
        const auto m = re.match(t.text);
        if (!m.hasMatch())
            err::raise(err::CommandError,
                       QStringLiteral("Syntax error in the query at position %1: the scope must read "
                                      "'shallow|deep|hierarchical traversal of \"URL\"'")
                           .arg(t.pos));
        const QString kind = m.captured(1).toLower();
        q.traversal = kind == QLatin1String("shallow") ? detail::Traversal::Shallow
                      : kind == QLatin1String("deep")  ? detail::Traversal::Deep
                                                       : detail::Traversal::Hierarchical;
        q.scopeUrl = m.captured(2);
    }

    std::unique_ptr<Condition> junction(Condition::Kind kind, const char* word,
                                        std::unique_ptr<Condition> (Parser::*operand)()) {
        auto first = (this->*operand)();
        if (!isWord(word)) return first;
        auto node = std::make_unique<Condition>();
        node->kind = kind;
        node->operands.push_back(std::move(first));
        while (isWord(word)) {
            next();
            node->operands.push_back((this->*operand)());
        }
        return node;
    }
    std::unique_ptr<Condition> disjunction() { return junction(Condition::Kind::Or, "OR", &Parser::conjunction); }
    std::unique_ptr<Condition> conjunction() { return junction(Condition::Kind::And, "AND", &Parser::negation); }

    // One level deeper for the life of the object; too deep is a syntax error.
    class Nesting {
    public:
        explicit Nesting(Parser& p) : p_(p) {
            if (++p_.depth_ > kMaxNesting)
                err::raise(err::CommandError,
                           QStringLiteral("Syntax error in the query at position %1: the condition is nested "
                                          "more than %2 levels deep")
                               .arg(p_.peek().pos)
                               .arg(kMaxNesting));
        }
        ~Nesting() { --p_.depth_; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

    private:
        Parser& p_;
    };

    std::unique_ptr<Condition> negation() {
        if (!isWord("NOT")) return primary();
        const Nesting level(*this);
        next();
        auto node = std::make_unique<Condition>();
        node->kind = Condition::Kind::Not;
        node->operands.push_back(negation());
        return node;
    }

    std::unique_ptr<Condition> primary() {
        if (peek().kind == Tok::LParen) {
            const Nesting level(*this);
            next();
            auto inner = disjunction();
            expect(Tok::RParen, "\")\"");
            return inner;
        }
        auto node = std::make_unique<Condition>();
        node->property = expect(Tok::Name, "a quoted property name, NOT or \"(\"").text;
        if (isWord("IS")) {
            next();
            node->kind = Condition::Kind::IsNull;
            if (isWord("NOT")) {
                next();
                node->kind = Condition::Kind::IsNotNull;
            }
            expectWord("NULL");
            return node;
        }
        node->op = expect(Tok::Op, "a comparison operator").text;
        node->literal = literal();
        return node;
    }

    Literal literal() {
        const Token& t = peek();
        Literal l;
        if (t.kind == Tok::String) {
            l.kind = Literal::Kind::String;
            l.text = t.text;
        } else if (t.kind == Tok::Number) {
            bool ok = false;
            l.kind = Literal::Kind::Number;
            l.number = t.text.toDouble(&ok);
            l.text = t.text;
            if (!ok) fail(t, "a number");
        } else if (isWord("TRUE") || isWord("FALSE")) {
            l.kind = Literal::Kind::Boolean;
            l.boolean = isWord("TRUE");
            l.text = t.text;
        } else {
            fail(t, "a 'text', a number, TRUE or FALSE");
        }
        next();
        return l;
    }

    std::vector<Token> tokens_;
    size_t pos_ = 0;
    int depth_ = 0;
};

bool mentions(const Condition* c, const QString& property) {
    if (!c) return false;
    if (c->property.compare(property, Qt::CaseInsensitive) == 0) return true;
    for (const auto& o : c->operands)
        if (mentions(o.get(), property)) return true;
    return false;
}

}  // namespace

bool SelectQuery::conditionMentions(const QString& property) const { return mentions(where.get(), property); }

SelectQuery parse(const QString& text) { return Parser(text).select(); }

}  // namespace platform::store::query
