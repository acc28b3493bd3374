#pragma once

#include "book/BookLabels.h"
#include "session/MainView.h"
#include "session/Prompt.h"
#include "util/Clock.h"

#include <QList>
#include <QQueue>
#include <QSize>
#include <QStringList>

#include <functional>
#include <optional>

// A scripted person: answers questions from a queue (Ano when it runs dry) and records
// every message it was shown.
class TFakePrompt : public IPrompt
{
public:
    struct TShown
    {
        QString Text;
        THlaskaKind Kind;
    };

    QList<TShown> Shown;
    QQueue<int> Answers;
    QQueue<QString> OpenPaths;
    QQueue<QString> SavePaths;
    int BusyDepth = 0;
    int OpenAsked = 0;
    int SaveAsked = 0;

    int Hlaska(const QString &text, THlaskaKind kind) override
    {
        Shown.append({text, kind});
        if (kind != THlaskaKind::Otazka)
            return kHlaskaOk;
        return Answers.isEmpty() ? kHlaskaAno : Answers.dequeue();
    }
    void SetBusy(bool busy) override { BusyDepth += busy ? 1 : -1; }
    // When set, the question about another program's write is answered with it (the
    // three-way box); else as the plain question, by Answers.
    std::optional<TDiskChoice> DiskAnswer;
    TDiskChoice AskChangedOnDisk(const QString &question) override
    {
        if (!DiskAnswer)
            return IPrompt::AskChangedOnDisk(question);
        Shown.append({question, THlaskaKind::Otazka});
        return *DiskAnswer;
    }
    // Where the widgets would repaint during long work; a test's fault may strike here.
    std::function<void()> DuringWork;
    void ProcessEvents() override
    {
        if (DuringWork)
            DuringWork();
    }
    QString AskOpenBook() override
    {
        ++OpenAsked;
        return OpenPaths.isEmpty() ? QString() : OpenPaths.dequeue();
    }
    QString AskSaveBook() override
    {
        ++SaveAsked;
        return SavePaths.isEmpty() ? QString() : SavePaths.dequeue();
    }

    QStringList Texts() const
    {
        QStringList t;
        for (const TShown &s : Shown)
            t.append(s.Text);
        return t;
    }
    QString Last() const { return Shown.isEmpty() ? QString() : Shown.last().Text; }
    void Reset() { Shown.clear(); }
};

class TFixedClock : public IClock
{
public:
    explicit TFixedClock(QDateTime now = QDateTime(QDate(2026, 12, 7), QTime(10, 15))) : Moment(now) { }
    QDateTime Now() const override { return Moment; }
    QDateTime Moment;
};

// The main window as far as the model sees it.
class TFakeView : public IMainView
{
public:
    TBookLabels Shown;
    int Applied = 0;
    QSize Size {588, 480};
    int List = 72;

    void ApplyLabels(const TBookLabels &labels) override
    {
        Shown = labels;
        ++Applied;
    }
    // Asked when the book's settings are stored, which a save does once its new file is
    // open; a test's fault may strike here.
    std::function<void()> WhenMeasured;
    QSize WindowSize() const override
    {
        if (WhenMeasured)
            WhenMeasured();
        return Size;
    }
    void SetWindowSize(QSize s) override { Size = s; }
    int ListWidth() const override { return List; }
    void SetListWidth(int w) override { List = w; }
};
