#include "cli/Command.h"

#include "cli/AnniversariesCommand.h"
#include "cli/CliSupport.h"
#include "cli/DumpCommand.h"
#include "cli/ExportCommand.h"
#include "cli/ImportCommand.h"
#include "cli/LabelsCommand.h"
#include "cli/ListCommand.h"
#include "cli/ReportCommand.h"
#include "cli/SyncCommand.h"
#include "util/Version.h"

#include <QFile>

#include <algorithm>

#include <csignal>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

std::vector<std::unique_ptr<TCommand>> AllCommands()
{
    std::vector<std::unique_ptr<TCommand>> all;
    all.push_back(std::make_unique<TListCommand>());
    all.push_back(std::make_unique<TDumpCommand>());
    all.push_back(std::make_unique<TAnniversariesCommand>());
    all.push_back(std::make_unique<TReportCommand>());
    all.push_back(std::make_unique<TImportCommand>());
    all.push_back(std::make_unique<TExportCommand>());
    all.push_back(std::make_unique<TSyncCommand>());
    all.push_back(std::make_unique<TLabelsCommand>());
    return all;
}

QString CliText::Shown(const QString &text)
{
    if (!TerminalOutput)
        return text;
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0))
            shown += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

void CliText::ReportOutputFailure(QTextStream &err)
{
    if (OutputFailureReported)
        return;
    OutputFailureReported = true;
    err << QString::fromUtf8("Výstup se nepodařilo zapsat.") << Qt::endl;
}

namespace {

#ifdef Q_OS_UNIX
void OnBusError(int)
{
    // Only what is safe in a signal handler: one write, then out.
    static const char kText[] = "Soubor adres\xC3\xA1\xC5\x99\x65 se b\xC4\x9bhem \xC4\x8dten\xC3\xAD zkr\xC3\xA1til.\n";
    (void)!::write(STDERR_FILENO, kText, sizeof kText - 1);
    ::_exit(1);
}
#endif

} // namespace

void InstallBusErrorGuard()
{
#ifdef Q_OS_UNIX
    struct sigaction action = {};
    action.sa_handler = OnBusError;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, nullptr);
#endif
}

bool IsStandardOutput(const QString &name)
{
    return name == QLatin1String("-");
}

bool CopyToOutput(const QString &file, QTextStream &out, QTextStream &err)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        err << QString::fromUtf8("Problém se čtením souboru") << Qt::endl;
        return false;
    }
    out.flush();
    QIODevice *device = out.device();
    char buffer[1 << 16];
    for (;;) {
        const qint64 n = f.read(buffer, sizeof buffer);
        if (n < 0) {
            err << QString::fromUtf8("Problém se čtením souboru") << Qt::endl;
            return false;
        }
        if (n == 0)
            break;
        if (device) {
            if (device->write(buffer, n) != n) {
                CliText::ReportOutputFailure(err);
                return false;
            }
        } else {
            // A stream on a string (tests): the bytes as Latin-1, one character each.
            out << QString::fromLatin1(buffer, n);
        }
    }
    // What the standard output's file still buffers would fail only on closing, after the
    // command had claimed success.
    if (auto *stdoutFile = qobject_cast<QFileDevice *>(device); stdoutFile && !stdoutFile->flush()) {
        CliText::ReportOutputFailure(err);
        return false;
    }
    return true;
}

bool LockBookForWrite(const QString &path, bool force, QTextStream &err, std::unique_ptr<QLockFile> &lock,
                      TLockAdvice advice)
{
    auto l = std::make_unique<QLockFile>(path + QStringLiteral(".lock"));
    l->setStaleLockTime(0);
    if (l->tryLock(0)) {
        lock = std::move(l);
        return true;
    }
    // A folder where no lock can be made has no program holding one either.
    if (l->error() != QLockFile::LockFailedError || force)
        return true;
    err << QString::fromUtf8("Soubor je otevřen v jiném spuštěném programu: ") << path << Qt::endl;
    if (advice == TLockAdvice::Force)
        err << QString::fromUtf8("Zapíše jej přesto volba --force.") << Qt::endl;
    else
        err << QString::fromUtf8("Zavřete jej v okně programu a spusťte synchronizaci znovu, nebo synchronizujte "
                                 "přímo v okně (Soubor → Synchronizovat).")
            << Qt::endl;
    return false;
}

bool ParseCommandLine(QCommandLineParser &parser, const QStringList &args, QTextStream &out,
                      QTextStream &err, int &status)
{
    const QCommandLineOption help(QStringList {QStringLiteral("h"), QStringLiteral("help")},
                                  QString::fromUtf8("Zobrazí nápovědu."));
    parser.addOption(help);
    if (!parser.parse(args)) {
        err << parser.errorText() << Qt::endl;
        status = 1;
        return false;
    }
    if (parser.isSet(help)) {
        out << parser.helpText();
        status = 0;
        return false;
    }
    return true;
}

bool ParseBookCommandLine(QCommandLineParser &parser, const QStringList &args, QTextStream &out,
                          QTextStream &err, QString &path, int &status)
{
    parser.addPositionalArgument(QStringLiteral("kniha"), QString::fromUtf8("soubor adresáře (*.WDT)"));
    if (!ParseCommandLine(parser, args, out, err, status))
        return false;
    if (parser.positionalArguments().size() != 1) {
        err << QString::fromUtf8("Zadejte právě jeden soubor adresáře.") << Qt::endl;
        status = 1;
        return false;
    }
    path = parser.positionalArguments().first();
    return true;
}

bool CommandPaints(const QStringList &args)
{
    if (args.value(1) == QLatin1String("labels"))
        return true;
    return std::any_of(args.cbegin(), args.cend(), [](const QString &a) {
        return a == QLatin1String("--pdf") || a.startsWith(QLatin1String("--pdf="));
    });
}

int RunCli(const QStringList &args, QTextStream &out, QTextStream &err)
{
    CliText::OutputFailureReported = false;
    const auto commands = AllCommands();
    const QString name = args.value(1);
    if (name == QLatin1String("--version")) {
        out << QStringLiteral("vorlink-cli ") << ProgramVersion() << '\n';
        return 0;
    }
    for (const auto &c : commands) {
        if (c->Name() == name)
            return c->Execute(args.mid(1), out, err);
    }
    const bool asked = name == QLatin1String("--help") || name == QLatin1String("-h") || name.isEmpty();
    QTextStream &to = asked && !name.isEmpty() ? out : err;
    to << QString::fromUtf8("Použití: vorlink-cli PŘÍKAZ [VOLBY] ...\n\nPříkazy:\n");
    for (const auto &c : commands)
        to << QStringLiteral("  ") << c->Name().leftJustified(16) << c->Description() << '\n';
    to << QString::fromUtf8("\nNápovědu k příkazu vypíše: vorlink-cli PŘÍKAZ --help\n"
                            "Verzi programu vypíše: vorlink-cli --version\n");
    if (!asked)
        err << QString::fromUtf8("Neznámý příkaz: ") << name << Qt::endl;
    return asked && !name.isEmpty() ? 0 : 1;
}
