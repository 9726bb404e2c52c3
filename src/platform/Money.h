#pragma once

#include <QMetaType>
#include <QString>
#include <QtGlobal>
#include <optional>

// An exact amount of money held in integer cents (NUMERIC(15,2) in the database).
class Money
{
public:
    constexpr Money() = default;
    static constexpr Money fromCents(qint64 cents) { Money m; m.m_cents = cents; return m; }
    // Rounds a value delivered by the database driver (a double for NUMERIC) to cents.
    static Money fromDouble(double value);
    // Reads "1234,56", "1.234,56", "1234.56", "-3", "R$ 1.234,56"; empty optional if not a number.
    static std::optional<Money> parse(const QString &text);

    constexpr qint64 cents() const { return m_cents; }
    double toDouble() const { return double(m_cents) / 100.0; }
    // "1234.56": the form bound to SQL parameters, so the driver never rounds.
    QString toSqlText() const;
    // "1234,56" (no thousands separator, decimal comma).
    QString toPlainText() const;
    // "1.234,56".
    QString toGroupedText() const;
    // "R$ 1.234,56".
    QString toCurrencyText() const;

    constexpr Money operator+(Money o) const { return fromCents(m_cents + o.m_cents); }
    constexpr Money operator-(Money o) const { return fromCents(m_cents - o.m_cents); }
    constexpr Money operator-() const { return fromCents(-m_cents); }
    Money &operator+=(Money o) { m_cents += o.m_cents; return *this; }
    Money &operator-=(Money o) { m_cents -= o.m_cents; return *this; }
    constexpr auto operator<=>(const Money &) const = default;

private:
    qint64 m_cents = 0;
};

Q_DECLARE_METATYPE(Money)
