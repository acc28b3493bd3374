#include "reports/ReportTemplate.h"

#include "book/ContactRecord.h"

#include "TestBook.h"

#include <QTest>

using TestBook::Cp;

namespace {

const TStamp kNow = 202612071015003.0;

TContactRecord Novak(const char *firstName = "Jan")
{
    TContactRecord r = TestBook::Entry("Novák Jan", 1u | 1u << 9);
    r.SetText(EField::Prijmeni, Cp("Novák"));
    r.SetText(EField::Jmeno, Cp(firstName));
    r.SetText(EField::Telefon1, "123456");
    r.SetNote(Cp("A<\"POZNAMKA|0|L\">B<\"TAB\"><\"LOGIKA1|1|L\"><\"PRIJMENI|0|L\"><\"IF|JMENO|Jan|x|y|0|L\">"));
    return r;
}

} // namespace

class TestReportTemplate : public QObject
{
    Q_OBJECT

private slots:
    void expand_data();
    void expand();
    void limit_data();
    void limit();
    void header_data();
    void header();
    void structure();
};

// A line in, an entry, a line out ("SKIP" and "ERROR" for the two other answers).
void TestReportTemplate::expand_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("firstName");
    QTest::addColumn<int>("mode"); // 0 plain line, 1 single entry, 2 all entries
    QTest::addColumn<QByteArray>("expected");
    const QByteArray note = Cp("A<\"POZNAMKA|0|L\">B\tX<\"PRIJMENI|0|L\"><\"IF|JMENO|Jan|x|y|0|L\">");
    const auto row = [](const char *name, const char *line, int mode, const QByteArray &expected, const char *first = "Jan") {
        QTest::newRow(name) << Cp(line) << Cp(first) << mode << expected;
    };
    row("left", "<\"PRIJMENI|10|L\">|", 1, Cp("Novák     |"));
    row("right", "<\"PRIJMENI|10|P\">", 1, Cp("     Novák"));
    row("right lower case", "<\"PRIJMENI|10|p\">", 1, Cp("     Novák"));
    row("centre", "<\"PRIJMENI|10|C\">", 1, Cp("  Novák   "));
    row("cut", "<\"PRIJMENI|3|L\">", 1, "Nov");
    row("width 0", "<\"PRIJMENI|0|L\">", 1, Cp("Novák"));
    row("width not a number", "<\"PRIJMENI|x|L\">", 1, Cp("Novák"));
    row("negative width", "a<\"PRIJMENI|-3|L\">b", 1, "ab");
    // Found by fuzzing: a width of gigabytes asked for the memory at once.
    row("width beyond any line", "<\"PRIJMENI|3333333335|P\">", 1, QByteArray(4096 - 5, ' ') + Cp("Novák"));
    row("every occurrence", "<\"JMENO|0|L\">+<\"JMENO|4|P\">", 1, "Jan+ Jan");
    row("no alignment", "<\"PRIJMENI\">", 1, "ERROR");
    row("empty alignment", "<\"PRIJMENI|10|\">", 1, "ERROR");
    row("no alignment field", "<\"PRIJMENI|10\">", 1, "ERROR");
    row("unclosed", "x <\"PRIJMENI|10|L", 1, "ERROR");
    row("flag 10", "<\"LOGIKA10|1|L\">", 1, "X");
    row("flag 1", "<\"LOGIKA1|1|L\"><\"LOGIKA2|1|L\">.", 1, "X .");
    row("keyword not ours", "<\"PRIJMENIX|1|L\"><\"FOO\">", 1, "<\"PRIJMENIX|1|L\"><\"FOO\">");
    row("IF unknown field", "<\"IF|XYZ|a|b|c|0|L\">", 1, "chyba");
    row("IF capitalised", "<\"IF|jmeno|Jan|ano|ne|0|L\">", 1, Cp("ano"));
    row("IF else width", "<\"IF|LOGIKA2|X|ano|ne|3|L\">", 1, "ne ");
    row("IF then value", "<\"IF|JMENO|Jan|&PRIJMENI|&XYZ|0|L\">", 1, Cp("Novák"));
    row("IF else text", "<\"IF|JMENO|Jan|&prijmeni|&XYZ|0|L\">", 1, "&XYZ", "Petr");
    row("IF empty compare", "<\"IF|TITULPRED||&JMENO|&TITULPRED|0|L\">", 1, "Jan");
    row("IF no alignment", "<\"IF|JMENO|Jan|a|b|0\">", 1, "ERROR");
    // The result goes through the field tags once; the IF tag it brings stays text.
    row("IF result holds an IF", "<\"IF|JMENO|Jan|&POZNAMKA|n|0|L\">", 1,
        "A" + note + Cp("B\tXNovák<\"IF|JMENO|Jan|x|y|0|L\">"));
    row("note holding tags", "<\"POZNAMKA|0|L\">", 1, note);
    row("NEXTIF skips", "<\"NEXTIF|LOGIKA1|X\">abc", 2, "SKIP");
    row("NEXTIF single entry", "<\"NEXTIF|LOGIKA1|X\">abc", 1, "<\"NEXTIF|LOGIKA1|X\">abc");
    row("NEXTIF passes", "<\"NEXTIF|LOGIKA2|X\">abc", 2, "abc");
    row("NEXTIF empty value", "<\"NEXTIF|TELCISLO2|\">", 2, "SKIP");
    row("NEXTIF not capitalised", "<\"NEXTIF|jmeno|Jan\">a", 2, "a");
    row("NEXTIF only the first", "<\"NEXTIF|JMENO|Petr\">,<\"NEXTIF|JMENO|Jan\">", 2, ",<\"NEXTIF|JMENO|Jan\">");
    row("NEXTIFNOT keeps", "<\"NEXTIFNOT|JMENO|Jan\">a", 2, "a");
    row("NEXTIFNOT skips", "<\"NEXTIFNOT|JMENO|Petr\">a", 2, "SKIP");
    row("NEXTIFNOT unknown field", "<\"NEXTIFNOT|XYZ|Petr\">", 2, "");
    row("tab page esc", "<\"TAB\">|<\"STR\">|<\"ESC\">", 0, "\t|\f|\x1b");
    row("date time", "<\"DAT\"> <\"CAS\">", 0, "07.12.2026 10:15:00");
    row("hex", "<\"#1b\"><\"#1B\"><\"#41\"><\"#G1\">", 0, QByteArray("\x1b\x1b" "A\x01", 4));
    row("hex at the end", "ab<\"#4", 0, "ab@");
    row("hex cut short", "<\"#", 0, QByteArray(1, '\0'));
    row("hex makes a hex tag", "<\"<\"#23\">41\">", 0, "A");
    row("hex byte opens a tag", "<\"#3c\">\"#41\">", 0, "A");
    row("hex tag takes the next tag's start", "<\"#4<\"TAB\">", 0, "@");
    row("named tag left whole once", "<\"<\"TAB\">STR\">", 0, "<\"\tSTR\">");
    row("openings before a tag", "<\"<\"<\"JMENO|0|L\">", 1, "<\"<\"Jan");
    // Found by fuzzing: the compiled form called the faulty tag an error although the
    // value before it opens a tag that takes it in.
    row("value swallows a faulty tag", "<\"JMENO|0|L\"> <\"TITULZA|L\">", 1, "", "<\"PREZDIVKA|0");
    row("removed skip tag joins a new one", "<<\"NEXTIF|JMENO|Petr\">\"NEXTIFNOT|JMENO|Petr\">a", 2, "SKIP");
    row("plain keeps field tags", "<\"PRIJMENI|0|L\"><\"TAB\">", 0, "<\"PRIJMENI|0|L\">\t");
}

