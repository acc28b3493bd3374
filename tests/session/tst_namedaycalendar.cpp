#include "session/NameDayCalendar.h"
#include "util/Cp1250.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

QList<QByteArray> Lines(std::initializer_list<const char *> lines)
{
    QList<QByteArray> result;
    for (const char *line : lines)
        result.append(QByteArray(line));
    return result;
}

QString ShippedCalendar()
{
    return QStringLiteral(VORLINK_SOURCE_DIR "/data/vorlink.sva");
}

} // namespace

class TestNameDayCalendar : public QObject
{
    Q_OBJECT

private slots:
    void lineOfName_data();
    void lineOfName();
    void namesOfDay_data();
    void namesOfDay();
    void load_data();
    void load();
    void loadMissingFileEmptiesCalendar();
    void shippedCalendarHasEveryDayOnce();
    void shippedCalendarFindsEveryName();
};

void TestNameDayCalendar::lineOfName_data()
{
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<qsizetype>("expected");

    const auto janJana = Lines({ "01.01.    Jana, Jan", "24.06.    Jan" });
    QTest::newRow("first occurrence inside a longer name") << janJana << QByteArray("Jan") << qsizetype(1);
    QTest::newRow("name before a comma") << janJana << QByteArray("Jana") << qsizetype(0);
    QTest::newRow("case-sensitive") << janJana << QByteArray("jan") << qsizetype(-1);
    QTest::newRow("empty name") << janJana << QByteArray() << qsizetype(-1);
    QTest::newRow("empty calendar") << QList<QByteArray>() << QByteArray("Jan") << qsizetype(-1);

    const auto positions = Lines({ "02.02.    Alena, Petr", "03.03.    Petr", "04.04.    Petr" });
    QTest::newRow("earliest position wins") << positions << QByteArray("Petr") << qsizetype(1);
    QTest::newRow("tie keeps first line")
        << Lines({ "01.01.    Eva", "02.01.    Eva" }) << QByteArray("Eva") << qsizetype(0);
    QTest::newRow("followed by a blank is no match")
        << Lines({ "06.07.    Mistr Jan Hus" }) << QByteArray("Jan") << qsizetype(-1);
    QTest::newRow("end of a longer name matches")
        << Lines({ "18.08.    Helena" }) << QByteArray("elena") << qsizetype(0);
    QTest::newRow("comma without blank")
        << Lines({ "09.10.    Štefan,Sára" }) << QByteArray("Štefan") << qsizetype(0);
    QTest::newRow("line far longer than the old 1000-position bound")
        << Lines({ QByteArray("01.01.    " + QByteArray(2000, 'x') + ", Kvido").constData() })
        << QByteArray("Kvido") << qsizetype(0);
}

void TestNameDayCalendar::lineOfName()
{
    QFETCH(QList<QByteArray>, lines);
    QFETCH(QByteArray, name);
    QFETCH(qsizetype, expected);
    TNameDayCalendar calendar;
    calendar.SetLines(lines);
    QCOMPARE(calendar.LineOfName(name), expected);
}

void TestNameDayCalendar::namesOfDay_data()
{
    QTest::addColumn<QByteArray>("svatek");
    QTest::addColumn<qsizetype>("line");
    QTest::addColumn<QByteArray>("names");

    QTest::newRow("first line of the day") << QByteArray("19.03.") << qsizetype(1) << QByteArray("Josef");
    QTest::newRow("short form never matches") << QByteArray("19.3.") << qsizetype(-1) << QByteArray();
    QTest::newRow("five characters do not match") << QByteArray("19.03") << qsizetype(-1) << QByteArray();
    QTest::newRow("empty text") << QByteArray() << qsizetype(-1) << QByteArray();
    QTest::newRow("line without names") << QByteArray("20.03.") << qsizetype(3) << QByteArray();
    QTest::newRow("names kept as written")
        << QByteArray("14.03.") << qsizetype(4) << QByteArray("Rút,Matylda ");
}

void TestNameDayCalendar::namesOfDay()
{
    QFETCH(QByteArray, svatek);
    QFETCH(qsizetype, line);
    QFETCH(QByteArray, names);
    TNameDayCalendar calendar;
    calendar.SetLines(Lines(
        { "19.3.     Nikdo", "19.03.    Josef", "19.03.    Druhy", "20.03.", "14.03.    Rút,Matylda " }));
    QCOMPARE(calendar.LineOfDay(svatek), line);
    QCOMPARE(calendar.NamesOfDay(svatek), names);
}

