#include "util/Cp1250.h"
#include "util/TextRoutines.h"

#include <QTest>

namespace {

QByteArray W(const char *utf8)
{
    return ToCp1250(QString::fromUtf8(utf8));
}

} // namespace

class TestTextRoutines : public QObject
{
    Q_OBJECT

private slots:
    void repeatChar_data();
    void repeatChar();
    void alignText_data();
    void alignText();
    void listField_data();
    void listField();
    void replaceAll_data();
    void replaceAll();
    void hexPairsToBytes_data();
    void hexPairsToBytes();
    void toUpperCzChar_data();
    void toUpperCzChar();
    void toUpperCzString();
};

void TestTextRoutines::repeatChar_data()
{
    QTest::addColumn<qsizetype>("count");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("three") << qsizetype(3) << QByteArray("---");
    QTest::newRow("zero") << qsizetype(0) << QByteArray();
    QTest::newRow("negative") << qsizetype(-4) << QByteArray();
}

void TestTextRoutines::repeatChar()
{
    QFETCH(qsizetype, count);
    QFETCH(QByteArray, expected);
    QCOMPARE(RepeatChar('-', count), expected);
}

void TestTextRoutines::alignText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<qsizetype>("width");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray novak = W("Novák");
    QTest::newRow("centre even") << novak << qsizetype(9) << 1 << W("  Novák  ");
    QTest::newRow("centre odd rounds down before") << novak << qsizetype(8) << 1 << W(" Novák  ");
    QTest::newRow("left") << novak << qsizetype(7) << 0 << W("Novák  ");
    QTest::newRow("right") << novak << qsizetype(7) << 2 << W("  Novák");
    QTest::newRow("cut left") << novak << qsizetype(3) << 0 << QByteArray("Nov");
    QTest::newRow("cut centre") << novak << qsizetype(3) << 1 << QByteArray("Nov");
    QTest::newRow("cut right") << novak << qsizetype(3) << 2 << QByteArray("Nov");
    QTest::newRow("exact width") << novak << qsizetype(5) << 2 << novak;
    QTest::newRow("zero width") << novak << qsizetype(0) << 0 << QByteArray();
    QTest::newRow("negative width") << novak << qsizetype(-2) << 1 << QByteArray();
    QTest::newRow("empty centred") << QByteArray() << qsizetype(3) << 1 << QByteArray("   ");
}

void TestTextRoutines::alignText()
{
    QFETCH(QByteArray, text);
    QFETCH(qsizetype, width);
    QFETCH(int, alignment);
    QFETCH(QByteArray, expected);
    QCOMPARE(AlignText(text, width, alignment), expected);
}

void TestTextRoutines::listField_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<int>("n");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("beyond the fields") << QByteArray("a|b") << 3 << QByteArray();
    QTest::newRow("last field") << QByteArray("a|b") << 2 << QByteArray("b");
    QTest::newRow("no separators") << QByteArray("abc") << 1 << QByteArray("abc");
    QTest::newRow("zero is first") << QByteArray("a|b") << 0 << QByteArray("a");
    QTest::newRow("negative is first") << QByteArray("a|b") << -3 << QByteArray("a");
    QTest::newRow("empty middle") << QByteArray("a||c") << 2 << QByteArray();
    QTest::newRow("after empty middle") << QByteArray("a||c") << 3 << QByteArray("c");
    QTest::newRow("trailing separator") << QByteArray("a|b|") << 3 << QByteArray();
    QTest::newRow("after trailing separator") << QByteArray("a|b|") << 4 << QByteArray();
    QTest::newRow("empty list") << QByteArray() << 1 << QByteArray();
}

void TestTextRoutines::listField()
{
    QFETCH(QByteArray, list);
    QFETCH(int, n);
    QFETCH(QByteArray, expected);
    QCOMPARE(ListField(list, n), expected);
}

