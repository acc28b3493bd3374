#pragma once

#include "session/MainView.h"
#include "session/Prompt.h"
#include "settings/SettingsStore.h"
#include "util/Clock.h"

#include <QCommandLineParser>
#include <QSize>
#include <QTextStream>

// Headless stand-ins for the window: messages go to stderr, questions are answered no.
class TCliPrompt : public IPrompt
{
public:
    explicit TCliPrompt(QTextStream &err) : m_err(err) { }
    int Hlaska(const QString &text, THlaskaKind kind) override
    {
        m_err << text << Qt::endl;
        ++Failures;
        return kind == THlaskaKind::Otazka ? kHlaskaNe : kHlaskaOk;
    }
    void SetBusy(bool) override { }
    QString AskOpenBook() override { return {}; }
    QString AskSaveBook() override { return {}; }

    int Failures = 0;

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
} // namespace CliText

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
