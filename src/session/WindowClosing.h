#pragma once

#include <QString>

#include <optional>

class TDocumentCommands;
class TSession;

// What asked the main window to close.
enum class TCloseTrigger {
    Window,  // the window's close button
    Konec,   // "&Konec" of the file menu
    Ukoncit, // "Ukončit program" of the tray menu
};

// How a request to close ended.
enum class TCloseResult {
    Hidden,  // the window went to the tray; the program runs on
    Refused, // the person or a failed store kept the program running
    Ends,    // the program ends
    Waiting, // work is stopping; the close is done again once it has (WorkStopped)
};

// Work beside the window that has to reach a safe point before the program ends (a sync).
class IClosingWork
{
public:
    virtual ~IClosingWork() = default;
    virtual bool Running() const = 0;
    // Whether to stop the work and end the program.
    virtual QString StopQuestion() const = 0;
    // Stops it at its next safe point; the window hears of the end and calls WorkStopped.
    virtual void Stop() = 0;
};

// The decisions around closing the main window, the tray and the system's log-off. The
// window only carries them out, so every combination runs in a test without one.
class TWindowClosing
{
public:
    TWindowClosing(TSession &s, TDocumentCommands &documents);

    // With "Lista" on and a tray to come back from, closing hides the window. Otherwise
    // (and always for "&Konec" and "Ukončit program", which clear "Lista") the program
    // asks about unsaved changes and stores its settings before it ends. Running work is
    // asked about first: stopped on yes (the close waits for it), left running on no.
    TCloseResult Close(TCloseTrigger trigger, bool trayAvailable);

    void SetWork(IClosingWork *work) { m_work = work; }
    // The work has stopped: the close that waited for it, to be done now.
    std::optional<TCloseTrigger> WorkStopped();

    // "/l" starts in the tray, but only where a tray icon can bring the window back.
    static bool ShowAtStart(bool startHidden, bool trayAvailable) { return !startHidden || !trayAvailable; }

    // The system asks whether it may log off or shut down. "Lista" is cleared so the
    // program ends with the system; unsaved changes are asked about when the system
    // allows questions, otherwise the settings and recent files are stored as they are.
    // False cancels the log-off.
    bool LogOffQuery(bool mayAsk);

    // The person is at work again (the window was activated or the tray used): a log-off
    // agreed to did not happen, so "Lista" is as it was and a later close asks again.
    void Resume();

    // The program has agreed to end; a close that follows passes without questions.
    bool Agreed() const { return m_agreed; }

private:
    TSession &m_s;
    TDocumentCommands &m_documents;
    bool m_agreed = false;
    bool m_logOff = false;
    bool m_listaBeforeLogOff = false;
    IClosingWork *m_work = nullptr;
    std::optional<TCloseTrigger> m_afterWork;
};
