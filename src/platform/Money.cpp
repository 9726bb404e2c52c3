#include "platform/Money.h"

#include <cmath>

Money Money::fromDouble(double value)
{
    return fromCents(std::llround(value * 100.0));
}

std::optional<Money> Money::parse(const QString &input)
{
    QString t = input.trimmed();
    if (t.startsWith(QLatin1String("R$")))
        t = t.mid(2).trimmed();
    bool negative = false;
    if (t.startsWith('-')) {
        negative = true;
        t = t.mid(1).trimmed();
    }
    if (t.isEmpty())
        return std::nullopt;
    // The last comma or point followed by one or two digits is the decimal separator;
    // any other separator groups thousands.
    int dec = -1;
    const int lastComma = t.lastIndexOf(','), lastPoint = t.lastIndexOf('.');
    const int last = std::max(lastComma, lastPoint);
    if (last >= 0) {
        const int after = t.size() - last - 1;
        if (lastComma > lastPoint || (after > 0 && after <= 2 && t.count('.') == 1 && lastComma < 0))
            dec = last;
    }
    qint64 whole = 0;
    qint64 frac = 0;
    int fracDigits = 0;
    bool any = false;
    for (int i = 0; i < t.size(); ++i) {
        const QChar c = t.at(i);
        if (i == dec)
            continue;
        if (c == '.' || c == ',') {
            if (dec >= 0 && i > dec)
                return std::nullopt;
            continue;
        }
        if (!c.isDigit())
            return std::nullopt;
        any = true;
        if (dec >= 0 && i > dec) {
            if (++fracDigits > 2)
                return std::nullopt;
            frac = frac * 10 + c.digitValue();
        } else {
            if (whole > 9999999999999LL)
                return std::nullopt;
            whole = whole * 10 + c.digitValue();
        }
    }
    if (!any || whole > 9999999999999LL)
        return std::nullopt;
    if (fracDigits == 1)
        frac *= 10;
    const qint64 cents = whole * 100 + frac;
    return fromCents(negative ? -cents : cents);
}

static QString formatCents(qint64 cents, bool grouped, QChar decimal)
{
    const bool negative = cents < 0;
    const quint64 a = negative ? quint64(-cents) : quint64(cents);
    QString whole = QString::number(a / 100);
    if (grouped)
        for (int i = whole.size() - 3; i > 0; i -= 3)
            whole.insert(i, '.');
    const QString frac = QStringLiteral("%1").arg(a % 100, 2, 10, QChar('0'));
    return (negative ? QStringLiteral("-") : QString()) + whole + decimal + frac;
}

QString Money::toSqlText() const { return formatCents(m_cents, false, '.'); }
QString Money::toPlainText() const { return formatCents(m_cents, false, ','); }
QString Money::toGroupedText() const { return formatCents(m_cents, true, ','); }
QString Money::toCurrencyText() const { return QStringLiteral("R$ ") + toGroupedText(); }
