#include "interop/CardText.h"
#include "interop/FormatWriter.h"

QList<TEntryEvent> CardText::EntryEvents(const TContactRecord &r, const TBookLabels &labels, TExportOptions options)
{
    return TCardText(labels, options).EntryEvents(r, options.AlarmDays);
}

QList<TEntryEvent> TCardText::EntryEvents(const TContactRecord &r, int alarmDays) const
{
    QByteArray events;
    Writer(TInteropFormat::Ics, alarmDays).Entry(events, r);
    // The export's events one after another; a text value never holds a bare line break,
    // so these lines are the events' own.
    static const QByteArray begin = "BEGIN:VEVENT\r\n";
    static const QByteArray end = "END:VEVENT\r\n";
    QList<TEntryEvent> out;
    for (qsizetype at = 0; (at = events.indexOf(begin, at)) >= 0;) {
        const qsizetype stop = events.indexOf(end, at);
        if (stop < 0)
            break;
        const QByteArray event = events.mid(at, stop + end.size() - at);
        at = stop + end.size();
        const qsizetype uid = event.indexOf("\r\nUID:");
        if (uid < 0)
            continue;
        TEntryEvent e;
        e.Uid = event.mid(uid + 6, event.indexOf("\r\n", uid + 2) - uid - 6);
        // No calendar name: the resource is one event of whichever calendar holds it.
        ContentLine::Append(e.Ics, "BEGIN:VCALENDAR");
        ContentLine::Append(e.Ics, "VERSION:2.0");
        ContentLine::Append(e.Ics, "PRODID:-//Vorlink//Vorlink//CS");
        ContentLine::Append(e.Ics, "CALSCALE:GREGORIAN");
        e.Ics += event;
        ContentLine::Append(e.Ics, "END:VCALENDAR");
        out << e;
    }
    return out;
}
