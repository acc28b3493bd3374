#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <memory>
#include <vector>

// One headless command of vorlink-cli. Streams are passed in so tests run commands
// in-process and read what they print.
class TCommand
{
public:
    virtual ~TCommand() = default;
    virtual QString Name() const = 0;
    virtual QString Description() const = 0;
    // `args` starts with the command's name. Returns the exit status.
    virtual int Execute(const QStringList &args, QTextStream &out, QTextStream &err) = 0;
};

std::vector<std::unique_ptr<TCommand>> AllCommands();

// Whether the command draws pages (labels, a report's PDF), so it needs fonts.
bool CommandPaints(const QStringList &args);

// Dispatches `args` (program name first) to a command.
int RunCli(const QStringList &args, QTextStream &out, QTextStream &err);
