#include "platform/DbDateEdit.h"

#include "platform/DataLink.h"

#include <QAction>
#include <QCalendarWidget>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QStyle>

DbDateEdit::DbDateEdit(QWidget *parent) : DbLineEdit(parent)
{
    setUpperCase(false);
    setMaxLength(10);
    QAction *drop = addAction(style()->standardIcon(QStyle::SP_ArrowDown), TrailingPosition);
    drop->setToolTip(QStringLiteral("Calendário"));
    connect(drop, &QAction::triggered, this, &DbDateEdit::showCalendar);
    connect(this, &DbLineEdit::valueCommitted, this,
            [this](const QVariant &v) { emit dateChanged(v.toDate()); });
}

std::optional<QDate> DbDateEdit::parseDate(const QString &input)
{
    const QString t = input.trimmed();
    if (t.isEmpty())
        return QDate();
    int d = 0, m = 0, y = 0;
    static const QRegularExpression digitsOnly(QStringLiteral("^\\d+$"));
    if (digitsOnly.match(t).hasMatch()) {
        if (t.size() != 6 && t.size() != 8)
            return std::nullopt;
        d = t.left(2).toInt();
        m = t.mid(2, 2).toInt();
        y = t.size() == 6 ? expandYear(t.mid(4).toInt()) : t.mid(4).toInt();
    } else {
        static const QRegularExpression sep(QStringLiteral("[/.\\-]"));
        const QStringList parts = t.split(sep);
        if (parts.size() < 2 || parts.size() > 3)
            return std::nullopt;
        for (const QString &p : parts)
            if (!digitsOnly.match(p).hasMatch() || p.size() > 4)
                return std::nullopt;
        if (parts[0].size() > 2 || parts[1].size() > 2)
            return std::nullopt;
        d = parts[0].toInt();
        m = parts[1].toInt();
        if (parts.size() == 2) {
            y = QDate::currentDate().year();
        } else if (parts[2].size() <= 2) {
            y = expandYear(parts[2].toInt());
        } else if (parts[2].size() == 4) {
            y = parts[2].toInt();
        } else {
            return std::nullopt;
        }
    }
    const QDate date(y, m, d);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QDate DbDateEdit::date() const
{
    const QVariant v = value();
    return v.isNull() ? QDate() : v.toDate();
}

void DbDateEdit::setDate(const QDate &d) { setValue(d.isValid() ? QVariant(d) : QVariant()); }

std::optional<QVariant> DbDateEdit::parseText(const QString &text, QString *error) const
{
    const auto d = parseDate(text);
    if (!d) {
        *error = QStringLiteral("'%1' não é uma data válida").arg(text.trimmed());
        return std::nullopt;
    }
    return d->isNull() ? QVariant() : QVariant(*d);
}

QString DbDateEdit::formatValue(const QVariant &v, bool) const
{
    const QDate d = v.isNull() ? QDate() : v.toDate();
    return d.isValid() ? d.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}

void DbDateEdit::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Down && (e->modifiers() & Qt::AltModifier)) {
        showCalendar();
        return;
    }
    DbLineEdit::keyPressEvent(e);
}

void DbDateEdit::showCalendar()
{
    if (isReadOnly() || !isEnabled())
        return;
    if (!m_calendar) {
        m_calendar = new QCalendarWidget(this);
        m_calendar->setWindowFlags(Qt::Popup);
        m_calendar->setGridVisible(true);
        connect(m_calendar, &QCalendarWidget::clicked, this, &DbDateEdit::calendarPicked);
        connect(m_calendar, &QCalendarWidget::activated, this, &DbDateEdit::calendarPicked);
    }
    // Start from what is typed, when it is a date.
    const auto typed = parseDate(text());
    const QDate start = typed && typed->isValid() ? *typed : QDate::currentDate();
    m_calendar->setSelectedDate(start);
    m_calendar->adjustSize();
    m_calendar->move(mapToGlobal(QPoint(0, height())));
    m_calendar->show();
    m_calendar->setFocus(Qt::PopupFocusReason);
}

void DbDateEdit::calendarPicked(const QDate &d)
{
    if (m_calendar)
        m_calendar->hide();
    setText(formatValue(QVariant(d), hasFocus()));
    // Same path as typing, so the date is written and validated once.
    userEdited();
    commit();
    setFocus(Qt::PopupFocusReason);
}
