#pragma once

#include "cli/Command.h"

// Converts a DOS address book or a ZEV table into a new book file in one step.
class TImportCommand : public TCommand
{
public:
    QString Name() const override { return QStringLiteral("import"); }
    QString Description() const override;
    int Execute(const QStringList &args, QTextStream &out, QTextStream &err) override;
};
