#pragma once

#include "cli/Command.h"

// Prints the entry names of a book, one a line, in the order of the list of names.
class TListCommand : public TCommand
{
public:
    QString Name() const override { return QStringLiteral("list"); }
    QString Description() const override;
    int Execute(const QStringList &args, QTextStream &out, QTextStream &err) override;
};
