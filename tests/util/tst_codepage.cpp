#include "util/CodePage.h"
#include "util/Cp1250.h"

#include <QTest>

#include <iconv.h>

#include <optional>

namespace {

QByteArray W(const char *utf8)
{
    return ToCp1250(QString::fromUtf8(utf8));
}

QByteArray Bytes(std::initializer_list<int> list)
{
    QByteArray out;
    for (int b : list)
        out.append(static_cast<char>(b));
    return out;
}

// One byte through the system's converter; nothing when the target lacks it.
std::optional<unsigned char> Iconv(const char *from, const char *to, unsigned char byte)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1))
        return std::nullopt;
    char in[1] = { static_cast<char>(byte) };
    char out[8] = {};
    char *inp = in;
    char *outp = out;
    size_t inLeft = 1, outLeft = sizeof out;
    const size_t r = iconv(cd, &inp, &inLeft, &outp, &outLeft);
    iconv_close(cd);
    if (r == size_t(-1) || sizeof out - outLeft != 1)
        return std::nullopt;
    return static_cast<unsigned char>(out[0]);
}

std::optional<char16_t> IconvToUnicode(const char *from, unsigned char byte)
{
    iconv_t cd = iconv_open("UTF-16LE", from);
    if (cd == iconv_t(-1))
        return std::nullopt;
    char in[1] = { static_cast<char>(byte) };
    char out[4] = {};
    char *inp = in;
    char *outp = out;
    size_t inLeft = 1, outLeft = sizeof out;
    const size_t r = iconv(cd, &inp, &inLeft, &outp, &outLeft);
    iconv_close(cd);
    if (r == size_t(-1) || sizeof out - outLeft != 2)
        return std::nullopt;
    return char16_t(static_cast<unsigned char>(out[0]) | static_cast<unsigned char>(out[1]) << 8);
}

bool Supported(int s, int t)
{
    return s != t && s != 0 && !(s == 3 && t == 4) && !(s == 4 && t == 3);
}

} // namespace

class TestCodePage : public QObject
{
    Q_OBJECT

private slots:
    void dosTablesMatchSystem_data();
    void dosTablesMatchSystem();
    void win1250LettersTo852AndBack();
    void kamenickyLetters_data();
    void kamenickyLetters();
    void kamenickyLettersSurviveOtherPages_data();
    void kamenickyLettersSurviveOtherPages();
    void fromWin1250_data();
    void fromWin1250();
    void intoWin1250_data();
    void intoWin1250();
    void betweenDosPages_data();
    void betweenDosPages();
    void unchangedPairs_data();
    void unchangedPairs();
    void everyColumnKeepsAsciiAndLength();
    void intoRoomOfEverySize_data();
    void intoRoomOfEverySize();
};

void TestCodePage::dosTablesMatchSystem_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QByteArray>("systemName");
    QTest::newRow("437") << 0 << QByteArray("CP437");
    QTest::newRow("852") << 2 << QByteArray("CP852");
}

void TestCodePage::dosTablesMatchSystem()
{
    QFETCH(int, page);
    QFETCH(QByteArray, systemName);
    for (int b = 0x80; b < 0x100; ++b) {
        const auto expected = IconvToUnicode(systemName.constData(), static_cast<unsigned char>(b));
        QVERIFY2(expected, "system converter lacks the page");
        QCOMPARE(int(CodePageToUnicode(page, static_cast<unsigned char>(b))), int(*expected));
    }
}

void TestCodePage::win1250LettersTo852AndBack()
{
    int checked = 0;
    for (int b = 0x80; b < 0x100; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        if (!QChar(Cp1250ToUnicode(byte)).isLetter())
            continue;
        const auto in852 = Iconv("CP1250", "CP852", byte);
        if (!in852)
            continue; // µ
        QCOMPARE(int(ConvertByte(byte, 4, 2)), int(*in852));
        QCOMPARE(int(ConvertByte(*in852, 2, 4)), b);
        ++checked;
    }
    QCOMPARE(checked, 82); // every letter but µ
}

