#include "platform/FilterExpression.h"

#include "platform/ClientDataSet.h"
#include "platform/Errors.h"

#include <QDateTime>
#include <QRegularExpression>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------
// Values as the evaluator sees them. Numbers stay exact: an integer scaled by a power of
// ten (cents for money), so "12,50" against a money column never goes through a double.

enum class Cat { Null, Number, Real, Text, Stamp };

struct Val
{
    Cat cat = Cat::Null;
    qint64 num = 0; // Number: mantissa; Stamp: milliseconds from julian day 0
    int scale = 0;  // Number: decimals of the mantissa
    double real = 0;
    QString text;
};

constexpr qint64 kMsPerDay = 86400000;

qint64 pow10(int n)
{
    qint64 r = 1;
    while (n-- > 0)
        r *= 10;
    return r;
}

int compareNumbers(qint64 a, int sa, qint64 b, int sb)
{
    // Scales are small (0, 2 or the literal's decimals), so widening cannot overflow
    // for any amount a municipality spends.
    const int s = std::max(sa, sb);
    const __int128 x = __int128(a) * pow10(s - sa);
    const __int128 y = __int128(b) * pow10(s - sb);
    return x < y ? -1 : (x > y ? 1 : 0);
}

double toReal(const Val &v)
{
    return v.cat == Cat::Real ? v.real : double(v.num) / double(pow10(v.scale));
}

// Both values are of comparable categories (checked when compiling) and not null.
int compareVals(const Val &a, const Val &b)
{
    if (a.cat == Cat::Number && b.cat == Cat::Number)
        return compareNumbers(a.num, a.scale, b.num, b.scale);
    if (a.cat == Cat::Text)
        return a.text.compare(b.text);
    if (a.cat == Cat::Stamp)
        return a.num < b.num ? -1 : (a.num > b.num ? 1 : 0);
    const double x = toReal(a), y = toReal(b);
    return x < y ? -1 : (x > y ? 1 : 0);
}

Cat catOf(FieldType t)
{
    switch (t) {
    case FieldType::Integer:
    case FieldType::Money: return Cat::Number;
    case FieldType::Double: return Cat::Real;
    case FieldType::String: return Cat::Text;
    case FieldType::Date:
    case FieldType::DateTime: return Cat::Stamp;
    case FieldType::Blob: return Cat::Null;
    }
    return Cat::Null;
}

bool numeric(Cat c) { return c == Cat::Number || c == Cat::Real; }

void readField(const ClientDataSet &ds, int phys, int index, FieldType type, Val &out)
{
    const QVariant v = ds.valueAt(phys, index);
    if (!v.isValid()) {
        out.cat = Cat::Null;
        return;
    }
    switch (type) {
    case FieldType::Integer:
        out.cat = Cat::Number;
        out.num = v.toLongLong();
        out.scale = 0;
        return;
    case FieldType::Money:
        out.cat = Cat::Number;
        out.num = v.metaType() == QMetaType::fromType<Money>()
                      ? v.value<Money>().cents()
                      : Money::fromDouble(v.toDouble()).cents();
        out.scale = 2;
        return;
    case FieldType::Double:
        out.cat = Cat::Real;
        out.real = v.toDouble();
        return;
    case FieldType::String:
        out.cat = Cat::Text;
        out.text = v.toString();
        return;
    case FieldType::Date: {
        const QDate d = v.toDate();
        out.cat = d.isValid() ? Cat::Stamp : Cat::Null;
        out.num = d.toJulianDay() * kMsPerDay;
        return;
    }
    case FieldType::DateTime: {
        const QDateTime dt = v.toDateTime();
        out.cat = dt.isValid() ? Cat::Stamp : Cat::Null;
        out.num = dt.date().toJulianDay() * kMsPerDay + dt.time().msecsSinceStartOfDay();
        return;
    }
    case FieldType::Blob: out.cat = Cat::Null; return;
    }
}

