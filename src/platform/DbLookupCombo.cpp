#include "platform/DbLookupCombo.h"

#include "platform/ClientDataSet.h"
#include "platform/DataLink.h"
#include "platform/DbWidgets.h"
#include "platform/Errors.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSortFilterProxyModel>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace {

DbLookupDialog::RunHook &runHook()
{
    static DbLookupDialog::RunHook hook;
    return hook;
}

// Keeps the rows whose display field starts with the typed text.
class PrefixProxy : public QSortFilterProxyModel
{
public:
    PrefixProxy(ClientDataSet *ds, int field, QObject *parent)
        : QSortFilterProxyModel(parent), m_ds(ds), m_field(field)
    {
    }
    void setPrefix(const QString &p)
    {
        m_prefix = p;
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex &) const override
    {
        if (m_prefix.isEmpty() || m_field < 0 || !m_ds || row >= m_ds->recordCount())
            return true;
        return m_ds->displayTextAt(m_ds->physRow(row), m_field)
            .startsWith(m_prefix, Qt::CaseInsensitive);
    }

private:
    ClientDataSet *m_ds;
    int m_field;
    QString m_prefix;
};

} // namespace

DbLookupDialog::DbLookupDialog(ClientDataSet *lookupDs, const QString &keyField,
                               const QString &searchField, const QVector<GridColumn> &columns,
                               QWidget *parent)
    : QDialog(parent), m_ds(lookupDs)
{
    m_keyIndex = lookupDs ? lookupDs->fieldIndex(keyField) : -1;
    const int searchIndex = lookupDs ? lookupDs->fieldIndex(searchField) : -1;

    m_search = new UpperLineEdit(this);
    m_model = new DataSetModel(lookupDs, this);
    m_model->setColumns(columns);
    m_model->setReadOnly(true);
    auto *proxy = new PrefixProxy(lookupDs, searchIndex, this);
    proxy->setSourceModel(m_model);
    m_proxy = proxy;

    m_view = new QTableView(this);
    m_view->setModel(m_proxy);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setWordWrap(false);
    m_view->verticalHeader()->hide();
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_view->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_view->setFocusPolicy(Qt::NoFocus);
    const int avg = fontMetrics().averageCharWidth();
    int total = 0;
    for (int i = 0; i < columns.size(); ++i) {
        const int w = std::max(columns[i].widthChars * avg + 8, 24);
        m_view->setColumnWidth(i, w);
        total += w;
    }
    connect(m_view, &QAbstractItemView::doubleClicked, this, &DbLookupDialog::accept);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &DbLookupDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &DbLookupDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_search);
    layout->addWidget(m_view);
    layout->addWidget(buttons);
    resize(std::clamp(total + 40, 300, 900), 400);

    connect(m_search, &QLineEdit::textChanged, this, [this](const QString &t) {
        static_cast<PrefixProxy *>(m_proxy)->setPrefix(t);
        selectMatch(0);
    });
    m_search->installEventFilter(this);
    m_search->setFocus();
}

void DbLookupDialog::setSearchText(const QString &text)
{
    m_search->setText(text);
    m_search->setCursorPosition(int(text.size()));
}

int DbLookupDialog::matchCount() const { return m_proxy->rowCount(); }

