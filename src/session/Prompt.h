#pragma once

#include <QString>

// Kinds of the program's message box; the values are the stored kind numbers.
enum class THlaskaKind : int { Otazka = 0, Vystraha = 1, Chyba = 2, Informace = 3 };

constexpr int kHlaskaAno = 6;
constexpr int kHlaskaNe = 7;
constexpr int kHlaskaOk = 1;

// A save over a file another program changed meanwhile: write over it, read it again
// (this program's changes given up), or neither.
enum class TDiskChoice { Overwrite, Reload, Cancel };

// What the model asks of the person in front of it. The GUI answers with real dialogs,
// tests with scripted answers.
class IPrompt
{
public:
    virtual ~IPrompt() = default;

    // Returns 6 (Ano), 7 (Ne) or 1 (OK). Restores the normal cursor first.
    virtual int Hlaska(const QString &text, THlaskaKind kind) = 0;

    // Hourglass on or off around file work.
    virtual void SetBusy(bool busy) = 0;

    // A book to open (existing file) or to save to; empty when cancelled.
    virtual QString AskOpenBook() = 0;
    virtual QString AskSaveBook() = 0;

    // Lets the window repaint during long work.
    virtual void ProcessEvents() { }

    // `question` asked with a third answer, "Načíst znovu". Where no such box exists the
    // plain question decides between overwriting and nothing.
    virtual TDiskChoice AskChangedOnDisk(const QString &question)
    {
        return Hlaska(question, THlaskaKind::Otazka) == kHlaskaAno ? TDiskChoice::Overwrite : TDiskChoice::Cancel;
    }
};

// Hourglass for the life of a scope.
class TBusyScope
{
public:
    explicit TBusyScope(IPrompt &p) : m_p(p) { m_p.SetBusy(true); }
    ~TBusyScope() { m_p.SetBusy(false); }
    TBusyScope(const TBusyScope &) = delete;
    TBusyScope &operator=(const TBusyScope &) = delete;

private:
    IPrompt &m_p;
};
