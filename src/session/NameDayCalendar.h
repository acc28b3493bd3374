#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// The name-day calendar: the lines of the calendar file as Windows-1250 bytes, in
// file order and untouched, so the picker can show them exactly as shipped.
// A line is "DD.MM." + four separator characters + the names of the day.
class TNameDayCalendar
{
public:
    // Position where the names start in a line (the day and separator come before).
    static constexpr qsizetype NamesOffset = 10;
    static constexpr qsizetype DayLength = 6;

    // Reads the file, dropping only the line ends. A missing or unreadable file
    // leaves the calendar empty.
    bool Load(const QString &path);
    void SetLines(QList<QByteArray> lines);
    const QList<QByteArray> &Lines() const { return FLines; }
    bool IsEmpty() const { return FLines.isEmpty(); }

    // Index of the first line whose day part equals the name-day text, or -1.
    qsizetype LineOfDay(QByteArrayView svatek) const;
    // Names of the first line of that day; empty when none.
    QByteArray NamesOfDay(QByteArrayView svatek) const;
    // Index of the line in which the first name occurs earliest as a whole entry
    // (followed by a comma or ending the line), the first such line on a tie; -1
    // when none. Only the first occurrence of the name in a line counts.
    qsizetype LineOfName(QByteArrayView firstName) const;

    static QByteArray DayOfLine(QByteArrayView line);
    static QByteArray NamesOfLine(QByteArrayView line);

private:
    QList<QByteArray> FLines;
};
