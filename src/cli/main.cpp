#include "cli/Command.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Brevmark"));
    QCoreApplication::setApplicationName(QStringLiteral("Vorlink"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    const int status = RunCli(QCoreApplication::arguments(), out, err);
    out.flush();
    err.flush();
    return status;
}
