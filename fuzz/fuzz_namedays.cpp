// Any bytes as the name-day calendar file, then every lookup the editor makes.
#include "session/NameDayCalendar.h"

#include <QFile>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vorlink.sva"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    TNameDayCalendar calendar;
    calendar.Load(path);
    for (const QByteArray &line : calendar.Lines()) {
        (void)calendar.LineOfDay(TNameDayCalendar::DayOfLine(line));
        (void)TNameDayCalendar::NamesOfLine(line);
        (void)calendar.LineOfName(line.left(8));
    }
    (void)calendar.NamesOfDay("24.12.");
    return 0;
}
