#include "platform/ClientDataSet.h"
#include "platform/Errors.h"
#include "support/TestDb.h"

#include <QtTest>

class TestDataSet : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDb> t;

    void seedSetores()
    {
        t->execScript("INSERT INTO SETOR (CDSETOR, NOME) VALUES (1, 'SAUDE');"
                      "INSERT INTO SETOR (CDSETOR, NOME) VALUES (2, 'EDUCACAO');"
                      "INSERT INTO SETOR (CDSETOR, NOME) VALUES (3, 'OBRAS')");
    }
    void openSetor(ClientDataSet &ds)
    {
        ds.setDb(&t->db());
        ds.setCommandText("SELECT * FROM SETOR ORDER BY CDSETOR");
        ds.open();
    }
    QVariant dbValue(const QString &sql) { return t->db().scalar(sql); }

private slots:
    void init() { t = std::make_unique<TestDb>(); }
    void cleanup() { t.reset(); }

    void opensTypedFieldsAndCursor()
    {
        seedSetores();
        ClientDataSet ds;
        openSetor(ds);
        QCOMPARE(ds.recordCount(), 3);
        QCOMPARE(ds.fieldByName("CDSETOR")->type(), FieldType::Integer);
        QVERIFY(ds.fieldByName("CDSETOR")->isSmallInt());
        QVERIFY(ds.fieldByName("CDSETOR")->required());
        QCOMPARE(ds.fieldByName("NOME")->size(), 40);
        QCOMPARE(ds.fieldByName("GASTOTOT")->type(), FieldType::Money);
        QVERIFY(ds.bof());
        QCOMPARE(ds.value("NOME").toString(), QString("SAUDE"));
        ds.next();
        ds.next();
        QVERIFY(!ds.eof());
        ds.next();
        QVERIFY(ds.eof());
        QCOMPARE(ds.recNo(), 2);
        ds.prior();
        QCOMPARE(ds.fieldByName("CDSETOR")->asInt(), 2);
        QVERIFY_THROWS_EXCEPTION(TarvoError, ds.fieldByName("NOPE"));
    }

    void emptyDataSetIsBofAndEof()
    {
        ClientDataSet ds;
        openSetor(ds);
        QVERIFY(ds.isEmpty());
        QVERIFY(ds.bof() && ds.eof());
        QCOMPARE(ds.recNo(), -1);
        QVERIFY(ds.fieldByName("NOME")->isNull());
    }

    void insertEditDeleteAreApplied()
    {
        seedSetores();
        ClientDataSet ds;
        openSetor(ds);
        ds.append();
        ds.setValue("CDSETOR", 10);
        ds.setValue("NOME", QString::fromUtf8("ASSISTÊNCIA"));
        ds.post();
        ds.locate("CDSETOR", 1);
        ds.edit();
        ds.setValue("NOME", "SAUDE PUBLICA");
        ds.post();
        ds.locate("CDSETOR", 3);
        ds.deleteRecord();
        QCOMPARE(ds.pendingChangeCount(), 3);
        const ApplyResult r = ds.applyUpdates();
        QVERIFY(r.ok());
        QCOMPARE(r.written, 3);
        QVERIFY(!ds.hasPendingChanges());
        QCOMPARE(dbValue("SELECT NOME FROM SETOR WHERE CDSETOR = 10").toString(),
                 QString::fromUtf8("ASSISTÊNCIA"));
        QCOMPARE(dbValue("SELECT NOME FROM SETOR WHERE CDSETOR = 1").toString(), QString("SAUDE PUBLICA"));
        QCOMPARE(dbValue("SELECT COUNT(*) FROM SETOR WHERE CDSETOR = 3").toInt(), 0);
        // Applied rows are the new base: a second edit is located by the written values.
        ds.locate("CDSETOR", 1);
        ds.edit();
        ds.setValue("NOME", "SAUDE");
        QVERIFY(ds.applyUpdates().ok());
        QCOMPARE(dbValue("SELECT NOME FROM SETOR WHERE CDSETOR = 1").toString(), QString("SAUDE"));
    }

    void refusedWriteIsReportedOthersStayWritten()
    {
        seedSetores();
        t->execScript("INSERT INTO FORNECEDOR (CDFORNECEDOR, NOME, CDSETOR) VALUES (1, 'X', 2)");
        ClientDataSet ds;
        openSetor(ds);
        ds.locate("CDSETOR", 2);
        ds.deleteRecord(); // referenced by the supplier: refused
        ds.locate("CDSETOR", 3);
        ds.deleteRecord();
        const ApplyResult r = ds.applyUpdates();
        QCOMPARE(r.refusals.size(), 1);
        QCOMPARE(r.refusals[0].kind, ApplyRefusal::Delete);
        QCOMPARE(r.refusals[0].sqlCode, -530);
        QCOMPARE(r.written, 1);
        QCOMPARE(dbValue("SELECT COUNT(*) FROM SETOR").toInt(), 2);
        QCOMPARE(ds.pendingChangeCount(), 1);
        ds.cancelUpdates();
        QCOMPARE(ds.recordCount(), 2);
        QVERIFY(ds.locate("CDSETOR", 2));
        QCOMPARE(ds.value("NOME").toString(), QString("EDUCACAO"));
    }

    void duplicateKeyInsertIsRefused()
    {
        seedSetores();
        ClientDataSet ds;
        openSetor(ds);
        ds.append();
        ds.setValue("CDSETOR", 1);
        ds.setValue("NOME", "OUTRO");
        const ApplyResult r = ds.applyUpdates();
        QCOMPARE(r.refusals.size(), 1);
        QCOMPARE(r.refusals[0].sqlCode, -803);
        ds.cancelUpdates();
        QCOMPARE(ds.recordCount(), 3);
    }

    void rowChangedElsewhereIsNotOverwritten_data()
    {
        QTest::addColumn<bool>("deleteIt");
        QTest::newRow("update") << false;
        QTest::newRow("delete") << true;
    }
    void rowChangedElsewhereIsNotOverwritten()
    {
        QFETCH(bool, deleteIt);
        seedSetores();
        ClientDataSet ds;
        openSetor(ds);
        auto other = t->connectAgain();
        other->exec("UPDATE SETOR SET NOME = 'MUDOU' WHERE CDSETOR = 1");
        ds.locate("CDSETOR", 1);
        if (deleteIt) {
            ds.deleteRecord();
        } else {
            ds.edit();
            ds.setValue("NOME", "MEU");
            ds.post();
        }
        const ApplyResult r = ds.applyUpdates();
        QCOMPARE(r.refusals.size(), 1);
        QCOMPARE(dbValue("SELECT NOME FROM SETOR WHERE CDSETOR = 1").toString(), QString("MUDOU"));
    }

    void nullOriginalValuesStillLocateTheRow()
    {
        t->execScript("INSERT INTO SETOR (CDSETOR) VALUES (4)");
        ClientDataSet ds;
        openSetor(ds);
        ds.edit();
        ds.setValue("NOME", "NOVO");
        QVERIFY(ds.applyUpdates().ok());
        QCOMPARE(dbValue("SELECT NOME FROM SETOR WHERE CDSETOR = 4").toString(), QString("NOVO"));
    }

    void cancelRestoresEditAndDropsInsert()
    {
        seedSetores();
        ClientDataSet ds;
        openSetor(ds);
        ds.edit();
        ds.setValue("NOME", "TEMP");
        ds.cancel();
        QCOMPARE(ds.value("NOME").toString(), QString("SAUDE"));
        ds.append();
        ds.setValue("CDSETOR", 9);
        QCOMPARE(ds.recordCount(), 4);
        ds.cancel();
        QCOMPARE(ds.recordCount(), 3);
        QCOMPARE(ds.state(), ClientDataSet::Browse);
        QVERIFY(!ds.hasPendingChanges());
        // Cancelling pending (posted) changes brings the read rows back.
        ds.first();
        ds.edit();
        ds.setValue("NOME", "X");
        ds.post();
        ds.last();
        ds.deleteRecord();
        ds.cancelUpdates();
        QCOMPARE(ds.recordCount(), 3);
        ds.first();
        QCOMPARE(ds.value("NOME").toString(), QString("SAUDE"));
        QCOMPARE(dbValue("SELECT COUNT(*) FROM SETOR").toInt(), 3);
    }

    void requiredFieldRefusesPost()
    {
        ClientDataSet ds;
        openSetor(ds);
        ds.append();
        ds.setValue("NOME", "SEM CODIGO");
        QVERIFY_THROWS_EXCEPTION(TarvoError, ds.post());
        QVERIFY(ds.isEditing());
    }

    void valuesAreConvertedAndChecked()
    {
        seedSetores();
        ClientDataSet ds;
        openSetor(ds);
        ds.edit();
        QVERIFY_THROWS_EXCEPTION(TarvoError, ds.setValue("CDSETOR", 40000));
        QVERIFY_THROWS_EXCEPTION(TarvoError, ds.setValue("GASTOTOT", "abc"));
        ds.setValue("GASTOTOT", "1.234,56");
        QCOMPARE(ds.fieldByName("GASTOTOT")->asMoney().cents(), 123456);
        ds.setValue("NOME", QString(60, 'A'));
        QCOMPARE(ds.value("NOME").toString().size(), 40);
        ds.cancel();
        QVERIFY_THROWS_EXCEPTION(TarvoError, ds.setValue("NOME", "fora de edicao"));
    }

    void moneyRoundTripIsExact_data()
    {
        QTest::addColumn<qint64>("cents");
        QTest::newRow("one cent") << qint64(1);
        QTest::newRow("largest") << qint64(999999999999999LL);
        QTest::newRow("negative") << qint64(-29);
        QTest::newRow("0.29") << qint64(29);
        QTest::newRow("1.13") << qint64(113);
    }
    void moneyRoundTripIsExact()
    {
        QFETCH(qint64, cents);
        ClientDataSet ds;
        openSetor(ds);
        ds.append();
        ds.setValue("CDSETOR", 1);
        ds.setValue("GASTOTOT", QVariant::fromValue(Money::fromCents(cents)));
        QVERIFY(ds.applyUpdates().ok());
        QCOMPARE(dbValue("SELECT CAST(GASTOTOT * 100 AS BIGINT) FROM SETOR").toLongLong(), cents);
        ClientDataSet again;
        openSetor(again);
        QCOMPARE(again.fieldByName("GASTOTOT")->asMoney().cents(), cents);
        // And the row is found again by its exact amount.
        again.edit();
        again.setValue("NOME", "OK");
        QVERIFY(again.applyUpdates().ok());
    }

    void charFlagsAreTrimmed()
    {
        t->execScript("INSERT INTO GERAL (CDGERAL, USA_LIMITE_ATIVIDADE) VALUES (1, 'S')");
        ClientDataSet ds;
        ds.setDb(&t->db());
        ds.setCommandText("SELECT * FROM GERAL");
        ds.open();
        QCOMPARE(ds.value("USA_LIMITE_ATIVIDADE").toString(), QString("S"));
        QVERIFY(ds.fieldByName("USA_LIMITE_ATIVIDADE")->asBool());
        QCOMPARE(ds.fieldByName("USA_LIMITE_ATIVIDADE")->size(), 1);
    }

    void parametersSplitBySecretariat()
    {
        seedSetores();
        t->execScript("INSERT INTO FORNECEDOR (CDFORNECEDOR, NOME, CDSETOR) VALUES (1, 'A', 1);"
                      "INSERT INTO FORNECEDOR (CDFORNECEDOR, NOME, CDSETOR) VALUES (2, 'B', 2);"
                      "INSERT INTO FORNECEDOR (CDFORNECEDOR, NOME, CDSETOR) VALUES (3, 'C', 2)");
        ClientDataSet ds;
        ds.setDb(&t->db());
        ds.setCommandText("SELECT *\r\nFROM FORNECEDOR\r\n\r\nWHERE CDSETOR = :CODSETOR\r\n\r\nORDER BY NOME");
        ds.setParam("CODSETOR", 2);
        ds.open();
        QCOMPARE(ds.recordCount(), 2);
        QCOMPARE(ds.updateTable(), QString("FORNECEDOR"));
    }

    void masterDetailFollowsTheMaster()
    {
        t->execScript("INSERT INTO GRUPO (CDGRUPO, DESCRICAO) VALUES (1, 'A');"
                      "INSERT INTO GRUPO (CDGRUPO, DESCRICAO) VALUES (2, 'B');"
                      "INSERT INTO CONFIGACESSO (CDGRUPO, MENU, VISIVEL) VALUES (1, 'Recurso', 'S');"
                      "INSERT INTO CONFIGACESSO (CDGRUPO, MENU, VISIVEL) VALUES (2, 'Recurso', 'N');"
                      "INSERT INTO CONFIGACESSO (CDGRUPO, MENU, VISIVEL) VALUES (2, 'Sobre', 'S')");
        ClientDataSet grupo, acesso;
        grupo.setDb(&t->db());
        grupo.setCommandText("SELECT * FROM GRUPO ORDER BY CDGRUPO");
        acesso.setDb(&t->db());
        acesso.setCommandText("SELECT * FROM CONFIGACESSO WHERE CDGRUPO = :CDGRUPO");
        acesso.setMaster(&grupo, {"CDGRUPO"}, {"CDGRUPO"});
        grupo.open();
        acesso.open();
        QCOMPARE(acesso.recordCount(), 1);
        grupo.next();
        QCOMPARE(acesso.recordCount(), 2);
        acesso.append();
        QCOMPARE(acesso.fieldByName("CDGRUPO")->asInt(), 2);
        acesso.setValue("MENU", "Graficos");
        acesso.setValue("VISIVEL", "S");
        QVERIFY(acesso.applyUpdates().ok());
        QCOMPARE(dbValue("SELECT COUNT(*) FROM CONFIGACESSO WHERE CDGRUPO = 2").toInt(), 3);
    }

    void lookupAndCalculatedFields()
    {
        seedSetores();
        t->execScript("INSERT INTO FORNECEDOR (CDFORNECEDOR, NOME, CDSETOR) VALUES (1, 'A', 3);"
                      "INSERT INTO FORNECEDOR (CDFORNECEDOR, NOME, CDSETOR) VALUES (2, 'B', 1)");
        ClientDataSet setor;
        openSetor(setor);
        ClientDataSet ds;
        ds.setDb(&t->db());
        ds.setCommandText("SELECT * FROM FORNECEDOR ORDER BY CDFORNECEDOR");
        ds.addLookupField("NOMESETOR", "CDSETOR", &setor, "CDSETOR", "NOME", FieldType::String, 40);
        ds.addCalculatedField("DOBRO", FieldType::Integer, 0, [](const ClientDataSet &d, int p) {
            return QVariant(d.valueAt(p, d.fieldIndex("CDFORNECEDOR")).toLongLong() * 2);
        });
        ds.open();
        QCOMPARE(ds.value("NOMESETOR").toString(), QString("OBRAS"));
        QCOMPARE(ds.fieldByName("NOMESETOR")->kind(), FieldKind::Lookup);
        ds.next();
        QCOMPARE(ds.value("NOMESETOR").toString(), QString("SAUDE"));
        QCOMPARE(ds.value("DOBRO").toLongLong(), 4);
        // Looked-up values follow an edit of the key; they are never written.
        ds.edit();
        ds.setValue("CDSETOR", 2);
        QCOMPARE(ds.value("NOMESETOR").toString(), QString("EDUCACAO"));
        QVERIFY_THROWS_EXCEPTION(TarvoError, ds.setValue("NOMESETOR", "X"));
        QVERIFY(ds.applyUpdates().ok());
        QCOMPARE(dbValue("SELECT CDSETOR FROM FORNECEDOR WHERE CDFORNECEDOR = 2").toInt(), 2);
    }

    void locateOptions_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("options");
        QTest::addColumn<int>("expected"); // code found, 0 none
        QTest::newRow("exact") << "EDUCACAO" << int(ClientDataSet::NoOptions) << 2;
        QTest::newRow("exact needs whole text") << "EDU" << int(ClientDataSet::NoOptions) << 0;
        QTest::newRow("prefix") << "EDU" << int(ClientDataSet::PartialKey) << 2;
        QTest::newRow("case") << "obras" << int(ClientDataSet::CaseInsensitive) << 3;
        QTest::newRow("case sensitive") << "obras" << int(ClientDataSet::NoOptions) << 0;
        QTest::newRow("both") << "sa" << int(ClientDataSet::CaseInsensitive | ClientDataSet::PartialKey) << 1;
    }
    void locateOptions()
    {
        QFETCH(QString, value);
        QFETCH(int, options);
        QFETCH(int, expected);
        seedSetores();
        ClientDataSet ds;
        openSetor(ds);
        ds.last();
        const bool found = ds.locate("NOME", value, options);
        QCOMPARE(found, expected != 0);
        QCOMPARE(ds.fieldByName("CDSETOR")->asInt(), expected ? expected : 3);
    }

    void sortAndRefreshKeepRows()
    {
        seedSetores();
        ClientDataSet ds;
        openSetor(ds);
        ds.setIndexFieldNames("NOME");
        QStringList names;
        ds.forEachRow([&](int p) { names << ds.valueAt(p, ds.fieldIndex("NOME")).toString(); });
        QCOMPARE(names, QStringList({"EDUCACAO", "OBRAS", "SAUDE"}));
        t->execScript("INSERT INTO SETOR (CDSETOR, NOME) VALUES (4, 'ADMINISTRACAO')");
        ds.refresh();
        QCOMPARE(ds.recordCount(), 4);
        ds.first();
        QCOMPARE(ds.value("NOME").toString(), QString("ADMINISTRACAO"));
    }

    void afterScrollFollowsTheCursor()
    {
        seedSetores();
        ClientDataSet ds;
        int scrolls = 0;
        connect(&ds, &ClientDataSet::afterScroll, this, [&] { ++scrolls; });
        openSetor(ds);
        QCOMPARE(scrolls, 1);
        ds.next();
        ds.last();
        QCOMPARE(scrolls, 3);
        ds.next(); // already at the end: no move
        QCOMPARE(scrolls, 3);
    }
};

QTEST_MAIN(TestDataSet)
#include "tst_platform_dataset.moc"
