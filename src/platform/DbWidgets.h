#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QVariant>
#include <optional>

class ClientDataSet;
class DataLink;
class Field;

// One-line edit that turns letters into capitals as they are typed (names, logins and
// passwords are stored in capitals). Not bound to any dataset.
class UpperLineEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit UpperLineEdit(QWidget *parent = nullptr);
    void setUpperCase(bool on) { m_upper = on; }
    bool upperCase() const { return m_upper; }

private:
    bool m_upper = true;
};

// Base of the edits bound to one field: shows the current row's value, is read-only
// unless the dataset is inserting or editing, writes back as the user types (when the
// text is a valid value) and validates when editing finishes (Enter, focus leaving, or
// DataLink::updateRecord). A refused text is reported in a warning box; the row stays in
// edit and the focus stays here.
// Without a dataset it keeps its own value (value()/setValue()).
class DbLineEdit : public UpperLineEdit
{
    Q_OBJECT
public:
    explicit DbLineEdit(QWidget *parent = nullptr);
    void bind(ClientDataSet *ds, const QString &fieldName);
    DataLink *dataLink() const { return m_link; }
    Field *field() const;

    // The value shown: the field's on the current row, or the widget's own when unbound.
    QVariant value() const;
    // Unbound: sets the value; bound: writes it to the current row when editing.
    void setValue(const QVariant &v);
    // Validates and writes the typed text; false when refused (message shown).
    bool commit();
    // Shows the current value again, dropping what was typed.
    void refresh();

signals:
    // The user's text was accepted as the new value.
    void valueCommitted(const QVariant &value);

protected:
    // The value for a text; nullopt when refused, with the reason in *error.
    virtual std::optional<QVariant> parseText(const QString &text, QString *error) const;
    // The text for a value; editing is true while the user types in the widget.
    virtual QString formatValue(const QVariant &v, bool editing) const;
    virtual void configureForField(const Field *f);
    // Treats the current text as typed by the user.
    void userEdited() { textTyped(text()); }

    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    void textTyped(const QString &text);
    void updateReadOnly();
    void refuse(const QString &message);

    DataLink *m_link;
    QVariant m_value; // unbound mode
    bool m_dirty = false;
    bool m_committing = false;
};

// Text field edit: capitals as typed, at most the field's size.
class DbEdit : public DbLineEdit
{
    Q_OBJECT
public:
    explicit DbEdit(QWidget *parent = nullptr);

protected:
    void configureForField(const Field *f) override;
};

// Whole numbers; the range is the field's (SMALLINT or 32-bit) unless set.
class DbIntEdit : public DbLineEdit
{
    Q_OBJECT
public:
    explicit DbIntEdit(QWidget *parent = nullptr);
    void setRange(qint64 minimum, qint64 maximum);
    qint64 minimum() const;
    qint64 maximum() const;

protected:
    std::optional<QVariant> parseText(const QString &text, QString *error) const override;
    QString formatValue(const QVariant &v, bool editing) const override;
    void configureForField(const Field *f) override;

private:
    bool m_explicitRange = false;
    qint64 m_min = -2147483648LL, m_max = 2147483647LL;
};

// Amounts: "R$ 1.234,56" when not being edited, "1234,56" while typing.
class DbMoneyEdit : public DbLineEdit
{
    Q_OBJECT
public:
    explicit DbMoneyEdit(QWidget *parent = nullptr);
    // Without the currency sign the resting form is "1.234,56".
    void setCurrency(bool on);
    bool currency() const { return m_currency; }

protected:
    std::optional<QVariant> parseText(const QString &text, QString *error) const override;
    QString formatValue(const QVariant &v, bool editing) const override;

private:
    bool m_currency = true;
};

// A field shown and never edited (codes).
class DbText : public QLabel
{
    Q_OBJECT
public:
    explicit DbText(QWidget *parent = nullptr);
    void bind(ClientDataSet *ds, const QString &fieldName);
    DataLink *dataLink() const { return m_link; }
    void refresh();

private:
    DataLink *m_link;
};

// S/N flag: checked writes "S", unchecked "N"; an empty value shows unchecked.
class DbCheckBox : public QCheckBox
{
    Q_OBJECT
public:
    explicit DbCheckBox(QWidget *parent = nullptr);
    explicit DbCheckBox(const QString &text, QWidget *parent = nullptr);
    void bind(ClientDataSet *ds, const QString &fieldName);
    DataLink *dataLink() const { return m_link; }
    // Bound: the user may toggle it only while the dataset is inserting or editing.
    bool isEditable() const;
    void refresh();

protected:
    bool hitButton(const QPoint &pos) const override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    void userToggled(bool checked);

    DataLink *m_link;
    bool m_loading = false;
};