void DbLookupDialog::selectMatch(int n)
{
    if (n < 0 || n >= m_proxy->rowCount()) {
        m_view->selectionModel()->clear();
        return;
    }
    const QModelIndex idx = m_proxy->index(n, 0);
    m_view->selectionModel()->setCurrentIndex(
        idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_view->scrollTo(idx);
}

bool DbLookupDialog::selectKey(const QVariant &key)
{
    if (!m_ds || m_keyIndex < 0 || key.isNull() || !key.isValid())
        return false;
    const QString wanted = key.toString();
    for (int r = 0; r < m_proxy->rowCount(); ++r) {
        const int src = m_proxy->mapToSource(m_proxy->index(r, 0)).row();
        if (m_ds->valueAt(m_ds->physRow(src), m_keyIndex).toString() == wanted) {
            selectMatch(r);
            return true;
        }
    }
    return false;
}

int DbLookupDialog::currentPhysRow() const
{
    const QModelIndex idx = m_view->selectionModel()->currentIndex();
    if (!m_ds || !idx.isValid() || !m_view->selectionModel()->isRowSelected(idx.row(), {}))
        return -1;
    const int src = m_proxy->mapToSource(idx).row();
    return src >= 0 && src < m_ds->recordCount() ? m_ds->physRow(src) : -1;
}

QVariant DbLookupDialog::currentKey() const
{
    const int phys = currentPhysRow();
    return phys < 0 || m_keyIndex < 0 ? QVariant() : m_ds->valueAt(phys, m_keyIndex);
}

void DbLookupDialog::accept()
{
    // Enter on an empty list picks nothing and keeps the dialog open.
    if (currentPhysRow() < 0)
        return;
    QDialog::accept();
}

bool DbLookupDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_search && event->type() == QEvent::KeyPress) {
        auto *ke = static_cast<QKeyEvent *>(event);
        switch (ke->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown: {
            // The list moves while the typing stays in the search box.
            const int rows = m_proxy->rowCount();
            if (rows == 0)
                return true;
            const QModelIndex cur = m_view->selectionModel()->currentIndex();
            const int page = std::max(1, m_view->viewport()->height() /
                                             std::max(1, m_view->verticalHeader()->defaultSectionSize()));
            int r = cur.isValid() ? cur.row() : -1;
            if (ke->key() == Qt::Key_Up)
                r -= 1;
            else if (ke->key() == Qt::Key_Down)
                r += 1;
            else if (ke->key() == Qt::Key_PageUp)
                r -= page;
            else
                r += page;
            selectMatch(std::clamp(r, 0, rows - 1));
            return true;
        }
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void DbLookupDialog::setRunHook(RunHook hook) { runHook() = std::move(hook); }

std::optional<QVariant> DbLookupDialog::pick(QWidget *parent, ClientDataSet *lookupDs,
                                             const QString &keyField, const QString &searchField,
                                             const QVector<GridColumn> &columns,
                                             const QString &caption, const QString &initialText,
                                             const QVariant &currentKey)
{
    if (!lookupDs || !lookupDs->isOpen())
        return std::nullopt;
    DbLookupDialog dlg(lookupDs, keyField, searchField, columns, parent);
    dlg.setWindowTitle(caption);
    if (!initialText.isEmpty())
        dlg.setSearchText(initialText);
    else if (!dlg.selectKey(currentKey))
        dlg.selectMatch(0);
    bool picked;
    if (runHook())
        picked = runHook()(dlg) && dlg.currentPhysRow() >= 0;
    else
        picked = dlg.exec() == QDialog::Accepted;
    if (!picked)
        return std::nullopt;
    return dlg.currentKey();
}

// ---------------------------------------------------------------------------------------

DbLookupCombo::DbLookupCombo(QWidget *parent) : QLineEdit(parent), m_link(new DataLink(this))
{
    // The text is the lookup's, never typed: keys open the dialog instead.
    setReadOnly(true);
    QAction *drop = addAction(style()->standardIcon(QStyle::SP_ArrowDown), TrailingPosition);
    connect(drop, &QAction::triggered, this, [this] { dropDown(); });
    connect(m_link, &DataLink::recordChanged, this, &DbLookupCombo::refresh);
}

void DbLookupCombo::bind(ClientDataSet *ds, const QString &codeField)
{
    m_link->bind(ds, codeField);
}

void DbLookupCombo::setLookup(ClientDataSet *lookupDs, const QString &keyField,
                              const QVector<GridColumn> &columns, const QString &displayField)
{
    for (const auto &c : std::as_const(m_lookupConns))
        disconnect(c);
    m_lookupConns.clear();
    m_lookupDs = lookupDs;
    m_keyField = keyField;
    m_columns = columns;
    m_displayField = !displayField.isEmpty() ? displayField
                     : columns.isEmpty()     ? keyField
                                             : columns.first().field;
    if (lookupDs) {
        // A list read again (a quick-add dialog, say) may now hold the code's row.
        auto again = [this] { refresh(); };
        m_lookupConns << connect(lookupDs, &ClientDataSet::afterOpen, this, again)
                      << connect(lookupDs, &ClientDataSet::afterClose, this, again)
                      << connect(lookupDs, &ClientDataSet::rowsReset, this, again)
                      << connect(lookupDs, &QObject::destroyed, this, [this] {
                             m_lookupDs = nullptr;
                             m_lookupConns.clear();
                             refresh();
                         });
    }
    refresh();
}

QVariant DbLookupCombo::value() const { return m_link->isBound() ? m_link->value() : m_value; }

void DbLookupCombo::setValue(const QVariant &code)
{
    if (m_link->isBound()) {
        if (!m_link->canModify() || !m_link->write(code)) {
            refresh();
            return;
        }
    } else {
        m_value = code;
    }
    refresh();
    emit valueChanged(value());
}

QVariant DbLookupCombo::lookupValue(const QString &field) const
{
    const QVariant code = value();
    if (!m_lookupDs || code.isNull() || !code.isValid())
        return {};
    return m_lookupDs->lookup(m_keyField, code, field);
}

bool DbLookupCombo::isEditable() const
{
    if (!isEnabled())
        return false;
    return !m_link->isBound() || m_link->canModify();
}

void DbLookupCombo::refresh()
{
    QString shown;
    if (m_lookupDs) {
        const QVariant v = lookupValue(m_displayField);
        const Field *f = m_lookupDs->findField(m_displayField);
        if (!v.isNull() && v.isValid())
            shown = f ? ClientDataSet::formatValue(*f, v) : v.toString();
    }
    setText(shown);
    setCursorPosition(0);
}

bool DbLookupCombo::dropDown(const QString &initialText)
{
    if (m_inDialog || !isEditable() || !m_lookupDs)
        return false;
    std::optional<QVariant> key;
    {
        QScopedValueRollback guard(m_inDialog, true);
        key = DbLookupDialog::pick(this, m_lookupDs, m_keyField, m_displayField, m_columns,
                                   m_caption, initialText, value());
    }
    if (key) {
        setValue(*key);
        // The list's cursor rests on the chosen row, as screens read its other fields.
        try {
            m_lookupDs->locate(m_keyField, *key);
        } catch (const TarvoError &) {
        }
    }
    emit closeUp(key.has_value());
    return key.has_value();
}

void DbLookupCombo::keyPressEvent(QKeyEvent *e)
{
    const int key = e->key();
    if (key == Qt::Key_F2 || (key == Qt::Key_Down && (e->modifiers() & Qt::AltModifier))) {
        dropDown();
        e->accept();
        return;
    }
    if (key == Qt::Key_Delete || key == Qt::Key_Backspace) {
        if (m_allowClear && isEditable() && !value().isNull())
            clearValue();
        e->accept();
        return;
    }
    const QString t = e->text();
    const bool typed = !t.isEmpty() && t.at(0).isPrint() &&
                       !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (typed) {
        dropDown(t.toUpper());
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void DbLookupCombo::focusInEvent(QFocusEvent *e)
{
    QLineEdit::focusInEvent(e);
    // Coming back from the dialog or another window is not entering the picker.
    if (!m_dropDownOnEnter || m_inDialog || e->reason() == Qt::ActiveWindowFocusReason ||
        e->reason() == Qt::PopupFocusReason)
        return;
    QTimer::singleShot(0, this, [this] {
        if (hasFocus())
            dropDown();
    });
}
