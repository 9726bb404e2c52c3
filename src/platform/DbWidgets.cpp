#include "platform/DbWidgets.h"

#include "platform/ClientDataSet.h"
#include "platform/DataLink.h"
#include "platform/MessageService.h"
#include "platform/Money.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QTimer>

UpperLineEdit::UpperLineEdit(QWidget *parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textEdited, this, [this](const QString &t) {
        if (!m_upper)
            return;
        const QString up = t.toUpper();
        if (up == t)
            return;
        const int pos = cursorPosition();
        setText(up);
        setCursorPosition(pos);
    });
}

// ---------------------------------------------------------------------------------------

DbLineEdit::DbLineEdit(QWidget *parent) : UpperLineEdit(parent), m_link(new DataLink(this))
{
    connect(m_link, &DataLink::editingChanged, this, &DbLineEdit::updateReadOnly);
    connect(m_link, &DataLink::recordChanged, this, &DbLineEdit::refresh);
    connect(this, &QLineEdit::textEdited, this, &DbLineEdit::textTyped);
    m_link->commit = [this] { return commit(); };
}

void DbLineEdit::bind(ClientDataSet *ds, const QString &fieldName)
{
    m_link->bind(ds, fieldName);
    if (!ds)
        setReadOnly(false);
}

Field *DbLineEdit::field() const { return m_link->field(); }

QVariant DbLineEdit::value() const { return m_link->isBound() ? m_link->value() : m_value; }

void DbLineEdit::setValue(const QVariant &v)
{
    if (m_link->isBound())
        m_link->write(v);
    else
        m_value = v;
    refresh();
}

void DbLineEdit::refresh()
{
    if (m_link->isBound())
        configureForField(m_link->field());
    m_dirty = false;
    setText(formatValue(value(), hasFocus() && !isReadOnly()));
}

void DbLineEdit::updateReadOnly()
{
    if (m_link->isBound())
        setReadOnly(!m_link->canModify());
}

void DbLineEdit::textTyped(const QString &)
{
    m_dirty = true;
    if (!m_link->isBound() || !m_link->canModify())
        return;
    // Keep the row in step while typing, so a save that skips commit() still sees the
    // text; invalid intermediate text is left for commit() to report.
    QString ignored;
    if (const auto v = parseText(text(), &ignored))
        m_link->write(*v, true);
}

bool DbLineEdit::commit()
{
    if (m_committing || !m_dirty)
        return true;
    if (m_link->isBound() && !m_link->canModify()) {
        refresh();
        return true;
    }
    QString error;
    const auto v = parseText(text(), &error);
    if (!v) {
        refuse(error);
        return false;
    }
    if (m_link->isBound()) {
        bool written;
        {
            QScopedValueRollback guard(m_committing, true);
            written = m_link->write(*v);
        }
        if (!written) {
            QTimer::singleShot(0, this, [this] {
                setFocus(Qt::OtherFocusReason);
                selectAll();
            });
            return false;
        }
    } else {
        m_value = *v;
    }
    m_dirty = false;
    if (!hasFocus())
        setText(formatValue(value(), false));
    emit valueCommitted(*v);
    return true;
}

void DbLineEdit::refuse(const QString &message)
{
    {
        // The box takes the focus; that must not validate a second time.
        QScopedValueRollback guard(m_committing, true);
        Msg::warning(message);
    }
    QTimer::singleShot(0, this, [this] {
        setFocus(Qt::OtherFocusReason);
        selectAll();
    });
}

std::optional<QVariant> DbLineEdit::parseText(const QString &text, QString *) const
{
    if (text.isEmpty())
        return QVariant();
    return QVariant(text);
}

QString DbLineEdit::formatValue(const QVariant &v, bool) const
{
    if (const Field *f = field(); f && m_link->dataSet()->currentPhysRow() >= 0)
        return f->asString();
    return v.isNull() ? QString() : v.toString();
}

void DbLineEdit::configureForField(const Field *) {}

void DbLineEdit::focusInEvent(QFocusEvent *e)
{
    if (!m_dirty && !isReadOnly())
        setText(formatValue(value(), true));
    UpperLineEdit::focusInEvent(e);
}

void DbLineEdit::focusOutEvent(QFocusEvent *e)
{
    // A message box or a popup taking the focus does not end the editing.
    const bool finished =
        e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason;
    if (finished)
        commit();
    UpperLineEdit::focusOutEvent(e);
    if (finished && !m_dirty)
        setText(formatValue(value(), false));
}

void DbLineEdit::keyPressEvent(QKeyEvent *e)
{
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && !commit()) {
        e->accept();
        return;
    }
    UpperLineEdit::keyPressEvent(e);
}

// ---------------------------------------------------------------------------------------

DbEdit::DbEdit(QWidget *parent) : DbLineEdit(parent) {}

void DbEdit::configureForField(const Field *f)
{
    const int size = f && f->type() == FieldType::String && f->size() > 0 ? f->size() : 32767;
    if (maxLength() != size)
        setMaxLength(size);
}

// ---------------------------------------------------------------------------------------

