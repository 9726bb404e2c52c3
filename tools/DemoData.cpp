#include "DemoData.h"

#include "platform/Money.h"
#include "shell/MenuTree.h"

#include <QRandomGenerator>
#include <algorithm>
#include <QStringList>

namespace DemoData {

Summary &Summary::operator+=(const Summary &o)
{
    secretariats += o.secretariats;
    groups += o.groups;
    users += o.users;
    suppliers += o.suppliers;
    resources += o.resources;
    activityGroups += o.activityGroups;
    activities += o.activities;
    beneficiaries += o.beneficiaries;
    entries += o.entries;
    requisitions += o.requisitions;
    credits += o.credits;
    return *this;
}

QString masterLogin() { return QStringLiteral("ADMIN"); }
QString masterPassword() { return QStringLiteral("ADMIN"); }

namespace {

QVariant money(qint64 cents) { return QVariant::fromValue(Money::fromCents(cents)); }

void insertRow(Db &db, const QString &table, const SqlParams &values)
{
    QStringList cols, marks;
    for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
        cols << it.key();
        marks << QLatin1Char(':') + it.key();
    }
    db.exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(table, cols.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
            values);
}

// Master codes are unique over the whole table, as the maintenance screens allocate them.
int nextCode(Db &db, const QString &table, const QString &column)
{
    return int(db.scalar(QStringLiteral("SELECT COALESCE(MAX(%1), 0) + 1 FROM %2").arg(column, table))
                   .toLongLong());
}

int procCode(Db &db, const char *procedure)
{
    return int(db.scalar(QStringLiteral("SELECT CODIGO FROM %1").arg(QLatin1String(procedure)))
                   .toLongLong());
}

QDate monthStart(const QDate &d) { return QDate(d.year(), d.month(), 1); }

void writeGroupAccess(Db &db, int cdGrupo, const QStringList &hidden)
{
    for (const MenuDef &m : menuTree()) {
        if (QLatin1String(m.caption) == QLatin1String("-"))
            continue;
        const QString name = QLatin1String(m.name);
        insertRow(db, QStringLiteral("CONFIGACESSO"),
                  {{QStringLiteral("CDGRUPO"), cdGrupo},
                   {QStringLiteral("MENU"), name},
                   {QStringLiteral("VISIVEL"), hidden.contains(name) ? QStringLiteral("N")
                                                                     : QStringLiteral("S")}});
    }
}

QString digits(QRandomGenerator &rng, int n)
{
    QString s;
    for (int i = 0; i < n; ++i)
        s += QChar('0' + int(rng.bounded(10)));
    return s;
}

int checkDigit(const QString &base, const QVector<int> &weights)
{
    int sum = 0;
    for (int i = 0; i < base.size(); ++i)
        sum += (base.at(i).unicode() - '0') * weights[i];
    const int r = sum % 11;
    return r < 2 ? 0 : 11 - r;
}

// Registration numbers with valid check digits, so validating screens accept them.
QString makeCnpj(QRandomGenerator &rng)
{
    QString b = digits(rng, 8) + QStringLiteral("0001");
    b += QString::number(checkDigit(b, {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2}));
    b += QString::number(checkDigit(b, {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2}));
    return QStringLiteral("%1.%2.%3/%4-%5")
        .arg(b.mid(0, 2), b.mid(2, 3), b.mid(5, 3), b.mid(8, 4), b.mid(12, 2));
}

QString makeCpf(QRandomGenerator &rng)
{
    QString b = digits(rng, 9);
    b += QString::number(checkDigit(b, {10, 9, 8, 7, 6, 5, 4, 3, 2}));
    b += QString::number(checkDigit(b, {11, 10, 9, 8, 7, 6, 5, 4, 3, 2}));
    return QStringLiteral("%1.%2.%3-%4").arg(b.mid(0, 3), b.mid(3, 3), b.mid(6, 3), b.mid(9, 2));
}

QString makeRg(QRandomGenerator &rng)
{
    return QStringLiteral("%1.%2.%3-%4")
        .arg(digits(rng, 2), digits(rng, 3), digits(rng, 3), digits(rng, 1));
}

template <typename T>
const T &pick(QRandomGenerator &rng, const QVector<T> &v)
{
    return v[int(rng.bounded(quint32(v.size())))];
}

struct Place
{
    const char *city;
    const char *uf;
};

const QVector<Place> &places()
{
    static const QVector<Place> p = {
        {"SANTA CLARA DO OESTE", "SP"}, {"SÃO JOSÉ DO RIO PRETO", "SP"}, {"JALES", "SP"},
        {"FERNANDÓPOLIS", "SP"},        {"ARAÇATUBA", "SP"},             {"TRÊS LAGOAS", "MS"},
        {"UBERLÂNDIA", "MG"},           {"CAMPO GRANDE", "MS"},          {"RIBEIRÃO PRETO", "SP"},
        {"PRESIDENTE PRUDENTE", "SP"},  {"LONDRINA", "PR"},              {"GOIÂNIA", "GO"},
    };
    return p;
}

const QStringList &streets()
{
    static const QStringList s = {
        QStringLiteral("RUA SETE DE SETEMBRO"),  QStringLiteral("AV. BRASIL"),
        QStringLiteral("RUA TIRADENTES"),        QStringLiteral("RUA DOM PEDRO II"),
        QStringLiteral("AV. JOÃO PESSOA"),       QStringLiteral("RUA SÃO PAULO"),
        QStringLiteral("RUA DAS PALMEIRAS"),     QStringLiteral("AV. DOS ESTUDANTES"),
        QStringLiteral("RUA RUI BARBOSA"),       QStringLiteral("RUA MARECHAL DEODORO"),
        QStringLiteral("RUA SANTOS DUMONT"),     QStringLiteral("AV. CASTELO BRANCO"),
    };
    return s;
}

QString address(QRandomGenerator &rng)
{
    return QStringLiteral("%1, %2").arg(pick(rng, streets()))
        .arg(rng.bounded(10, 3000));
}

struct ActivityGroupDef
{
    QString name;
    QStringList activities;
};

struct SecretariatDef
{
    QString name;
    QString login;   // its ordinary user
    QString userName;
    QStringList suppliers;
    QStringList resources;
    QVector<ActivityGroupDef> groups;
    QStringList purchases; // descriptions of entries
};

const QVector<SecretariatDef> &secretariats()
{
    static const QVector<SecretariatDef> s = {
        {QStringLiteral("ADMINISTRAÇÃO"), QStringLiteral("ADM"), QStringLiteral("MARIA APARECIDA DOS SANTOS"),
         {QStringLiteral("PAPELARIA CENTRAL LTDA"), QStringLiteral("INFORTEC COMÉRCIO DE INFORMÁTICA LTDA"),
          QStringLiteral("AUTO POSTO SANTA CLARA LTDA"), QStringLiteral("GRÁFICA E EDITORA OESTE LTDA ME"),
          QStringLiteral("TELEFÔNICA REGIONAL S/A"), QStringLiteral("COMERCIAL DE LIMPEZA BRILHO LTDA"),
          QStringLiteral("SUPERMERCADO BOM PREÇO LTDA")},
         {QStringLiteral("RECURSO PRÓPRIO"), QStringLiteral("FPM - FUNDO DE PARTICIPAÇÃO"), QStringLiteral("ICMS")},
         {{QStringLiteral("MANUTENÇÃO ADMINISTRATIVA"),
           {QStringLiteral("MATERIAL DE EXPEDIENTE"), QStringLiteral("COMBUSTÍVEIS E LUBRIFICANTES"),
            QStringLiteral("SERVIÇOS DE TELEFONIA")}},
          {QStringLiteral("TECNOLOGIA DA INFORMAÇÃO"),
           {QStringLiteral("EQUIPAMENTOS DE INFORMÁTICA"), QStringLiteral("LICENÇAS E SISTEMAS")}}},
         {QStringLiteral("RESMA PAPEL A4"), QStringLiteral("CARTUCHO DE TONER"), QStringLiteral("GASOLINA COMUM"),
          QStringLiteral("ÓLEO DIESEL S10"), QStringLiteral("CONTA TELEFÔNICA"), QStringLiteral("MICROCOMPUTADOR"),
          QStringLiteral("IMPRESSÃO DE CARNÊS IPTU"), QStringLiteral("MATERIAL DE LIMPEZA"), QStringLiteral("CAFÉ E AÇÚCAR")}},
        {QStringLiteral("SAÚDE"), QStringLiteral("SAUDE"), QStringLiteral("JOSÉ CARLOS PEREIRA"),
         {QStringLiteral("DROGARIA SÃO JOÃO LTDA"), QStringLiteral("DISTRIBUIDORA DE MEDICAMENTOS VIDA LTDA"),
          QStringLiteral("LABORATÓRIO DE ANÁLISES CLÍNICAS OESTE"), QStringLiteral("AUTO POSTO SANTA CLARA LTDA"),
          QStringLiteral("CIRÚRGICA BRASIL COMÉRCIO LTDA"), QStringLiteral("OXIGÊNIO MEDICINAL PAULISTA LTDA"),
          QStringLiteral("PAPELARIA CENTRAL LTDA"), QStringLiteral("CLÍNICA ODONTOLÓGICA SORRISO")},
         {QStringLiteral("FUNDO MUNICIPAL DE SAÚDE"), QStringLiteral("SUS - ATENÇÃO BÁSICA"), QStringLiteral("RECURSO PRÓPRIO")},
         {{QStringLiteral("ATENÇÃO BÁSICA"),
           {QStringLiteral("MEDICAMENTOS"), QStringLiteral("MATERIAL HOSPITALAR"), QStringLiteral("EXAMES LABORATORIAIS")}},
          {QStringLiteral("TRANSPORTE DE PACIENTES"),
           {QStringLiteral("COMBUSTÍVEL AMBULÂNCIAS"), QStringLiteral("MANUTENÇÃO DE VEÍCULOS")}},
          {QStringLiteral("SAÚDE BUCAL"), {QStringLiteral("ATENDIMENTO ODONTOLÓGICO")}}},
         {QStringLiteral("DIPIRONA 500MG CX 100"), QStringLiteral("AMOXICILINA 500MG"), QStringLiteral("LUVAS DE PROCEDIMENTO"),
          QStringLiteral("SERINGAS DESCARTÁVEIS"), QStringLiteral("HEMOGRAMA COMPLETO"), QStringLiteral("OXIGÊNIO CILINDRO 10M3"),
          QStringLiteral("ÓLEO DIESEL AMBULÂNCIA"), QStringLiteral("TROCA DE PNEUS"), QStringLiteral("RESTAURAÇÃO DENTÁRIA"),
          QStringLiteral("GAZE ESTÉRIL PCT")}},
        {QStringLiteral("EDUCAÇÃO"), QStringLiteral("EDUCACAO"), QStringLiteral("ANA PAULA FERREIRA"),
         {QStringLiteral("LIVRARIA E PAPELARIA SABER LTDA"), QStringLiteral("ALIMENTOS NUTRIBEM LTDA"),
          QStringLiteral("TRANSPORTES ESCOLAR OESTE LTDA"), QStringLiteral("MÓVEIS ESCOLARES CARTEIRA FORTE"),
          QStringLiteral("SUPERMERCADO BOM PREÇO LTDA"), QStringLiteral("PAPELARIA CENTRAL LTDA"),
          QStringLiteral("HORTIFRUTI DO PRODUTOR LTDA ME")},
         {QStringLiteral("FUNDEB"), QStringLiteral("SALÁRIO EDUCAÇÃO"), QStringLiteral("PNAE - MERENDA ESCOLAR")},
         {{QStringLiteral("ENSINO FUNDAMENTAL"),
           {QStringLiteral("MATERIAL DIDÁTICO"), QStringLiteral("TRANSPORTE ESCOLAR"), QStringLiteral("MOBILIÁRIO ESCOLAR")}},
          {QStringLiteral("ALIMENTAÇÃO ESCOLAR"),
           {QStringLiteral("MERENDA ESCOLAR"), QStringLiteral("HORTIFRUTIGRANJEIROS")}}},
         {QStringLiteral("CADERNOS 96 FOLHAS"), QStringLiteral("LÁPIS PRETO CX 144"), QStringLiteral("ARROZ TIPO 1 PCT 5KG"),
          QStringLiteral("FEIJÃO CARIOCA PCT 1KG"), QStringLiteral("LEITE EM PÓ"), QStringLiteral("FRETE TRANSPORTE ALUNOS"),
          QStringLiteral("CARTEIRA ESCOLAR"), QStringLiteral("BANANA NANICA KG"), QStringLiteral("LIVROS PARADIDÁTICOS")}},
        {QStringLiteral("OBRAS E SERVIÇOS URBANOS"), QStringLiteral("OBRAS"), QStringLiteral("ANTÔNIO MARCOS RIBEIRO"),
         {QStringLiteral("MATERIAIS DE CONSTRUÇÃO TIJOLÃO LTDA"), QStringLiteral("PEDREIRA SÃO BENTO LTDA"),
          QStringLiteral("AUTO POSTO SANTA CLARA LTDA"), QStringLiteral("ELÉTRICA LUZ E FORÇA LTDA"),
          QStringLiteral("ASFALTO PAULISTA CONSTRUTORA LTDA"), QStringLiteral("FERRAGENS AÇO FORTE LTDA"),
          QStringLiteral("LOCADORA DE MÁQUINAS TERRAPLENA")},
         {QStringLiteral("RECURSO PRÓPRIO"), QStringLiteral("CIDE COMBUSTÍVEIS"), QStringLiteral("CONVÊNIO ESTADUAL")},
         {{QStringLiteral("MANUTENÇÃO DE VIAS"),
           {QStringLiteral("PAVIMENTAÇÃO"), QStringLiteral("CASCALHAMENTO DE ESTRADAS"), QStringLiteral("COMBUSTÍVEL MÁQUINAS")}},
          {QStringLiteral("ILUMINAÇÃO PÚBLICA"), {QStringLiteral("MATERIAL ELÉTRICO")}},
          {QStringLiteral("PRÉDIOS PÚBLICOS"), {QStringLiteral("REFORMAS E REPAROS")}}},
         {QStringLiteral("CIMENTO CP II SACO 50KG"), QStringLiteral("PEDRA BRITADA M3"), QStringLiteral("ÓLEO DIESEL S500"),
          QStringLiteral("LÂMPADA VAPOR SÓDIO 250W"), QStringLiteral("MASSA ASFÁLTICA TON"), QStringLiteral("VERGALHÃO 3/8"),
          QStringLiteral("HORA MÁQUINA MOTONIVELADORA"), QStringLiteral("REATOR ILUMINAÇÃO"), QStringLiteral("TINTA LÁTEX 18L")}},
        {QStringLiteral("ASSISTÊNCIA SOCIAL"), QStringLiteral("SOCIAL"), QStringLiteral("LÚCIA HELENA MARTINS"),
         {QStringLiteral("SUPERMERCADO BOM PREÇO LTDA"), QStringLiteral("CESTAS BÁSICAS SOLIDÁRIA LTDA"),
          QStringLiteral("FUNERÁRIA SÃO FRANCISCO LTDA"), QStringLiteral("DROGARIA SÃO JOÃO LTDA"),
          QStringLiteral("ÓTICA VISÃO CLARA LTDA ME"), QStringLiteral("MAGAZINE DO LAR LTDA")},
         {QStringLiteral("FUNDO MUNICIPAL DE ASSISTÊNCIA"), QStringLiteral("BLOCO PROTEÇÃO BÁSICA"), QStringLiteral("RECURSO PRÓPRIO")},
         {{QStringLiteral("BENEFÍCIOS EVENTUAIS"),
           {QStringLiteral("CESTAS BÁSICAS"), QStringLiteral("AUXÍLIO FUNERAL"), QStringLiteral("AUXÍLIO MEDICAMENTOS")}},
          {QStringLiteral("PROTEÇÃO SOCIAL BÁSICA"),
           {QStringLiteral("ÓCULOS E PRÓTESES"), QStringLiteral("ENXOVAL DE BEBÊ")}}},
         {QStringLiteral("CESTA BÁSICA COMPLETA"), QStringLiteral("URNA FUNERÁRIA"), QStringLiteral("MEDICAMENTO DE USO CONTÍNUO"),
          QStringLiteral("ÓCULOS DE GRAU"), QStringLiteral("ENXOVAL DE BEBÊ"), QStringLiteral("COLCHÃO SOLTEIRO"),
          QStringLiteral("LEITE INTEGRAL CX 12")}},
    };
    return s;
}

const QStringList &firstNames()
{
    static const QStringList n = {
        QStringLiteral("JOÃO"),    QStringLiteral("MARIA"),   QStringLiteral("JOSÉ"),     QStringLiteral("ANA"),
        QStringLiteral("FRANCISCO"), QStringLiteral("ANTÔNIA"), QStringLiteral("CARLOS"), QStringLiteral("FRANCISCA"),
        QStringLiteral("PAULO"),   QStringLiteral("ADRIANA"), QStringLiteral("LUCAS"),    QStringLiteral("JULIANA"),
        QStringLiteral("MÁRCIO"),  QStringLiteral("CONCEIÇÃO"), QStringLiteral("SEBASTIÃO"), QStringLiteral("BEATRIZ"),
    };
    return n;
}

const QStringList &lastNames()
{
    static const QStringList n = {
        QStringLiteral("DA SILVA"),  QStringLiteral("DOS SANTOS"), QStringLiteral("OLIVEIRA"),
        QStringLiteral("SOUZA"),     QStringLiteral("RODRIGUES"),  QStringLiteral("FERREIRA"),
        QStringLiteral("ALVES"),     QStringLiteral("PEREIRA"),    QStringLiteral("LIMA"),
        QStringLiteral("GONÇALVES"), QStringLiteral("RIBEIRO"),    QStringLiteral("CONCEIÇÃO"),
        QStringLiteral("ARAÚJO"),    QStringLiteral("MENDES"),
    };
    return n;
}

QString personName(QRandomGenerator &rng)
{
    const QStringList &f = firstNames();
    const QStringList &l = lastNames();
    return QStringLiteral("%1 %2 %3")
        .arg(f[int(rng.bounded(quint32(f.size())))], l[int(rng.bounded(quint32(l.size())))],
             l[int(rng.bounded(quint32(l.size())))]);
}

const QVector<QStringList> &banks()
{
    static const QVector<QStringList> b = {
        {QStringLiteral("BANCO DO BRASIL")}, {QStringLiteral("CAIXA ECONÔMICA FEDERAL")},
        {QStringLiteral("BANCO SANTANDER")}, {QStringLiteral("BRADESCO")}, {QStringLiteral("ITAÚ UNIBANCO")},
    };
    return b;
}

// The menu items an ordinary operator does not see.
QStringList operatorHiddenItems()
{
    return {QStringLiteral("Manutencao_de_Grupos"),       QStringLiteral("Manutencao_de_Secretarias"),
            QStringLiteral("Manutencao_de_Usuarios"),     QStringLiteral("Configura_Acesso"),
            QStringLiteral("Configuracao_da_Prefeitura"), QStringLiteral("Troca_Exclusao"),
            QStringLiteral("Limite_de_Gastos_Atividades")};
}

struct SecretariatRows
{
    int cdSetor = 0;
    int cdUsuario = 0;
    QVector<int> suppliers, resources, activities, beneficiaries;
};

} // namespace