void TestCodePage::kamenickyLetters_data()
{
    QTest::addColumn<QByteArray>("win");
    QTest::addColumn<int>("kamenicky");
    const struct
    {
        const char *Letter;
        int Byte;
    } rows[] = {
        { "Č", 0x80 },
        { "č", 0x87 },
        { "ď", 0x83 },
        { "Ď", 0x85 },
        { "Ť", 0x86 },
        { "ť", 0x9F },
        { "ě", 0x88 },
        { "Ě", 0x89 },
        { "ž", 0x91 },
        { "Ž", 0x92 },
        { "ů", 0x96 },
        { "Ů", 0xA6 },
        { "ý", 0x98 },
        { "Ý", 0x9D },
        { "Š", 0x9B },
        { "š", 0xA8 },
        { "Ř", 0x9E },
        { "ř", 0xA9 },
        { "ň", 0xA4 },
        { "Ň", 0xA5 },
        { "Ô", 0xA7 },
        { "Ľ", 0x9C },
        { "ĺ", 0x8D },
        { "Ŕ", 0xAB },
        { "á", 0xA0 },
        { "Á", 0x8F },
        { "§", 0xAD },
        { "«", 0xAE },
        { "°", 0xF8 },
    };
    for (const auto &r : rows)
        QTest::newRow(r.Letter) << W(r.Letter) << r.Byte;
}

void TestCodePage::kamenickyLetters()
{
    QFETCH(QByteArray, win);
    QFETCH(int, kamenicky);
    const QByteArray k = Bytes({ kamenicky });
    QCOMPARE(ConvertCodePage(win, 4, 1), k);
    QCOMPARE(ConvertCodePage(k, 1, 4), win);
}

void TestCodePage::kamenickyLettersSurviveOtherPages_data()
{
    QTest::addColumn<int>("via");
    QTest::newRow("852") << 2;
    QTest::newRow("KOI8-CS") << 3;
    QTest::newRow("Windows-1250") << 4;
}

void TestCodePage::kamenickyLettersSurviveOtherPages()
{
    QFETCH(int, via);
    // 0x80-0xAB are the letters; every other page has them all.
    for (int b = 0x80; b <= 0xAB; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        const unsigned char there = ConvertByte(byte, 1, via);
        QCOMPARE(int(CodePageToUnicode(via, there)), int(CodePageToUnicode(1, byte)));
        QCOMPARE(int(ConvertByte(there, via, 1)), b);
    }
}

void TestCodePage::fromWin1250_data()
{
    QTest::addColumn<QByteArray>("win");
    QTest::addColumn<int>("target");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray words = W("Žluťoučký kůň");
    QTest::newRow("base letters") << words << 0 << QByteArray("Zlutoucky kun");
    QTest::newRow("437 letters reduced too") << W("äöüéÁ") << 0 << QByteArray("aoueA");
    QTest::newRow("ł and đ") << W("ŁłĐđ") << 0 << QByteArray("LlDd");
    QTest::newRow("ł into Kamenický") << W("Łódź") << 1 << Bytes({ 'L', 0xA2, 'd', 'z' });
    QTest::newRow("ő ű into Kamenický") << W("őűŐŰ") << 1 << Bytes({ 0x94, 0x81, 0x99, 0x9A });
    QTest::newRow("ő into 437") << W("ő") << 0 << QByteArray("o");
    QTest::newRow("ß µ kept in 437") << W("ßµ") << 0 << Bytes({ 0xE1, 0xE6 });
    QTest::newRow("µ missing in 852") << W("µ") << 2 << QByteArray(" ");
    const QByteArray quotes = W("„“”‘’´‹›–¦");
    QTest::newRow("punctuation 437") << quotes << 0 << QByteArray("\"\"\"`''<>-|");
    QTest::newRow("punctuation Kamenický") << quotes << 1 << QByteArray("\"\"\"`''<>-|");
    QTest::newRow("punctuation 852") << quotes << 2 << QByteArray("\"\"\"`'\xEF<>-|");
    QTest::newRow("marks 437") << W("×\xC2\xAD˝") << 0 << QByteArray("x-\"");
    QTest::newRow("marks 852") << W("×\xC2\xAD˝") << 2 << Bytes({ 0x9E, 0xF0, 0xF1 });
    QTest::newRow("dash bullets 437") << W("—•·") << 0 << Bytes({ 0xC4, 0xF9, 0xF9 });
    QTest::newRow("dash bullets Kamenický") << W("—•·") << 1 << Bytes({ 0xC4, 0xF9, 0xF9 });
    QTest::newRow("dash bullets 852") << W("—•·") << 2 << QByteArray("   ");
    QTest::newRow("lacking signs") << W("€…™©") << 0 << QByteArray("    ");
    QTest::newRow("holes of the page") << Bytes({ 0x81, 0x83, 0x88, 0x90, 0x98 }) << 2 << QByteArray("     ");
    QTest::newRow("no-break space 852") << W("\xC2\xA0") << 2 << Bytes({ 0xFF });
    QTest::newRow("DEL kept") << Bytes({ 0x7F }) << 0 << Bytes({ 0x7F });
}

