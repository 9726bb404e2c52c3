#include "platform/DbGrid.h"

#include "platform/ClientDataSet.h"
#include "platform/DbDateEdit.h"
#include "platform/DbWidgets.h"
#include "platform/Errors.h"
#include "platform/MessageService.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>

QVector<GridColumn> parseGridColumns(const QStringList &lines)
{
    QVector<GridColumn> cols;
    for (const QString &line : lines) {
        const QStringList parts = line.split('\t');
        GridColumn c;
        c.field = parts.value(0).trimmed();
        if (c.field.isEmpty())
            continue;
        bool ok = false;
        const int w = parts.value(1).trimmed().toInt(&ok);
        if (ok && w > 0)
            c.widthChars = w;
        c.title = parts.value(2);
        // The fourth item says whether the column is read-only ("T") or not ("F").
        c.editable = parts.value(3).trimmed().compare(QLatin1String("T"), Qt::CaseInsensitive) != 0;
        cols.append(c);
    }
    return cols;
}

// ---------------------------------------------------------------------------------------

DataSetModel::DataSetModel(ClientDataSet *ds, QObject *parent)
    : QAbstractTableModel(parent), m_ds(ds)
{
    if (!ds)
        return;
    connect(ds, &ClientDataSet::rowsReset, this, &DataSetModel::reset);
    connect(ds, &ClientDataSet::afterOpen, this, &DataSetModel::reset);
    connect(ds, &ClientDataSet::afterClose, this, &DataSetModel::reset);
    connect(ds, &ClientDataSet::afterPost, this, &DataSetModel::refreshAll);
    connect(ds, &ClientDataSet::afterCancel, this, &DataSetModel::refreshAll);
    connect(ds, &ClientDataSet::fieldChanged, this, [this](int) {
        const int row = m_ds->recNo();
        if (row >= 0 && row < m_rowCount && !m_cols.isEmpty())
            emit dataChanged(index(row, 0), index(row, int(m_cols.size()) - 1));
    });
    connect(ds, &QObject::destroyed, this, [this] {
        beginResetModel();
        m_ds = nullptr;
        m_rowCount = 0;
        endResetModel();
    });
    m_rowCount = ds->isOpen() ? ds->recordCount() : 0;
    resolveFields();
}

void DataSetModel::setColumns(const QVector<GridColumn> &cols)
{
    beginResetModel();
    m_cols = cols;
    resolveFields();
    endResetModel();
}

void DataSetModel::setReadOnly(bool on)
{
    if (m_readOnly == on)
        return;
    m_readOnly = on;
    if (m_rowCount > 0 && !m_cols.isEmpty())
        emit dataChanged(index(0, 0), index(m_rowCount - 1, int(m_cols.size()) - 1));
}

void DataSetModel::resolveFields()
{
    m_fieldIdx.fill(-1, m_cols.size());
    if (!m_ds || !m_ds->isOpen())
        return;
    for (int i = 0; i < m_cols.size(); ++i)
        m_fieldIdx[i] = m_ds->fieldIndex(m_cols[i].field);
}

void DataSetModel::reset()
{
    // Only the row count is taken: the rows themselves are read when painted.
    beginResetModel();
    m_rowCount = m_ds && m_ds->isOpen() ? m_ds->recordCount() : 0;
    resolveFields();
    endResetModel();
}

void DataSetModel::refreshAll()
{
    const int now = m_ds && m_ds->isOpen() ? m_ds->recordCount() : 0;
    if (now != m_rowCount) {
        reset();
        return;
    }
    if (m_rowCount > 0 && !m_cols.isEmpty())
        emit dataChanged(index(0, 0), index(m_rowCount - 1, int(m_cols.size()) - 1));
}

Field *DataSetModel::fieldOf(int column) const
{
    if (!m_ds || !m_ds->isOpen() || column < 0 || column >= m_fieldIdx.size())
        return nullptr;
    const int fi = m_fieldIdx[column];
    return fi < 0 ? nullptr : m_ds->field(fi);
}

bool DataSetModel::isEditable(int column) const
{
    const Field *f = fieldOf(column);
    return !m_readOnly && f && m_cols[column].editable && f->kind() == FieldKind::Data;
}

int DataSetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int DataSetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_cols.size());
}