Summary seedMinimum(Db &db)
{
    Summary s;
    DbTransaction tx(db);
    insertRow(db, QStringLiteral("GERAL"),
              {{QStringLiteral("CDGERAL"), 1}, {QStringLiteral("USA_LIMITE_ATIVIDADE"), QStringLiteral("N")}});
    insertRow(db, QStringLiteral("EMPRESA"),
              {{QStringLiteral("CDEMPRESA"), 1},
               {QStringLiteral("NOME"), QStringLiteral("PREFEITURA MUNICIPAL DE SANTA CLARA DO OESTE")},
               {QStringLiteral("CNPJ"), QStringLiteral("45.127.863/0001-06")},
               {QStringLiteral("ENDERECO"), QStringLiteral("PRAÇA DA MATRIZ, 100 - CENTRO")},
               {QStringLiteral("CIDADE"), QStringLiteral("SANTA CLARA DO OESTE")},
               {QStringLiteral("UF"), QStringLiteral("SP")}});
    insertRow(db, QStringLiteral("SETOR"),
              {{QStringLiteral("CDSETOR"), 1}, {QStringLiteral("NOME"), secretariats().first().name}});
    s.secretariats = 1;
    insertRow(db, QStringLiteral("GRUPO"),
              {{QStringLiteral("CDGRUPO"), 1}, {QStringLiteral("DESCRICAO"), QStringLiteral("ADMINISTRADORES")}});
    writeGroupAccess(db, 1, {});
    s.groups = 1;
    insertRow(db, QStringLiteral("USUARIO"),
              {{QStringLiteral("CDUSUARIO"), 1},
               {QStringLiteral("CDGRUPO"), 1},
               {QStringLiteral("NOME"), QStringLiteral("ADMINISTRADOR DO SISTEMA")},
               {QStringLiteral("LOGIN"), masterLogin()},
               {QStringLiteral("SENHA"), masterPassword()},
               {QStringLiteral("MARTER"), QStringLiteral("S")},
               {QStringLiteral("HABILITADO"), QStringLiteral("S")},
               {QStringLiteral("CDSETOR"), 1}});
    s.users = 1;
    tx.commit();
    return s;
}

