#pragma once

#include "platform/DbGrid.h"

#include <QDialog>
#include <QLineEdit>
#include <QVariant>
#include <functional>
#include <optional>

class ClientDataSet;
class DataLink;
class QSortFilterProxyModel;
class QTableView;

// Selection dialog over a lookup dataset: the list narrows as the user types the start of
// the display field; Enter (or a double click) picks the selected row, Escape cancels.
// The lookup dataset itself is left as it is (no filter, no cursor move).
class DbLookupDialog : public QDialog
{
    Q_OBJECT
public:
    DbLookupDialog(ClientDataSet *lookupDs, const QString &keyField, const QString &searchField,
                   const QVector<GridColumn> &columns, QWidget *parent = nullptr);

    QLineEdit *searchEdit() const { return m_search; }
    QTableView *view() const { return m_view; }
    void setSearchText(const QString &text);
    // Rows that match the typed text.
    int matchCount() const;
    // Selects the row whose key equals key, when it is listed.
    bool selectKey(const QVariant &key);
    // Selects the n-th listed row.
    void selectMatch(int n);
    // Key of the selected row; invalid when none.
    QVariant currentKey() const;

    // Shows the dialog and returns the chosen row's key; nullopt when cancelled.
    static std::optional<QVariant> pick(QWidget *parent, ClientDataSet *lookupDs,
                                        const QString &keyField, const QString &searchField,
                                        const QVector<GridColumn> &columns,
                                        const QString &caption, const QString &initialText,
                                        const QVariant &currentKey);

    // Tests replace the modal run: the hook gets the prepared dialog and returns whether
    // the selected row is picked.
    using RunHook = std::function<bool(DbLookupDialog &dialog)>;
    static void setRunHook(RunHook hook);

    void accept() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int currentPhysRow() const;

    ClientDataSet *m_ds;
    int m_keyIndex = -1;
    QLineEdit *m_search;
    QTableView *m_view;
    DataSetModel *m_model;
    QSortFilterProxyModel *m_proxy;
};

// Lookup picker bound to a code field: shows the display text of the current code from the
// lookup dataset and stores the code of the row chosen in the selection dialog. Typing a
// letter, F2, Alt+Down or the button open the dialog. Without a bound dataset it keeps the
// chosen code itself (value()).
class DbLookupCombo : public QLineEdit
{
    Q_OBJECT
public:
    explicit DbLookupCombo(QWidget *parent = nullptr);

    void bind(ClientDataSet *ds, const QString &codeField);
    DataLink *dataLink() const { return m_link; }
    // The list: its dataset, the key stored into the code field, the columns of the
    // dialog and the field shown (the first column's when empty).
    void setLookup(ClientDataSet *lookupDs, const QString &keyField,
                   const QVector<GridColumn> &columns, const QString &displayField = {});
    void setLookup(ClientDataSet *lookupDs, const QString &keyField, const QStringList &columnLines,
                   const QString &displayField = {})
    {
        setLookup(lookupDs, keyField, parseGridColumns(columnLines), displayField);
    }
    ClientDataSet *lookupDataSet() const { return m_lookupDs; }
    QString keyField() const { return m_keyField; }
    QString displayField() const { return m_displayField; }
    void setDialogCaption(const QString &caption) { m_caption = caption; }
    QString dialogCaption() const { return m_caption; }
    // When off, Delete and Backspace do not empty the value.
    void setAllowClear(bool on) { m_allowClear = on; }
    bool allowClear() const { return m_allowClear; }
    // When on, the dialog opens as the picker receives the focus.
    void setDropDownOnEnter(bool on) { m_dropDownOnEnter = on; }
    bool dropDownOnEnter() const { return m_dropDownOnEnter; }

    // The code held (null when none).
    QVariant value() const;
    // Bound: written to the current row when it is being edited.
    void setValue(const QVariant &code);
    void clearValue() { setValue(QVariant()); }
    // Another field of the lookup row of the current code.
    QVariant lookupValue(const QString &field) const;
    // Whether the user may change the value now.
    bool isEditable() const;

    // Opens the dialog (when editable); true when a row was picked.
    bool dropDown(const QString &initialText = {});
    void refresh();

signals:
    // The dialog closed; picked is false when it was cancelled.
    void closeUp(bool picked);
    void valueChanged(const QVariant &code);

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;

private:
    DataLink *m_link;
    ClientDataSet *m_lookupDs = nullptr;
    QList<QMetaObject::Connection> m_lookupConns;
    QString m_keyField, m_displayField, m_caption;
    QVector<GridColumn> m_columns;
    QVariant m_value; // unbound mode
    bool m_allowClear = true;
    bool m_dropDownOnEnter = false;
    bool m_inDialog = false;
};