QVariant DataSetModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !m_ds || !m_ds->isOpen())
        return {};
    const int row = index.row();
    const Field *f = fieldOf(index.column());
    if (!f || row >= m_ds->recordCount())
        return {};
    const bool check = m_cols[index.column()].checkBox;
    switch (role) {
    case Qt::DisplayRole:
        if (check)
            return {};
        return m_ds->displayTextAt(m_ds->physRow(row), f->index());
    case Qt::EditRole: {
        const QVariant v = m_ds->valueAt(m_ds->physRow(row), f->index());
        if (v.isNull() || !v.isValid())
            return QString();
        switch (f->type()) {
        case FieldType::Money:
            return v.value<Money>().toPlainText();
        case FieldType::Date:
            return v.toDate().toString(QStringLiteral("dd/MM/yyyy"));
        default:
            return v.toString();
        }
    }
    case Qt::CheckStateRole:
        if (!check)
            return {};
        return m_ds->valueAt(m_ds->physRow(row), f->index()).toString().trimmed() ==
                       QLatin1String("S")
                   ? Qt::Checked
                   : Qt::Unchecked;
    case Qt::TextAlignmentRole:
        if (check)
            return int(Qt::AlignCenter);
        switch (f->type()) {
        case FieldType::Money:
        case FieldType::Double:
        case FieldType::Integer:
            return int(Qt::AlignRight | Qt::AlignVCenter);
        default:
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        }
    default:
        return {};
    }
}

QVariant DataSetModel::headerData(int section, Qt::Orientation o, int role) const
{
    if (o != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= m_cols.size())
        return {};
    const GridColumn &c = m_cols[section];
    return c.title.isEmpty() ? c.field : c.title;
}

Qt::ItemFlags DataSetModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags fl = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (isEditable(index.column()))
        fl |= m_cols[index.column()].checkBox ? Qt::ItemIsUserCheckable : Qt::ItemIsEditable;
    return fl;
}

bool DataSetModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || !isEditable(index.column()) || index.row() >= m_ds->recordCount())
        return false;
    Field *f = fieldOf(index.column());
    const bool check = m_cols[index.column()].checkBox;
    QVariant v;
    if (check && role == Qt::CheckStateRole) {
        v = value.toInt() == Qt::Checked ? QStringLiteral("S") : QStringLiteral("N");
    } else if (!check && role == Qt::EditRole) {
        const QString text = value.toString().trimmed();
        if (!text.isEmpty()) {
            bool ok = true;
            switch (f->type()) {
            case FieldType::Money: {
                const auto m = Money::parse(text);
                ok = m.has_value();
                if (ok)
                    v = QVariant::fromValue(*m);
                break;
            }
            case FieldType::Date: {
                const auto d = DbDateEdit::parseDate(text);
                ok = d.has_value();
                if (ok)
                    v = *d;
                break;
            }
            case FieldType::Integer:
                v = qlonglong(text.toLongLong(&ok));
                break;
            default:
                v = value.toString();
            }
            if (!ok) {
                Msg::warning(QStringLiteral("'%1' não é um valor válido").arg(text));
                return false;
            }
        }
    } else {
        return false;
    }
    try {
        if (m_ds->recNo() != index.row())
            m_ds->setRecNo(index.row());
        if (m_ds->state() == ClientDataSet::Browse)
            m_ds->edit();
        f->setValue(v);
    } catch (const TarvoError &e) {
        Msg::warning(e.message());
        return false;
    } catch (const AbortAction &) {
        return false;
    }
    emit dataChanged(index, index);
    return true;
}

// ---------------------------------------------------------------------------------------

namespace {

// Text cells are typed in capitals and no longer than the field.
class GridDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        const auto *model = qobject_cast<const DataSetModel *>(index.model());
        const Field *f = model ? model->fieldOf(index.column()) : nullptr;
        if (!f)
            return QStyledItemDelegate::createEditor(parent, option, index);
        auto *e = new UpperLineEdit(parent);
        e->setFrame(false);
        if (f->type() == FieldType::String) {
            if (f->size() > 0)
                e->setMaxLength(f->size());
        } else {
            e->setUpperCase(false);
        }
        return e;
    }
};

} // namespace

DbGrid::DbGrid(QWidget *parent) : QTableView(parent)
{
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setEditTriggers(NoEditTriggers);
    setWordWrap(false);
    setSortingEnabled(false);
    setItemDelegate(new GridDelegate(this));
    // Fixed row heights: the view never measures rows, whatever their number.
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        if (section >= 0 && section < m_cols.size())
            emit titleButtonClicked(m_cols[section].field);
    });
}

