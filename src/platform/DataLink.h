#pragma once

#include "platform/ClientDataSet.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <functional>

// Ties one widget to one field of a dataset: tells the widget when to show the current row
// again and whether it may edit, and writes the widget's value back.
class DataLink : public QObject
{
    Q_OBJECT
public:
    explicit DataLink(QObject *parent = nullptr);
    ~DataLink() override;

    void bind(ClientDataSet *ds, const QString &fieldName);
    ClientDataSet *dataSet() const { return m_ds; }
    QString fieldName() const { return m_fieldName; }
    bool isBound() const { return m_ds != nullptr; }
    // Null while the dataset is closed or has no such field.
    Field *field() const;
    // True when there is a current row whose field may be written: the dataset is
    // inserting or editing and the field is a data field.
    bool canModify() const;
    QVariant value() const;
    // Writes to the current row; a value that does not fit is reported in a warning box
    // (unless quiet) and false is returned.
    bool write(const QVariant &v, bool quiet = false);

    // Set by the widget: validates and writes what the user typed; false when refused.
    std::function<bool()> commit;

    // Makes every widget bound to ds write what it holds; false when one of them refused
    // (it has shown why and holds the focus). Screens call it before posting.
    static bool updateRecord(ClientDataSet *ds);

signals:
    // The widget should show the current row again.
    void recordChanged();
    // Editing was switched on or off (canModify changed meaning).
    void editingChanged();

private:
    void detach();
    void fieldChangedAt(int index);

    QPointer<ClientDataSet> m_ds;
    QString m_fieldName;
    bool m_writing = false;
    QList<QMetaObject::Connection> m_conns;
};
