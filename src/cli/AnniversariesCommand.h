#pragma once

#include "cli/Command.h"

// Prints the coming birthdays and name days of a book's reminder entries, one line
// each, as the anniversary window lists them.
class TAnniversariesCommand : public TCommand
{
public:
    QString Name() const override { return QStringLiteral("anniversaries"); }
    QString Description() const override;
    int Execute(const QStringList &args, QTextStream &out, QTextStream &err) override;
};
