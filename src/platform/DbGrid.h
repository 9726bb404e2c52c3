#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QTableView>
#include <QVector>

class ClientDataSet;
class Field;

// One grid column: the field, its width in characters and its title.
struct GridColumn
{
    QString field;
    int widthChars = 10;
    QString title;
    bool checkBox = false; // S/N field shown as a check box
    bool editable = false;
};

// Parses the column list form "NOME\t60\tSECRETARIA *\tF" (field, width, title, read-only flag).
QVector<GridColumn> parseGridColumns(const QStringList &lines);

// Table model over the visible rows of a dataset.
class DataSetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    DataSetModel(ClientDataSet *ds, QObject *parent = nullptr);
    void setColumns(const QVector<GridColumn> &cols);
    const QVector<GridColumn> &columns() const { return m_cols; }
    ClientDataSet *dataSet() const { return m_ds; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

    // A read-only model edits no cell, whatever its columns say.
    void setReadOnly(bool on);
    bool isReadOnly() const { return m_readOnly; }
    // The dataset field shown in a column; null while closed or for an unknown field.
    Field *fieldOf(int column) const;
    bool isEditable(int column) const;

private:
    void reset();
    void refreshAll();
    void resolveFields();

    ClientDataSet *m_ds;
    QVector<GridColumn> m_cols;
    QVector<int> m_fieldIdx;
    int m_rowCount = 0;
    bool m_readOnly = false;
};

// Data grid: whole-row selection kept in step with the dataset's cursor, clickable titles.
class DbGrid : public QTableView
{
    Q_OBJECT
public:
    explicit DbGrid(QWidget *parent = nullptr);
    void setDataSet(ClientDataSet *ds);
    ClientDataSet *dataSet() const;
    void setColumns(const QVector<GridColumn> &cols);
    void setColumnList(const QStringList &lines) { setColumns(parseGridColumns(lines)); }
    // Title of the field's column; empty when the grid has no column for it.
    QString columnTitle(const QString &fieldName) const;
    DataSetModel *dataModel() const { return m_model; }
    // Column of the field, -1 when none.
    int columnOf(const QString &fieldName) const;
    // Read-only by default; when off, the columns marked editable can be typed into.
    void setReadOnly(bool on);
    bool isReadOnly() const { return m_readOnly; }

signals:
    void titleButtonClicked(const QString &fieldName);
    void rowDoubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent *e) override;

private:
    void applyWidths();
    void updateEditTriggers();
    void scheduleSync();
    void syncSelection();
    void currentRowMoved(const QModelIndex &current);

    DataSetModel *m_model = nullptr;
    ClientDataSet *m_ds = nullptr;
    QVector<GridColumn> m_cols;
    bool m_readOnly = true;
    bool m_syncPending = false;
    int m_lastColumn = 0;
    bool m_syncing = false;
};
