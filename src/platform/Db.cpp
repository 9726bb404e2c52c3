#include "platform/Db.h"

QVector<QVariantMap> Db::rows(const QString &sql, const SqlParams &params)
{
    QVector<QVariantMap> out;
    QVector<ColumnInfo> cols;
    query(
        sql, params, [&](const QVector<ColumnInfo> &c) { cols = c; },
        [&](const QVariant *v) {
            QVariantMap m;
            for (int i = 0; i < cols.size(); ++i)
                m.insert(cols[i].name, v[i]);
            out.append(m);
        });
    return out;
}

QVariant Db::scalar(const QString &sql, const SqlParams &params)
{
    QVariant result;
    bool first = true;
    query(
        sql, params, [](const QVector<ColumnInfo> &) {},
        [&](const QVariant *v) {
            if (first)
                result = v[0];
            first = false;
        });
    return result;
}
