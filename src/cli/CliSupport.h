#pragma once

#include "session/MainView.h"
#include "session/Prompt.h"
#include "settings/SettingsStore.h"
#include "util/Clock.h"

#include <QCommandLineParser>
#include <QLockFile>
#include <QSize>
#include <QTextStream>

#include <memory>

// Headless stand-ins for the window: messages go to stderr, questions are answered no.
class TCliPrompt : public IPrompt
{
public:
    explicit TCliPrompt(QTextStream &err) : m_err(err) { }
    int Hlaska(const QString &text, THlaskaKind kind) override
    {
        if (QuietInformation && kind == THlaskaKind::Informace)
            return kHlaskaOk;
        m_err << text << Qt::endl;
        ++Failures;
        return kind == THlaskaKind::Otazka ? kHlaskaNe : kHlaskaOk;
    }
    void SetBusy(bool) override { }
    QString AskOpenBook() override { return {}; }
    QString AskSaveBook() override { return {}; }

    int Failures = 0;
    // Where the output itself goes to standard output, "written to …" would only mislead.
    bool QuietInformation = false;

private:
    QTextStream &m_err;
};

class TCliView : public IMainView
{
public:
    void ApplyLabels(const TBookLabels &) override { }
    QSize WindowSize() const override { return m_size; }
    void SetWindowSize(QSize s) override { m_size = s; }
    int ListWidth() const override { return m_list; }
    void SetListWidth(int w) override { m_list = w; }

private:
    QSize m_size {588, 480};
    int m_list = 150;
};

// The user's stored settings of one book (per-book values, modem, window), read once.
struct TCliBookSettings
{
    explicit TCliBookSettings(const QString &book) { Store.LoadBookValues(book); }
    TSettings Settings;
    TSystemClock Clock;
    TSettingsStore Store {Settings, Clock};
};

// Texts for a terminal: control characters (escape sequences, NUL, C1 codes) from a
// book would act on the terminal, so they are shown as \xHH while `TerminalOutput` is
// set (by main when standard output is a terminal). Elsewhere texts go out unchanged.
namespace CliText {
inline bool TerminalOutput = false;
QString Shown(const QString &text);

// "Výstup se nepodařilo zapsat.", said once a run however many places notice it.
void ReportOutputFailure(QTextStream &err);
inline bool OutputFailureReported = false;
} // namespace CliText

// A command's output written to standard output: "-" as an output name. The file that a
// writer made in `file` is copied to `out`; false (after the message) when that failed.
bool IsStandardOutput(const QString &name);
bool CopyToOutput(const QString &file, QTextStream &out, QTextStream &err);

// The lock beside a book the command is about to write, as the window holds it while the
// book is open. False (after the message) when a running program holds it and `force`
// was not given; a lock left by a program that has died is taken over, and goes when
// `lock` does. The message ends with what the person can do: `--force` where the command
// takes it, else closing the book in the window first.
enum class TLockAdvice { Force, CloseInWindow };
bool LockBookForWrite(const QString &path, bool force, QTextStream &err, std::unique_ptr<QLockFile> &lock,
                      TLockAdvice advice = TLockAdvice::Force);

// A book read in place (TBookMap) that another program cuts short while it is read would
// end the command with a bus error; this says why and exits with 1 instead. Output goes
// through files of its own, so nothing half-written takes a target's place.
void InstallBusErrorGuard();

enum class TBookFileError;
// What a command says when a book could not be read.
void PrintBookFileError(TBookFileError e, const QString &path, QTextStream &err);

// Parses `args` for a command; on --help or a usage error prints and returns false with
// `status` set.
bool ParseCommandLine(QCommandLineParser &parser, const QStringList &args, QTextStream &out,
                      QTextStream &err, int &status);

// The same for a command that takes exactly one book file, which lands in `path`.
bool ParseBookCommandLine(QCommandLineParser &parser, const QStringList &args, QTextStream &out,
                          QTextStream &err, QString &path, int &status);
