#pragma once

#include "platform/DbWidgets.h"

#include <QDate>
#include <optional>

class QCalendarWidget;

// A date that may be empty, typed as "DD/MM/YYYY" (also "D/M/YY", "DDMMYY", "DDMMYYYY"),
// with a drop-down calendar (the button or Alt+Down). Erasing the text empties the date.
class DbDateEdit : public DbLineEdit
{
    Q_OBJECT
public:
    explicit DbDateEdit(QWidget *parent = nullptr);

    // A null QDate for blank text, nullopt for text that is not a date. Two-digit years
    // are read in 1950..2049.
    static std::optional<QDate> parseDate(const QString &text);
    static int expandYear(int twoDigitYear) { return twoDigitYear < 50 ? 2000 + twoDigitYear : 1900 + twoDigitYear; }

    // Null when empty.
    QDate date() const;
    void setDate(const QDate &d);
    bool isEmpty() const { return date().isNull(); }

    void showCalendar();
    QCalendarWidget *calendar() const { return m_calendar; }

signals:
    void dateChanged(const QDate &date);

protected:
    std::optional<QVariant> parseText(const QString &text, QString *error) const override;
    QString formatValue(const QVariant &v, bool editing) const override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    void calendarPicked(const QDate &d);

    QCalendarWidget *m_calendar = nullptr;
};
