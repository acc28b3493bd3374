#pragma once

#include "cli/Command.h"

// Writes a report from a template over a book's list, as "Tisk" does, without a window.
class TReportCommand : public TCommand
{
public:
    QString Name() const override { return QStringLiteral("report"); }
    QString Description() const override;
    int Execute(const QStringList &args, QTextStream &out, QTextStream &err) override;
};
