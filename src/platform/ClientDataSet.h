#pragma once

#include "platform/Db.h"
#include "platform/FieldType.h"
#include "platform/Money.h"

#include <QDate>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

class ClientDataSet;
class FilterExpression;

enum class FieldKind { Data, Lookup, Calculated };

// One column of a dataset; the value accessors read and write the current row.
class Field
{
public:
    QString name() const { return m_name; }
    FieldType type() const { return m_type; }
    FieldKind kind() const { return m_kind; }
    int size() const { return m_size; }
    int index() const { return m_index; }
    bool isSmallInt() const { return m_smallInt; }
    bool required() const { return m_required; }
    void setRequired(bool r) { m_required = r; }
    QString displayLabel() const { return m_label.isEmpty() ? m_name : m_label; }
    void setDisplayLabel(const QString &l) { m_label = l; }
    bool isUpdatable() const { return m_updatable; }
    void setUpdatable(bool u) { m_updatable = u; }
    // Shown with "R$ " before the amount (money fields).
    bool currency() const { return m_currency; }
    void setCurrency(bool c) { m_currency = c; }
    ClientDataSet *dataSet() const { return m_ds; }

    QVariant value() const;
    bool isNull() const;
    QString asString() const;   // plain value as text ("" for null)
    qint64 asInt() const;       // 0 for null
    Money asMoney() const;      // 0 for null
    QDate asDate() const;
    bool asBool() const;        // S/N flag: true only for "S"
    QString displayText() const; // "1.234,56", "31/12/2006", ...

    // Converts to the field's type; throws TarvoError when the value does not fit.
    void setValue(const QVariant &v);
    void clear() { setValue(QVariant()); }

    // Lookup definition.
    QString lookupKeyField() const { return m_keyField; }
    ClientDataSet *lookupDataSet() const { return m_lookupDs; }
    QString lookupResultField() const { return m_lookupResult; }
    QString lookupTargetKey() const { return m_lookupKey; }

private:
    friend class ClientDataSet;
    ClientDataSet *m_ds = nullptr;
    QString m_name;
    QString m_label;
    FieldType m_type = FieldType::String;
    FieldKind m_kind = FieldKind::Data;
    int m_size = 0;
    int m_index = -1;
    int m_store = -1; // column in the row storage (data fields)
    int m_keyIndex = -1; // lookup fields: index of the key field in this dataset
    bool m_required = false;
    bool m_fixedChar = false;
    bool m_smallInt = false;
    bool m_updatable = true;
    bool m_currency = false;
    QString m_keyField, m_lookupKey, m_lookupResult;
    ClientDataSet *m_lookupDs = nullptr;
    std::function<QVariant(const ClientDataSet &, int)> m_calc;
};

// What one apply step could not write.
struct ApplyRefusal
{
    enum Kind { Insert, Update, Delete } kind;
    QString message;
    int sqlCode = 0; // 0 when the row had changed or vanished since it was read
};

struct ApplyResult
{
    int written = 0;
    QVector<ApplyRefusal> refusals;
    bool ok() const { return refusals.isEmpty(); }
};

// The in-memory copy of a query's rows that every screen edits: cursor, insert/edit/post,
// a change log applied in one step, filter, sort, locate, lookup and calculated fields,
// master/detail. Rows are stored by column; the visible order is a view over them.
class ClientDataSet : public QObject
{
    Q_OBJECT
public:
    enum State { Inactive, Browse, Insert, Edit };
    enum LocateOption { NoOptions = 0, CaseInsensitive = 1, PartialKey = 2 };

    explicit ClientDataSet(QObject *parent = nullptr);
    ~ClientDataSet() override;

    void setDb(Db *db) { m_db = db; }
    Db *db() const { return m_db; }
    void setCommandText(const QString &sql) { m_sql = sql; }
    QString commandText() const { return m_sql; }
    void setParam(const QString &name, const QVariant &value);
    QVariant param(const QString &name) const;
    // The table written by applyUpdates; taken from the first FROM when not set.
    void setUpdateTable(const QString &table) { m_updateTable = table.toUpper(); }
    QString updateTable() const;

    // Extra fields, defined before open.
    Field *addLookupField(const QString &name, const QString &keyField, ClientDataSet *lookupDs,
                          const QString &lookupKey, const QString &resultField,
                          FieldType type = FieldType::String, int size = 0);
    using CalcFn = std::function<QVariant(const ClientDataSet &ds, int physRow)>;
    Field *addCalculatedField(const QString &name, FieldType type, int size, CalcFn fn);

    void open();
    void close();
    // Reads the rows again (pending changes are dropped); keeps the cursor position.
    void refresh();
    bool isOpen() const { return m_state != Inactive; }
    State state() const { return m_state; }
    bool isEditing() const { return m_state == Insert || m_state == Edit; }

    // Fields.
    int fieldCount() const { return int(m_fields.size()); }
    Field *field(int i) const { return m_fields[size_t(i)].get(); }
    Field *findField(const QString &name) const;
    // Throws TarvoError when there is no such field.
    Field *fieldByName(const QString &name) const;
    int fieldIndex(const QString &name) const;
    QVariant value(const QString &name) const { return fieldByName(name)->value(); }
    void setValue(const QString &name, const QVariant &v) { fieldByName(name)->setValue(v); }