// Text of a value for like on a column that is not text.
QString textOf(const Val &v)
{
    switch (v.cat) {
    case Cat::Number: {
        if (v.scale == 2)
            return Money::fromCents(v.num).toPlainText();
        return QString::number(v.num);
    }
    case Cat::Real: return QString::number(v.real, 'f', 2).replace('.', ',');
    case Cat::Stamp:
        return QDate::fromJulianDay(v.num / kMsPerDay).toString(QStringLiteral("dd/MM/yyyy"));
    case Cat::Text: return v.text;
    case Cat::Null: return {};
    }
    return {};
}

// ---------------------------------------------------------------------------------------
// The evaluation tree.

struct Node
{
    virtual ~Node() = default;
    virtual bool eval(const ClientDataSet &ds, int phys) const = 0;
};
using NodePtr = std::unique_ptr<Node>;

struct Operand
{
    int field = -1; // index into the dataset, or -1 for a literal
    FieldType type = FieldType::String;
    bool lookup = false;
    Val literal;

    void get(const ClientDataSet &ds, int phys, Val &out) const
    {
        if (field < 0)
            out = literal;
        else
            readField(ds, phys, field, type, out);
    }
};

enum class Op { Eq, Ne, Lt, Gt, Le, Ge };

bool holds(Op op, int c)
{
    switch (op) {
    case Op::Eq: return c == 0;
    case Op::Ne: return c != 0;
    case Op::Lt: return c < 0;
    case Op::Gt: return c > 0;
    case Op::Le: return c <= 0;
    case Op::Ge: return c >= 0;
    }
    return false;
}

Op flipped(Op op)
{
    switch (op) {
    case Op::Lt: return Op::Gt;
    case Op::Gt: return Op::Lt;
    case Op::Le: return Op::Ge;
    case Op::Ge: return Op::Le;
    default: return op;
    }
}

// Field against a literal already converted to the field's category: the common case.
struct FieldLiteralCompare : Node
{
    int field;
    FieldType type;
    Op op;
    Val literal;
    bool eval(const ClientDataSet &ds, int phys) const override
    {
        Val v;
        readField(ds, phys, field, type, v);
        if (v.cat == Cat::Null)
            return false;
        return holds(op, compareVals(v, literal));
    }
};

// A text typed against a looked-up name keeps the rows whose name starts with it.
struct LookupPrefix : Node
{
    int field;
    bool negate;
    QString prefix;
    bool eval(const ClientDataSet &ds, int phys) const override
    {
        const QVariant v = ds.valueAt(phys, field);
        if (!v.isValid())
            return false;
        return v.toString().startsWith(prefix) != negate;
    }
};

struct GeneralCompare : Node
{
    Operand left, right;
    Op op;
    bool eval(const ClientDataSet &ds, int phys) const override
    {
        Val a, b;
        left.get(ds, phys, a);
        if (a.cat == Cat::Null)
            return false;
        right.get(ds, phys, b);
        if (b.cat == Cat::Null)
            return false;
        return holds(op, compareVals(a, b));
    }
};

// Pattern of like: % any run of characters, _ exactly one.
class LikePattern
{
public:
    explicit LikePattern(const QString &p) : m_pattern(p)
    {
        const int pct = p.indexOf('%');
        m_prefixOnly = p.indexOf('_') < 0 && pct >= 0 && pct == p.size() - 1;
        m_plain = p.indexOf('_') < 0 && pct < 0;
        if (m_prefixOnly)
            m_prefix = p.left(pct);
    }
    bool matches(const QString &s) const
    {
        if (m_prefixOnly)
            return s.startsWith(m_prefix);
        if (m_plain)
            return s == m_pattern;
        return wildcard(s);
    }

private:
    bool wildcard(const QString &s) const
    {
        const QChar *p = m_pattern.constData();
        const qsizetype pn = m_pattern.size(), sn = s.size();
        const QChar *t = s.constData();
        qsizetype i = 0, j = 0, star = -1, mark = 0;
        while (i < sn) {
            if (j < pn && (p[j] == QLatin1Char('_') || (p[j] != QLatin1Char('%') && p[j] == t[i]))) {
                ++i;
                ++j;
            } else if (j < pn && p[j] == QLatin1Char('%')) {
                star = j++;
                mark = i;
            } else if (star >= 0) {
                j = star + 1;
                i = ++mark;
            } else {
                return false;
            }
        }
        while (j < pn && p[j] == QLatin1Char('%'))
            ++j;
        return j == pn;
    }

