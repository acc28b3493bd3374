// vorlink-cli labels as a person gets them: the PDF read back by poppler's tools, every
// word in its own label, and the first sheet of each ready layout against a golden image.
// To make the golden images anew (after a deliberate change of the look), run the test with
// VORLINK_REGENERATE_GOLDENS=1 and look at the written tests/data/printing/*.pgm.
#include "PdfReader.h"
#include "TestBook.h"

#include "book/BookLabels.h"
#include "printing/LabelLayout.h"
#include "printing/LabelSheet.h"
#include "util/Cp1250.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace PdfReader;

namespace {

const QString kCli = QStringLiteral(VORLINK_CLI_PROGRAM);
const QString kGoldens = QStringLiteral(VORLINK_SOURCE_DIR "/tests/data/printing/");
constexpr double kSlack = 0.5; // points: poppler's boxes come from the font's own ascent and descent

struct TPerson
{
    QList<QPair<EField, QString>> Fields;
    unsigned Flags = 0;
    QStringList Home; // the label for address 1
    QStringList Work; // for address 2
};

QString U(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

QStringList L(std::initializer_list<const char *> lines)
{
    QStringList l;
    for (const char *line : lines)
        l.append(U(line));
    return l;
}

// Entries whose labels are hard to get right, then plain ones enough for three 3x8 sheets.
// Their names sort in this order.
QList<TPerson> People()
{
    const char *const longName = "doc. MUDr. Maximilián Bohuslav Hrabě-Kolowratský DrSc.";
    QList<TPerson> people {
        {{{EField::TitulPred, "Ing."}, {EField::Jmeno, "Jan"}, {EField::Prijmeni, "Novák"}, {EField::TitulZa, "Ph.D."},
          {EField::Ulice1, "Dlouhá 5"}, {EField::Psc1, "11000"}, {EField::Misto1, "Praha 1"},
          {EField::Stat1, "Česká republika"}},
         1,
         L({"Ing. Jan Novák Ph.D.", "Dlouhá 5", "110 00 Praha 1"}),
         L({"Ing. Jan Novák Ph.D."})},
        {{{EField::Jmeno, "Žofie"}, {EField::Prijmeni, "Šťastná"}, {EField::Ulice1, "Příčná 12"}, {EField::Psc1, "602 00"},
          {EField::Misto1, "Brno"}, {EField::Stat1, "ČR"}, {EField::Ulice2, "Úřední 7"}, {EField::Psc2, "1 1801"},
          {EField::Misto2, "Ústí nad Labem"}},
         1,
         L({"Žofie Šťastná", "Příčná 12", "602 00 Brno"}),
         L({"Žofie Šťastná", "Úřední 7", "118 01 Ústí nad Labem"})},
        {{{EField::TitulPred, "doc. MUDr."}, {EField::Jmeno, "Maximilián Bohuslav"},
          {EField::Prijmeni, "Hrabě-Kolowratský"}, {EField::TitulZa, "DrSc."},
          {EField::Ulice1, "Nábřeží Kapitána Jaroše 1234/56, vchod B"}, {EField::Psc1, "17000"},
          {EField::Misto1, "Praha 7 - Holešovice"}},
         0,
         L({longName, "Nábřeží Kapitána Jaroše 1234/56, vchod B", "170 00 Praha 7 - Holešovice"}),
         L({longName})},
        {{{EField::Jmeno, "Hans"}, {EField::Prijmeni, "Müller"}, {EField::Ulice1, "Stephansplatz 1"}, {EField::Psc1, "1010"},
          {EField::Misto1, "Wien"}, {EField::Stat1, "Rakousko"}},
         0,
         L({"Hans Müller", "Stephansplatz 1", "1010 Wien", "Rakousko"}),
         L({"Hans Müller"})},
        {{{EField::Jmeno, "Ľudovít"}, {EField::Prijmeni, "Štúr"}, {EField::Ulice1, "Hlavná 1"}, {EField::Psc1, "81101"},
          {EField::Misto1, "Bratislava"}, {EField::Stat1, "Slovensko"}},
         0,
         L({"Ľudovít Štúr", "Hlavná 1", "811 01 Bratislava", "Slovensko"}),
         L({"Ľudovít Štúr"})},
        {{{EField::Jmeno, "Eva"}, {EField::Prijmeni, "Prázdná"}}, 0, L({"Eva Prázdná"}), L({"Eva Prázdná"})},
        {{{EField::NazevPolozky, "Svoboda a syn, s.r.o."}, {EField::Ulice2, "Průmyslová 12"}, {EField::Psc2, "53002"},
          {EField::Misto2, "Pardubice"}, {EField::Stat2, "CZ"}},
         0,
         L({"Štítek 006 Svoboda a syn, s.r.o."}),
         L({"Štítek 006 Svoboda a syn, s.r.o.", "Průmyslová 12", "530 02 Pardubice"})},
    };
    static const char *const given[] = {"Jiří", "Kateřina", "Ondřej", "Lucie", "Tomáš", "Růžena"};
    static const char *const surnames[] = {"Dvořák", "Černá", "Procházka", "Kučerová", "Veselý", "Horáková"};
    while (people.size() < 55) {
        const int i = int(people.size());
        const QString name = U(given[i % 6]) + QLatin1Char(' ') + U(surnames[i % 6]);
        const QString street = QStringLiteral("Lipová %1").arg(i);
        const QString psc = QString::number(30100 + i);
        TPerson p {{{EField::Jmeno, U(given[i % 6])}, {EField::Prijmeni, U(surnames[i % 6])}, {EField::Ulice1, street},
                    {EField::Psc1, psc}, {EField::Misto1, U("Plzeň")}},
                   0,
                   {name, street, psc.left(3) + QLatin1Char(' ') + psc.mid(3) + U(" Plzeň")},
                   {name}};
        people.append(p);
    }
    return people;
}

QByteArray BookBytes(const QList<TPerson> &people)
{
    QList<TContactRecord> records;
    for (int i = 0; i < people.size(); ++i) {
        TContactRecord r = TestBook::Entry("", people[i].Flags);
        r.SetText(EField::NazevPolozky, ToCp1250(QStringLiteral("Štítek %1").arg(i, 3, 10, QLatin1Char('0'))));
        for (const auto &[field, text] : people[i].Fields) {
            // A firm's name keeps the number that sorts it.
            const QString prefix = field == EField::NazevPolozky ? QStringLiteral("Štítek %1 ").arg(i, 3, 10, QLatin1Char('0')) : QString();
            r.SetText(field, ToCp1250(prefix + text));
        }
        records.append(r);
    }
    return TestBook::FileBytes(TBookLabels(), records);
}

QString Rect(double x0, double y0, double x1, double y1)
{
    return QStringLiteral("%1,%2-%3,%4").arg(x0, 0, 'f', 1).arg(y0, 0, 'f', 1).arg(x1, 0, 'f', 1).arg(y1, 0, 'f', 1);
}

} // namespace

class TestLabelsPdf : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sheets_data();
    void sheets();
    void refused_data();
    void refused();
    void goldens_data();
    void goldens();

private:
    QTemporaryDir m_dir;
    QList<TPerson> m_people;
    QString m_book;
};