QVector<DemoUser> demoUsers()
{
    QVector<DemoUser> out;
    for (const SecretariatDef &d : secretariats())
        out.append({d.login, QStringLiteral("123"), d.name});
    return out;
}

Summary seedDemo(Db &db, quint32 seed, const QDate &lastMonth)
{
    Summary s;
    QRandomGenerator rng(seed);
    const QDate lastStart = monthStart(lastMonth);
    const QDate firstStart = lastStart.addMonths(-11);

    DbTransaction tx(db);

    const int cdOperadores = nextCode(db, QStringLiteral("GRUPO"), QStringLiteral("CDGRUPO"));
    insertRow(db, QStringLiteral("GRUPO"),
              {{QStringLiteral("CDGRUPO"), cdOperadores},
               {QStringLiteral("DESCRICAO"), QStringLiteral("OPERADORES DAS SECRETARIAS")}});
    writeGroupAccess(db, cdOperadores, operatorHiddenItems());
    ++s.groups;

    QVector<SecretariatRows> made;
    for (const SecretariatDef &def : secretariats()) {
        SecretariatRows r;
        const QVariant existing =
            db.scalar(QStringLiteral("SELECT MIN(CDSETOR) FROM SETOR WHERE NOME = :NOME"),
                      {{QStringLiteral("NOME"), def.name}});
        if (existing.isValid()) {
            r.cdSetor = int(existing.toLongLong());
        } else {
            r.cdSetor = nextCode(db, QStringLiteral("SETOR"), QStringLiteral("CDSETOR"));
            insertRow(db, QStringLiteral("SETOR"),
                      {{QStringLiteral("CDSETOR"), r.cdSetor}, {QStringLiteral("NOME"), def.name}});
            ++s.secretariats;
        }

        r.cdUsuario = nextCode(db, QStringLiteral("USUARIO"), QStringLiteral("CDUSUARIO"));
        insertRow(db, QStringLiteral("USUARIO"),
                  {{QStringLiteral("CDUSUARIO"), r.cdUsuario},
                   {QStringLiteral("CDGRUPO"), cdOperadores},
                   {QStringLiteral("NOME"), def.userName},
                   {QStringLiteral("LOGIN"), def.login},
                   {QStringLiteral("SENHA"), QStringLiteral("123")},
                   {QStringLiteral("MARTER"), QStringLiteral("N")},
                   {QStringLiteral("HABILITADO"), QStringLiteral("S")},
                   {QStringLiteral("CDSETOR"), r.cdSetor}});
        ++s.users;

        for (const QString &name : def.suppliers) {
            const int cd = nextCode(db, QStringLiteral("FORNECEDOR"), QStringLiteral("CDFORNECEDOR"));
            const Place &p = pick(rng, places());
            insertRow(db, QStringLiteral("FORNECEDOR"),
                      {{QStringLiteral("CDFORNECEDOR"), cd},
                       {QStringLiteral("NOME"), name},
                       {QStringLiteral("CPFCNPJ"), makeCnpj(rng)},
                       {QStringLiteral("ENDERECO"), address(rng)},
                       {QStringLiteral("CIDADE"), QString::fromUtf8(p.city)},
                       {QStringLiteral("UF"), QLatin1String(p.uf)},
                       {QStringLiteral("CDSETOR"), r.cdSetor}});
            r.suppliers << cd;
            ++s.suppliers;
        }

        for (const QString &name : def.resources) {
            const int cd = nextCode(db, QStringLiteral("RECURSO"), QStringLiteral("CDRECURSO"));
            insertRow(db, QStringLiteral("RECURSO"),
                      {{QStringLiteral("CDRECURSO"), cd},
                       {QStringLiteral("CDSETOR"), r.cdSetor},
                       {QStringLiteral("NOME"), name},
                       {QStringLiteral("NUMCONTA"), QStringLiteral("%1-%2").arg(digits(rng, 5), digits(rng, 1))},
                       {QStringLiteral("BANCO"), pick(rng, banks()).first()},
                       {QStringLiteral("AGENCIA"), int(rng.bounded(100, 9999))}});
            r.resources << cd;
            ++s.resources;
        }

        for (const ActivityGroupDef &g : def.groups) {
            const int cdGrupo = nextCode(db, QStringLiteral("GRUPOATIV"), QStringLiteral("CDGRUPO"));
            insertRow(db, QStringLiteral("GRUPOATIV"),
                      {{QStringLiteral("CDGRUPO"), cdGrupo},
                       {QStringLiteral("CDSETOR"), r.cdSetor},
                       {QStringLiteral("NOME"), g.name},
                       {QStringLiteral("GASTOTOT"), money(0)}});
            ++s.activityGroups;
            for (const QString &a : g.activities) {
                const int cd = nextCode(db, QStringLiteral("ATIVIDADE"), QStringLiteral("CDATIVIDADE"));
                insertRow(db, QStringLiteral("ATIVIDADE"),
                          {{QStringLiteral("CDATIVIDADE"), cd},
                           {QStringLiteral("NOME"), a},
                           {QStringLiteral("CDSETOR"), r.cdSetor},
                           {QStringLiteral("CDGRUPO"), cdGrupo},
                           {QStringLiteral("GASTOTOT"), money(100000000)},
                           {QStringLiteral("MARCAR"), QStringLiteral("N")}});
                r.activities << cd;
                ++s.activities;
            }
        }

        for (int i = 0; i < 10; ++i) {
            const int cd = nextCode(db, QStringLiteral("BENEFICIARIO"), QStringLiteral("CDBENEFICIARIO"));
            insertRow(db, QStringLiteral("BENEFICIARIO"),
                      {{QStringLiteral("CDBENEFICIARIO"), cd},
                       {QStringLiteral("NOME"), personName(rng)},
                       {QStringLiteral("CPF"), makeCpf(rng)},
                       {QStringLiteral("RG"), makeRg(rng)},
                       {QStringLiteral("LOGRADOURO"), address(rng)},
                       {QStringLiteral("CIDADE"), QStringLiteral("SANTA CLARA DO OESTE")},
                       {QStringLiteral("DTCADASTRO"), firstStart.addDays(-int(rng.bounded(30, 900)))},
                       {QStringLiteral("CDSETOR"), r.cdSetor}});
            r.beneficiaries << cd;
            ++s.beneficiaries;
        }
        made << r;
    }

    const QString insertEntry = QStringLiteral(
        "INSERT INTO LANCAMENTO (CDLANCAMENTO, CDATIVIDADE, CDFORNECEDOR, CDRECURSO, CDUSUARIO, "
        "DESCRICAO, DATA, VALOR, DTPGTO, OBS, CDBENEFICIARIO, CDSETOR, QUANT, EMPENHADO, DTSALDO, "
        "VALUNIT, CDAUTORIZACAO, MONTAR) VALUES (:CDLANCAMENTO, :CDATIVIDADE, :CDFORNECEDOR, "
        ":CDRECURSO, :CDUSUARIO, :DESCRICAO, :DATA, :VALOR, :DTPGTO, :OBS, :CDBENEFICIARIO, "
        ":CDSETOR, :QUANT, :EMPENHADO, :DTSALDO, :VALUNIT, :CDAUTORIZACAO, :MONTAR)");

    for (int si = 0; si < made.size(); ++si) {
        const SecretariatRows &r = made[si];
        const SecretariatDef &def = secretariats()[si];
        QHash<int, int> numbersOfYear; // requisitions are numbered per year
        for (QDate month = firstStart; month <= lastStart; month = month.addMonths(1)) {
            QHash<int, qint64> debitOfSupplier;
            const int days = month.daysInMonth();

            const int plain = int(rng.bounded(8, 16));
            for (int i = 0; i < plain; ++i) {
                const QDate data = month.addDays(int(rng.bounded(days)));
                const int quant = int(rng.bounded(1, 6));
                const qint64 unit = qint64(rng.bounded(500, 250000));
                const int forn = pick(rng, r.suppliers);
                const bool committed = rng.bounded(3) != 0;
                SqlParams p{{QStringLiteral("CDLANCAMENTO"), procCode(db, "INCREMENTA_CD_LANCAMENTO")},
                            {QStringLiteral("CDATIVIDADE"), pick(rng, r.activities)},
                            {QStringLiteral("CDFORNECEDOR"), forn},
                            {QStringLiteral("CDRECURSO"), pick(rng, r.resources)},
                            {QStringLiteral("CDUSUARIO"), rng.bounded(5) == 0 ? 1 : r.cdUsuario},
                            {QStringLiteral("DESCRICAO"), pick(rng, def.purchases)},
                            {QStringLiteral("DATA"), data},
                            {QStringLiteral("VALOR"), money(quant * unit)},
                            {QStringLiteral("DTPGTO"), committed ? QVariant(data.addDays(int(rng.bounded(5, 40)))) : QVariant()},
                            {QStringLiteral("OBS"), rng.bounded(2) ? QVariant(QStringLiteral("EMPENHO %1/%2").arg(rng.bounded(1, 900)).arg(data.year())) : QVariant()},
                            {QStringLiteral("CDBENEFICIARIO"), rng.bounded(3) == 0 ? QVariant(pick(rng, r.beneficiaries)) : QVariant()},
                            {QStringLiteral("CDSETOR"), r.cdSetor},
                            {QStringLiteral("QUANT"), quant},
                            {QStringLiteral("EMPENHADO"), committed ? QStringLiteral("S") : QStringLiteral("N")},
                            {QStringLiteral("DTSALDO"), monthStart(data)},
                            {QStringLiteral("VALUNIT"), money(unit)},
                            {QStringLiteral("CDAUTORIZACAO"), QVariant()},
                            {QStringLiteral("MONTAR"), QStringLiteral("N")}};
                db.exec(insertEntry, p);
                debitOfSupplier[forn] += quant * unit;
                ++s.entries;
            }

            const int requisitions = int(rng.bounded(1, 4));
            for (int q = 0; q < requisitions; ++q) {
                const int cdAuto = procCode(db, "INCREMENTA_CD_AUTO");
                const QDate data = month.addDays(int(rng.bounded(days)));
                const int number = ++numbersOfYear[data.year()];
                const QString numAuto = QStringLiteral("%1/%2").arg(number, 3, 10, QLatin1Char('0')).arg(data.year());
                const QString authText = QStringLiteral("AUT. %1 - %2").arg(numAuto, def.login);
                const int forn = pick(rng, r.suppliers);
                const int ativ = pick(rng, r.activities);
                const int rec = pick(rng, r.resources);
                const int benef = pick(rng, r.beneficiaries);
                const bool committed = rng.bounded(4) != 0;
                const QString flag = committed ? QStringLiteral("S") : QStringLiteral("N");
                const int items = int(rng.bounded(2, 6));

                // The header goes first: its items refer to it.
                insertRow(db, QStringLiteral("AUTORIZACAO"),
                          {{QStringLiteral("CDAUTORIZACAO"), cdAuto},
                           {QStringLiteral("CDSETOR"), r.cdSetor},
                           {QStringLiteral("NUMAUTO"), numAuto},
                           {QStringLiteral("DATA"), data},
                           {QStringLiteral("TOTAL"), money(0)},
                           {QStringLiteral("ITENS"), 0},
                           {QStringLiteral("CDATIVIDADE"), ativ},
                           {QStringLiteral("CDRECURSO"), rec},
                           {QStringLiteral("CDBENEFICIARIO"), benef},
                           {QStringLiteral("CDFORNECEDOR"), forn},
                           {QStringLiteral("AUTORIZACAO"), authText},
                           {QStringLiteral("EMPENHADO"), flag}});
                qint64 total = 0;
                for (int i = 0; i < items; ++i) {
                    const int quant = int(rng.bounded(1, 25));
                    const qint64 unit = qint64(rng.bounded(150, 90000));
                    SqlParams p{{QStringLiteral("CDLANCAMENTO"), procCode(db, "INCREMENTA_CD_LANCAMENTO")},
                                {QStringLiteral("CDATIVIDADE"), ativ},
                                {QStringLiteral("CDFORNECEDOR"), forn},
                                {QStringLiteral("CDRECURSO"), rec},
                                {QStringLiteral("CDUSUARIO"), r.cdUsuario},
                                {QStringLiteral("DESCRICAO"), pick(rng, def.purchases)},
                                {QStringLiteral("DATA"), data},
                                {QStringLiteral("VALOR"), money(quant * unit)},
                                {QStringLiteral("DTPGTO"), committed ? QVariant(data.addDays(int(rng.bounded(10, 45)))) : QVariant()},
                                {QStringLiteral("OBS"), authText},
                                {QStringLiteral("CDBENEFICIARIO"), benef},
                                {QStringLiteral("CDSETOR"), r.cdSetor},
                                {QStringLiteral("QUANT"), quant},
                                {QStringLiteral("EMPENHADO"), flag},
                                {QStringLiteral("DTSALDO"), monthStart(data)},
                                {QStringLiteral("VALUNIT"), money(unit)},
                                {QStringLiteral("CDAUTORIZACAO"), cdAuto},
                                {QStringLiteral("MONTAR"), QStringLiteral("N")}};
                    db.exec(insertEntry, p);
                    total += quant * unit;
                    ++s.entries;
                }
                db.exec(QStringLiteral("UPDATE AUTORIZACAO SET TOTAL = :TOTAL, ITENS = :ITENS "
                                       "WHERE CDAUTORIZACAO = :CD"),
                        {{QStringLiteral("TOTAL"), money(total)},
                         {QStringLiteral("ITENS"), items},
                         {QStringLiteral("CD"), cdAuto}});
                debitOfSupplier[forn] += total;
                ++s.requisitions;
            }

            // Payments follow the month's purchases, mostly in part, so balances stay open.
            QList<int> owed = debitOfSupplier.keys();
            std::sort(owed.begin(), owed.end());
            for (int forn : owed) {
                if (rng.bounded(4) == 0)
                    continue;
                const qint64 paid = debitOfSupplier[forn] * qint64(rng.bounded(50, 101)) / 100;
                if (paid <= 0)
                    continue;
                const QDate data = month.addDays(int(rng.bounded(days)));
                insertRow(db, QStringLiteral("LANCAMENTOCREDITO"),
                          {{QStringLiteral("CDLANCAMENTO"), procCode(db, "INCREMENTA_CD_LANCAMENTOCRED")},
                           {QStringLiteral("CDSETOR"), r.cdSetor},
                           {QStringLiteral("CDUSUARIO"), r.cdUsuario},
                           {QStringLiteral("DATA"), data},
                           {QStringLiteral("DTSALDO"), monthStart(data)},
                           {QStringLiteral("VALOR"), money(paid)},
                           {QStringLiteral("DESCRICAO"), QStringLiteral("PAGAMENTO NF %1").arg(rng.bounded(1000, 99999))},
                           {QStringLiteral("CDFORNECEDOR"), forn}});
                ++s.credits;
            }
        }
    }

    tx.commit();
    return s;
}