    QString m_pattern, m_prefix;
    bool m_prefixOnly = false, m_plain = false;
};

struct Like : Node
{
    int field;
    FieldType type;
    bool negate;
    LikePattern pattern;
    Like(int f, FieldType t, bool n, const QString &p) : field(f), type(t), negate(n), pattern(p) {}
    bool eval(const ClientDataSet &ds, int phys) const override
    {
        Val v;
        readField(ds, phys, field, type, v);
        if (v.cat == Cat::Null)
            return false;
        return pattern.matches(v.cat == Cat::Text ? v.text : textOf(v)) != negate;
    }
};

struct IsNull : Node
{
    int field;
    FieldType type;
    bool negate;
    bool eval(const ClientDataSet &ds, int phys) const override
    {
        Val v;
        readField(ds, phys, field, type, v);
        return (v.cat == Cat::Null) != negate;
    }
};

struct Constant : Node
{
    bool value;
    explicit Constant(bool v) : value(v) {}
    bool eval(const ClientDataSet &, int) const override { return value; }
};

struct Not : Node
{
    NodePtr inner;
    bool eval(const ClientDataSet &ds, int phys) const override { return !inner->eval(ds, phys); }
};

struct AndOr : Node
{
    bool isAnd;
    std::vector<NodePtr> parts;
    bool eval(const ClientDataSet &ds, int phys) const override
    {
        for (const NodePtr &n : parts) {
            if (n->eval(ds, phys) != isAnd)
                return !isAnd;
        }
        return isAnd;
    }
};

// ---------------------------------------------------------------------------------------
// Tokens.

enum class Tok { End, Ident, Number, Text, Op, LParen, RParen, Minus };

struct Token
{
    Tok kind = Tok::End;
    QString text;
    int pos = 0;
};

class Parser
{
public:
    Parser(const QString &source, const ClientDataSet &ds) : m_src(source), m_ds(ds)
    {
        tokenize();
    }

    NodePtr parse()
    {
        if (m_tokens.size() == 1)
            return std::make_unique<Constant>(true);
        NodePtr n = parseOr();
        if (peek().kind != Tok::End)
            syntaxError();
        return n;
    }

private:
    [[noreturn]] void fail(const QString &what) const
    {
        throw TarvoError(QStringLiteral("Filtro inválido: %1\r(%2)").arg(what, m_src));
    }
    [[noreturn]] void syntaxError() const
    {
        const Token &t = peek();
        if (t.kind == Tok::End)
            fail(QStringLiteral("a expressão termina antes do esperado"));
        fail(QStringLiteral("erro de sintaxe perto de \"%1\"").arg(m_src.mid(t.pos, 20)));
    }

