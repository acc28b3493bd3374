#pragma once

#include "cli/Command.h"

// Two-way sync of a book with an address book on a CardDAV server.
class TSyncCommand : public TCommand
{
public:
    QString Name() const override { return QStringLiteral("sync"); }
    QString Description() const override;
    int Execute(const QStringList &args, QTextStream &out, QTextStream &err) override;
};