void TestLabelsPdf::initTestCase()
{
    if (const QString missing = MissingTools(); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    // The command's stderr carries only its own messages: a runtime folder Qt accepts.
    const QString runtime = m_dir.filePath(QStringLiteral("xdg"));
    QVERIFY(QDir().mkdir(runtime));
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    m_people = People();
    m_book = m_dir.filePath(QStringLiteral("ŠTÍTKY.WDT"));
    QVERIFY(TestBook::WriteFile(m_book, BookBytes(m_people)));
}

// Every label's words inside its own label, clear of the paper's edge, in the order of the
// list; the sheets' count and size.
void TestLabelsPdf::sheets_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("firstCell");
    QTest::addColumn<QList<int>>("labels"); // the people printed; empty for all
    QTest::addColumn<bool>("work");
    const QList<int> all;
    QTest::newRow("3x8") << "3x8" << QStringList() << 0 << all << false;
    QTest::newRow("3x7") << "3x7" << QStringList() << 0 << all << false;
    QTest::newRow("2x8") << "2x8" << QStringList() << 0 << all << false;
    QTest::newRow("2x7") << "2x7" << QStringList() << 0 << all << false;
    QTest::newRow("custom with gaps") << "60x30:3x8@5x10+5x3" << QStringList() << 0 << all << false;
    QTest::newRow("custom centred") << "52.5x29.7:4x10" << QStringList() << 0 << all << false;
    QTest::newRow("start at 5") << "3x8" << QStringList {"--start", "5"} << 4 << all << false;
    QTest::newRow("start at the last") << "2x7" << QStringList {"--start", "14"} << 13 << all << false;
    QTest::newRow("address 2") << "3x8" << QStringList {"--address", "2"} << 0 << all << true;
    QTest::newRow("address 1 asked") << "3x8" << QStringList {"--address", "1"} << 0 << all << false;
    QTest::newRow("mask: flag 1") << "3x8" << QStringList {"--mask", "AFFFFFFFFF"} << 0 << QList<int> {0, 1} << false;
    QTest::newRow("mask passing none: one empty sheet")
        << "3x8" << QStringList {"--mask", "FFFFFFFFFA"} << 0 << QList<int> {-1} << false;
    QTest::newRow("mask passing none, later start")
        << "3x8" << QStringList {"--mask", "FFFFFFFFFA", "--start", "7"} << 6 << QList<int> {-1} << false;
}