    void tokenize()
    {
        const QString &s = m_src;
        int i = 0;
        const int n = int(s.size());
        while (i < n) {
            const QChar c = s[i];
            if (c.isSpace()) {
                ++i;
                continue;
            }
            Token t;
            t.pos = i;
            if (c == '(') {
                t.kind = Tok::LParen;
                ++i;
            } else if (c == ')') {
                t.kind = Tok::RParen;
                ++i;
            } else if (c == '-') {
                t.kind = Tok::Minus;
                ++i;
            } else if (c == '\'') {
                t.kind = Tok::Text;
                ++i;
                bool closed = false;
                while (i < n) {
                    if (s[i] == '\'') {
                        if (i + 1 < n && s[i + 1] == '\'') {
                            t.text += '\'';
                            i += 2;
                            continue;
                        }
                        ++i;
                        closed = true;
                        break;
                    }
                    t.text += s[i++];
                }
                if (!closed)
                    fail(QStringLiteral("texto sem o apóstrofo de fechamento"));
            } else if (c.isDigit()) {
                t.kind = Tok::Number;
                while (i < n && s[i].isDigit())
                    t.text += s[i++];
                if (i + 1 < n && (s[i] == ',' || s[i] == '.') && s[i + 1].isDigit()) {
                    t.text += '.';
                    ++i;
                    while (i < n && s[i].isDigit())
                        t.text += s[i++];
                }
            } else if (c == '=' || c == '<' || c == '>' || c == '!') {
                t.kind = Tok::Op;
                t.text = c;
                ++i;
                if (i < n && (s[i] == '=' || (c == '<' && s[i] == '>'))) {
                    t.text += s[i];
                    ++i;
                }
                if (t.text == QLatin1String("!"))
                    fail(QStringLiteral("operador desconhecido \"!\""));
            } else if (c.isLetter() || c == '_') {
                t.kind = Tok::Ident;
                while (i < n && (s[i].isLetterOrNumber() || s[i] == '_'))
                    t.text += s[i++];
            } else if (c == '[' || c == '"') {
                const QChar close = c == '[' ? QChar(']') : QChar('"');
                const int end = int(s.indexOf(close, i + 1));
                if (end < 0)
                    fail(QStringLiteral("nome de campo sem fechamento"));
                t.kind = Tok::Ident;
                t.text = s.mid(i + 1, end - i - 1);
                t.pos = -1 - i; // quoted: never a keyword
                i = end + 1;
            } else {
                fail(QStringLiteral("caractere inesperado \"%1\"").arg(c));
            }
            m_tokens.push_back(t);
        }
        Token end;
        end.pos = n;
        m_tokens.push_back(end);
    }

    const Token &peek(int ahead = 0) const
    {
        const size_t k = std::min(m_tokens.size() - 1, size_t(m_at + ahead));
        return m_tokens[k];
    }
    Token take()
    {
        Token t = peek();
        if (m_at < int(m_tokens.size()) - 1)
            ++m_at;
        return t;
    }
    bool isKeyword(const Token &t, const char *kw) const
    {
        return t.kind == Tok::Ident && t.pos >= 0 && t.text.compare(QLatin1String(kw), Qt::CaseInsensitive) == 0;
    }
    bool acceptKeyword(const char *kw)
    {
        if (!isKeyword(peek(), kw))
            return false;
        take();
        return true;
    }

    NodePtr parseOr()
    {
        NodePtr first = parseAnd();
        if (!isKeyword(peek(), "or"))
            return first;
        auto n = std::make_unique<AndOr>();
        n->isAnd = false;
        n->parts.push_back(std::move(first));
        while (acceptKeyword("or"))
            n->parts.push_back(parseAnd());
        return n;
    }

    NodePtr parseAnd()
    {
        NodePtr first = parseNot();
        if (!isKeyword(peek(), "and"))
            return first;
        auto n = std::make_unique<AndOr>();
        n->isAnd = true;
        n->parts.push_back(std::move(first));
        while (acceptKeyword("and"))
            n->parts.push_back(parseNot());
        return n;
    }

    NodePtr parseNot()
    {
        if (acceptKeyword("not")) {
            auto n = std::make_unique<Not>();
            n->inner = parseNot();
            return n;
        }
        return parsePredicate();
    }