void TestReportTemplate::expand()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, firstName);
    QFETCH(int, mode);
    QFETCH(QByteArray, expected);
    if (mode == 0) {
        QCOMPARE(ExpandPlainTags(line, kNow), expected);
        return;
    }
    const TContactRecord r = Novak(firstName.constData());
    const TExpanded e = ExpandDataLine(line, r, mode == 2, kNow);
    const auto answer = [](TExpandStatus s, const QByteArray &text) {
        return s == TExpandStatus::Skip ? QByteArray("SKIP") : s == TExpandStatus::Error ? QByteArray("ERROR") : text;
    };
    QCOMPARE(answer(e.Status, e.Text), expected);
    // The compiled form, where it takes the line and the entry, gives the same.
    TCompiledLine c;
    QByteArray fast = "-";
    TExpandStatus status;
    if (TCompiledLine::Compile(line, mode == 2, kNow, c) && c.ExpandInto(r, fast, status))
        QCOMPARE(answer(status, fast.sliced(1)), expected);
}

// A line that would grow past its limit stops at it: the expansion says TooLong instead
// of building the line; a line that fits is the same as without a limit.
void TestReportTemplate::limit_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("mode"); // 0 plain line, 1 data line
    QTest::addColumn<qsizetype>("limit");
    QTest::addColumn<QByteArray>("expected"); // "TOO LONG" when stopped
    const QByteArray tooLong = "TOO LONG";
    QTest::newRow("field fits exactly") << Cp("<\"PRIJMENI|10|L\">") << 1 << qsizetype(10) << Cp("Novák     ");
    QTest::newRow("field one byte over") << Cp("<\"PRIJMENI|10|L\">") << 1 << qsizetype(9) << tooLong;
    QTest::newRow("dates fit exactly") << QByteArray("<\"DAT\">").repeated(3) << 0 << qsizetype(30)
                                       << QByteArray("07.12.2026").repeated(3);
    QTest::newRow("dates one byte over") << QByteArray("<\"DAT\">").repeated(3) << 0 << qsizetype(29) << tooLong;
    QTest::newRow("line shrinking below the limit") << QByteArray("<\"#41\">").repeated(10) << 0 << qsizetype(10)
                                                    << QByteArray(10, 'A');
    // The note brings 111 flag tags of 4 KB each: 500 notes ask for 227 MB.
    QTest::newRow("notes of wide tags") << QByteArray("<\"POZNAMKA|0|L\">").repeated(500) << 1 << qsizetype(1 << 16)
                                        << tooLong;
    QTest::newRow("wide fields") << QByteArray("<\"JMENO|4096|L\">").repeated(500) << 1 << qsizetype(1 << 16) << tooLong;
    QTest::newRow("wide IF results") << QByteArray("<\"IF|JMENO|Jan|a|b|4096|L\">").repeated(20) << 1
                                     << qsizetype(20 * 4096 - 1) << tooLong;
}

