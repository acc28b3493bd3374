// The exports read the book's bytes without a QString between; each byte routine must
// give what its QString counterpart gives, for every byte and for the dates people type.
#include "interop/EntryBytes.h"
#include "interop/FormatWriter.h"
#include "interop/Mapping.h"
#include "util/Cp1250.h"

#include <QTest>

class TestEntryBytes : public QObject
{
    Q_OBJECT

private slots:
    void everyByte();
    void everyCodePoint();
    void escapedPairs();
    void folding_data();
    void folding();
    void days_data();
    void days();
    void nextDay_data();
    void nextDay();
};

// Each byte alone and beside the ones escaping treats apart.
void TestEntryBytes::everyByte()
{
    for (int b = 0; b < 256; ++b) {
        const QByteArray one(1, char(b));
        const QString u = FromCp1250(one);
        QByteArray utf8;
        AppendCp1250AsUtf8(utf8, one);
        QCOMPARE(utf8, u.toUtf8());
        QByteArray back;
        AppendUtf8AsCp1250(back, utf8);
        QCOMPARE(back, one);
        QByteArray escaped;
        {
            TByteAppender a(escaped);
            EntryBytes::AppendEscaped(a, one);
        }
        QCOMPARE(escaped, ContentLine::Escape(u).toUtf8());
        QCOMPARE(EntryBytes::Trimmed(" " + one + " ").size() == 0, (" " + u + " ").trimmed().isEmpty());
    }
}

// Characters the page lacks, in and beyond the range of its own, become '?'.
void TestEntryBytes::everyCodePoint()
{
    QString all;
    for (char32_t cp = 1; cp < 0x2200; ++cp)
        if (cp < 0xD800 || cp > 0xDFFF)
            all += QChar(char16_t(cp));
    all += QString::fromUtf8("\xF0\x9F\x98\x80 \xEF\xBF\xBD");
    QByteArray fast;
    AppendUtf8AsCp1250(fast, all.toUtf8());
    QCOMPARE(fast, ToCp1250(all));
}

void TestEntryBytes::escapedPairs()
{
    const QByteArray text = "a\r\nb\r\rc\n\rd\\,;\t\x01\x7F\x81\xA0\x8A" "e\r";
    QByteArray escaped;
    {
        TByteAppender a(escaped);
        EntryBytes::AppendEscaped(a, text);
    }
    QCOMPARE(escaped, ContentLine::Escape(FromCp1250(text)).toUtf8());
    QByteArray again;
    {
        TByteAppender a(again);
        EntryBytes::AppendEscapedUtf8(a, FromCp1250(text).toUtf8());
    }
    QCOMPARE(again, escaped);
}

void TestEntryBytes::folding_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("utf8");
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("75 octets") << QByteArray(75, 'a') << true;
    QTest::newRow("76 octets") << QByteArray(76, 'a') << true;
    QTest::newRow("two-byte letters") << QString(120, QChar(0x10D)).toUtf8() << true;
    QTest::newRow("four-byte characters") << QString::fromUtf8("x\xF0\x9F\x98\x80").repeated(60).toUtf8() << true;
    QTest::newRow("not UTF-8") << QByteArray(300, '\x80') << false;
}

// Lines folded at 75 octets into what is already written: the text unfolds to itself and,
// where it is UTF-8, no character is split; bytes that are not UTF-8 still end.
void TestEntryBytes::folding()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, utf8);
    QByteArray out = "BEFORE\r\n";
    ContentLine::Append(out, line);
    QVERIFY(out.startsWith("BEFORE\r\n"));
    QVERIFY(out.endsWith("\r\n"));
    const QList<QByteArray> physical = out.sliced(8).chopped(2).split('\n');
    QByteArray unfolded;
    for (qsizetype i = 0; i < physical.size(); ++i) {
        QByteArray piece = physical[i];
        if (i + 1 < physical.size()) {
            QVERIFY(piece.endsWith('\r'));
            piece.chop(1);
        }
        if (i > 0) {
            QVERIFY(piece.startsWith(' '));
            piece.remove(0, 1);
        }
        QVERIFY2(physical[i].size() - (i + 1 < physical.size() ? 1 : 0) <= 75, physical[i].constData());
        if (utf8)
            QCOMPARE(QString::fromUtf8(piece).toUtf8(), piece);
        unfolded += piece;
    }
    QCOMPARE(unfolded, line);
}

void TestEntryBytes::days_data()
{
    QTest::addColumn<QByteArray>("text");
    for (const char *t : {"05.03.1961", "5.3", "5.3.", "05.03.", "29.02.1964", "29.02.1900", "29.02.", "31.04.",
                          "0.1.", "1.13.", "31.12.9999", "05.03.0000", "1.1.0999", "5.12345", "5.123456", "5.1 2345",
                          "12 .3.", "12. 3. 1999", " 1.1 ", "1..1", "1.1..", "123.1.", "1.1.199", "1.1.19999",
                          "1.1.1999x", "x1.1.", "", ".", "1.", "1.1 1999", "01.01.2000\n", "\t7.\t7.\t2007\t",
                          "12.\xA0" "3.\xA0" "1999", "1\xA0.2."})
        QTest::newRow(t) << QByteArray(t);
}

void TestEntryBytes::days()
{
    QFETCH(QByteArray, text);
    const Mapping::TDayOfYear expected = Mapping::ParseDay(FromCp1250(text));
    const Mapping::TDayOfYear d = Mapping::ParseDayCp1250(text);
    QCOMPARE(d.Day, expected.Day);
    QCOMPARE(d.Month, expected.Month);
    QCOMPARE(d.Year, expected.Year);
}

void TestEntryBytes::nextDay_data()
{
    QTest::addColumn<QDate>("date");
    for (const QDate d : {QDate(2000, 2, 28), QDate(2000, 2, 29), QDate(1900, 2, 28), QDate(2024, 12, 31),
                          QDate(2023, 4, 30), QDate(1999, 1, 31), QDate(1000, 1, 1), QDate(9998, 12, 31)})
        QTest::newRow(qPrintable(d.toString(Qt::ISODate))) << d;
}

// The calendar's end date and both forms of a date, against QDate's.
void TestEntryBytes::nextDay()
{
    QFETCH(QDate, date);
    int y = date.year(), m = date.month(), d = date.day();
    EntryBytes::NextDay(y, m, d);
    QCOMPARE(QDate(y, m, d), date.addDays(1));
    QByteArray compact, dashed;
    {
        TByteAppender c(compact), d(dashed);
        EntryBytes::AppendDate(c, date.year(), date.month(), date.day(), false);
        EntryBytes::AppendDate(d, date.year(), date.month(), date.day(), true);
    }
    QCOMPARE(compact, date.toString(u"yyyyMMdd").toUtf8());
    QCOMPARE(dashed, date.toString(u"yyyy-MM-dd").toUtf8());
}

QTEST_GUILESS_MAIN(TestEntryBytes)
#include "tst_entrybytes.moc"