void DbGrid::setDataSet(ClientDataSet *ds)
{
    if (m_ds)
        disconnect(m_ds, nullptr, this, nullptr);
    DataSetModel *old = m_model;
    m_ds = ds;
    m_model = new DataSetModel(ds, this);
    m_model->setColumns(m_cols);
    m_model->setReadOnly(m_readOnly);
    setModel(m_model);
    delete old;
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &DbGrid::currentRowMoved);
    connect(m_model, &QAbstractItemModel::modelReset, this, &DbGrid::scheduleSync);
    if (ds) {
        connect(ds, &ClientDataSet::afterScroll, this, &DbGrid::scheduleSync);
        connect(ds, &QObject::destroyed, this, [this] { m_ds = nullptr; });
    }
    applyWidths();
    scheduleSync();
}

ClientDataSet *DbGrid::dataSet() const { return m_ds; }

void DbGrid::setColumns(const QVector<GridColumn> &cols)
{
    m_cols = cols;
    if (m_model)
        m_model->setColumns(cols);
    applyWidths();
    updateEditTriggers();
    scheduleSync();
}

void DbGrid::setReadOnly(bool on)
{
    m_readOnly = on;
    if (m_model)
        m_model->setReadOnly(on);
    updateEditTriggers();
}

void DbGrid::updateEditTriggers()
{
    const bool anyEditable = std::any_of(m_cols.cbegin(), m_cols.cend(),
                                         [](const GridColumn &c) { return c.editable; });
    setEditTriggers(!m_readOnly && anyEditable ? DoubleClicked | SelectedClicked |
                                                     EditKeyPressed | AnyKeyPressed
                                               : NoEditTriggers);
}

QString DbGrid::columnTitle(const QString &fieldName) const
{
    for (const GridColumn &c : m_cols)
        if (c.field.compare(fieldName, Qt::CaseInsensitive) == 0)
            return c.title.isEmpty() ? c.field : c.title;
    return {};
}

int DbGrid::columnOf(const QString &fieldName) const
{
    for (int i = 0; i < m_cols.size(); ++i)
        if (m_cols[i].field.compare(fieldName, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void DbGrid::applyWidths()
{
    if (!m_model)
        return;
    const int avg = fontMetrics().averageCharWidth();
    for (int i = 0; i < m_cols.size(); ++i)
        setColumnWidth(i, std::max(m_cols[i].widthChars * avg + 8, 24));
}

void DbGrid::scheduleSync()
{
    // Many cursor moves in a row (a walk over the rows) cost one selection change.
    if (m_syncPending)
        return;
    m_syncPending = true;
    QMetaObject::invokeMethod(this, &DbGrid::syncSelection, Qt::QueuedConnection);
}

void DbGrid::syncSelection()
{
    m_syncPending = false;
    if (!m_model || !selectionModel())
        return;
    QScopedValueRollback guard(m_syncing, true);
    const int row = m_ds && m_ds->isOpen() ? m_ds->recNo() : -1;
    if (row < 0 || row >= m_model->rowCount() || m_model->columnCount() == 0) {
        selectionModel()->clear();
        return;
    }
    // A reset (filter, sort) forgets the current index; the column is kept for the keyboard.
    const int col = currentIndex().isValid() ? currentIndex().column() : std::max(m_lastColumn, 0);
    const QModelIndex idx = m_model->index(row, std::min(col, m_model->columnCount() - 1));
    if (currentIndex() != idx || !selectionModel()->isRowSelected(row, {}))
        selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect |
                                                   QItemSelectionModel::Rows);
    scrollTo(idx);
}

void DbGrid::currentRowMoved(const QModelIndex &current)
{
    if (current.isValid())
        m_lastColumn = current.column();
    if (m_syncing || !current.isValid() || !m_ds || !m_ds->isOpen())
        return;
    if (m_ds->recNo() == current.row())
        return;
    try {
        m_ds->setRecNo(current.row());
    } catch (const TarvoError &e) {
        Msg::warning(e.message());
        scheduleSync();
    } catch (const AbortAction &) {
        scheduleSync();
    }
}

void DbGrid::mouseDoubleClickEvent(QMouseEvent *e)
{
    QTableView::mouseDoubleClickEvent(e);
    emit rowDoubleClicked();
}
