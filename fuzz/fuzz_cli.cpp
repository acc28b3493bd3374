// Runs vorlink-cli's commands in-process on arbitrary arguments and an arbitrary input
// file: the part before the first NUL is the command line (one argument a line), the
// rest the file "vstup" the arguments may name. Every name is kept inside the run's
// folder (slashes become underscores), so no run can touch a file elsewhere (reports,
// whose templates name their own output, are left to their own target). Nothing may crash, hang or leak; every status is 0, 1 or 3.
#include "FuzzInput.h"
#include "cli/Command.h"

#include <QSettings>
#include <QTextStream>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool once = [] {
        // The settings store lives in the run's folder too.
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, FuzzPath("config"));
        return true;
    }();
    Q_UNUSED(once);
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype nul = bytes.indexOf('\0');
    const QByteArrayView line = nul < 0 ? bytes : bytes.first(nul);
    const QByteArrayView file = nul < 0 ? QByteArrayView() : bytes.sliced(nul + 1);
    if (FuzzFile("vstup", file.data(), size_t(file.size())).isEmpty())
        return 0;
    QStringList args {QStringLiteral("vorlink-cli")};
    for (const QByteArray &a : line.toByteArray().split('\n')) {
        if (args.size() > 12)
            break;
        QString arg = QString::fromUtf8(a);
        arg.replace(QLatin1Char('/'), QLatin1Char('_'));
        // A word that is no option names a file of the folder; options give their values
        // after "=" (--mask=AFFFFFFFFF), and a name there stays in the working folder.
        if (!arg.startsWith(QLatin1Char('-')) && args.size() > 1)
            arg = FuzzPath(arg.toUtf8().left(100).constData());
        args << arg;
    }
    // A template names its own output, anywhere: reports are fuzzed by their own target,
    // which writes nothing.
    if (args.value(1) == QLatin1String("report"))
        return 0;
    QString out, err;
    QTextStream o(&out), e(&err);
    const int status = RunCli(args, o, e);
    if (status != 0 && status != 1 && status != 3)
        std::abort();
    return 0;
}