void TestLabelsPdf::sheets()
{
    QFETCH(QString, layout);
    QFETCH(QStringList, options);
    QFETCH(int, firstCell);
    QFETCH(QList<int>, labels);
    QFETCH(bool, work);
    if (labels.isEmpty()) {
        for (int i = 0; i < m_people.size(); ++i)
            labels.append(i);
    }
    if (labels == QList<int> {-1})
        labels.clear();
    const QString pdf = m_dir.filePath(QStringLiteral("štítky %1.pdf").arg(QTest::currentDataTag()));
    const TRun run = Run(kCli, QStringList {QStringLiteral("labels"), m_book, QStringLiteral("--layout"), layout}
                                   + options + QStringList {QStringLiteral("-o"), pdf});
    QVERIFY2(run.Status == 0, run.Err.constData());
    QVERIFY2(run.Out.endsWith(": " + pdf.toUtf8() + '\n'), run.Out.constData());

    const TLabelLayout grid = *ParseLabelLayout(layout);
    const int perSheet = grid.PerSheet();
    const int sheets = labels.isEmpty() ? 1 : (firstCell + int(labels.size()) + perSheet - 1) / perSheet;
    const TInfo info = Info(pdf);
    QCOMPARE(info.Pages, sheets);
    QVERIFY(std::abs(info.Width - 210 * kPtPerMm) < 0.5 && std::abs(info.Height - 297 * kPtPerMm) < 0.5);
    const QList<TPdfPage> pages = Words(pdf);
    QCOMPARE(pages.size(), sheets);

    int printed = 0;
    for (int p = 0; p < pages.size(); ++p) {
        QList<QList<TWord>> cells(perSheet);
        for (const TWord &w : pages[p].Words) {
            int cell = -1;
            for (int c = 0; c < perSheet && cell < 0; ++c) {
                const TMmRect r = grid.Cell(c);
                if (w.CentreX() > r.X * kPtPerMm && w.CentreX() < (r.X + r.W) * kPtPerMm && w.CentreY() > r.Y * kPtPerMm
                    && w.CentreY() < (r.Y + r.H) * kPtPerMm)
                    cell = c;
            }
            QVERIFY2(cell >= 0, qPrintable(w.Text + QLatin1Char(' ') + Rect(w.X0, w.Y0, w.X1, w.Y1)));
            // Inside its label and clear of the label's edges, so never off the paper nor
            // where a printer cannot reach.
            const TMmRect box = TLabelSheet::TextBox(grid.Cell(cell));
            QVERIFY2(w.X0 >= box.X * kPtPerMm - kSlack && w.X1 <= (box.X + box.W) * kPtPerMm + kSlack
                         && w.Y0 >= box.Y * kPtPerMm - kSlack && w.Y1 <= (box.Y + box.H) * kPtPerMm + kSlack,
                     qPrintable(w.Text + QLatin1Char(' ') + Rect(w.X0, w.Y0, w.X1, w.Y1) + QStringLiteral(" outside ")
                                + Rect(box.X * kPtPerMm, box.Y * kPtPerMm, (box.X + box.W) * kPtPerMm,
                                       (box.Y + box.H) * kPtPerMm)));
            QVERIFY(w.X0 >= 3 * kPtPerMm && w.Y0 >= 3 * kPtPerMm && w.X1 <= pages[p].Width - 3 * kPtPerMm
                    && w.Y1 <= pages[p].Height - 3 * kPtPerMm);
            cells[cell].append(w);
        }
        for (int c = 0; c < perSheet; ++c) {
            const int label = p * perSheet + c - firstCell;
            const QStringList got = Lines(cells[c]);
            if (label < 0 || label >= labels.size()) {
                QVERIFY2(got.isEmpty(), qPrintable(got.join(QLatin1Char('|'))));
                continue;
            }
            const TPerson &person = m_people[labels[label]];
            QCOMPARE(got, work ? person.Work : person.Home);
            ++printed;
        }
    }
    QCOMPARE(printed, labels.size());
}

