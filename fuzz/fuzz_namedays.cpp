// Any bytes as the name-day calendar file, then every lookup the editor makes.
#include "FuzzInput.h"
#include "session/NameDayCalendar.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = FuzzFile("vorlink.sva", data, size);
    if (path.isEmpty())
        return 0;
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
