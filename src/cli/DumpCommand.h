#pragma once

#include "cli/Command.h"

// Prints a whole book as JSON: every entry in book order and its captions, streamed from
// the file entry by entry.
class TDumpCommand : public TCommand
{
public:
    QString Name() const override { return QStringLiteral("dump"); }
    QString Description() const override;
    int Execute(const QStringList &args, QTextStream &out, QTextStream &err) override;
};
