#include "printing/ReportPages.h"

#include "util/CodePage.h"
#include "util/Cp1250.h"

#include <QTest>

#include <cmath>

using TPages = QList<QStringList>;

namespace {

// Round numbers so that sizes can be worked out by hand: 11 pt -> 77 columns and 58 lines
// on A4, 5 pt -> 170 columns and 129 lines.
const TMonoMetrics kMetrics {0.6, 1.17};
constexpr int kWidestAtLargest = 77;
constexpr int kColumnsAtSmallest = 170;
constexpr int kLinesAtSmallest = 129;

TPages Pages(const TReportPages &report)
{
    TPages pages;
    for (int i = 0; i < report.PageCount(); ++i) {
        const TPage page = report.Page(i);
        if (page.Blocks.size() != 1)
            return {};
        pages.append(page.Blocks.first().Lines);
    }
    return pages;
}

double LineHeight(double points)
{
    return points * kMetrics.LineSpacing * kMmPerPoint;
}

QString Text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

} // namespace

class TestReportPages : public QObject
{
    Q_OBJECT

private slots:
    void breaks_data();
    void breaks();
    void codePages_data();
    void codePages();
    void fontSize_data();
    void fontSize();
    void longLinesWrap();
    void fullPages_data();
    void fullPages();
};

// Where lines and pages end and what of the bytes is printed.
void TestReportPages::breaks_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<TPages>("pages");
    const QString tab8(8, QLatin1Char(' '));
    QTest::newRow("empty report: one empty page") << QByteArray() << TPages {{}};
    QTest::newRow("only form feeds") << QByteArray("\f\f") << TPages {{}};
    QTest::newRow("line ends CR LF, CR, LF") << QByteArray("a\r\nb\rc\nd") << TPages {{"a", "b", "c", "d"}};
    QTest::newRow("blank lines inside kept") << QByteArray("a\r\n\r\nb\r\n") << TPages {{"a", "", "b"}};
    QTest::newRow("blank lines at the end dropped") << QByteArray("a\r\n\r\n\r\n") << TPages {{"a"}};
    QTest::newRow("form feed mid-line") << QByteArray("a\r\nb\fc\r\nd") << TPages {{"a", "b"}, {"c", "d"}};
    QTest::newRow("form feed at a line's start") << QByteArray("a\r\n\fb\r\n") << TPages {{"a"}, {"b"}};
    QTest::newRow("form feed as the last byte") << QByteArray("a\r\nb\r\n\f") << TPages {{"a", "b"}};
    QTest::newRow("form feed before trailing blank lines") << QByteArray("a\r\n\f\r\n\r\n\r\n") << TPages {{"a"}};
    QTest::newRow("form feed, line end, blank lines") << QByteArray("a\f\r\n\r\n") << TPages {{"a"}};
    QTest::newRow("ESC takes a letter") << QByteArray("\x1b" "Eab\x1b" "F") << TPages {{"ab"}};
    QTest::newRow("ESC takes LF: the line goes on") << QByteArray("a\x1b\nb\r\nc") << TPages {{"ab", "c"}};
    QTest::newRow("ESC takes CR of CR LF") << QByteArray("a\x1b\r\nb") << TPages {{"a", "b"}};
    QTest::newRow("ESC takes a form feed") << QByteArray("a\x1b\fb") << TPages {{"ab"}};
    QTest::newRow("ESC as the last byte") << QByteArray("a\r\nb\x1b") << TPages {{"a", "b"}};
    QTest::newRow("other control characters dropped")
        << QByteArray("a\x0f" "b\x12" "c\x07\x7f" "d\x00" "e", 10) << TPages {{"abcde"}};
    QTest::newRow("tab at the start") << QByteArray("\tx") << TPages {{tab8 + "x"}};
    QTest::newRow("tab to the next stop") << QByteArray("ab\tc") << TPages {{"ab      c"}};
    QTest::newRow("tab on a stop") << QByteArray("12345678\tx") << TPages {{"12345678" + tab8 + "x"}};
    QTest::newRow("tab counts printed characters only") << QByteArray("\x1b" "Eab\x0f\tc") << TPages {{"ab      c"}};
    QTest::newRow("two tabs") << QByteArray("a\t\tb") << TPages {{"a       " + tab8 + "b"}};
}

void TestReportPages::breaks()
{
    QFETCH(QByteArray, bytes);
    QFETCH(TPages, pages);
    const TReportPages report(bytes, int(TCodePage::Win1250), kMetrics);
    QCOMPARE(Pages(report), pages);
    QCOMPARE(report.PageCount(), pages.size());
}

// The letters of every code page a report may be written in.
void TestReportPages::codePages_data()
{
    QTest::addColumn<int>("codePage");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    const QString czech = Text("Příliš žluťoučký kůň úpěl ďábelské ódy ČŠŘŽÝÁÍÉÚŮĎŤŇ");
    QTest::newRow("437") << int(TCodePage::Ascii437) << QByteArray("caf\x82 \x81" "ber") << Text("café über");
    for (const TCodePage page : {TCodePage::Kamenicky, TCodePage::Latin2, TCodePage::Win1250}) {
        // The conversions of the pages are tested on their own; here they only make the bytes.
        const QByteArray bytes = ConvertCodePage(ToCp1250(czech), int(TCodePage::Win1250), int(page));
        QTest::newRow(qPrintable(QString::number(int(page)))) << int(page) << bytes << czech;
    }
    QTest::newRow("Kamenický by hand") << int(TCodePage::Kamenicky) << QByteArray("\x80\x87\x88\x9e\xa9\xa8\x96")
                                       << Text("ČčěŘřšů");
    QTest::newRow("852 by hand") << int(TCodePage::Latin2) << QByteArray("\xac\x9f\xd8\xfc\xfd\xe7\x85")
                                 << Text("ČčěŘřšů");
}