void TestCodePage::fromWin1250()
{
    QFETCH(QByteArray, win);
    QFETCH(int, target);
    QFETCH(QByteArray, expected);
    QCOMPARE(ConvertCodePage(win, 4, target), expected);
}

void TestCodePage::intoWin1250_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<QByteArray>("dos");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("words back from 852")
        << 2 << ConvertCodePage(W("Žluťoučký kůň"), 4, 2) << W("Žluťoučký kůň");
    QTest::newRow("852 lines") << 2 << Bytes({ 0xB3, 0xC4, 0xC9, 0xBA, 0xB0, 0xDB }) << W("|—    ");
    QTest::newRow("852 soft hyphen") << 2 << Bytes({ 0xF0 }) << W("–");
    QTest::newRow("852 signs") << 2 << Bytes({ 0x9E, 0xF6, 0xF8, 0xEF, 0xF5 }) << W("×÷°´§");
    QTest::newRow("Kamenický lines") << 1 << Bytes({ 0xB3, 0xC4, 0xDA, 0xB5, 0xFE }) << W("|—   ");
    QTest::newRow("Kamenický bullets") << 1 << Bytes({ 0xF9 }) << W("•");
    QTest::newRow("Kamenický maths") << 1 << Bytes({ 0xE0, 0xF1, 0xFB, 0xAC, 0xFF }) << W("\x20±  \xC2\xA0");
}

void TestCodePage::intoWin1250()
{
    QFETCH(int, source);
    QFETCH(QByteArray, dos);
    QFETCH(QByteArray, expected);
    QCOMPARE(ConvertCodePage(dos, source, 4), expected);
}

void TestCodePage::betweenDosPages_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<int>("target");
    QTest::addColumn<QByteArray>("in");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("shared box lines 1 to 2")
        << 1 << 2 << Bytes({ 0xC9, 0xCD, 0xBB, 0xB3 }) << Bytes({ 0xC9, 0xCD, 0xBB, 0xB3 });
    QTest::newRow("lines 852 lacks") << 1 << 2 << Bytes({ 0xB5, 0xD1, 0xDD }) << QByteArray("   ");
    QTest::newRow("852 letters to Kamenický")
        << 2 << 1 << Bytes({ 0xB5, 0xAC, 0x8B }) << Bytes({ 0x8F, 0x80, 0x94 });
    QTest::newRow("852 to 437 reduces") << 2 << 0 << Bytes({ 0xA6, 0xE7, 0x81 }) << QByteArray("Zsu");
    QTest::newRow("Kamenický to 437 keeps graphics")
        << 1 << 0 << Bytes({ 0xB0, 0xE0, 0xF9, 0xFA }) << Bytes({ 0xB0, 0xE0, 0xF9, 0xFA });
    QTest::newRow("KOI8-CS letters") << 3 << 1 << Bytes({ 0xC3, 0xE3, 0xC5, 0xD7, 0xCA, 0xDA })
                                     << Bytes({ 0x87, 0x80, 0x88, 0x82, 0x96, 0x91 });
    QTest::newRow("KOI8-CS lines") << 3 << 2 << Bytes({ 0xB2, 0xB6, 0xB5 }) << Bytes({ 0xDA, 0xC4, 0xD9 });
    QTest::newRow("KOI8-CS letters other pages lack")
        << 3 << 0 << Bytes({ 0xC2, 0xE0, 0xDE }) << QByteArray("aAe");
    QTest::newRow("KOI8-CS controls and holes")
        << 3 << 2 << Bytes({ 0x80, 0x9F, 0xA1, 0xC7 }) << QByteArray("    ");
    QTest::newRow("into KOI8-CS") << 2 << 3 << Bytes({ 0x9F, 0xAC, 0xF0, 0xB3 })
                                  << Bytes({ 0xC3, 0xE3, '-', ' ' });
    QTest::newRow("DEL into KOI8-CS") << 1 << 3 << Bytes({ 0x7F }) << QByteArray(" ");
    QTest::newRow("DEL out of KOI8-CS") << 3 << 2 << Bytes({ 0x7F }) << QByteArray(" ");
    QTest::newRow("DEL between DOS pages") << 1 << 2 << Bytes({ 0x7F }) << Bytes({ 0x7F });
}