    // Cursor over the visible rows.
    int recordCount() const { return int(m_view.size()); }
    bool isEmpty() const { return m_view.empty(); }
    int recNo() const { return m_cur; } // 0-based, -1 when empty
    void setRecNo(int row);
    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }
    void first();
    void prior();
    void next();
    void last();

    // Editing.
    void append(); // new row at the end
    void insert(); // new row before the current one
    void edit();
    void post();
    void cancel();
    void deleteRecord();

    // Change log.
    bool hasPendingChanges() const { return !m_log.empty(); }
    int pendingChangeCount() const { return int(m_log.size()); }
    // Writes every pending change in one transaction, each statement on its own, and
    // commits; a row changed or deleted elsewhere since it was read is refused.
    ApplyResult applyUpdates();
    // Returns the rows to their state as last read or written.
    void cancelUpdates();

    // Filter ("( NOME like 'ABC%' )"); evaluated when filtered is on. A text that
    // cannot be evaluated raises TarvoError.
    void setFilter(const QString &text);
    QString filter() const { return m_filterText; }
    void setFiltered(bool on);
    bool filtered() const { return m_filtered; }
    // Additional in-code filter, combined with the text filter.
    void setFilterFunction(std::function<bool(const ClientDataSet &, int physRow)> fn);
    // Ascending sort by one or more fields separated by ";"; empty restores read order.
    void setIndexFieldNames(const QString &fields);
    QString indexFieldNames() const { return m_sortText; }

    // Search in the visible rows, from the first; moves the cursor when found.
    bool locate(const QString &fields, const QVariantList &values, int options = NoOptions);
    bool locate(const QString &field, const QVariant &value, int options = NoOptions)
    {
        return locate(field, QVariantList{value}, options);
    }
    // Value of resultField in the first row (of all rows, ignoring filter) whose keyField
    // equals key; the cursor does not move.
    QVariant lookup(const QString &keyField, const QVariant &key, const QString &resultField) const;

    // Master/detail: the detail's parameters named in detailParams take the master's
    // current values of masterFields, and the detail reads again when the master moves.
    // New detail rows take the same values into the fields of those names.
    void setMaster(ClientDataSet *master, const QStringList &masterFields,
                   const QStringList &detailParams);

    // Raw access by physical row, for grids, filters and reports.
    int physRow(int viewRow) const { return m_view[size_t(viewRow)]; }
    int currentPhysRow() const { return m_cur < 0 ? -1 : m_view[size_t(m_cur)]; }
    QVariant valueAt(int physRow, int fieldIndex) const;
    QString displayTextAt(int physRow, int fieldIndex) const;
    // Calls fn for each visible row in order, without moving the cursor.
    void forEachRow(const std::function<void(int physRow)> &fn) const;

    // Hooks: may throw AbortAction (or TarvoError) to refuse.
    std::function<void(ClientDataSet &)> beforePost;
    std::function<void(ClientDataSet &)> beforeDelete;
    std::function<void(ClientDataSet &)> onNewRecord;

    static QString formatValue(const Field &f, const QVariant &v);

signals:
    void afterOpen();
    void afterClose();
    void afterScroll();
    void afterPost();
    void afterCancel();
    void afterDelete();
    void stateChanged();
    // A value of the current row changed (field index).
    void fieldChanged(int fieldIndex);
    // The visible rows changed wholesale (open, filter, sort, insert, delete, refresh).
    void rowsReset();

private:
    friend class Field;
    friend class FilterExpression;
    struct Column
    {
        FieldType type;
        std::vector<qint64> nums;
        std::vector<QString> strs;
        std::vector<QByteArray> blobs;
        std::vector<bool> nulls;
    };
    enum class RowStatus : quint8 { Clean, Inserted, Modified, Deleted, Gone };

    int addStorageRow();
    QVariant storeGet(int phys, int store) const;
    void storeSet(int phys, int store, const QVariant &v);
    void storeFetched(int phys, int store, const QVariant &v);
    QVector<QVariant> snapshot(int phys) const;
    void restore(int phys, const QVector<QVariant> &values);
    QVariant convertIn(const Field &f, const QVariant &v) const;
    void logChange(int phys, RowStatus status);
    void rebuildView(int keepPhys);
    bool rowVisible(int phys) const;
    void sortView();
    int compareRows(int a, int b) const;
    void moveTo(int viewRow);
    void setState(State s);
    void checkBrowse(const char *what) const;
    void fetch();
    void masterMoved();
    void invalidateLookupCache() const;
    QVariant currentValue(const Field &f) const;
    void setCurrentValue(Field &f, const QVariant &v);

    Db *m_db = nullptr;
    QString m_sql;
    QString m_updateTable;
    SqlParams m_params;
    std::vector<std::unique_ptr<Field>> m_fields;
    std::vector<std::unique_ptr<Field>> m_extraDefs; // lookup/calculated, defined before open
    std::vector<Column> m_cols;
    std::vector<RowStatus> m_status;
    int m_physCount = 0;
    std::vector<int> m_view;
    int m_cur = -1;
    bool m_bof = true, m_eof = true;
    State m_state = Inactive;
    // Editing: the row's values before the edit began (to cancel), and whether it is new.
    QVector<QVariant> m_editSnapshot;
    int m_editPhys = -1;
    // Change log: physical row -> values as last read or written (empty for inserts).
    struct LogEntry { int phys; QVector<QVariant> original; };
    std::vector<LogEntry> m_log;
    QHash<int, int> m_logIndex; // phys -> position in m_log

    QString m_filterText;
    bool m_filtered = false;
    std::shared_ptr<const FilterExpression> m_filterExpr;
    std::function<bool(const ClientDataSet &, int)> m_filterFn;
    QString m_sortText;
    std::vector<int> m_sortFields;
    std::vector<std::vector<QString>> m_sortKeys; // folded text per column, while sorting

    ClientDataSet *m_master = nullptr;
    QStringList m_masterFields, m_detailParams;
    QMetaObject::Connection m_masterConn;

    mutable QHash<QString, QHash<QString, int>> m_lookupCache; // key field -> key text -> phys
};
