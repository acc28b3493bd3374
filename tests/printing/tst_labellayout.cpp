#include "printing/LabelLayout.h"
#include "printing/LabelSheet.h"

#include <QTest>

#include <cmath>

namespace {

bool Near(double a, double b)
{
    return std::abs(a - b) < 1e-6;
}

QString Rect(const TMmRect &r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.X).arg(r.Y).arg(r.W).arg(r.H);
}

} // namespace

class TestLabelLayout : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void refused_data();
    void refused();
    void readyCells_data();
    void readyCells();
    void placedCells_data();
    void placedCells();
    void sheets_data();
    void sheets();
};

// Every form the text may take, and the layout each one means.
void TestLabelLayout::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("canonical"); // Text() of the result
    QTest::addColumn<int>("perSheet");
    QTest::newRow("3x8") << "3x8" << "70x37:3x8" << 24;
    QTest::newRow("3x7") << "3x7" << "70x42.3:3x7" << 21;
    QTest::newRow("2x8") << "2x8" << "105x37:2x8" << 16;
    QTest::newRow("2x7") << "2x7" << "105x42.4:2x7" << 14;
    QTest::newRow("custom, centred") << "63.5x38.1:3x7" << "63.5x38.1:3x7" << 21;
    QTest::newRow("custom at a corner") << "70x37:3x8@0x0" << "70x37:3x8@0x0" << 24;
    QTest::newRow("custom with gaps") << "64x33.9:3x8+2.5x0" << "64x33.9:3x8+2.5x0" << 24;
    QTest::newRow("corner and gaps") << "48.5x25.4:4x10@8x21.5+0x0" << "48.5x25.4:4x10@8x21.5" << 40;
    QTest::newRow("one big label") << "210x297:1x1" << "210x297:1x1" << 1;
    QTest::newRow("limits") << "10x5.94:20x50" << "10x5.94:20x50" << 1000;
    QTest::newRow("a ready grid written out") << "70x37:3x8" << "70x37:3x8" << 24;
}

void TestLabelLayout::parse()
{
    QFETCH(QString, text);
    QFETCH(QString, canonical);
    QFETCH(int, perSheet);
    QString problem = QStringLiteral("untouched");
    const std::optional<TLabelLayout> layout = ParseLabelLayout(text, &problem);
    QVERIFY2(layout, qPrintable(problem));
    QCOMPARE(layout->Text(), canonical);
    QCOMPARE(layout->PerSheet(), perSheet);
    QVERIFY(layout->Problem().isEmpty());
    // The canonical text means the same layout again.
    const std::optional<TLabelLayout> again = ParseLabelLayout(canonical);
    QVERIFY(again);
    QCOMPARE(again->Text(), canonical);
    QCOMPARE(Rect(again->Cell(perSheet - 1)), Rect(layout->Cell(perSheet - 1)));
}

void TestLabelLayout::refused_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("problem"); // the start of the message
    const QString form = QString::fromUtf8("Neplatné rozvržení štítků: ");
    const QString count = QString::fromUtf8("Počet sloupců musí být 1 až 20");
    const QString size = QString::fromUtf8("Štítek musí mít kladnou šířku");
    const QString fit = QString::fromUtf8("Štítky se na list A4 (210 × 297 mm) nevejdou.");
    QTest::newRow("empty") << "" << form;
    QTest::newRow("unknown ready grid") << "3x9" << form;
    QTest::newRow("size only") << "70x37" << form;
    QTest::newRow("upper-case X") << "70X37:3X8" << form;
    QTest::newRow("decimal comma") << "70,5x37:3x8" << form;
    QTest::newRow("negative width") << "-70x37:3x8" << form;
    QTest::newRow("corner half given") << "70x37:3x8@5" << form;
    QTest::newRow("gap without numbers") << "70x37:3x8+" << form;
    QTest::newRow("spaces") << " 3x8" << form;
    QTest::newRow("trailing text") << "70x37:3x8 mm" << form;
    QTest::newRow("no columns") << "70x37:0x8" << count;
    QTest::newRow("21 columns") << "5x5:21x1" << count;
    QTest::newRow("51 rows") << "5x5:1x51" << count;
    QTest::newRow("zero width") << "0x37:3x8" << size;
    QTest::newRow("zero height") << "70x0.0:3x8" << size;
    QTest::newRow("too wide") << "71x37:3x8" << fit;
    QTest::newRow("too high") << "70x37.2:3x8" << fit;
    QTest::newRow("pushed off the right") << "70x37:3x8@0.5x0" << fit;
    QTest::newRow("pushed off the bottom") << "70x37:3x8@0x1.5" << fit;
    QTest::newRow("gaps too wide") << "69x37:3x8+2x0" << fit;
    QTest::newRow("gaps too high") << "70x36:3x8+0x1.5" << fit;
    QTest::newRow("far corner") << "10x10:1x1@205x0" << fit;
}

void TestLabelLayout::refused()
{
    QFETCH(QString, text);
    QFETCH(QString, problem);
    QString got;
    QVERIFY(!ParseLabelLayout(text, &got));
    QVERIFY2(got.startsWith(problem), qPrintable(got));
}

// The ready sheets: every cell on the paper, none overlapping, the grid in the middle.
void TestLabelLayout::readyCells_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<double>("left");
    QTest::addColumn<double>("top");
    QTest::newRow("3x8") << "3x8" << 0.0 << 0.5;
    QTest::newRow("3x7") << "3x7" << 0.0 << 0.45;
    QTest::newRow("2x8") << "2x8" << 0.0 << 0.5;
    QTest::newRow("2x7") << "2x7" << 0.0 << 0.1;
}

