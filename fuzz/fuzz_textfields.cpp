// Typed text in the date fields, stamps from the settings store and calendar lines.
#include "book/DateFields.h"
#include "session/NameDayCalendar.h"
#include "util/CodePage.h"
#include "util/TextRoutines.h"
#include "util/TimeStamp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView text(reinterpret_cast<const char *>(data), qsizetype(size));
    (void)NormalizeBirthday(text);
    (void)NormalizeNameDay(text);
    (void)CheckBirthNumber(text, QDate(2026, 12, 7));
    (void)AgeText(text, QDate(2026, 12, 7));
    const QString s = QString::fromLatin1(text);
    for (int p = 0; p <= 8; ++p)
        (void)ParseStampDisplay(s, p);
    (void)StampDisplay(StampFromText(s), 21);
    (void)HexPairsToBytes(text);
    (void)ReplaceAll(text, text.first(qMin<qsizetype>(2, text.size())), "xy");
    for (int from = 0; from < 5; ++from)
        (void)ConvertCodePage(text, from, (from + 2) % 5);

    TNameDayCalendar calendar;
    calendar.SetLines(text.toByteArray().split('\n'));
    (void)calendar.LineOfName(text.first(qMin<qsizetype>(4, text.size())));
    (void)calendar.NamesOfDay(text.first(qMin<qsizetype>(6, text.size())));
    return 0;
}
