#include "access/UCadSetor.h"

#include "platform/DbWidgets.h"

namespace {

CadastroConfig setorConfig()
{
    CadastroConfig c;
    c.screenClass = QStringLiteral("TFrmCadSetor");
    c.caption = QStringLiteral("Manutenção de Secretarias");
    c.dataSetName = QStringLiteral("Tb_Setor");
    c.sql = QStringLiteral("SELECT *\r\nFROM SETOR\r\n\r\n\r\nORDER BY NOME");
    c.updateTable = QStringLiteral("SETOR");
    c.codeField = QStringLiteral("CDSETOR");
    c.maxSql = QStringLiteral("select max(CDSetor) as MAXID from Setor");
    c.bySecretariat = false;
    c.gridColumns = {QStringLiteral("CDSETOR\t10\tCÓDIGO *\tF"),
                     QStringLiteral("NOME\t60\tSECRETARIA *\tF")};
    c.requiredText = QStringLiteral("(Setor)");
    return c;
}

} // namespace

TFrmCadSetor::TFrmCadSetor(Db *db, QWidget *parent) : TFrmCadastro(setorConfig(), db, parent)
{
    auto *codigo = new DbText(painelDados());
    codigo->setObjectName(QStringLiteral("edit_Codigo"));
    codigo->bind(dataSet(), QStringLiteral("CDSETOR"));
    addField(QStringLiteral("CÓDIGO"), codigo);
    auto *nome = new DbEdit(painelDados());
    nome->setObjectName(QStringLiteral("edit_Nome"));
    nome->bind(dataSet(), QStringLiteral("NOME"));
    addField(QStringLiteral("SECRETARIA"), nome);
    setNameEdit(nome);
    FormCreate();
}