void TestLabelLayout::readyCells()
{
    QFETCH(QString, key);
    QFETCH(double, left);
    QFETCH(double, top);
    const TLabelLayout layout = *ParseLabelLayout(key);
    const TMmRect sheet {0, 0, 210, 297};
    const TMmRect first = layout.Cell(0);
    const TMmRect last = layout.Cell(layout.PerSheet() - 1);
    QVERIFY(Near(first.X, left) && Near(first.Y, top));
    // As much paper right and below as left and above.
    QVERIFY2(Near(210 - (last.X + last.W), left) && Near(297 - (last.Y + last.H), top), qPrintable(Rect(last)));
    for (int i = 0; i < layout.PerSheet(); ++i) {
        const TMmRect cell = layout.Cell(i);
        QVERIFY2(sheet.Contains(cell), qPrintable(Rect(cell)));
        QVERIFY(Near(cell.W, layout.LabelWidth) && Near(cell.H, layout.LabelHeight));
        // Row by row, left to right: the next cell is to the right or starts the next row.
        if (i > 0) {
            const TMmRect before = layout.Cell(i - 1);
            if (i % layout.Columns)
                QVERIFY(Near(cell.X, before.X + before.W) && Near(cell.Y, before.Y));
            else
                QVERIFY(Near(cell.X, first.X) && Near(cell.Y, before.Y + before.H));
        }
        const TMmRect text = TLabelSheet::TextBox(cell);
        QVERIFY(cell.Contains(text));
        QVERIFY(text.X - cell.X >= 3 && text.Y - cell.Y >= 3);
    }
    // The cells of the next sheet are those of the first.
    QCOMPARE(Rect(layout.Cell(layout.PerSheet())), Rect(first));
}

// Grids put at a corner and with gaps.
void TestLabelLayout::placedCells_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("cell");
    QTest::newRow("corner, first") << "60x30:3x8@5x10+5x3" << 0 << "5,10 60x30";
    QTest::newRow("corner, second row") << "60x30:3x8@5x10+5x3" << 4 << "70,43 60x30";
    QTest::newRow("corner, last") << "60x30:3x8@5x10+5x3" << 23 << "135,241 60x30";
    QTest::newRow("centred with gaps") << "60x30:3x8+5x3" << 0 << "10,18 60x30";
    QTest::newRow("centred with gaps, last") << "60x30:3x8+5x3" << 23 << "140,249 60x30";
    QTest::newRow("one label centred") << "100x50:1x1" << 0 << "55,123.5 100x50";
}

void TestLabelLayout::placedCells()
{
    QFETCH(QString, text);
    QFETCH(int, index);
    QFETCH(QString, cell);
    const std::optional<TLabelLayout> layout = ParseLabelLayout(text);
    QVERIFY(layout);
    QCOMPARE(Rect(layout->Cell(index)), cell);
}

// Which label goes into which cell of which sheet, starting at a used sheet's free label.
void TestLabelLayout::sheets_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("start");
    QTest::addColumn<QList<int>>("firstCells"); // of each sheet: the cell of its first label
    QTest::addColumn<QList<int>>("perSheet");
    QTest::newRow("none: one empty sheet") << 0 << 1 << QList<int> {-1} << QList<int> {0};
    QTest::newRow("one") << 1 << 1 << QList<int> {0} << QList<int> {1};
    QTest::newRow("a full sheet") << 24 << 1 << QList<int> {0} << QList<int> {24};
    QTest::newRow("one over") << 25 << 1 << QList<int> {0, 0} << QList<int> {24, 1};
    QTest::newRow("start at 5") << 20 << 5 << QList<int> {4} << QList<int> {20};
    QTest::newRow("start at 5, one over") << 21 << 5 << QList<int> {4, 0} << QList<int> {20, 1};
    QTest::newRow("start at the last") << 2 << 24 << QList<int> {23, 0} << QList<int> {1, 1};
    QTest::newRow("start past the sheet: the last") << 1 << 99 << QList<int> {23} << QList<int> {1};
    QTest::newRow("three sheets") << 60 << 1 << QList<int> {0, 0, 0} << QList<int> {24, 24, 12};
}

void TestLabelLayout::sheets()
{
    QFETCH(int, count);
    QFETCH(int, start);
    QFETCH(QList<int>, firstCells);
    QFETCH(QList<int>, perSheet);
    const TLabelLayout layout = *ParseLabelLayout(QStringLiteral("3x8"));
    const TLabelSheet sheet(layout, count, [](qsizetype i) { return QStringList {QString::number(i)}; }, start);
    QCOMPARE(sheet.PageCount(), firstCells.size());
    int next = 0;
    for (int p = 0; p < sheet.PageCount(); ++p) {
        const TPage page = sheet.Page(p);
        QCOMPARE(page.Blocks.size(), perSheet[p]);
        for (int b = 0; b < page.Blocks.size(); ++b) {
            const TTextBlock &block = page.Blocks[b];
            // Labels in order, in consecutive cells.
            QCOMPARE(block.Lines, QStringList {QString::number(next++)});
            QCOMPARE(Rect(block.Box), Rect(TLabelSheet::TextBox(layout.Cell(firstCells[p] + b))));
        }
    }
    QCOMPARE(next, count);
}

QTEST_APPLESS_MAIN(TestLabelLayout)
#include "tst_labellayout.moc"
