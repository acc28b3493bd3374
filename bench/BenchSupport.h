#pragma once

// What every benchmark stands in for the person, the clock and the window, and how it
// takes a figure.
#include "session/MainView.h"
#include "session/Prompt.h"
#include "util/Clock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSize>

#include <functional>

// Answers Ano and OK, hands out `Path` for file dialogs, and repaints as the real prompt
// does (without taking input), counting what it was asked.
class TBenchPrompt : public IPrompt
{
public:
    int Hlaska(const QString &text, THlaskaKind kind) override
    {
        ++Messages;
        Last = text;
        return kind == THlaskaKind::Otazka ? kHlaskaAno : kHlaskaOk;
    }
    void SetBusy(bool) override { }
    QString AskOpenBook() override { return Path; }
    QString AskSaveBook() override { return Path; }
    void ProcessEvents() override
    {
        ++Repaints;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    QString Path;
    QString Last;
    int Messages = 0;
    int Repaints = 0;
};

class TBenchClock : public IClock
{
public:
    QDateTime Now() const override { return {QDate(2024, 3, 1), QTime(12, 0)}; }
};

class TBenchView : public IMainView
{
public:
    void ApplyLabels(const TBookLabels &) override { }
    QSize WindowSize() const override { return {588, 480}; }
    void SetWindowSize(QSize) override { }
    int ListWidth() const override { return 150; }
    void SetListWidth(int) override { }
};

inline double Ms(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

// The best of `runs` runs, in milliseconds.
inline double Best(int runs, const std::function<void()> &f)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        best = qMin(best, Ms(t));
    }
    return best;
}
