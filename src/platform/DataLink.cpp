#include "platform/DataLink.h"

#include "platform/ClientDataSet.h"
#include "platform/Errors.h"
#include "platform/MessageService.h"

#include <QMultiHash>

namespace {

QMultiHash<const ClientDataSet *, DataLink *> &registry()
{
    static QMultiHash<const ClientDataSet *, DataLink *> r;
    return r;
}

} // namespace

DataLink::DataLink(QObject *parent) : QObject(parent) {}

// Silent: the widget owning the link may be half destroyed already.
DataLink::~DataLink() { detach(); }

void DataLink::detach()
{
    for (const auto &c : std::as_const(m_conns))
        disconnect(c);
    m_conns.clear();
    registry().remove(m_ds.data(), this);
    m_ds = nullptr;
}

void DataLink::bind(ClientDataSet *ds, const QString &fieldName)
{
    detach();
    m_ds = ds;
    m_fieldName = fieldName;
    if (ds) {
        registry().insert(ds, this);
        auto changed = [this] { emit recordChanged(); };
        auto state = [this] {
            emit editingChanged();
            emit recordChanged();
        };
        m_conns << connect(ds, &ClientDataSet::afterScroll, this, changed)
                << connect(ds, &ClientDataSet::rowsReset, this, changed)
                << connect(ds, &ClientDataSet::afterPost, this, changed)
                << connect(ds, &ClientDataSet::afterCancel, this, changed)
                << connect(ds, &ClientDataSet::afterOpen, this, state)
                << connect(ds, &ClientDataSet::afterClose, this, state)
                << connect(ds, &ClientDataSet::stateChanged, this, state)
                << connect(ds, &ClientDataSet::fieldChanged, this, &DataLink::fieldChangedAt)
                << connect(ds, &QObject::destroyed, this, [this, ds] {
                       registry().remove(ds, this);
                       for (const auto &c : std::as_const(m_conns))
                           disconnect(c);
                       m_conns.clear();
                       m_ds = nullptr;
                       emit editingChanged();
                       emit recordChanged();
                   });
    }
    emit editingChanged();
    emit recordChanged();
}

Field *DataLink::field() const
{
    if (!m_ds || !m_ds->isOpen() || m_fieldName.isEmpty())
        return nullptr;
    return m_ds->findField(m_fieldName);
}

bool DataLink::canModify() const
{
    const Field *f = field();
    return f && m_ds->isEditing() && m_ds->currentPhysRow() >= 0 && f->kind() == FieldKind::Data;
}

QVariant DataLink::value() const
{
    const Field *f = field();
    if (!f || m_ds->currentPhysRow() < 0)
        return {};
    return f->value();
}

bool DataLink::write(const QVariant &v, bool quiet)
{
    Field *f = field();
    if (!f || !canModify())
        return false;
    // Our own write must not reload the widget while the user is typing in it.
    m_writing = true;
    try {
        f->setValue(v);
    } catch (const TarvoError &e) {
        m_writing = false;
        if (!quiet)
            Msg::warning(e.message());
        return false;
    }
    m_writing = false;
    return true;
}

void DataLink::fieldChangedAt(int index)
{
    if (m_writing)
        return;
    const Field *f = field();
    // Lookup and calculated fields follow the data fields they are computed from.
    if (!f || f->index() == index || f->kind() != FieldKind::Data)
        emit recordChanged();
}

bool DataLink::updateRecord(ClientDataSet *ds)
{
    const auto links = registry().values(ds);
    for (DataLink *l : links)
        if (l->commit && !l->commit())
            return false;
    return true;
}
