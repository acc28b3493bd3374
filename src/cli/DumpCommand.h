#pragma once

#include "cli/Command.h"

class TAddressBook;
class QJsonObject;

// Prints a whole book as JSON: its captions and every entry in book order.
class TDumpCommand : public TCommand
{
public:
    QString Name() const override { return QStringLiteral("dump"); }
    QString Description() const override;
    int Execute(const QStringList &args, QTextStream &out, QTextStream &err) override;
};
