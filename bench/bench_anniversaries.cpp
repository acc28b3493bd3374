// Anniversary search over a full book: 65,535 entries with random birthdays, name
// days and flags; prints the time of each search.
#include "BenchSupport.h"
#include "calendar/AnniversarySearch.h"
#include "session/AddressBook.h"
#include "session/Prompt.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTextStream>

namespace {

QByteArray TwoDigits(int v)
{
    return QByteArray::number(v).rightJustified(2, '0');
}

} // namespace

int main()
{
    QTextStream out(stdout);
    TBenchPrompt prompt;
    TAddressBook book(prompt);
    QRandomGenerator rnd(20261207);
    for (int i = 0; i < 65535; ++i) {
        TContactRecord r;
        r.SetText(EField::NazevPolozky, "Osoba " + QByteArray::number(i));
        const QDate birth = QDate(1930, 1, 1).addDays(rnd.bounded(30000));
        if (rnd.bounded(10) < 8)
            r.SetText(EField::Narozeniny, birth.toString(QStringLiteral("dd.MM.yyyy")).toLatin1());
        if (rnd.bounded(10) < 6) {
            const QDate d = QDate(2000, 1, 1).addDays(rnd.bounded(366));
            r.SetText(EField::Svatek, TwoDigits(d.day()) + '.' + TwoDigits(d.month()) + '.');
        }
        for (int f = 1; f <= 10; ++f)
            r.SetFlag(f, rnd.bounded(4) == 0);
        book.AppendRecord(r);
    }
    std::array<bool, 10> reminders {};
    reminders[0] = reminders[2] = true;

    const TStamp now = MakeStamp(2026, 12, 7, 10, 15, 0, 0);
    struct TCase
    {
        const char *Name;
        TStamp Since;
        int Days;
    } cases[] = {
        {"look-ahead 365, acknowledged today", now, 365},
        {"look-ahead 7, mark five years back", AddDays(now, -5 * 365), 7},
        {"look-ahead 365, mark five years back", AddDays(now, -5 * 365), 365},
    };
    for (const TCase &c : cases) {
        QElapsedTimer t;
        t.start();
        const TAnniversaryIndex index(book, reminders);
        const qint64 grouped = t.nsecsElapsed();
        const QList<QByteArray> lines = index.Lines(c.Since, AnniversaryDayCount(c.Since, now, c.Days));
        const qint64 total = t.nsecsElapsed();
        out << c.Name << ": " << AnniversaryDayCount(c.Since, now, c.Days) << " days, " << index.CandidateCount()
            << " candidates, " << lines.size() << " lines in " << total / 1000000.0 << " ms (grouping "
            << grouped / 1000000.0 << " ms)" << Qt::endl;
    }
    return 0;
}