// What the command refuses: status 1, a message, and an older output file as it was.
void TestLabelsPdf::refused_data()
{
    QTest::addColumn<QStringList>("args"); // the book is the first
    QTest::addColumn<QString>("message");
    const QString layout = U("Neplatné rozvržení štítků: ");
    const QString start = U("Neplatný první štítek: ");
    const QString address = U("Neplatná adresa: ");
    const QString mask = U("Neplatná maska: ");
    const QString book = QStringLiteral("BOOK");
    QTest::newRow("unknown layout") << QStringList {book, "--layout", "3x9"} << layout;
    QTest::newRow("layout off the sheet") << QStringList {book, "--layout", "71x37:3x8"} << U("Štítky se na list A4");
    QTest::newRow("no layout") << QStringList {book} << U("Zadejte soubor adresáře");
    QTest::newRow("start 0") << QStringList {book, "--layout", "3x8", "--start", "0"} << start;
    QTest::newRow("start past the sheet") << QStringList {book, "--layout", "3x8", "--start", "25"} << start;
    QTest::newRow("start past a smaller sheet") << QStringList {book, "--layout", "2x7", "--start", "15"} << start;
    QTest::newRow("start not a number") << QStringList {book, "--layout", "3x8", "--start", "x"} << start;
    QTest::newRow("address 0") << QStringList {book, "--layout", "3x8", "--address", "0"} << address;
    QTest::newRow("address 4") << QStringList {book, "--layout", "3x8", "--address", "4"} << address;
    QTest::newRow("address not a number") << QStringList {book, "--layout", "3x8", "--address", "domů"} << address;
    QTest::newRow("mask too short") << QStringList {book, "--layout", "3x8", "--mask", "AAA"} << mask;
    QTest::newRow("mask letter") << QStringList {book, "--layout", "3x8", "--mask", "AFFFFFFFFX"} << mask;
    QTest::newRow("no book") << QStringList {"MISSING", "--layout", "3x8"} << QString();
    QTest::newRow("not a book") << QStringList {"JUNK", "--layout", "3x8"} << QString();
    QTest::newRow("a folder for a book") << QStringList {"FOLDER", "--layout", "3x8"} << QString();
    QTest::newRow("a book cut short") << QStringList {"SHORT", "--layout", "3x8"} << QString();
}