void TestReportTemplate::limit()
{
    QFETCH(QByteArray, line);
    QFETCH(int, mode);
    QFETCH(qsizetype, limit);
    QFETCH(QByteArray, expected);
    TContactRecord r = Novak();
    r.SetNote(QByteArray("<\"LOGIKA1|4096|L\">").repeated(111));
    const TExpanded e = mode == 0 ? ExpandPlainLine(line, kNow, limit) : ExpandDataLine(line, r, true, kNow, limit);
    QCOMPARE(e.Status == TExpandStatus::TooLong ? QByteArray("TOO LONG") : e.Text, expected);
    if (mode == 0)
        return;
    // The compiled form declines a line past the limit without touching the output or
    // reserving beyond the limit; the general expansion then says why.
    TCompiledLine c;
    QByteArray out = "-";
    TExpandStatus status;
    if (!TCompiledLine::Compile(line, true, kNow, c))
        return;
    QCOMPARE(c.ExpandInto(r, out, status, limit), e.Status == TExpandStatus::Line);
    QCOMPARE(out, e.Status == TExpandStatus::Line ? "-" + expected : QByteArray("-"));
    QVERIFY(out.capacity() <= 1 + limit);
}

void TestReportTemplate::header_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("isHeader");
    QTest::addColumn<bool>("allEntries");
    QTest::addColumn<int>("codePage");
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("all, Windows") << QByteArray("<\"VORLINK|9|W|C:\\TEL.TXT\">") << true << true << 4 << QByteArray("C:\\TEL.TXT");
    QTest::newRow("single, 437") << QByteArray("<\"VORLINK|1|X|OUT.TXT\">") << true << false << 0 << QByteArray("OUT.TXT");
    QTest::newRow("capitals only") << QByteArray("<\"VORLINK|9|w|OUT.TXT\">") << true << true << 0 << QByteArray("OUT.TXT");
    QTest::newRow("Kamenicky") << QByteArray("<\"VORLINK|9|K|a b.txt\">") << true << true << 1 << QByteArray("a b.txt");
    QTest::newRow("Latin 2, empty mode") << QByteArray("<\"VORLINK||L|x\">") << true << false << 2 << QByteArray("x");
    QTest::newRow("no quote, no name") << QByteArray("<\"VORLINK|9|W|OUT.TXT") << true << true << 4 << QByteArray();
    QTest::newRow("seven characters") << QByteArray("x <\"VORLINKS|9|W|o\">") << true << true << 4 << QByteArray("o");
    QTest::newRow("short word") << QByteArray("<\"VORL|9|W|o\">") << false << false << 0 << QByteArray();
    QTest::newRow("no tag") << QByteArray("VORLINK|9|W|o") << false << false << 0 << QByteArray();
}