void TestNameDayCalendar::load_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QList<QByteArray>>("lines");

    QTest::newRow("CR LF") << QByteArray("01.01.    A\r\n02.01.    B\r\n")
                           << Lines({ "01.01.    A", "02.01.    B" });
    QTest::newRow("last line without end")
        << QByteArray("01.01.    A\r\n02.01.    B") << Lines({ "01.01.    A", "02.01.    B" });
    QTest::newRow("LF only") << QByteArray("01.01.    A\n02.01.    B\n")
                             << Lines({ "01.01.    A", "02.01.    B" });
    QTest::newRow("blanks kept") << QByteArray("  01.01.  A  \r\n") << Lines({ "  01.01.  A  " });
    QTest::newRow("empty line kept") << QByteArray("A\r\n\r\nB\r\n") << Lines({ "A", "", "B" });
    QTest::newRow("empty file") << QByteArray() << QList<QByteArray>();
}

void TestNameDayCalendar::load()
{
    QFETCH(QByteArray, content);
    QFETCH(QList<QByteArray>, lines);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("vorlink.sva"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    TNameDayCalendar calendar;
    calendar.SetLines(Lines({ "stale" }));
    QVERIFY(calendar.Load(path));
    QCOMPARE(calendar.Lines(), lines);
}

void TestNameDayCalendar::loadMissingFileEmptiesCalendar()
{
    QTemporaryDir dir;
    TNameDayCalendar calendar;
    calendar.SetLines(Lines({ "01.01.    Jan" }));
    QVERIFY(!calendar.Load(dir.filePath(QStringLiteral("missing.sva"))));
    QVERIFY(calendar.Lines().isEmpty());
    QVERIFY(calendar.NamesOfDay("01.01.").isEmpty());
    QCOMPARE(calendar.LineOfName("Jan"), qsizetype(-1));

    // A directory cannot be read as a file.
    calendar.SetLines(Lines({ "01.01.    Jan" }));
    QVERIFY(!calendar.Load(dir.path()));
    QVERIFY(calendar.Lines().isEmpty());
}

void TestNameDayCalendar::shippedCalendarHasEveryDayOnce()
{
    QFile file(ShippedCalendar());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray raw = file.readAll();
    QVERIFY(raw.endsWith("\r\n"));
    QCOMPARE(raw.count("\r\n"), raw.count('\n'));
    QCOMPARE(raw.count('\r'), raw.count('\n'));

    TNameDayCalendar calendar;
    QVERIFY(calendar.Load(ShippedCalendar()));
    const QList<QByteArray> &lines = calendar.Lines();
    QCOMPARE(lines.size(), qsizetype(366));

    QDate day(2024, 1, 1); // a leap year, so 29 February is there too
    for (const QByteArray &line : lines) {
        const QByteArray expectedDay = day.toString(QStringLiteral("dd.MM.")).toLatin1();
        QCOMPARE(TNameDayCalendar::DayOfLine(line), expectedDay);
        QCOMPARE(line.mid(6, 4), QByteArray("    "));
        const QByteArray names = TNameDayCalendar::NamesOfLine(line);
        QVERIFY2(!names.trimmed().isEmpty(), line.constData());
        // Windows-1250, not UTF-8: a round trip keeps the bytes and no C1 control appears.
        const QString text = FromCp1250(names);
        QCOMPARE(ToCp1250(text), names);
        for (QChar c : text)
            QVERIFY2(c.isLetter() || c == u' ' || c == u',' || c == u'.', line.constData());
        day = day.addDays(1);
    }
    QCOMPARE(day, QDate(2025, 1, 1));

    QCOMPARE(FromCp1250(calendar.NamesOfDay("01.01.")), QString::fromUtf8("Nový rok"));
    QCOMPARE(FromCp1250(calendar.NamesOfDay("19.03.")), QStringLiteral("Josef"));
    QCOMPARE(FromCp1250(calendar.NamesOfDay("25.12.")), QString::fromUtf8("Boží hod vánoční"));
    QCOMPARE(calendar.LineOfName("Jan"), calendar.LineOfDay("24.06."));
    QCOMPARE(calendar.LineOfName("Jana"), calendar.LineOfDay("24.05."));
}

void TestNameDayCalendar::shippedCalendarFindsEveryName()
{
    // Each name must lead back to its own day, which fails for a name given twice
    // or standing after a longer name that starts with it.
    TNameDayCalendar calendar;
    QVERIFY(calendar.Load(ShippedCalendar()));
    for (qsizetype i = 0; i < calendar.Lines().size(); ++i) {
        const QByteArray names = TNameDayCalendar::NamesOfLine(calendar.Lines().at(i));
        for (const QByteArray &name : names.split(',')) {
            const QByteArray trimmed = name.trimmed();
            QVERIFY2(calendar.LineOfName(trimmed) == i, FromCp1250(trimmed).toUtf8().constData());
        }
    }
}

QTEST_GUILESS_MAIN(TestNameDayCalendar)
#include "tst_namedaycalendar.moc"
