#pragma once

#include <QDialog>

// The about box behind "Sobre" -> "Equipe de Desenvolvimento".
class TFrmSobre : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmSobre(QWidget *parent = nullptr);
};
