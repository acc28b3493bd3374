#pragma once

#include "cli/Command.h"

// Address labels of a book's listed entries on A4 sheets, as a PDF.
class TLabelsCommand : public TCommand
{
public:
    QString Name() const override { return QStringLiteral("labels"); }
    QString Description() const override;
    int Execute(const QStringList &args, QTextStream &out, QTextStream &err) override;
};
