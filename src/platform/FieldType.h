#pragma once

#include <QString>

// Kinds of value a dataset column holds.
enum class FieldType {
    Integer, // SMALLINT, INTEGER, BIGINT
    Money,   // NUMERIC(15,2), exact cents
    Double,  // floating point
    String,  // VARCHAR / CHAR
    Date,    // DATE
    DateTime,
    Blob,
};

struct ColumnInfo
{
    QString name;
    FieldType type = FieldType::String;
    int size = 0;          // characters for strings
    bool required = false; // NOT NULL
    bool fixedChar = false; // CHAR(n): blank padding is trimmed
    bool smallInt = false;  // SMALLINT range
};
