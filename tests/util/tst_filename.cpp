#include "util/FileName.h"

#include <QTest>

class TestFileName : public QObject
{
    Q_OBJECT

private slots:
    void bytesComeBack_data();
    void bytesComeBack();
};

void TestFileName::bytesComeBack_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("qtCanTake");
    QTest::newRow("ascii") << QByteArray("/home/jana/kniha.wdt") << true;
    QTest::newRow("Czech in UTF-8") << QByteArray("/data/p\xC5\x99\xC3\xA1tel\xC3\xA9.wdt") << true;
    QTest::newRow("four-byte letter") << QByteArray("/x/\xF0\x9F\x93\x92.wdt") << true;
    QTest::newRow("Latin 2 byte") << QByteArray("/data/kniha-\xE8.wdt") << false;
    QTest::newRow("Kamenicky folder") << QByteArray("/data/\x87\x84\xAD/a.wdt") << false;
    QTest::newRow("overlong slash") << QByteArray("/a\xC0\xAF" "b") << false;
    QTest::newRow("encoded surrogate") << QByteArray("/a\xED\xB2\x80") << false;
    QTest::newRow("cut sequence at the end") << QByteArray("/a\xC5") << false;
    QTest::newRow("lone continuation") << QByteArray("/a\x80\xBF") << false;
}

// Whatever the bytes of a name, they survive the trip through a QString unchanged.
void TestFileName::bytesComeBack()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, qtCanTake);
    const QString name = FileName::FromBytes(bytes);
    QCOMPARE(FileName::ToBytes(name), bytes);
    QCOMPARE(FileName::QtCanTake(name), qtCanTake);
    if (qtCanTake)
        QCOMPARE(name, QString::fromUtf8(bytes));
}

QTEST_GUILESS_MAIN(TestFileName)
#include "tst_filename.moc"