void TestCodePage::betweenDosPages()
{
    QFETCH(int, source);
    QFETCH(int, target);
    QFETCH(QByteArray, in);
    QFETCH(QByteArray, expected);
    QCOMPARE(ConvertCodePage(in, source, target), expected);
}

void TestCodePage::unchangedPairs_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<int>("target");
    QTest::newRow("KOI8-CS to 1250") << 3 << 4;
    QTest::newRow("1250 to KOI8-CS") << 4 << 3;
    QTest::newRow("from 0") << 0 << 4;
    QTest::newRow("same page") << 2 << 2;
    QTest::newRow("source out of range") << 5 << 0;
    QTest::newRow("target out of range") << 4 << -1;
}

void TestCodePage::unchangedPairs()
{
    QFETCH(int, source);
    QFETCH(int, target);
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    QCOMPARE(ConvertCodePage(all, source, target), all);
    QCOMPARE(int(ConvertByte(0xE8, source, target)), 0xE8);
}

void TestCodePage::everyColumnKeepsAsciiAndLength()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    for (int s = 0; s < kCodePageCount; ++s) {
        for (int t = 0; t < kCodePageCount; ++t) {
            QCOMPARE(CodePagePairSupported(s, t), Supported(s, t));
            const QByteArray out = ConvertCodePage(all, s, t);
            QCOMPARE(out.size(), all.size());
            QCOMPARE(out.left(127), all.left(127));
            for (int b = 0x80; b < 0x100 && Supported(s, t); ++b) {
                const auto c = static_cast<unsigned char>(out[b]);
                QVERIFY2(c >= 0x20 && c != 0x7F,
                    qPrintable(QStringLiteral("%1->%2 byte %3").arg(s).arg(t).arg(b, 0, 16)));
            }
        }
    }
}

// The conversion into a buffer of fixed room takes ASCII four units at a time: at every
// room, a run broken by a letter, a character the page lacks or a surrogate pair gives
// the whole text's bytes cut there, never a byte past the room, and the same counts.
void TestCodePage::intoRoomOfEverySize_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("ASCII runs around letters") << QString::fromUtf8("abcdřefghijkl mnoŽ 1234567 89á");
    QTest::newRow("lacking, a surrogate pair, a zero")
        << QString::fromUtf8("abc\u4E2Ddefg\U0001F600hijklmn") + QChar(0) + QString::fromUtf8("opq\u20ACrst");
    QTest::newRow("ASCII only") << QStringLiteral("0123456789abcdefghi");
}

void TestCodePage::intoRoomOfEverySize()
{
    QFETCH(QString, text);
    const QByteArray whole = ToCp1250(text);
    for (qsizetype room = 0; room <= whole.size() + 2; ++room) {
        QByteArray out(room + 8, '#');
        qint64 missing = 0;
        const qsizetype n = ToCp1250(QStringView(text), out.data(), room, missing);
        QCOMPARE(n, whole.size());
        QCOMPARE(missing, qint64(whole.count('?')));
        QCOMPARE(out.first(qMin(room, whole.size())), whole.first(qMin(room, whole.size())));
        QCOMPARE(out.sliced(qMin(room, whole.size())), QByteArray(out.size() - qMin(room, whole.size()), '#'));
    }
}

QTEST_APPLESS_MAIN(TestCodePage)
#include "tst_codepage.moc"
