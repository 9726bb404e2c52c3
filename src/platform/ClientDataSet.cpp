#include "platform/ClientDataSet.h"
#include "platform/Errors.h"
#include "platform/FilterExpression.h"

#include <QLocale>
#include <QSet>
#include <QRegularExpression>
#include <algorithm>
#include <cstring>
#include <limits>

namespace {

bool isSqlIdentifier(const QString &s)
{
    static const QRegularExpression re(QStringLiteral("^[A-Za-z_][A-Za-z0-9_$]*$"));
    return re.match(s).hasMatch();
}

QString keyText(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return QString();
    if (v.metaType() == QMetaType::fromType<Money>())
        return QString::number(v.value<Money>().cents());
    if (v.metaType().id() == QMetaType::QDate)
        return QString::number(v.toDate().toJulianDay());
    return v.toString();
}

bool isNullValue(const QVariant &v) { return !v.isValid() || v.isNull(); }

bool sameValue(const QVariant &a, const QVariant &b)
{
    if (isNullValue(a) || isNullValue(b))
        return isNullValue(a) == isNullValue(b);
    if (a.metaType() == QMetaType::fromType<Money>() && b.metaType() == QMetaType::fromType<Money>())
        return a.value<Money>() == b.value<Money>();
    return a == b;
}

int compareValues(const QVariant &a, const QVariant &b, FieldType type)
{
    const bool an = !a.isValid() || a.isNull(), bn = !b.isValid() || b.isNull();
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    switch (type) {
    case FieldType::Integer: {
        const qint64 x = a.toLongLong(), y = b.toLongLong();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    case FieldType::Money: {
        const qint64 x = a.value<Money>().cents(), y = b.value<Money>().cents();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    case FieldType::Double: {
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    case FieldType::Date: {
        const qint64 x = a.toDate().toJulianDay(), y = b.toDate().toJulianDay();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    case FieldType::DateTime: {
        const QDateTime x = a.toDateTime(), y = b.toDateTime();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    default:
        return QString::compare(a.toString(), b.toString(), Qt::CaseInsensitive);
    }
}

} // namespace

// ---------------------------------------------------------------- Field

QVariant Field::value() const { return m_ds->currentValue(*this); }

bool Field::isNull() const
{
    const QVariant v = value();
    return !v.isValid() || v.isNull();
}

QString Field::asString() const
{
    const QVariant v = value();
    if (!v.isValid() || v.isNull())
        return QString();
    switch (m_type) {
    case FieldType::Money: return v.value<Money>().toPlainText();
    case FieldType::Date: return v.toDate().toString(QStringLiteral("dd/MM/yyyy"));
    default: return v.toString();
    }
}

qint64 Field::asInt() const { return isNull() ? 0 : value().toLongLong(); }

Money Field::asMoney() const
{
    const QVariant v = value();
    if (!v.isValid() || v.isNull())
        return Money();
    if (v.metaType() == QMetaType::fromType<Money>())
        return v.value<Money>();
    if (m_type == FieldType::Integer)
        return Money::fromCents(v.toLongLong() * 100);
    return Money::fromDouble(v.toDouble());
}

QDate Field::asDate() const
{
    const QVariant v = value();
    if (m_type == FieldType::DateTime)
        return v.toDateTime().date();
    return v.toDate();
}

bool Field::asBool() const { return asString().trimmed() == QLatin1String("S"); }

QString Field::displayText() const { return ClientDataSet::formatValue(*this, value()); }

void Field::setValue(const QVariant &v) { m_ds->setCurrentValue(*this, v); }

// ---------------------------------------------------------------- ClientDataSet

ClientDataSet::ClientDataSet(QObject *parent) : QObject(parent) {}

ClientDataSet::~ClientDataSet() = default;

void ClientDataSet::setParam(const QString &name, const QVariant &value)
{
    QString n = name;
    if (n.startsWith(':'))
        n = n.mid(1);
    m_params.insert(n.toUpper(), value);
}

QVariant ClientDataSet::param(const QString &name) const { return m_params.value(name.toUpper()); }

QString ClientDataSet::updateTable() const
{
    if (!m_updateTable.isEmpty())
        return m_updateTable;
    static const QRegularExpression re(QStringLiteral("\\bFROM\\s+([A-Za-z_][A-Za-z0-9_$]*)"),
                                       QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(m_sql);
    return m.hasMatch() ? m.captured(1).toUpper() : QString();
}

Field *ClientDataSet::addLookupField(const QString &name, const QString &keyField,
                                     ClientDataSet *lookupDs, const QString &lookupKey,
                                     const QString &resultField, FieldType type, int size)
{
    auto f = std::make_unique<Field>();
    f->m_name = name.toUpper();
    f->m_kind = FieldKind::Lookup;
    f->m_type = type;
    f->m_size = size;
    f->m_keyField = keyField.toUpper();
    f->m_lookupDs = lookupDs;
    f->m_lookupKey = lookupKey.toUpper();
    f->m_lookupResult = resultField.toUpper();
    f->m_updatable = false;
    Field *raw = f.get();
    m_extraDefs.push_back(std::move(f));
    return raw;
}

Field *ClientDataSet::addCalculatedField(const QString &name, FieldType type, int size, CalcFn fn)
{
    auto f = std::make_unique<Field>();
    f->m_name = name.toUpper();
    f->m_kind = FieldKind::Calculated;
    f->m_type = type;
    f->m_size = size;
    f->m_calc = std::move(fn);
    f->m_updatable = false;
    Field *raw = f.get();
    m_extraDefs.push_back(std::move(f));
    return raw;
}

void ClientDataSet::open()
{
    if (isOpen())
        return;
    if (!m_db)
        throw TarvoError(QStringLiteral("Conjunto de dados sem conexão com o banco."));
    if (m_master && m_master->isOpen()) {
        for (int i = 0; i < m_masterFields.size(); ++i)
            setParam(m_detailParams[i], m_master->isEmpty()
                                            ? QVariant()
                                            : m_master->value(m_masterFields[i]));
    }
    fetch();
    m_state = Browse;
    m_filterExpr.reset();
    if (m_filtered && !m_filterText.trimmed().isEmpty())
        m_filterExpr = FilterExpression::compile(m_filterText, *this);
    rebuildView(-1);
    m_cur = m_view.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_view.empty();
    emit stateChanged();
    emit rowsReset();
    emit afterOpen();
    emit afterScroll();
}

void ClientDataSet::fetch()
{
    // Previous field objects of data columns are rebuilt; lookup/calculated definitions stay.
    QHash<QString, std::pair<QString, bool>> labels; // preserve display labels / flags
    for (auto &f : m_fields)
        if (f->m_kind == FieldKind::Data)
            labels.insert(f->m_name, {f->m_label, f->m_required});
    m_fields.clear();
    m_cols.clear();
    m_status.clear();
    m_physCount = 0;
    m_log.clear();
    m_logIndex.clear();
    invalidateLookupCache();

    QVector<ColumnInfo> cols;
    m_db->query(
        m_sql, m_params,
        [&](const QVector<ColumnInfo> &c) {
            cols = c;
            for (int i = 0; i < c.size(); ++i) {
                auto f = std::make_unique<Field>();
                f->m_ds = this;
                f->m_name = c[i].name;
                f->m_type = c[i].type;
                f->m_size = c[i].size;
                f->m_required = c[i].required;
                f->m_fixedChar = c[i].fixedChar;
                f->m_smallInt = c[i].smallInt;
                f->m_store = i;
                auto it = labels.constFind(f->m_name);
                if (it != labels.constEnd()) {
                    f->m_label = it->first;
                    f->m_required = it->second || f->m_required;
                }
                m_fields.push_back(std::move(f));
                Column col;
                col.type = c[i].type;
                m_cols.push_back(std::move(col));
            }
        },
        [&](const QVariant *values) {
            const int p = addStorageRow();
            for (int i = 0; i < cols.size(); ++i)
                storeFetched(p, i, values[i]);
        });
    for (auto &def : m_extraDefs) {
        auto f = std::make_unique<Field>(*def);
        f->m_ds = this;
        m_fields.push_back(std::move(f));
    }
    for (int i = 0; i < int(m_fields.size()); ++i)
        m_fields[size_t(i)]->m_index = i;
    for (auto &f : m_fields)
        if (f->m_kind == FieldKind::Lookup)
            f->m_keyIndex = fieldIndex(f->m_keyField);
    // Sort fields are resolved again against the new field list.
    const QString sort = m_sortText;
    m_sortFields.clear();
    if (!sort.isEmpty())
        for (const QString &name : sort.split(';', Qt::SkipEmptyParts))
            if (Field *f = findField(name.trimmed()))
                m_sortFields.push_back(f->m_index);
}

void ClientDataSet::close()
{
    if (!isOpen())
        return;
    m_state = Inactive;
    m_view.clear();
    m_cur = -1;
    m_bof = m_eof = true;
    m_cols.clear();
    m_status.clear();
    m_physCount = 0;
    m_log.clear();
    m_logIndex.clear();
    m_editPhys = -1;
    invalidateLookupCache();
    emit stateChanged();
    emit rowsReset();
    emit afterClose();
}

void ClientDataSet::refresh()
{
    if (!isOpen()) {
        open();
        return;
    }
    if (isEditing())
        cancel();
    const int rec = m_cur;
    fetch();
    m_filterExpr.reset();
    if (m_filtered && !m_filterText.trimmed().isEmpty())
        m_filterExpr = FilterExpression::compile(m_filterText, *this);
    rebuildView(-1);
    m_cur = m_view.empty() ? -1 : std::clamp(rec, 0, int(m_view.size()) - 1);
    m_bof = m_cur <= 0;
    m_eof = m_view.empty();
    emit rowsReset();
    emit afterScroll();
}

Field *ClientDataSet::findField(const QString &name) const
{
    for (const auto &f : m_fields)
        if (f->m_name.compare(name, Qt::CaseInsensitive) == 0)
            return f.get();
    return nullptr;
}

Field *ClientDataSet::fieldByName(const QString &name) const
{
    Field *f = findField(name);
    if (!f)
        throw TarvoError(QStringLiteral("%1: Campo '%2' não encontrado")
                             .arg(objectName().isEmpty() ? QStringLiteral("Dataset") : objectName(),
                                  name));
    return f;
}

int ClientDataSet::fieldIndex(const QString &name) const
{
    Field *f = findField(name);
    return f ? f->m_index : -1;
}

// ---------------------------------------------------------------- storage

int ClientDataSet::addStorageRow()
{
    for (Column &c : m_cols) {
        switch (c.type) {
        case FieldType::String: c.strs.emplace_back(); break;
        case FieldType::Blob: c.blobs.emplace_back(); break;
        default: c.nums.push_back(0); break;
        }
        c.nulls.push_back(true);
    }
    m_status.push_back(RowStatus::Clean);
    return m_physCount++;
}

QVariant ClientDataSet::storeGet(int phys, int store) const
{
    const Column &c = m_cols[size_t(store)];
    if (c.nulls[size_t(phys)])
        return QVariant();
    switch (c.type) {
    case FieldType::Integer: return QVariant(c.nums[size_t(phys)]);
    case FieldType::Money: return QVariant::fromValue(Money::fromCents(c.nums[size_t(phys)]));
    case FieldType::Double: {
        double d;
        std::memcpy(&d, &c.nums[size_t(phys)], sizeof d);
        return d;
    }
    case FieldType::Date: return QDate::fromJulianDay(c.nums[size_t(phys)]);
    case FieldType::DateTime: return QDateTime::fromMSecsSinceEpoch(c.nums[size_t(phys)]);
    case FieldType::String: return c.strs[size_t(phys)];
    case FieldType::Blob: return c.blobs[size_t(phys)];
    }
    return QVariant();
}

void ClientDataSet::storeSet(int phys, int store, const QVariant &v)
{
    Column &c = m_cols[size_t(store)];
    const bool null = !v.isValid() || v.isNull();
    c.nulls[size_t(phys)] = null;
    switch (c.type) {
    case FieldType::Integer: c.nums[size_t(phys)] = null ? 0 : v.toLongLong(); break;
    case FieldType::Money:
        c.nums[size_t(phys)] = null ? 0
                               : v.metaType() == QMetaType::fromType<Money>()
                                   ? v.value<Money>().cents()
                                   : Money::fromDouble(v.toDouble()).cents();
        break;
    case FieldType::Double: {
        const double d = null ? 0.0 : v.toDouble();
        std::memcpy(&c.nums[size_t(phys)], &d, sizeof d);
        break;
    }
    case FieldType::Date: c.nums[size_t(phys)] = null ? 0 : v.toDate().toJulianDay(); break;
    case FieldType::DateTime:
        c.nums[size_t(phys)] = null ? 0 : v.toDateTime().toMSecsSinceEpoch();
        break;
    case FieldType::String: c.strs[size_t(phys)] = null ? QString() : v.toString(); break;
    case FieldType::Blob: c.blobs[size_t(phys)] = null ? QByteArray() : v.toByteArray(); break;
    }
}

// The fetch path: values arrive typed from the database layer, nulls invalid. Reading
// them straight out of the variant keeps the open of a large table cheap.
void ClientDataSet::storeFetched(int phys, int store, const QVariant &v)
{
    Column &c = m_cols[size_t(store)];
    if (!v.isValid())
        return; // rows start null
    c.nulls[size_t(phys)] = false;
    const int id = v.typeId();
    switch (c.type) {
    case FieldType::Integer:
        if (id == QMetaType::LongLong) {
            c.nums[size_t(phys)] = *static_cast<const qlonglong *>(v.constData());
            return;
        }
        break;
    case FieldType::Money:
        if (v.metaType() == QMetaType::fromType<Money>()) {
            c.nums[size_t(phys)] = static_cast<const Money *>(v.constData())->cents();
            return;
        }
        break;
    case FieldType::Date:
        if (id == QMetaType::QDate) {
            c.nums[size_t(phys)] = static_cast<const QDate *>(v.constData())->toJulianDay();
            return;
        }
        break;
    case FieldType::String:
        if (id == QMetaType::QString) {
            c.strs[size_t(phys)] = *static_cast<const QString *>(v.constData());
            return;
        }
        break;
    default:
        break;
    }
    storeSet(phys, store, v);
}

QVector<QVariant> ClientDataSet::snapshot(int phys) const
{
    QVector<QVariant> out(int(m_cols.size()));
    for (int i = 0; i < int(m_cols.size()); ++i)
        out[i] = storeGet(phys, i);
    return out;
}

void ClientDataSet::restore(int phys, const QVector<QVariant> &values)
{
    for (int i = 0; i < int(m_cols.size()) && i < values.size(); ++i)
        storeSet(phys, i, values[i]);
}

QVariant ClientDataSet::valueAt(int phys, int fieldIndex) const
{
    const Field &f = *m_fields[size_t(fieldIndex)];
    switch (f.m_kind) {
    case FieldKind::Data: return storeGet(phys, f.m_store);
    case FieldKind::Calculated: return f.m_calc ? f.m_calc(*this, phys) : QVariant();
    case FieldKind::Lookup: {
        const int k = f.m_keyIndex;
        if (k < 0 || !f.m_lookupDs)
            return QVariant();
        return f.m_lookupDs->lookup(f.m_lookupKey, valueAt(phys, k), f.m_lookupResult);
    }
    }
    return QVariant();
}

QString ClientDataSet::displayTextAt(int phys, int fieldIndex) const
{
    return formatValue(*m_fields[size_t(fieldIndex)], valueAt(phys, fieldIndex));
}

QString ClientDataSet::formatValue(const Field &f, const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return QString();
    switch (f.type()) {
    case FieldType::Money: {
        const Money m = v.metaType() == QMetaType::fromType<Money>() ? v.value<Money>()
                                                                     : Money::fromDouble(v.toDouble());
        return f.currency() ? m.toCurrencyText() : m.toGroupedText();
    }
    case FieldType::Date: return v.toDate().toString(QStringLiteral("dd/MM/yyyy"));
    case FieldType::DateTime: return v.toDateTime().toString(QStringLiteral("dd/MM/yyyy hh:mm:ss"));
    case FieldType::Double: return QLocale(QLocale::Portuguese, QLocale::Brazil).toString(v.toDouble());
    case FieldType::Blob: return QStringLiteral("(BLOB)");
    default: return v.toString();
    }
}

void ClientDataSet::forEachRow(const std::function<void(int)> &fn) const
{
    for (int p : m_view)
        fn(p);
}

QVariant ClientDataSet::currentValue(const Field &f) const
{
    const int p = currentPhysRow();
    if (p < 0)
        return QVariant();
    return valueAt(p, f.m_index);
}

QVariant ClientDataSet::convertIn(const Field &f, const QVariant &v) const
{
    if (!v.isValid() || v.isNull())
        return QVariant();
    if (v.metaType().id() == QMetaType::QString && v.toString().isEmpty() &&
        f.m_type != FieldType::String)
        return QVariant();
    auto invalid = [&]() {
        return TarvoError(QStringLiteral("'%1' não é um valor válido para o campo '%2'")
                              .arg(v.toString(), f.displayLabel()));
    };
    switch (f.m_type) {
    case FieldType::Integer: {
        bool ok = false;
        qint64 n;
        if (v.metaType() == QMetaType::fromType<Money>()) {
            n = v.value<Money>().cents() / 100;
            ok = true;
        } else if (v.metaType().id() == QMetaType::QString) {
            n = v.toString().trimmed().toLongLong(&ok);
        } else {
            n = v.toLongLong(&ok);
        }
        if (!ok)
            throw invalid();
        const qint64 lo = f.m_smallInt ? -32768 : std::numeric_limits<qint32>::min();
        const qint64 hi = f.m_smallInt ? 32767 : std::numeric_limits<qint32>::max();
        if (n < lo || n > hi)
            throw TarvoError(QStringLiteral("%1 não é um valor válido para o campo '%2'. "
                                            "A faixa permitida é de %3 a %4")
                                 .arg(n)
                                 .arg(f.displayLabel())
                                 .arg(lo)
                                 .arg(hi));
        return QVariant(n);
    }
    case FieldType::Money: {
        if (v.metaType() == QMetaType::fromType<Money>())
            return v;
        if (v.metaType().id() == QMetaType::QString) {
            const auto m = Money::parse(v.toString());
            if (!m)
                throw invalid();
            return QVariant::fromValue(*m);
        }
        if (v.metaType().id() == QMetaType::Int || v.metaType().id() == QMetaType::LongLong)
            return QVariant::fromValue(Money::fromCents(v.toLongLong() * 100));
        bool ok = false;
        const double d = v.toDouble(&ok);
        if (!ok)
            throw invalid();
        return QVariant::fromValue(Money::fromDouble(d));
    }
    case FieldType::Date: {
        if (v.metaType().id() == QMetaType::QDate)
            return v.toDate().isValid() ? v : QVariant();
        if (v.metaType().id() == QMetaType::QDateTime)
            return v.toDateTime().date();
        const QDate d = QDate::fromString(v.toString().trimmed(), QStringLiteral("dd/MM/yyyy"));
        if (!d.isValid())
            throw invalid();
        return d;
    }
    case FieldType::String: {
        QString s = v.toString();
        if (f.m_size > 0 && s.size() > f.m_size)
            s.truncate(f.m_size);
        return s;
    }
    default:
        return v;
    }
}

void ClientDataSet::setCurrentValue(Field &f, const QVariant &v)
{
    if (f.m_kind != FieldKind::Data)
        throw TarvoError(QStringLiteral("O campo '%1' não pode ser modificado").arg(f.displayLabel()));
    if (!isEditing())
        throw TarvoError(QStringLiteral("O conjunto de dados não está em modo de edição ou inserção"));
    const QVariant c = convertIn(f, v);
    storeSet(m_editPhys, f.m_store, c);
    invalidateLookupCache();
    emit fieldChanged(f.m_index);
}

// ---------------------------------------------------------------- cursor

void ClientDataSet::moveTo(int viewRow)
{
    if (m_view.empty()) {
        m_cur = -1;
        m_bof = m_eof = true;
        return;
    }
    viewRow = std::clamp(viewRow, 0, int(m_view.size()) - 1);
    const bool changed = viewRow != m_cur;
    m_cur = viewRow;
    if (changed)
        emit afterScroll();
}

void ClientDataSet::checkBrowse(const char *) const
{
    if (!isOpen())
        throw TarvoError(QStringLiteral("Operação não permitida: conjunto de dados fechado"));
}

void ClientDataSet::setRecNo(int row)
{
    checkBrowse("setRecNo");
    if (isEditing())
        post();
    m_bof = m_eof = false;
    moveTo(row);
}

void ClientDataSet::first()
{
    checkBrowse("first");
    if (isEditing())
        post();
    m_bof = true;
    m_eof = m_view.empty();
    moveTo(0);
    m_bof = true;
}

void ClientDataSet::last()
{
    checkBrowse("last");
    if (isEditing())
        post();
    m_eof = true;
    m_bof = m_view.empty();
    moveTo(int(m_view.size()) - 1);
    m_eof = true;
}

void ClientDataSet::next()
{
    checkBrowse("next");
    if (isEditing())
        post();
    if (m_view.empty() || m_cur >= int(m_view.size()) - 1) {
        m_eof = true;
        return;
    }
    m_bof = m_eof = false;
    moveTo(m_cur + 1);
}

void ClientDataSet::prior()
{
    checkBrowse("prior");
    if (isEditing())
        post();
    if (m_view.empty() || m_cur <= 0) {
        m_bof = true;
        return;
    }
    m_bof = m_eof = false;
    moveTo(m_cur - 1);
}

// ---------------------------------------------------------------- editing

void ClientDataSet::setState(State s)
{
    if (m_state == s)
        return;
    m_state = s;
    emit stateChanged();
}

void ClientDataSet::append()
{
    checkBrowse("append");
    if (isEditing())
        post();
    const int p = addStorageRow();
    m_view.push_back(p);
    m_cur = int(m_view.size()) - 1;
    m_bof = m_eof = false;
    m_editPhys = p;
    m_editSnapshot.clear();
    m_status[size_t(p)] = RowStatus::Inserted;
    setState(Insert);
    if (m_master && m_master->isOpen() && !m_master->isEmpty())
        for (int i = 0; i < m_masterFields.size(); ++i)
            if (Field *f = findField(m_detailParams[i]))
                storeSet(p, f->m_store, m_master->value(m_masterFields[i]));
    emit rowsReset();
    emit afterScroll();
    if (onNewRecord)
        onNewRecord(*this);
}

void ClientDataSet::insert()
{
    checkBrowse("insert");
    if (isEditing())
        post();
    const int p = addStorageRow();
    const int at = m_cur < 0 ? 0 : m_cur;
    m_view.insert(m_view.begin() + at, p);
    m_cur = at;
    m_bof = m_eof = false;
    m_editPhys = p;
    m_editSnapshot.clear();
    m_status[size_t(p)] = RowStatus::Inserted;
    setState(Insert);
    if (m_master && m_master->isOpen() && !m_master->isEmpty())
        for (int i = 0; i < m_masterFields.size(); ++i)
            if (Field *f = findField(m_detailParams[i]))
                storeSet(p, f->m_store, m_master->value(m_masterFields[i]));
    emit rowsReset();
    emit afterScroll();
    if (onNewRecord)
        onNewRecord(*this);
}

void ClientDataSet::edit()
{
    checkBrowse("edit");
    if (isEditing())
        return;
    if (m_view.empty())
        throw TarvoError(QStringLiteral("Não é possível alterar: não há registros"));
    m_editPhys = currentPhysRow();
    m_editSnapshot = snapshot(m_editPhys);
    setState(Edit);
}

void ClientDataSet::post()
{
    if (!isEditing())
        return;
    if (beforePost)
        beforePost(*this);
    for (const auto &f : m_fields) {
        if (f->m_kind == FieldKind::Data && f->m_required &&
            m_cols[size_t(f->m_store)].nulls[size_t(m_editPhys)])
            throw TarvoError(QStringLiteral("O campo '%1' precisa ter um valor").arg(f->displayLabel()));
    }
    const int p = m_editPhys;
    if (m_state == Insert) {
        logChange(p, RowStatus::Inserted);
    } else if (m_editSnapshot != snapshot(p)) {
        // Keep the values as last read: the apply step locates the row by them.
        if (!m_logIndex.contains(p)) {
            m_log.push_back({p, m_editSnapshot});
            m_logIndex.insert(p, int(m_log.size()) - 1);
            m_status[size_t(p)] = RowStatus::Modified;
        }
    }
    m_editPhys = -1;
    m_editSnapshot.clear();
    setState(Browse);
    invalidateLookupCache();
    if (!m_sortFields.empty() || m_filterExpr || m_filterFn) {
        rebuildView(p);
        emit rowsReset();
    }
    emit afterPost();
}

void ClientDataSet::cancel()
{
    if (!isEditing())
        return;
    const int p = m_editPhys;
    m_editPhys = -1;
    if (m_state == Insert) {
        m_status[size_t(p)] = RowStatus::Gone;
        auto it = std::find(m_view.begin(), m_view.end(), p);
        int at = int(it - m_view.begin());
        if (it != m_view.end())
            m_view.erase(it);
        m_cur = m_view.empty() ? -1 : std::min(at, int(m_view.size()) - 1);
        m_bof = m_cur <= 0;
        m_eof = m_view.empty();
        setState(Browse);
        emit rowsReset();
        emit afterCancel();
        emit afterScroll();
        return;
    }
    restore(p, m_editSnapshot);
    m_editSnapshot.clear();
    setState(Browse);
    invalidateLookupCache();
    emit rowsReset();
    emit afterCancel();
}

void ClientDataSet::deleteRecord()
{
    checkBrowse("delete");
    if (m_state == Insert) {
        cancel();
        return;
    }
    if (isEditing())
        cancel();
    if (m_view.empty())
        throw TarvoError(QStringLiteral("Não é possível excluir: não há registros"));
    if (beforeDelete)
        beforeDelete(*this);
    const int p = currentPhysRow();
    if (m_status[size_t(p)] == RowStatus::Inserted) {
        // Never written: it only leaves the log.
        m_status[size_t(p)] = RowStatus::Gone;
        const int at = m_logIndex.value(p, -1);
        if (at >= 0) {
            m_log.erase(m_log.begin() + at);
            m_logIndex.clear();
            for (int i = 0; i < int(m_log.size()); ++i)
                m_logIndex.insert(m_log[size_t(i)].phys, i);
        }
    } else {
        logChange(p, RowStatus::Deleted);
    }
    m_view.erase(m_view.begin() + m_cur);
    if (m_cur >= int(m_view.size()))
        m_cur = int(m_view.size()) - 1;
    m_bof = m_cur <= 0;
    m_eof = m_view.empty() || m_cur == int(m_view.size()) - 1;
    invalidateLookupCache();
    emit rowsReset();
    emit afterDelete();
    emit afterScroll();
}

void ClientDataSet::logChange(int phys, RowStatus status)
{
    if (!m_logIndex.contains(phys)) {
        m_log.push_back({phys, status == RowStatus::Inserted ? QVector<QVariant>() : snapshot(phys)});
        m_logIndex.insert(phys, int(m_log.size()) - 1);
        m_status[size_t(phys)] = status;
        return;
    }
    // A row already in the log: an insert stays an insert, otherwise the newest kind wins.
    if (m_status[size_t(phys)] != RowStatus::Inserted)
        m_status[size_t(phys)] = status;
}

// ---------------------------------------------------------------- apply

ApplyResult ClientDataSet::applyUpdates()
{
    ApplyResult result;
    if (isEditing())
        post();
    if (m_log.empty())
        return result;
    const QString table = updateTable();
    if (table.isEmpty() || !isSqlIdentifier(table))
        throw TarvoError(QStringLiteral("Tabela de atualização não definida"));

    QSet<QString> tableCols;
    QSet<QString> blobCols;
    for (const ColumnInfo &c : m_db->tableColumns(table)) {
        tableCols.insert(c.name);
        if (c.type == FieldType::Blob)
            blobCols.insert(c.name);
    }
    std::vector<const Field *> cols;
    for (const auto &f : m_fields)
        if (f->m_kind == FieldKind::Data && f->m_updatable && tableCols.contains(f->m_name) &&
            isSqlIdentifier(f->m_name))
            cols.push_back(f.get());

    // Locates the row as it was read: every comparable column, nulls included.
    auto whereClause = [&](const QVector<QVariant> &orig, SqlParams &params) {
        QStringList conds;
        for (const Field *f : cols) {
            if (blobCols.contains(f->m_name))
                continue;
            const QString p = QStringLiteral("O_%1").arg(f->m_index);
            const QVariant &v = orig[f->m_store];
            if (!v.isValid() || v.isNull()) {
                conds << QStringLiteral("%1 IS NULL").arg(f->m_name);
            } else {
                conds << QStringLiteral("%1 = :%2").arg(f->m_name, p);
                params.insert(p, v);
            }
        }
        return conds.join(QLatin1String(" AND "));
    };

    std::vector<int> written;
    std::vector<int> refused;
    DbTransaction tx(*m_db);
    for (const LogEntry &e : m_log) {
        const RowStatus st = m_status[size_t(e.phys)];
        try {
            SqlParams params;
            if (st == RowStatus::Inserted) {
                QStringList names, holders;
                for (const Field *f : cols) {
                    const QVariant v = storeGet(e.phys, f->m_store);
                    if (!v.isValid() || v.isNull())
                        continue;
                    const QString p = QStringLiteral("N_%1").arg(f->m_index);
                    names << f->m_name;
                    holders << QLatin1Char(':') + p;
                    params.insert(p, v);
                }
                m_db->exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                               .arg(table, names.join(QLatin1String(", ")),
                                    holders.join(QLatin1String(", "))),
                           params);
            } else if (st == RowStatus::Modified) {
                QStringList sets;
                for (const Field *f : cols) {
                    const QVariant now = storeGet(e.phys, f->m_store);
                    const QVariant &was = e.original[f->m_store];
                    if (sameValue(now, was))
                        continue;
                    const QString p = QStringLiteral("N_%1").arg(f->m_index);
                    sets << QStringLiteral("%1 = :%2").arg(f->m_name, p);
                    params.insert(p, now);
                }
                if (!sets.isEmpty()) {
                    const QString where = whereClause(e.original, params);
                    const int n = m_db->exec(QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                                                 .arg(table, sets.join(QLatin1String(", ")), where),
                                             params);
                    if (n == 0)
                        throw DbError(QStringLiteral("Registro alterado ou removido por outro usuário"), 0);
                }
            } else if (st == RowStatus::Deleted) {
                const QString where = whereClause(e.original, params);
                const int n = m_db->exec(QStringLiteral("DELETE FROM %1 WHERE %2").arg(table, where),
                                         params);
                if (n == 0)
                    throw DbError(QStringLiteral("Registro alterado ou removido por outro usuário"), 0);
            }
            written.push_back(e.phys);
            ++result.written;
        } catch (const DbError &err) {
            ApplyRefusal r;
            r.kind = st == RowStatus::Inserted  ? ApplyRefusal::Insert
                     : st == RowStatus::Deleted ? ApplyRefusal::Delete
                                                : ApplyRefusal::Update;
            r.message = err.message();
            r.sqlCode = err.sqlCode();
            result.refusals.append(r);
            refused.push_back(e.phys);
        }
    }
    tx.commit();

    // What was written becomes the rows as last read; refusals stay pending.
    std::vector<LogEntry> remaining;
    for (const LogEntry &e : m_log) {
        if (std::find(written.begin(), written.end(), e.phys) != written.end()) {
            m_status[size_t(e.phys)] =
                m_status[size_t(e.phys)] == RowStatus::Deleted ? RowStatus::Gone : RowStatus::Clean;
        } else {
            remaining.push_back(e);
        }
    }
    m_log = std::move(remaining);
    m_logIndex.clear();
    for (int i = 0; i < int(m_log.size()); ++i)
        m_logIndex.insert(m_log[size_t(i)].phys, i);
    return result;
}

void ClientDataSet::cancelUpdates()
{
    if (isEditing())
        cancel();
    if (m_log.empty())
        return;
    const int keep = currentPhysRow();
    for (const LogEntry &e : m_log) {
        RowStatus &st = m_status[size_t(e.phys)];
        if (st == RowStatus::Inserted) {
            st = RowStatus::Gone;
        } else {
            restore(e.phys, e.original);
            st = RowStatus::Clean;
        }
    }
    m_log.clear();
    m_logIndex.clear();
    invalidateLookupCache();
    rebuildView(keep);
    emit rowsReset();
    emit afterScroll();
}

// ---------------------------------------------------------------- view: filter and sort

bool ClientDataSet::rowVisible(int phys) const
{
    const RowStatus st = m_status[size_t(phys)];
    if (st == RowStatus::Deleted || st == RowStatus::Gone)
        return false;
    if (m_filterExpr && !m_filterExpr->matches(*this, phys))
        return false;
    if (m_filterFn && !m_filterFn(*this, phys))
        return false;
    return true;
}

int ClientDataSet::compareRows(int a, int b) const
{
    for (int fi : m_sortFields) {
        const Field &f = *m_fields[size_t(fi)];
        int c;
        if (f.m_kind == FieldKind::Data && f.m_type != FieldType::Double &&
            f.m_type != FieldType::Blob) {
            // Straight from the column storage: sorting 200,000 rows builds no QVariant.
            const Column &col = m_cols[size_t(f.m_store)];
            const bool an = col.nulls[size_t(a)], bn = col.nulls[size_t(b)];
            if (an || bn) {
                c = an == bn ? 0 : (an ? -1 : 1);
            } else if (f.m_type == FieldType::String) {
                const bool folded = size_t(f.m_store) < m_sortKeys.size() &&
                                    !m_sortKeys[size_t(f.m_store)].empty();
                c = !folded ? QString::compare(col.strs[size_t(a)], col.strs[size_t(b)],
                                                    Qt::CaseInsensitive)
                                 : m_sortKeys[size_t(f.m_store)][size_t(a)].compare(
                                       m_sortKeys[size_t(f.m_store)][size_t(b)]);
            } else {
                const qint64 x = col.nums[size_t(a)], y = col.nums[size_t(b)];
                c = x < y ? -1 : (x > y ? 1 : 0);
            }
        } else {
            c = compareValues(valueAt(a, fi), valueAt(b, fi), f.m_type);
        }
        if (c != 0)
            return c;
    }
    return 0;
}

void ClientDataSet::sortView()
{
    if (m_sortFields.empty())
        return;
    // Text columns are folded once, not at every comparison.
    m_sortKeys.assign(m_cols.size(), {});
    for (int fi : m_sortFields) {
        const Field &f = *m_fields[size_t(fi)];
        if (f.m_kind != FieldKind::Data || f.m_type != FieldType::String || m_view.size() < 64)
            continue;
        auto &keys = m_sortKeys[size_t(f.m_store)];
        const auto &strs = m_cols[size_t(f.m_store)].strs;
        keys.resize(strs.size());
        for (int p : m_view)
            keys[size_t(p)] = strs[size_t(p)].toCaseFolded();
    }
    std::stable_sort(m_view.begin(), m_view.end(),
                     [this](int a, int b) { return compareRows(a, b) < 0; });
    m_sortKeys.clear();
}

void ClientDataSet::rebuildView(int keepPhys)
{
    m_view.clear();
    m_view.reserve(size_t(m_physCount));
    for (int p = 0; p < m_physCount; ++p)
        if (rowVisible(p))
            m_view.push_back(p);
    sortView();
    if (m_view.empty()) {
        m_cur = -1;
        m_bof = m_eof = true;
        return;
    }
    int at = 0;
    if (keepPhys >= 0) {
        auto it = std::find(m_view.begin(), m_view.end(), keepPhys);
        if (it != m_view.end())
            at = int(it - m_view.begin());
    }
    m_cur = at;
    m_bof = at == 0;
    m_eof = false;
}

void ClientDataSet::setFilter(const QString &text)
{
    m_filterText = text;
    if (m_filtered && isOpen()) {
        setFiltered(false);
        setFiltered(true);
    }
}

void ClientDataSet::setFiltered(bool on)
{
    if (isEditing())
        post();
    if (!isOpen()) {
        m_filtered = on;
        return;
    }
    // A text that cannot be evaluated changes nothing.
    std::shared_ptr<const FilterExpression> expr;
    if (on && !m_filterText.trimmed().isEmpty())
        expr = FilterExpression::compile(m_filterText, *this);
    m_filtered = on;
    m_filterExpr = expr;
    rebuildView(currentPhysRow());
    emit rowsReset();
    emit afterScroll();
}

void ClientDataSet::setFilterFunction(std::function<bool(const ClientDataSet &, int)> fn)
{
    m_filterFn = std::move(fn);
    if (!isOpen())
        return;
    rebuildView(currentPhysRow());
    emit rowsReset();
    emit afterScroll();
}

void ClientDataSet::setIndexFieldNames(const QString &fields)
{
    std::vector<int> idx;
    for (const QString &name : fields.split(';', Qt::SkipEmptyParts))
        idx.push_back(fieldByName(name.trimmed())->m_index);
    if (isEditing())
        post();
    m_sortText = fields;
    m_sortFields = idx;
    if (!isOpen())
        return;
    rebuildView(currentPhysRow());
    emit rowsReset();
    emit afterScroll();
}

// ---------------------------------------------------------------- locate / lookup

bool ClientDataSet::locate(const QString &fields, const QVariantList &values, int options)
{
    checkBrowse("locate");
    QVector<int> idx;
    for (const QString &name : fields.split(';', Qt::SkipEmptyParts))
        idx.append(fieldByName(name.trimmed())->m_index);
    if (idx.size() != values.size())
        throw TarvoError(QStringLiteral("Locate: número de valores não confere"));
    const Qt::CaseSensitivity cs = (options & CaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (int r = 0; r < int(m_view.size()); ++r) {
        const int p = m_view[size_t(r)];
        bool all = true;
        for (int i = 0; i < idx.size() && all; ++i) {
            const Field &f = *m_fields[size_t(idx[i])];
            const QVariant v = valueAt(p, idx[i]);
            const QVariant &want = values[i];
            const bool vn = !v.isValid() || v.isNull();
            const bool wn = !want.isValid() || want.isNull();
            if (vn || wn) {
                all = vn && wn;
            } else if (f.m_type == FieldType::String) {
                const QString s = v.toString(), w = want.toString();
                all = (options & PartialKey) ? s.startsWith(w, cs) : s.compare(w, cs) == 0;
            } else {
                QVariant conv;
                try {
                    conv = convertIn(f, want);
                } catch (const TarvoError &) {
                    all = false;
                    break;
                }
                all = compareValues(v, conv, f.m_type) == 0;
            }
        }
        if (all) {
            if (isEditing())
                post();
            m_bof = m_eof = false;
            moveTo(r);
            return true;
        }
    }
    return false;
}

QVariant ClientDataSet::lookup(const QString &keyField, const QVariant &key,
                               const QString &resultField) const
{
    if (!isOpen())
        return QVariant();
    const Field *kf = findField(keyField);
    const Field *rf = findField(resultField);
    if (!kf || !rf)
        return QVariant();
    const QString k = keyText(key);
    if (k.isEmpty())
        return QVariant();
    auto it = m_lookupCache.find(kf->m_name);
    if (it == m_lookupCache.end()) {
        QHash<QString, int> index;
        for (int p = 0; p < m_physCount; ++p) {
            const RowStatus st = m_status[size_t(p)];
            if (st == RowStatus::Deleted || st == RowStatus::Gone)
                continue;
            const QString t = keyText(valueAt(p, kf->m_index));
            if (!t.isEmpty() && !index.contains(t))
                index.insert(t, p);
        }
        it = m_lookupCache.insert(kf->m_name, index);
    }
    const int p = it->value(k, -1);
    return p < 0 ? QVariant() : valueAt(p, rf->m_index);
}

void ClientDataSet::invalidateLookupCache() const { m_lookupCache.clear(); }

// ---------------------------------------------------------------- master/detail

void ClientDataSet::setMaster(ClientDataSet *master, const QStringList &masterFields,
                              const QStringList &detailParams)
{
    if (m_masterConn)
        disconnect(m_masterConn);
    m_master = master;
    m_masterFields = masterFields;
    m_detailParams = detailParams;
    if (master)
        m_masterConn = connect(master, &ClientDataSet::afterScroll, this, &ClientDataSet::masterMoved);
}

void ClientDataSet::masterMoved()
{
    if (!m_master || !isOpen() || m_master->isEditing())
        return;
    for (int i = 0; i < m_masterFields.size(); ++i)
        setParam(m_detailParams[i],
                 m_master->isEmpty() ? QVariant() : m_master->value(m_masterFields[i]));
    refresh();
}
