#include "shell/USobre.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TFrmSobre::TFrmSobre(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmSobre"));
    setWindowTitle(QStringLiteral("Equipe de Desenvolvimento"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    auto *picture = new QLabel(this);
    picture->setPixmap(QPixmap(QStringLiteral(":/images/image_GR.png")));
    picture->setAlignment(Qt::AlignTop);

    auto *title = new QLabel(QStringLiteral("qtTarvo"), this);
    QFont f = title->font();
    f.setPointSize(f.pointSize() + 8);
    f.setBold(true);
    title->setFont(f);

    auto *text = new QLabel(this);
    text->setTextFormat(Qt::PlainText);
    text->setText(QStringLiteral("Controle de Gastos das Secretarias Municipais\n"
                                 "Versão %1\n\n"
                                 "Equipe de Desenvolvimento:\n"
                                 "   Ana Paula Ribeiro - Análise e Coordenação\n"
                                 "   Carlos Eduardo Menezes - Programação\n"
                                 "   Luíza Prado Fontes - Banco de Dados e Relatórios\n\n"
                                 "Departamento de Informática da Prefeitura")
                      .arg(QCoreApplication::applicationVersion().isEmpty()
                               ? QStringLiteral("1.0.0")
                               : QCoreApplication::applicationVersion()));

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("B_Ok"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *textCol = new QVBoxLayout;
    textCol->addWidget(title);
    textCol->addWidget(text);
    textCol->addStretch();
    auto *top = new QHBoxLayout;
    top->addWidget(picture);
    top->addSpacing(12);
    top->addLayout(textCol);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    auto *main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addLayout(buttons);
    setFixedSize(sizeHint());
}
