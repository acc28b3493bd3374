#include "cli/CliSupport.h"
#include "cli/Command.h"
#include "cli/PdfOutput.h"
#include "cli/TerminalDevice.h"
#include "util/FileName.h"

#include <QCoreApplication>
#include <QTextStream>

#include <csignal>
#include <memory>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

int main(int argc, char *argv[])
{
#ifdef SIGXFSZ
    // Beyond a file-size limit a write fails and is reported instead of killing us.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    InstallBusErrorGuard();
#ifdef Q_OS_UNIX
    CliText::TerminalOutput = isatty(STDOUT_FILENO);
#endif
    // Arguments as their bytes are, so a book name that is not UTF-8 still opens.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(FileName::FromBytes(argv[i]));
    // Drawing pages needs fonts, hence Qt Gui, from the painter's module.
    std::unique_ptr<QCoreApplication> app;
    if (CommandPaints(arguments)) {
        QString problem;
        app.reset(PdfOutput::MakeApplication(argc, argv, problem));
        if (!app) {
            std::fprintf(stderr, "%s\n", problem.toUtf8().constData());
            return 1;
        }
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setOrganizationName(QStringLiteral("Brevmark"));
    QCoreApplication::setApplicationName(QStringLiteral("Vorlink"));
    QTextStream out(stdout);
    // Names from books and templates reach the terminal as text, never as its commands.
    TTerminalDevice terminal(stderr);
    QTextStream err(stderr);
#ifdef Q_OS_UNIX
    if (isatty(STDERR_FILENO))
        err.setDevice(&terminal);
#endif
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    int status = RunCli(arguments, out, err);
    out.flush();
    // Output that did not reach its file (a full disk, /dev/full) is a failure.
    if (out.status() != QTextStream::Ok || std::fflush(stdout) != 0 || std::ferror(stdout)) {
        CliText::ReportOutputFailure(err);
        status = 1;
    }
    err.flush();
    return status;
}
