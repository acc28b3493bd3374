#include "cli/Command.h"

#include "TestBook.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

int Run(const QStringList &args, QString *errText = nullptr)
{
    QString out, err;
    QTextStream o(&out), e(&err);
    const int status = RunCli(QStringList {QStringLiteral("vorlink-cli"), QStringLiteral("report")} + args, o, e);
    e.flush();
    if (errText)
        *errText = err;
    return status;
}

const QString kSource = QStringLiteral(VORLINK_SOURCE_DIR);

} // namespace

class TestReportCommand : public QObject
{
    Q_OBJECT

private slots:
    void shippedTemplates_data();
    void shippedTemplates();
    void options();

private:
    QTemporaryDir m_dir;
};

// Every shipped template over the sample book, byte for byte.
void TestReportCommand::shippedTemplates_data()
{
    QTest::addColumn<QString>("name");
    const QStringList templates = QDir(kSource + QStringLiteral("/data/templates")).entryList({QStringLiteral("*.WDR")});
    QCOMPARE(templates.size(), 5);
    for (const QString &t : templates)
        QTest::newRow(qPrintable(t)) << t.chopped(4);
}

void TestReportCommand::shippedTemplates()
{
    QFETCH(QString, name);
    const QString out = m_dir.filePath(name + QStringLiteral(".txt"));
    QString err;
    QCOMPARE(Run({kSource + QStringLiteral("/data/templates/") + name + QStringLiteral(".WDR"),
                  kSource + QStringLiteral("/data/ukazka.WDT"), QStringLiteral("--now"),
                  QStringLiteral("2026-12-07T10:15:00"), QStringLiteral("-o"), out},
                 &err),
             0);
    QCOMPARE(err, QString::fromUtf8("Sestava byla zapsana do ") + out + QLatin1Char('\n'));
    QCOMPARE(TestBook::ReadFile(out),
             TestBook::ReadFile(kSource + QStringLiteral("/tests/data/reports/") + name + QStringLiteral(".txt")));
}

void TestReportCommand::options()
{
    const QString book = kSource + QStringLiteral("/data/ukazka.WDT");
    const QString tpl = m_dir.filePath(QStringLiteral("t.wdr"));
    const QString out = m_dir.filePath(QStringLiteral("o.txt"));
    // Single entry: the one asked for, else the first listed.
    TestBook::WriteFile(tpl, "<\"VORLINK|1|W|" + QFile::encodeName(out) + "\">\r\n<\"DATA\">\r\n<\"NAZEV|0|L\">\r\n<\"/DATA\">\r\n");
    QCOMPARE(Run({tpl, book, QStringLiteral("--entry"), QString::fromUtf8("Šimek Tomáš")}), 0);
    QCOMPARE(TestBook::ReadFile(out), TestBook::Cp("Šimek Tomáš\r\n"));
    QCOMPARE(Run({tpl, book}), 0);
    QCOMPARE(TestBook::ReadFile(out), TestBook::Cp("Adámek Vojtěch\r\n"));
    QCOMPARE(Run({tpl, book, QStringLiteral("--entry"), QStringLiteral("nikdo")}), 1);
    // Without a book the template must bring its own through a file tag.
    QCOMPARE(Run({tpl}), 1);
    TestBook::WriteFile(tpl, "<\"VORLINK|9|W|" + QFile::encodeName(out) + "\">\r\n<\"SOUBOR|" + QFile::encodeName(book)
                                 + "|FFFFFFFFFA\">\r\n<\"DATA\">\r\n<\"NAZEV|0|L\">\r\n<\"/DATA\">\r\n");
    QCOMPARE(Run({tpl}), 0);
    QCOMPARE(TestBook::ReadFile(out), TestBook::Cp("Adámek Vojtěch\r\nHorák Jiří\r\n"));
    QString err;
    QCOMPARE(Run({tpl, QStringLiteral("--now"), QStringLiteral("včera")}, &err), 1);
    QVERIFY(!err.isEmpty());
    QCOMPARE(Run({tpl, m_dir.filePath(QStringLiteral("chybi.wdt"))}), 1);
}

QTEST_GUILESS_MAIN(TestReportCommand)
#include "tst_reportcommand.moc"
