#pragma once

#include "cli/Command.h"

// Writes the entries of a book that pass a mask over the ten flags into a new book file.
class TExportCommand : public TCommand
{
public:
    QString Name() const override { return QStringLiteral("export"); }
    QString Description() const override;
    int Execute(const QStringList &args, QTextStream &out, QTextStream &err) override;
};