void TestTextRoutines::replaceAll_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("search");
    QTest::addColumn<QByteArray>("replacement");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("simple") << QByteArray("a-b-c") << QByteArray("-") << QByteArray(", ")
                            << QByteArray("a, b, c");
    QTest::newRow("replacement holds search")
        << QByteArray("abc") << QByteArray("b") << QByteArray("xbx") << QByteArray("axbxc");
    QTest::newRow("replacement doubles search")
        << QByteArray("aaa") << QByteArray("a") << QByteArray("aa") << QByteArray("aaaaaa");
    QTest::newRow("joined text rescanned")
        << QByteArray("aaaa") << QByteArray("aa") << QByteArray("a") << QByteArray("a");
    QTest::newRow("runs of spaces") << QByteArray("a    b") << QByteArray("  ") << QByteArray(" ") << QByteArray("a b");
    QTest::newRow("rescan before the match") << QByteArray("abb") << QByteArray("ab") << QByteArray("a")
                                             << QByteArray("a");
    QTest::newRow("overlap taken left first")
        << QByteArray("aaa") << QByteArray("aa") << QByteArray("b") << QByteArray("ba");
    QTest::newRow("match made across the join") << QByteArray("xaab") << QByteArray("ab") << QByteArray("b")
                                                << QByteArray("xb");
    QTest::newRow("removal") << QByteArray("a--b") << QByteArray("-") << QByteArray() << QByteArray("ab");
    QTest::newRow("not found") << QByteArray("abc") << QByteArray("x") << QByteArray("y")
                               << QByteArray("abc");
    QTest::newRow("empty search") << QByteArray("abc") << QByteArray() << QByteArray("y")
                                  << QByteArray("abc");
    QTest::newRow("case sensitive") << QByteArray("Aa") << QByteArray("a") << QByteArray("b")
                                    << QByteArray("Ab");
    QTest::newRow("whole text") << QByteArray("ab") << QByteArray("ab") << QByteArray("c") << QByteArray("c");
}

void TestTextRoutines::replaceAll()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, search);
    QFETCH(QByteArray, replacement);
    QFETCH(QByteArray, expected);
    QCOMPARE(ReplaceAll(text, search, replacement), expected);
}

void TestTextRoutines::hexPairsToBytes_data()
{
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("first digit is low nibble") << QByteArray("41") << QByteArray("\x14", 1);
    QTest::newRow("odd length") << QByteArray("4") << QByteArray("\x04", 1);
    QTest::newRow("1F") << QByteArray("1F") << QByteArray("\xF1", 1);
    QTest::newRow("small letters") << QByteArray("1f") << QByteArray("\xF1", 1);
    QTest::newRow("two bytes") << QByteArray("0102") << QByteArray("\x10\x20", 2);
    QTest::newRow("odd length letter") << QByteArray("00A") << QByteArray("\x00\x0A", 2);
    QTest::newRow("not hex counts as zero") << QByteArray("zG") << QByteArray("\x00", 1);
    QTest::newRow("empty") << QByteArray() << QByteArray();
}

void TestTextRoutines::hexPairsToBytes()
{
    QFETCH(QByteArray, hex);
    QFETCH(QByteArray, expected);
    QCOMPARE(HexPairsToBytes(hex), expected);
}

void TestTextRoutines::toUpperCzChar_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("expected");
    const struct
    {
        int From, To;
    } rows[] = {
        { 'a', 'A' }, { 'z', 'Z' }, { 'A', 'A' }, { '1', '1' }, { 0x9A, 0x8A }, // š
        { 0x9C, 0x8C }, // ś
        { 0x9D, 0x8D }, // ť
        { 0x9E, 0x8E }, // ž
        { 0x9F, 0x8F }, // ź
        { 0xB3, 0xA3 }, // ł
        { 0xB9, 0xA5 }, // ą
        { 0xBA, 0xAA }, // ş
        { 0xBE, 0xBC }, // ľ
        { 0xBF, 0xAF }, // ż
        { 0xDF, 0xDF }, // ß
        { 0xB5, 0xB5 }, // µ
        { 0xFF, 0xFF }, // ˙
        { 0x8A, 0x8A }, // Š stays
        { 0xB6, 0xB6 }, // ¶
    };
    for (const auto &r : rows)
        QTest::addRow("%02X", r.From) << r.From << r.To;
}

void TestTextRoutines::toUpperCzChar()
{
    QFETCH(int, byte);
    QFETCH(int, expected);
    QCOMPARE(int(static_cast<unsigned char>(ToUpperCz(static_cast<char>(byte)))), expected);
}

void TestTextRoutines::toUpperCzString()
{
    QCOMPARE(ToUpperCz(W("Žluťoučký kůň, Ľudo a Łódź")), W("ŽLUŤOUČKÝ KŮŇ, ĽUDO A ŁÓDŹ"));
    // Every small letter from 0xE0 up except ÷ has its capital 0x20 below.
    for (int b = 0xE0; b <= 0xFE; ++b) {
        const int expected = b == 0xF7 ? b : b - 0x20;
        QCOMPARE(int(static_cast<unsigned char>(ToUpperCz(static_cast<char>(b)))), expected);
    }
}

QTEST_APPLESS_MAIN(TestTextRoutines)
#include "tst_textroutines.moc"
