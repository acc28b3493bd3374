#include "interop/VCardReader.h"

#include <QBuffer>
#include <QStringEncoder>
#include <QTest>

// The vCard reader takes its lines where they lie in its buffer and fills a card's
// properties again in place. Read in blocks of every small size, a line, a fold, a CR LF,
// a soft break or a byte-order mark split between two reads must read as when it came
// whole, and a card must keep nothing of the longer card before it.
class TestVCardReader : public QObject
{
    Q_OBJECT

private slots:
    void blocks_data();
    void blocks();
};

namespace {

// Every card as "GROUP.NAME;PARAM=value:value" lines ("(binary)" for base64 data), the
// counts after them.
QString Dump(const QByteArray &bytes, qsizetype block)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    TVCardReader reader(buffer, block);
    TVCard card;
    QString out;
    while (reader.Next(card)) {
        out += QStringLiteral("--\n");
        for (const TVCardProperty &p : card) {
            if (!p.Group.isEmpty())
                out += QString::fromLatin1(p.Group) + QLatin1Char('.');
            out += QString::fromLatin1(p.Name);
            for (const auto &param : p.Params)
                out += QLatin1Char(';') + QString::fromLatin1(param.first) + QLatin1Char('=') + param.second;
            out += QLatin1Char(':') + (p.Binary ? QStringLiteral("(binary)") : p.Value) + QLatin1Char('\n');
        }
    }
    return out + QStringLiteral("bad %1, photos %2").arg(reader.BadLines()).arg(reader.SkippedPhotos());
}

} // namespace

void TestVCardReader::blocks_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("expected");
    QTest::newRow("line ends, folds, a longer card before a shorter one")
        << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nitem1.TEL;TYPE=cell;X-A=\"1,2\":+420 1\r\n 23\r\n"
                      "item1.X-ABLabel:mobil\r\nPHOTO;ENCODING=b:AAAA\r\nNOTE:ř\r\n\tá\r\nEND:VCARD\r\n"
                      "BEGIN:VCARD\nTEL:5\n\nNOTE:x\nEND:VCARD\r"
                      "BEGIN:VCARD\rFN:Čas\r\rEND:VCARD")
        << QString::fromUtf8("--\nVERSION:3.0\nITEM1.TEL;TYPE=cell;X-A=1,2:+420 123\nITEM1.X-ABLABEL:mobil\n"
                             "PHOTO;ENCODING=b:(binary)\nNOTE:řá\n--\nTEL:5\nNOTE:x\n--\nFN:Čas\nbad 0, photos 0");
    QTest::newRow("quoted-printable soft breaks and charsets")
        << QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=WINDOWS-1250;ENCODING=QUOTED-PRINTABLE:Nov=E1k;=\r\nJan\r\n"
                      "NOTE;QUOTED-PRINTABLE;CHARSET=UTF-8:=C5=99=\r\n=C3=A1dek=0D=0A=\r\n\r\nX-B:\xE9\r\nEND:VCARD\r\n")
        << QString::fromUtf8("--\nVERSION:2.1\nN;CHARSET=WINDOWS-1250;ENCODING=QUOTED-PRINTABLE:Novák;Jan\n"
                             "NOTE;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:řádek\r\n\nX-B:é\nbad 0, photos 0");
    const QString card = QString::fromUtf8("BEGIN:VCARD\r\nFN:Šárka\r\nTEL:+420 1\r\n 23\r\nEND:VCARD\r\n");
    const QString whole = QString::fromUtf8("--\nFN:Šárka\nTEL:+420 123\nbad 0, photos 0");
    QTest::newRow("UTF-8 byte-order mark") << "\xEF\xBB\xBF" + card.toUtf8() << whole;
    QStringEncoder utf16(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    QTest::newRow("UTF-16 with its mark") << QByteArray(utf16(card)) << whole;
    // ASCII runs of seven, eight and nine bytes before a letter, and bytes that are no
    // UTF-8 after eight ASCII ones (read as Windows-1250); colons in unquoted parameter
    // values, once before more parameters (their names come upper case) and once before the
    // value's own colon.
    QTest::newRow("ASCII runs, heads without quotes")
        << QByteArray("BEGIN:VCARD\r\nNOTE:abcdefgř\r\nX-A:abcdefghř12345678ž\r\nX-B:abcdefghiá\r\nX-C:abcdefgh\xE8\r\n"
                      "X-D;LABEL=Brno: centrum;type=work:x\r\nX-E;LABEL=a:b:c\r\nEND:VCARD\r\n")
        << QString::fromUtf8("--\nNOTE:abcdefgř\nX-A:abcdefghř12345678ž\nX-B:abcdefghiá\nX-C:abcdefghč\n"
                             "X-D;LABEL=Brno: centrum;TYPE=work:x\nX-E;LABEL=a:b:c\nbad 0, photos 0");
    QTest::newRow("lines beyond the limit, whole and folded")
        << QByteArray("BEGIN:VCARD\r\nFN:A\r\nPHOTO;ENCODING=b:" + QByteArray(TVCardReader::kMaxLine + 10, 'A')
                      + "\r\nX-LONG:" + QByteArray(TVCardReader::kMaxLine, 'B') + "\r\n " + QByteArray(40, 'C')
                      + "\r\n D\r\nNOTE:ok\r\nEND:VCARD\r\n")
        << QStringLiteral("--\nFN:A\nNOTE:ok\nbad 1, photos 1");
}

void TestVCardReader::blocks()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, expected);
    for (const qsizetype block : {qsizetype(1), qsizetype(2), qsizetype(3), qsizetype(7), qsizetype(64), TVCardReader::kBlock}) {
        const QString got = Dump(file, block);
        if (got != expected)
            QFAIL(qPrintable(QStringLiteral("block %1:\n%2").arg(block).arg(got)));
    }
}

QTEST_GUILESS_MAIN(TestVCardReader)
#include "tst_vcardreader.moc"