void TestLabelsPdf::refused()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString junk = dir.filePath(QStringLiteral("JUNK.WDT"));
    QVERIFY(TestBook::WriteFile(junk, "this is no book\n"));
    const QString cut = dir.filePath(QStringLiteral("SHORT.WDT"));
    QVERIFY(TestBook::WriteFile(cut, TestBook::ReadFile(m_book).chopped(100)));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("FOLDER")));
    args.replaceInStrings(QRegularExpression(QStringLiteral("^BOOK$")), m_book);
    args.replaceInStrings(QRegularExpression(QStringLiteral("^MISSING$")), dir.filePath(QStringLiteral("NONE.WDT")));
    args.replaceInStrings(QRegularExpression(QStringLiteral("^JUNK$")), junk);
    args.replaceInStrings(QRegularExpression(QStringLiteral("^SHORT$")), cut);
    args.replaceInStrings(QRegularExpression(QStringLiteral("^FOLDER$")), dir.filePath(QStringLiteral("FOLDER")));
    const QString out = dir.filePath(QStringLiteral("old.pdf"));
    const QByteArray old("%PDF-1.4 an older sheet\n");
    QVERIFY(TestBook::WriteFile(out, old));
    const QStringList before = TestBook::FilesIn(dir.path());
    const TRun run = Run(kCli, QStringList {QStringLiteral("labels")} + args + QStringList {QStringLiteral("-o"), out});
    QCOMPARE(run.Status, 1);
    const QString err = QString::fromUtf8(run.Err);
    QVERIFY2(err.startsWith(message) && err.size() > message.size() + 1 && err.endsWith(QLatin1Char('\n')),
             qPrintable(err));
    QVERIFY(run.Out.isEmpty());
    QCOMPARE(TestBook::ReadFile(out), old);
    QCOMPARE(TestBook::FilesIn(dir.path()), before);
}

// The first sheet of each ready layout looks as it did: the same image within what
// rendering may vary, and no region of it much changed.
void TestLabelsPdf::goldens_data()
{
    QTest::addColumn<QString>("layout");
    for (const TReadyLabelLayout &ready : ReadyLabelLayouts())
        QTest::newRow(ready.Key) << QString::fromLatin1(ready.Key);
}

void TestLabelsPdf::goldens()
{
    QFETCH(QString, layout);
    const QString pdf = m_dir.filePath(QStringLiteral("golden-%1.pdf").arg(layout));
    const TRun run = Run(kCli, {QStringLiteral("labels"), m_book, QStringLiteral("--layout"), layout, QStringLiteral("-o"), pdf});
    QVERIFY2(run.Status == 0, run.Err.constData());
    const QByteArray rendered = RenderFirstPage(pdf, m_dir.filePath(QStringLiteral("golden-%1").arg(layout)), 40);
    const TGrey now = ReadPgm(rendered);
    QVERIFY(now.Width > 300 && now.Height > 400);
    const QString goldenPath = kGoldens + QStringLiteral("labels-%1.pgm").arg(layout);
    if (qEnvironmentVariableIsSet("VORLINK_REGENERATE_GOLDENS")) {
        QDir().mkpath(kGoldens);
        QVERIFY(TestBook::WriteFile(goldenPath, rendered));
        QSKIP("golden image written");
    }
    const TGrey golden = ReadPgm(TestBook::ReadFile(goldenPath));
    QVERIFY2(golden.Width == now.Width && golden.Height == now.Height, qPrintable(goldenPath));
    // Mean difference over the page, and the worst block of 16 x 16 pixels (about 1 cm).
    constexpr int kBlock = 16;
    double total = 0;
    double worst = 0;
    for (int by = 0; by < now.Height; by += kBlock) {
        for (int bx = 0; bx < now.Width; bx += kBlock) {
            double sum = 0;
            int n = 0;
            for (int y = by; y < std::min(by + kBlock, now.Height); ++y) {
                for (int x = bx; x < std::min(bx + kBlock, now.Width); ++x, ++n) {
                    const qsizetype i = qsizetype(y) * now.Width + x;
                    sum += std::abs(int(uchar(now.Pixels[i])) - int(uchar(golden.Pixels[i])));
                }
            }
            total += sum;
            worst = std::max(worst, sum / n);
        }
    }
    const double mean = total / (double(now.Width) * now.Height);
    QVERIFY2(mean < 1.5, qPrintable(QStringLiteral("mean difference %1").arg(mean)));
    QVERIFY2(worst < 24, qPrintable(QStringLiteral("worst block differs by %1").arg(worst)));
}

QTEST_GUILESS_MAIN(TestLabelsPdf)
#include "tst_labelspdf.moc"
