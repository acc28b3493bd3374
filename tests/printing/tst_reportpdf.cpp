// vorlink-cli report --pdf read back by poppler's tools: A4, a page for each form feed,
// printer commands gone, Czech letters as written, and the report's own file still there.
#include "PdfReader.h"
#include "TestBook.h"

#include "book/BookLabels.h"
#include "util/CodePage.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace PdfReader;

namespace {

const QString kCli = QStringLiteral(VORLINK_CLI_PROGRAM);

TContactRecord Person(const char *name, const char *town)
{
    TContactRecord r = TestBook::Entry(name);
    r.SetText(EField::Misto1, TestBook::Cp(town));
    return r;
}

} // namespace

class TestReportPdf : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void codePages_data();
    void codePages();

private:
    QTemporaryDir m_dir;
    QString m_book;
};

void TestReportPdf::initTestCase()
{
    if (const QString missing = MissingTools(); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    m_book = m_dir.filePath(QStringLiteral("KNIHA.WDT"));
    QVERIFY(TestBook::WriteFile(m_book, TestBook::FileBytes(TBookLabels(), {Person("Adámek Vojtěch", "Ústí nad Labem"),
                                                                             Person("Šťastná Žofie", "Plzeň"),
                                                                             Person("Řezníček Ďobromil", "Česká Lípa")})));
}

// The same template written in each code page: an entry a page, bold on and off around
// every name, the printer reset at the top.
void TestReportPdf::codePages_data()
{
    QTest::addColumn<QByteArray>("page"); // the header's letter
    QTest::addColumn<int>("codePage");
    QTest::newRow("Kamenický") << QByteArray("K") << int(TCodePage::Kamenicky);
    QTest::newRow("Latin 2") << QByteArray("L") << int(TCodePage::Latin2);
    QTest::newRow("Windows-1250") << QByteArray("W") << int(TCodePage::Win1250);
}

void TestReportPdf::codePages()
{
    QFETCH(QByteArray, page);
    QFETCH(int, codePage);
    const QString report = m_dir.filePath(QStringLiteral("sestava-%1.prn").arg(QString::fromLatin1(page)));
    const QString pdf = m_dir.filePath(QStringLiteral("sestava-%1.pdf").arg(QString::fromLatin1(page)));
    const QString tpl = m_dir.filePath(QStringLiteral("sestava-%1.WDR").arg(QString::fromLatin1(page)));
    QVERIFY(TestBook::WriteFile(tpl, "<\"VORLINK|9|" + page + "|" + QFile::encodeName(report) + "\">\r\n"
                                         + TestBook::Cp("<\"ESC\">@<\"#1B\">EADRESÁŘ<\"#1B\">F\t<\"DAT\">\r\n")
                                         + "<\"DATA\">\r\n<\"#1B\">E<\"NAZEV|0|L\"><\"#1B\">F\t<\"ADRMISTO1|0|L\">\r\n"
                                           "<\"STR\">\r\n<\"/DATA\">\r\n"));
    const TRun run = Run(kCli, {QStringLiteral("report"), tpl, m_book, QStringLiteral("--now"),
                                QStringLiteral("2026-12-07T10:15:00"), QStringLiteral("--pdf"), pdf});
    QVERIFY2(run.Status == 0, run.Err.constData());
    QVERIFY2(run.Err.endsWith(QString::fromUtf8("Sestava ve formátu PDF byla zapsána do %1\n").arg(QDir::toNativeSeparators(pdf)).toUtf8()),
             run.Err.constData());
    // The report's own file, in its code page, printer commands and all.
    const QByteArray written = TestBook::ReadFile(report);
    QVERIFY(written.startsWith("\x1b@\x1b" "E"));
    QCOMPARE(written.count('\f'), 3);
    QVERIFY(written.contains(ConvertCodePage(TestBook::Cp("Šťastná Žofie"), int(TCodePage::Win1250), codePage)));

    const TInfo info = Info(pdf);
    QCOMPARE(info.Pages, 3); // the form feed after the last entry starts no empty page
    QVERIFY(std::abs(info.Width - 210 * kPtPerMm) < 0.5 && std::abs(info.Height - 297 * kPtPerMm) < 0.5);
    const QList<TPdfPage> pages = Words(pdf);
    QCOMPARE(pages.size(), 3);
    const QList<QStringList> expected {
        {QString::fromUtf8("ADRESÁŘ 07.12.2026"), QString::fromUtf8("Adámek Vojtěch Ústí nad Labem")},
        {QString::fromUtf8("Řezníček Ďobromil Česká Lípa")},
        {QString::fromUtf8("Šťastná Žofie Plzeň")},
    };
    for (int p = 0; p < pages.size(); ++p) {
        const QStringList lines = Lines(pages[p].Words);
        QCOMPARE(lines, expected[p]);
        // Within the margins of the page.
        for (const TWord &w : pages[p].Words)
            QVERIFY(w.X0 >= 14 * kPtPerMm && w.Y0 >= 14 * kPtPerMm && w.X1 <= 196 * kPtPerMm && w.Y1 <= 283 * kPtPerMm);
    }
}

QTEST_GUILESS_MAIN(TestReportPdf)
#include "tst_reportpdf.moc"