void TestReportPages::codePages()
{
    QFETCH(int, codePage);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QVERIFY(!bytes.contains('?'));
    const TReportPages report(bytes + "\r\n", codePage, kMetrics);
    QCOMPARE(Pages(report), TPages {{text}});
}

// The widest line sets the size; it always fits in one row, never wraps.
void TestReportPages::fontSize_data()
{
    QTest::addColumn<int>("widest");
    QTest::addColumn<double>("points");
    for (const int w : {1, 40, kWidestAtLargest})
        QTest::newRow(qPrintable(QString::number(w))) << w << 11.0;
    for (const int w : {78, 100, 123, 133, 150, 169, kColumnsAtSmallest})
        QTest::newRow(qPrintable(QString::number(w))) << w << 180.0 / (w * kMetrics.Advance * kMmPerPoint);
}

void TestReportPages::fontSize()
{
    QFETCH(int, widest);
    QFETCH(double, points);
    const QByteArray line(widest, 'x');
    const TReportPages report("short\r\n" + line + "\r\nend\r\n", int(TCodePage::Win1250), kMetrics);
    QVERIFY2(std::abs(report.PointSize() - std::min(points, 11.0)) < 1e-6, qPrintable(QString::number(report.PointSize())));
    QVERIFY(report.Columns() >= widest);
    QCOMPARE(Pages(report), (TPages {{"short", QString::fromLatin1(line), "end"}}));
}

// Past the smallest size a line goes on in the next rows, over a page break if need be;
// nothing of it is lost.
void TestReportPages::longLinesWrap()
{
    QByteArray bytes;
    for (int i = 0; i < kLinesAtSmallest - 1; ++i)
        bytes += "line " + QByteArray::number(i) + "\r\n";
    QByteArray longLine;
    for (int i = 0; longLine.size() < 400; ++i)
        longLine += QByteArray::number(i % 10);
    bytes += longLine + "\r\nlast\r\n";
    const TReportPages report(bytes, int(TCodePage::Win1250), kMetrics);
    QCOMPARE(report.PointSize(), TReportPages::kSmallestPoint);
    QCOMPARE(report.Columns(), kColumnsAtSmallest);
    QCOMPARE(report.LinesPerPage(), kLinesAtSmallest);
    const TPages pages = Pages(report);
    QCOMPARE(pages.size(), 2);
    QCOMPARE(pages[0].size(), kLinesAtSmallest);
    QCOMPARE(pages[0].last(), QString::fromLatin1(longLine.left(kColumnsAtSmallest)));
    QCOMPARE(pages[1], QStringList({QString::fromLatin1(longLine.mid(kColumnsAtSmallest, kColumnsAtSmallest)),
                                    QString::fromLatin1(longLine.mid(2 * kColumnsAtSmallest)), "last"}));
}

// As many lines as the page's height takes, no more, no fewer.
void TestReportPages::fullPages_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QList<int>>("perPage");
    QTest::newRow("11 pt, one page full") << 10 << 58 << QList<int> {58};
    QTest::newRow("11 pt, one over") << 10 << 59 << QList<int> {58, 1};
    QTest::newRow("11 pt, three pages") << 10 << 120 << QList<int> {58, 58, 4};
    QTest::newRow("5 pt") << 300 << 300 << QList<int>();
    QTest::newRow("8 pt") << 106 << 200 << QList<int>();
}

void TestReportPages::fullPages()
{
    QFETCH(int, width);
    QFETCH(int, lines);
    QFETCH(QList<int>, perPage);
    QByteArray bytes;
    for (int i = 0; i < lines; ++i)
        bytes += QByteArray(i == 0 ? width : 3, 'w') + "\r\n";
    const TReportPages report(bytes, int(TCodePage::Win1250), kMetrics);
    const double height = 297 - 2 * TReportPages::kMargin;
    const double line = LineHeight(report.PointSize());
    QVERIFY(report.LinesPerPage() * line <= height);
    QVERIFY((report.LinesPerPage() + 1) * line > height);
    const TPages pages = Pages(report);
    QList<int> sizes;
    int rows = 0;
    for (const QStringList &page : pages) {
        sizes.append(int(page.size()));
        rows += int(page.size());
    }
    if (perPage.isEmpty()) {
        const int wrapped = width > kColumnsAtSmallest ? (width + kColumnsAtSmallest - 1) / kColumnsAtSmallest - 1 : 0;
        QCOMPARE(rows, lines + wrapped);
        for (int i = 0; i + 1 < sizes.size(); ++i)
            QCOMPARE(sizes[i], report.LinesPerPage());
    } else {
        QCOMPARE(sizes, perPage);
    }
    // Every page's box stays inside the sheet's margins.
    for (int i = 0; i < report.PageCount(); ++i) {
        const TTextBlock block = report.Page(i).Blocks.first();
        QVERIFY((TMmRect {0, 0, 210, 297}).Contains(block.Box));
        QCOMPARE(block.Font, TTextFont::Mono);
    }
}

QTEST_APPLESS_MAIN(TestReportPages)
#include "tst_reportpages.moc"
