#include "TestBook.h"

#include "cli/Command.h"
#include "book/BookLabels.h"

#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TestAnniversariesCommand : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void run_data();
    void run();

private:
    QTemporaryDir m_dir;
    QString m_book;
};

void TestAnniversariesCommand::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.filePath(QStringLiteral("config")));
    TBookLabels labels = TBookLabels::Defaults();
    labels.ReminderFlags[1] = true;
    TContactRecord jana = TestBook::Entry("Nováková Jana", 1u << 1);
    jana.SetText(EField::Narozeniny, "15.12.1980");
    jana.SetText(EField::Svatek, "24.05.");
    TContactRecord petr = TestBook::Entry("Petr", 1u << 0); // not a reminder entry
    petr.SetText(EField::Narozeniny, "15.12.1980");
    m_book = m_dir.filePath(QStringLiteral("rodina.wdt"));
    QVERIFY(TestBook::WriteFile(m_book, TestBook::FileBytes(labels, {jana, petr})));
    QSettings store(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Brevmark"), QStringLiteral("Vorlink"));
    store.setValue(QStringLiteral("Casy/VyrociDopredu-RODINA.WDT"), QStringLiteral("3"));
}

void TestAnniversariesCommand::run_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("output");

    const QString found = QString::fromUtf8("15.12. - Nováková Jana 40. narozeniny\n");
    QTest::newRow("stored look-ahead of 3 reaches the day")
        << QStringList {QStringLiteral("--today"), QStringLiteral("2020-12-13")} << 0 << found;
    QTest::newRow("stored look-ahead of 3 falls short")
        << QStringList {QStringLiteral("--today"), QStringLiteral("2020-12-12")} << 0 << QString();
    QTest::newRow("days given")
        << QStringList {QStringLiteral("--today"), QStringLiteral("2020-12-01"), QStringLiteral("--days"),
                        QStringLiteral("15")}
        << 0 << found;
    QTest::newRow("since half a year back")
        << QStringList {QStringLiteral("--today"), QStringLiteral("2020-12-15"), QStringLiteral("--since"),
                        QStringLiteral("2020-05-01"), QStringLiteral("--days"), QStringLiteral("1")}
        << 0 << QString::fromUtf8("24.05. - Nováková Jana svátek\n") + found;
    QTest::newRow("bad days") << QStringList {QStringLiteral("--days"), QStringLiteral("x")} << 1 << QString();
    QTest::newRow("bad date") << QStringList {QStringLiteral("--since"), QStringLiteral("2020-02-30")} << 1
                              << QString();
}

void TestAnniversariesCommand::run()
{
    QFETCH(QStringList, options);
    QFETCH(int, status);
    QFETCH(QString, output);

    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    const QStringList args = QStringList {QStringLiteral("vorlink-cli"), QStringLiteral("anniversaries"), m_book}
        + options;
    QCOMPARE(RunCli(args, out, err), status);
    out.flush();
    err.flush();
    QCOMPARE(outText, output);
    QCOMPARE(errText.isEmpty(), status == 0);
}

QTEST_GUILESS_MAIN(TestAnniversariesCommand)
#include "tst_anniversariescommand.moc"
