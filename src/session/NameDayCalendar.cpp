#include "session/NameDayCalendar.h"

#include <QFile>
#include <limits>

bool TNameDayCalendar::Load(const QString &path)
{
    FLines.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        FLines.clear();
        return false;
    }

    qsizetype start = 0;
    while (start < data.size()) {
        qsizetype end = data.indexOf('\n', start);
        const qsizetype next = end < 0 ? data.size() : end + 1;
        if (end < 0)
            end = data.size();
        qsizetype lineEnd = end;
        if (end < data.size() && lineEnd > start && data.at(lineEnd - 1) == '\r')
            --lineEnd;
        FLines.append(data.sliced(start, lineEnd - start));
        start = next;
    }
    return true;
}

void TNameDayCalendar::SetLines(QList<QByteArray> lines)
{
    FLines = std::move(lines);
}

qsizetype TNameDayCalendar::LineOfDay(QByteArrayView svatek) const
{
    if (svatek.isEmpty())
        return -1;
    for (qsizetype i = 0; i < FLines.size(); ++i) {
        if (QByteArrayView(FLines.at(i)).first(qMin(DayLength, FLines.at(i).size())) == svatek)
            return i;
    }
    return -1;
}

QByteArray TNameDayCalendar::NamesOfDay(QByteArrayView svatek) const
{
    const qsizetype line = LineOfDay(svatek);
    return line < 0 ? QByteArray() : NamesOfLine(FLines.at(line));
}

qsizetype TNameDayCalendar::LineOfName(QByteArrayView firstName) const
{
    if (firstName.isEmpty())
        return -1;
    qsizetype best = -1;
    qsizetype bestPos = std::numeric_limits<qsizetype>::max();
    for (qsizetype i = 0; i < FLines.size(); ++i) {
        const QByteArray &line = FLines.at(i);
        // Only the first occurrence counts, even when it sits inside a longer name.
        const qsizetype pos = line.indexOf(firstName);
        if (pos < 0 || pos >= bestPos)
            continue;
        const qsizetype after = pos + firstName.size();
        if (after == line.size() || line.at(after) == ',') {
            best = i;
            bestPos = pos;
        }
    }
    return best;
}

QByteArray TNameDayCalendar::DayOfLine(QByteArrayView line)
{
    return line.first(qMin(DayLength, line.size())).toByteArray();
}

QByteArray TNameDayCalendar::NamesOfLine(QByteArrayView line)
{
    return line.size() > NamesOffset ? line.sliced(NamesOffset).toByteArray() : QByteArray();
}
