#pragma once

#include <QByteArray>
#include <QList>

#include <array>

// What the reminder settings dialog shows and returns.
struct TReminderChoice
{
    bool AutoHledat = false;
    int Days = 7; // 0..365
    std::array<bool, 10> Flags {};
    std::array<QByteArray, 10> Captions; // the book's flag captions, Windows-1250
};

// The modal windows of the dates and anniversaries. Texts are Windows-1250 bytes;
// the widgets convert them for display.
class ICalendarDialogs
{
public:
    virtual ~ICalendarDialogs() = default;

    // The name-day picker over the calendar lines. `selected` comes in as the line to
    // show selected (-1: keep what the picker had) and goes out as the line selected
    // when the picker closed. True when the person confirmed.
    virtual bool PickNameDay(const QList<QByteArray> &lines, qsizetype &selected) = 0;

    // The found anniversaries; `acknowledge` is the check box "do not show past
    // anniversaries again", in on the state to show and out on the state it was left in.
    virtual void ShowAnniversaries(const QList<QByteArray> &lines, bool &acknowledge) = 0;

    // The reminder settings; true when confirmed, with `choice` holding the new values.
    virtual bool EditReminders(TReminderChoice &choice) = 0;
};