    NodePtr parsePredicate()
    {
        if (peek().kind == Tok::LParen) {
            take();
            NodePtr inner = parseOr();
            if (peek().kind != Tok::RParen)
                syntaxError();
            take();
            return inner;
        }
        Operand left = parseOperand();
        if (acceptKeyword("is")) {
            const bool negate = acceptKeyword("not");
            if (!acceptKeyword("null"))
                syntaxError();
            if (left.field < 0)
                return std::make_unique<Constant>((left.literal.cat == Cat::Null) != negate);
            auto n = std::make_unique<IsNull>();
            n->field = left.field;
            n->type = left.type;
            n->negate = negate;
            return n;
        }
        bool notLike = false;
        if (isKeyword(peek(), "not") && isKeyword(peek(1), "like")) {
            take();
            notLike = true;
        }
        if (acceptKeyword("like")) {
            const Operand pattern = parseOperand();
            if (left.field < 0 || pattern.field >= 0 || pattern.literal.cat != Cat::Text)
                fail(QStringLiteral("like compara um campo com um texto entre apóstrofos"));
            return std::make_unique<Like>(left.field, left.type, notLike, pattern.literal.text);
        }
        if (peek().kind != Tok::Op)
            syntaxError();
        const QString opText = take().text;
        Op op = Op::Eq;
        if (opText == QLatin1String("="))
            op = Op::Eq;
        else if (opText == QLatin1String("<>") || opText == QLatin1String("!="))
            op = Op::Ne;
        else if (opText == QLatin1String("<"))
            op = Op::Lt;
        else if (opText == QLatin1String(">"))
            op = Op::Gt;
        else if (opText == QLatin1String("<="))
            op = Op::Le;
        else if (opText == QLatin1String(">="))
            op = Op::Ge;
        else
            fail(QStringLiteral("operador desconhecido \"%1\"").arg(opText));
        Operand right = parseOperand();
        return comparison(std::move(left), op, std::move(right));
    }

    Operand parseOperand()
    {
        Operand o;
        const Token t = peek();
        if (t.kind == Tok::End || t.kind == Tok::Op || t.kind == Tok::LParen || t.kind == Tok::RParen)
            syntaxError();
        take();
        if (t.kind == Tok::Minus) {
            if (peek().kind != Tok::Number)
                syntaxError();
            o.literal = numberLiteral(take().text, true);
            return o;
        }
        if (t.kind == Tok::Number) {
            o.literal = numberLiteral(t.text, false);
            return o;
        }
        if (t.kind == Tok::Text) {
            o.literal.cat = Cat::Text;
            o.literal.text = t.text;
            return o;
        }
        if (t.kind == Tok::Ident) {
            if (t.pos >= 0 && t.text.compare(QLatin1String("null"), Qt::CaseInsensitive) == 0)
                return o; // a null literal: compares false with anything
            const int idx = fieldIndex(t.text);
            if (idx < 0)
                fail(QStringLiteral("o campo \"%1\" não existe").arg(t.text));
            const Field *f = m_ds.field(idx);
            o.field = idx;
            o.type = f->type();
            o.lookup = f->kind() == FieldKind::Lookup;
            return o;
        }
        syntaxError();
    }

    int fieldIndex(const QString &name) const
    {
        for (int i = 0; i < m_ds.fieldCount(); ++i) {
            if (m_ds.field(i)->name().compare(name, Qt::CaseInsensitive) == 0)
                return i;
        }
        return -1;
    }

    Val numberLiteral(const QString &digits, bool negative) const
    {
        Val v;
        v.cat = Cat::Number;
        const int dot = int(digits.indexOf('.'));
        QString mantissa = digits;
        if (dot >= 0) {
            QString decimals = digits.mid(dot + 1);
            while (decimals.endsWith('0'))
                decimals.chop(1);
            mantissa = digits.left(dot) + decimals;
            v.scale = int(decimals.size());
        }
        bool ok = false;
        v.num = mantissa.toLongLong(&ok);
        if (!ok || v.scale > 9 || mantissa.size() > 17)
            fail(QStringLiteral("número fora do alcance \"%1\"").arg(digits));
        if (negative)
            v.num = -v.num;
        return v;
    }

    static bool parseDate(const QString &text, qint64 &stamp)
    {
        static const QRegularExpression dmy(QStringLiteral("^\\s*(\\d{1,2})/(\\d{1,2})/(\\d{2}|\\d{4})\\s*$"));
        static const QRegularExpression iso(QStringLiteral("^\\s*(\\d{4})-(\\d{1,2})-(\\d{1,2})\\s*$"));
        QDate d;
        QRegularExpressionMatch m = dmy.match(text);
        if (m.hasMatch()) {
            int year = m.captured(3).toInt();
            if (m.captured(3).size() == 2)
                year += year < 50 ? 2000 : 1900;
            d = QDate(year, m.captured(2).toInt(), m.captured(1).toInt());
        } else if ((m = iso.match(text)).hasMatch()) {
            d = QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        }
        if (!d.isValid())
            return false;
        stamp = d.toJulianDay() * kMsPerDay;
        return true;
    }

