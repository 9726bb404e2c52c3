#pragma once

#include "data/UCadastro.h"

// Maintenance of the secretariats, the departments among which all data is split.
class TFrmCadSetor : public TFrmCadastro
{
    Q_OBJECT
public:
    explicit TFrmCadSetor(Db *db = nullptr, QWidget *parent = nullptr);
};