int seedBulkEntries(Db &db, int cdSetor, int count, quint32 seed)
{
    QRandomGenerator rng(seed);
    DbTransaction tx(db);

    auto addMasters = [&](const QString &table, const QString &codeCol, int n,
                          const std::function<SqlParams(int)> &row) {
        const int first = nextCode(db, table, codeCol);
        for (int i = 0; i < n; ++i) {
            SqlParams p = row(i);
            p.insert(codeCol, first + i);
            p.insert(QStringLiteral("CDSETOR"), cdSetor);
            insertRow(db, table, p);
        }
        return first;
    };
    const int cdGrupo = addMasters(QStringLiteral("GRUPOATIV"), QStringLiteral("CDGRUPO"), 1, [](int) {
        return SqlParams{{QStringLiteral("NOME"), QStringLiteral("GRUPO DE CARGA")}};
    });
    const int nAtiv = 20, nForn = 40, nRec = 5, nBenef = 50, nAuto = 100;
    const int firstAtiv = addMasters(QStringLiteral("ATIVIDADE"), QStringLiteral("CDATIVIDADE"), nAtiv, [&](int i) {
        return SqlParams{{QStringLiteral("NOME"), QStringLiteral("ATIVIDADE DE CARGA %1").arg(i + 1)},
                         {QStringLiteral("CDGRUPO"), cdGrupo},
                         {QStringLiteral("GASTOTOT"), money(100000000)},
                         {QStringLiteral("MARCAR"), QStringLiteral("N")}};
    });
    const int firstForn = addMasters(QStringLiteral("FORNECEDOR"), QStringLiteral("CDFORNECEDOR"), nForn, [&](int i) {
        const Place &p = pick(rng, places());
        return SqlParams{{QStringLiteral("NOME"), QStringLiteral("FORNECEDOR DE CARGA %1 LTDA").arg(i + 1)},
                         {QStringLiteral("CPFCNPJ"), makeCnpj(rng)},
                         {QStringLiteral("ENDERECO"), address(rng)},
                         {QStringLiteral("CIDADE"), QString::fromUtf8(p.city)},
                         {QStringLiteral("UF"), QLatin1String(p.uf)}};
    });
    const int firstRec = addMasters(QStringLiteral("RECURSO"), QStringLiteral("CDRECURSO"), nRec, [&](int i) {
        return SqlParams{{QStringLiteral("NOME"), QStringLiteral("RECURSO DE CARGA %1").arg(i + 1)},
                         {QStringLiteral("NUMCONTA"), digits(rng, 6)},
                         {QStringLiteral("BANCO"), pick(rng, banks()).first()},
                         {QStringLiteral("AGENCIA"), int(rng.bounded(100, 9999))}};
    });
    const int firstBenef = addMasters(QStringLiteral("BENEFICIARIO"), QStringLiteral("CDBENEFICIARIO"), nBenef, [&](int) {
        return SqlParams{{QStringLiteral("NOME"), personName(rng)},
                         {QStringLiteral("CPF"), makeCpf(rng)},
                         {QStringLiteral("RG"), makeRg(rng)},
                         {QStringLiteral("LOGRADOURO"), address(rng)},
                         {QStringLiteral("CIDADE"), QStringLiteral("SANTA CLARA DO OESTE")},
                         {QStringLiteral("DTCADASTRO"), QDate(2024, 3, 1)}};
    });
    const int firstAuto = procCode(db, "INCREMENTA_CD_AUTO");
    for (int i = 0; i < nAuto; ++i) {
        const int cd = i == 0 ? firstAuto : procCode(db, "INCREMENTA_CD_AUTO");
        insertRow(db, QStringLiteral("AUTORIZACAO"),
                  {{QStringLiteral("CDAUTORIZACAO"), cd},
                   {QStringLiteral("CDSETOR"), cdSetor},
                   {QStringLiteral("NUMAUTO"), QStringLiteral("%1/2026").arg(i + 1, 3, 10, QLatin1Char('0'))},
                   {QStringLiteral("DATA"), QDate(2026, 1, 1).addDays(i * 3)},
                   {QStringLiteral("CDATIVIDADE"), firstAtiv},
                   {QStringLiteral("CDFORNECEDOR"), firstForn},
                   {QStringLiteral("AUTORIZACAO"), QStringLiteral("AUTORIZAÇÃO DE CARGA %1").arg(i + 1)},
                   {QStringLiteral("EMPENHADO"), QStringLiteral("N")}});
    }
    const int lastAuto = int(db.scalar(QStringLiteral("SELECT MAX(CDAUTORIZACAO) FROM AUTORIZACAO")).toLongLong());
    const int cdUsuario = int(db.scalar(QStringLiteral("SELECT MIN(CDUSUARIO) FROM USUARIO")).toLongLong());

    // One statement generates every row inside the database: a row-by-row round trip
    // through the driver costs far more than the insert itself. Variables inside the
    // INSERT are written ": X" so that Db does not take them for parameters to bind.
    const QString block = QStringLiteral(R"(
EXECUTE BLOCK AS
  DECLARE I INTEGER = 0;
  DECLARE X BIGINT = %1;
  DECLARE C INTEGER;
  DECLARE D DATE;
  DECLARE Q INTEGER;
  DECLARE U BIGINT;
  DECLARE R1 INTEGER;
  DECLARE R2 INTEGER;
  DECLARE R3 INTEGER;
BEGIN
  WHILE (I < %2) DO
  BEGIN
    C = (SELECT CODIGO FROM INCREMENTA_CD_LANCAMENTO);
    /* Only the high bits of this generator are random enough: each draw takes bits 16-30. */
    X = MOD(X * 1103515245 + 12345, 2147483648);
    D = DATEADD(MOD(X / 65536, 365) DAY TO DATE '2026-01-01');
    X = MOD(X * 1103515245 + 12345, 2147483648);
    Q = 1 + MOD(X / 65536, 20);
    X = MOD(X * 1103515245 + 12345, 2147483648);
    U = 100 + MOD(X / 65536, 20000) * 100 + MOD(X / 1024, 64);
    X = MOD(X * 1103515245 + 12345, 2147483648);
    R1 = X / 65536;
    X = MOD(X * 1103515245 + 12345, 2147483648);
    R2 = X / 65536;
    X = MOD(X * 1103515245 + 12345, 2147483648);
    R3 = X / 65536;
    INSERT INTO LANCAMENTO (CDLANCAMENTO, CDATIVIDADE, CDFORNECEDOR, CDRECURSO, CDUSUARIO,
      DESCRICAO, DATA, VALOR, DTPGTO, OBS, CDBENEFICIARIO, CDSETOR, QUANT, EMPENHADO, DTSALDO,
      VALUNIT, CDAUTORIZACAO, MONTAR)
    VALUES (: C, %3 + MOD(: R1, %4), %5 + MOD(: R2, %6), %7 + MOD(: R3, %8), %9,
      CASE MOD(: R1 / 32, 8)
        WHEN 0 THEN 'MATERIAL DE EXPEDIENTE DIVERSO'
        WHEN 1 THEN 'COMBUSTÍVEL PARA VEÍCULOS DA FROTA MUNICIPAL'
        WHEN 2 THEN 'MEDICAMENTOS'
        WHEN 3 THEN 'SERVIÇOS DE MANUTENÇÃO PREDIAL'
        WHEN 4 THEN 'GÊNEROS ALIMENTÍCIOS PARA MERENDA'
        WHEN 5 THEN 'PEÇAS DE REPOSIÇÃO'
        WHEN 6 THEN 'LOCAÇÃO DE EQUIPAMENTOS'
        ELSE 'MATERIAL DE LIMPEZA E HIGIENE' END,
      : D, : Q * : U * 0.01, DATEADD(MOD(: R2 / 64, 60) DAY TO : D),
      'EMPENHO ' || (1 + MOD(: R3 / 8, 999)) || '/2026',
      %10 + MOD(: R2 / 4, %11), %12, : Q, CASE MOD(: R3 / 16384, 2) WHEN 0 THEN 'S' ELSE 'N' END,
      : D - EXTRACT(DAY FROM : D) + 1, : U * 0.01, %13 + MOD(: R1 / 4, %14), 'N');
    I = I + 1;
  END
END)")
                              .arg(qint64(seed) % 2147483648)
                              .arg(count)
                              .arg(firstAtiv).arg(nAtiv)
                              .arg(firstForn).arg(nForn)
                              .arg(firstRec).arg(nRec)
                              .arg(cdUsuario)
                              .arg(firstBenef).arg(nBenef)
                              .arg(cdSetor)
                              .arg(firstAuto).arg(lastAuto - firstAuto + 1);
    db.exec(block);
    tx.commit();
    return count;
}

} // namespace DemoData