void TestReportTemplate::header()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, isHeader);
    TReportHeader h;
    QCOMPARE(ParseReportHeader(line, h), isHeader);
    if (!isHeader)
        return;
    QTEST(h.AllEntries, "allEntries");
    QTEST(h.CodePage, "codePage");
    QTEST(h.OutputFile, "file");
}

void TestReportTemplate::structure()
{
    QList<QByteArray> lines = SplitTemplateLines("#a\r\nb\rc\n\n#d\r\n<\"DATA\">x\r\n");
    QCOMPARE(lines, (QList<QByteArray> {"#a", "b", "c", "", "#d", "<\"DATA\">x"}));
    RemoveCommentLines(lines);
    QCOMPARE(lines, (QList<QByteArray> {"b", "c", "", "<\"DATA\">x"}));
    QCOMPARE(ClassifyTemplateLine("a<\"SOUBOR|x||\"><\"DATA\">", false), TTemplateLine::File);
    QCOMPARE(ClassifyTemplateLine("a<\"SOUBOR|x||\">", true), TTemplateLine::Data);
    QCOMPARE(ClassifyTemplateLine("a<\"DATA\"><\"/DATA\">", true), TTemplateLine::BlockStart);
    QCOMPARE(ClassifyTemplateLine("<\"/DATA\">", false), TTemplateLine::BlockEnd);
    QCOMPARE(ClassifyTemplateLine("<\"DATA|\">", false), TTemplateLine::Plain);
    const TFileTag t = ParseFileTag("x<\"SOUBOR|C:\\P.WDT|AN\">");
    QCOMPARE(t.Path, QByteArray("C:\\P.WDT"));
    QCOMPARE(t.Mask, QByteArray("AN\">FFFFFF"));
    QVERIFY(!FileMaskPasses(t.Mask, TestBook::Entry("x", 1)));
    QVERIFY(FileMaskPasses("ANFFFFFFFF", TestBook::Entry("x", 1 | 4)));
    QVERIFY(!FileMaskPasses("ANFFFFFFFF", TestBook::Entry("x", 1 | 2)));
    QVERIFY(FirstBlockFollowsFileTag({"a", "<\"SOUBOR|b||\">", "<\"DATA\">"}));
    QVERIFY(!FirstBlockFollowsFileTag({"<\"DATA\">", "<\"SOUBOR|b||\">"}));
}

QTEST_GUILESS_MAIN(TestReportTemplate)
#include "tst_reporttemplate.moc"
