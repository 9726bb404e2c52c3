#pragma once

#include <QString>
#include <memory>

class ClientDataSet;

// A filter text compiled against a dataset's fields and evaluated row by row in memory.
// Grammar: comparisons (= <> < > <= >=), like with %, is null / is not null, and, or, not,
// parentheses; integer and decimal literals (decimal comma or point), quoted texts with ''
// for a quote, quoted dates 'DD/MM/YYYY' against date fields. On a lookup field a text
// comparison keeps rows whose looked-up text starts with the given text.
class FilterExpression
{
public:
    virtual ~FilterExpression() = default;
    // Throws TarvoError when the text cannot be parsed or names an unknown field.
    static std::shared_ptr<const FilterExpression> compile(const QString &text,
                                                           const ClientDataSet &ds);
    virtual bool matches(const ClientDataSet &ds, int physRow) const = 0;
};