    // Turns a literal into the category of the field it is compared with.
    Val convertLiteral(const Val &lit, const Operand &field) const
    {
        const Cat want = catOf(field.type);
        const QString name = m_ds.field(field.field)->name();
        if (lit.cat == Cat::Null || lit.cat == want || (numeric(lit.cat) && numeric(want)))
            return lit;
        if (lit.cat == Cat::Text && want == Cat::Stamp) {
            Val v;
            v.cat = Cat::Stamp;
            if (!parseDate(lit.text, v.num))
                fail(QStringLiteral("\"%1\" não é uma data válida para o campo %2").arg(lit.text, name));
            return v;
        }
        if (lit.cat == Cat::Text && numeric(want)) {
            static const QRegularExpression plain(QStringLiteral("^\\s*-?\\d+([.,]\\d+)?\\s*$"));
            if (!plain.match(lit.text).hasMatch())
                fail(QStringLiteral("\"%1\" não é um número válido para o campo %2").arg(lit.text, name));
            QString t = lit.text.trimmed();
            const bool neg = t.startsWith('-');
            if (neg)
                t.remove(0, 1);
            t.replace(',', '.');
            return numberLiteral(t, neg);
        }
        fail(QStringLiteral("o valor não combina com o tipo do campo %1").arg(name));
    }

    NodePtr comparison(Operand left, Op op, Operand right)
    {
        if (left.field < 0 && right.field >= 0) {
            std::swap(left, right);
            op = flipped(op);
        }
        if (left.field < 0) {
            // Two literals: decided once.
            if (left.literal.cat == Cat::Null || right.literal.cat == Cat::Null)
                return std::make_unique<Constant>(false);
            const bool comparable = left.literal.cat == right.literal.cat
                                    || (numeric(left.literal.cat) && numeric(right.literal.cat));
            if (!comparable)
                fail(QStringLiteral("comparação entre valores de tipos diferentes"));
            return std::make_unique<Constant>(holds(op, compareVals(left.literal, right.literal)));
        }
        if (catOf(left.type) == Cat::Null)
            fail(QStringLiteral("o campo %1 não pode ser comparado").arg(m_ds.field(left.field)->name()));
        if (right.field < 0) {
            if (right.literal.cat == Cat::Null)
                return std::make_unique<Constant>(false);
            if (left.lookup && left.type == FieldType::String && right.literal.cat == Cat::Text
                && (op == Op::Eq || op == Op::Ne)) {
                auto n = std::make_unique<LookupPrefix>();
                n->field = left.field;
                n->negate = op == Op::Ne;
                n->prefix = right.literal.text;
                return n;
            }
            auto n = std::make_unique<FieldLiteralCompare>();
            n->field = left.field;
            n->type = left.type;
            n->op = op;
            n->literal = convertLiteral(right.literal, left);
            return n;
        }
        const Cat a = catOf(left.type), b = catOf(right.type);
        if (!(a == b || (numeric(a) && numeric(b))))
            fail(QStringLiteral("os campos %1 e %2 têm tipos diferentes")
                     .arg(m_ds.field(left.field)->name(), m_ds.field(right.field)->name()));
        auto n = std::make_unique<GeneralCompare>();
        n->left = std::move(left);
        n->right = std::move(right);
        n->op = op;
        return n;
    }

    QString m_src;
    const ClientDataSet &m_ds;
    std::vector<Token> m_tokens;
    int m_at = 0;
};

class CompiledFilter : public FilterExpression
{
public:
    explicit CompiledFilter(NodePtr root) : m_root(std::move(root)) {}
    bool matches(const ClientDataSet &ds, int physRow) const override
    {
        return m_root->eval(ds, physRow);
    }

private:
    NodePtr m_root;
};

} // namespace

std::shared_ptr<const FilterExpression> FilterExpression::compile(const QString &text,
                                                                  const ClientDataSet &ds)
{
    Parser parser(text, ds);
    return std::make_shared<CompiledFilter>(parser.parse());
}