DbIntEdit::DbIntEdit(QWidget *parent) : DbLineEdit(parent)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setUpperCase(false);
}

void DbIntEdit::setRange(qint64 minimum, qint64 maximum)
{
    m_explicitRange = true;
    m_min = minimum;
    m_max = maximum;
}

qint64 DbIntEdit::minimum() const { return m_min; }
qint64 DbIntEdit::maximum() const { return m_max; }

void DbIntEdit::configureForField(const Field *f)
{
    if (m_explicitRange || !f)
        return;
    if (f->isSmallInt()) {
        m_min = -32768;
        m_max = 32767;
    } else {
        m_min = -2147483648LL;
        m_max = 2147483647LL;
    }
}

std::optional<QVariant> DbIntEdit::parseText(const QString &input, QString *error) const
{
    const QString t = input.trimmed();
    if (t.isEmpty())
        return QVariant();
    bool ok = false;
    const qint64 n = t.toLongLong(&ok);
    if (!ok) {
        *error = QStringLiteral("'%1' não é um valor válido").arg(t);
        return std::nullopt;
    }
    if (n < m_min || n > m_max) {
        *error = QStringLiteral("O valor '%1' está fora dos limites permitidos (%2 a %3)")
                     .arg(t)
                     .arg(m_min)
                     .arg(m_max);
        return std::nullopt;
    }
    return QVariant(qlonglong(n));
}

QString DbIntEdit::formatValue(const QVariant &v, bool) const
{
    if (v.isNull() || !v.isValid())
        return {};
    return QString::number(v.toLongLong());
}

// ---------------------------------------------------------------------------------------

DbMoneyEdit::DbMoneyEdit(QWidget *parent) : DbLineEdit(parent)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setUpperCase(false);
}

void DbMoneyEdit::setCurrency(bool on)
{
    m_currency = on;
    refresh();
}

static std::optional<Money> toMoney(const QVariant &v)
{
    if (v.isNull() || !v.isValid())
        return std::nullopt;
    if (v.canConvert<Money>() && v.userType() == qMetaTypeId<Money>())
        return v.value<Money>();
    if (v.userType() == QMetaType::Double)
        return Money::fromDouble(v.toDouble());
    return Money::parse(v.toString());
}

std::optional<QVariant> DbMoneyEdit::parseText(const QString &input, QString *error) const
{
    const QString t = input.trimmed();
    if (t.isEmpty())
        return QVariant();
    const auto m = Money::parse(t);
    if (!m) {
        *error = QStringLiteral("'%1' não é um valor válido").arg(t);
        return std::nullopt;
    }
    return QVariant::fromValue(*m);
}

QString DbMoneyEdit::formatValue(const QVariant &v, bool editing) const
{
    const auto m = toMoney(v);
    if (!m)
        return {};
    if (editing)
        return m->toPlainText();
    return m_currency ? m->toCurrencyText() : m->toGroupedText();
}

// ---------------------------------------------------------------------------------------

DbText::DbText(QWidget *parent) : QLabel(parent), m_link(new DataLink(this))
{
    connect(m_link, &DataLink::recordChanged, this, &DbText::refresh);
    setTextFormat(Qt::PlainText);
}

void DbText::bind(ClientDataSet *ds, const QString &fieldName) { m_link->bind(ds, fieldName); }

void DbText::refresh()
{
    const Field *f = m_link->field();
    setText(f && m_link->dataSet()->currentPhysRow() >= 0 ? f->displayText() : QString());
}

// ---------------------------------------------------------------------------------------

DbCheckBox::DbCheckBox(QWidget *parent) : DbCheckBox(QString(), parent) {}

DbCheckBox::DbCheckBox(const QString &text, QWidget *parent)
    : QCheckBox(text, parent), m_link(new DataLink(this))
{
    connect(m_link, &DataLink::recordChanged, this, &DbCheckBox::refresh);
    connect(this, &QAbstractButton::clicked, this, &DbCheckBox::userToggled);
}

void DbCheckBox::bind(ClientDataSet *ds, const QString &fieldName) { m_link->bind(ds, fieldName); }

bool DbCheckBox::isEditable() const { return !m_link->isBound() || m_link->canModify(); }

void DbCheckBox::refresh()
{
    if (!m_link->isBound())
        return;
    const Field *f = m_link->field();
    QScopedValueRollback guard(m_loading, true);
    setChecked(f && m_link->dataSet()->currentPhysRow() >= 0 && f->asBool());
}

void DbCheckBox::userToggled(bool checked)
{
    if (m_loading || !m_link->isBound())
        return;
    if (!m_link->canModify() || !m_link->write(checked ? QStringLiteral("S") : QStringLiteral("N")))
        refresh();
}

bool DbCheckBox::hitButton(const QPoint &pos) const
{
    return isEditable() && QCheckBox::hitButton(pos);
}

void DbCheckBox::keyPressEvent(QKeyEvent *e)
{
    if (!isEditable() && e->key() == Qt::Key_Space) {
        e->ignore();
        return;
    }
    QCheckBox::keyPressEvent(e);
}
