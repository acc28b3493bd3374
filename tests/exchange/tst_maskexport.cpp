#include "SessionFixture.h"

#include "exchange/ExchangeCommands.h"
#include "session/Messages.h"

#include <QTest>

using TestBook::Entry;

namespace {

class TExportDialogs : public IExchangeDialogs
{
public:
    QStringList Exports;
    bool AskImport(TImportChoice &) override { return false; }
    QString AskExport() override { return Exports.isEmpty() ? QString() : Exports.takeFirst(); }
    void Progress(qint64, qint64) override { }
};

QString NoMask() { return QString::fromUtf8("Není zvolená žádná maska"); }
QString Failed() { return QString::fromUtf8("Export se nepodařil"); }

} // namespace

class TestMaskExport : public QObject
{
    Q_OBJECT

private slots:
    void exportCases_data();
    void exportCases();
};

void TestMaskExport::exportCases_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("mask");
    QTest::addColumn<bool>("storeWritable");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QList<QByteArray>>("written"); // empty: the old file stays
    QTest::newRow("flag 9 set") << QStringLiteral("vyber.WDT") << true << true << QStringList()
                                << QList<QByteArray> {"C", "A"};
    QTest::newRow("lower-case w") << QStringLiteral("vyber.wdx") << true << true << QStringList()
                                  << QList<QByteArray> {"C", "A"};
    QTest::newRow("no mask") << QStringLiteral("vyber.WDT") << false << true << QStringList {NoMask(), Failed()}
                             << QList<QByteArray>();
    QTest::newRow("TXT") << QStringLiteral("vyber.TXT") << true << true << QStringList() << QList<QByteArray>();
    QTest::newRow("store not writable") << QStringLiteral("vyber.WDT") << true << false
                                        << QStringList {Msg::RegistryFailed(), Failed()} << QList<QByteArray>();
}

void TestMaskExport::exportCases()
{
    QFETCH(QString, name);
    QFETCH(bool, mask);
    QFETCH(bool, storeWritable);
    TSessionFixture f;
    f.Open({Entry("C", 1u << 8), Entry("B"), Entry("A", 1u << 8 | 1)});
    f.Editor->EditText(EField::Prijmeni, "x"); // a change not yet saved
    TAddressBook &b = f.S->Book;
    b.Mask.Active = mask;
    b.Mask.RequireSet[8] = true;
    const QString target = f.Dir.filePath(name);
    const QByteArray old = "an older file";
    TestBook::WriteFile(target, old);
    if (!storeWritable) {
        // A folder where the settings file was: every write of the store fails.
        QFile::remove(f.Path("settings.ini"));
        QVERIFY(QDir(f.Dir.path()).mkdir(QStringLiteral("settings.ini")));
    }
    TExportDialogs dialogs;
    dialogs.Exports.append(target);
    TExchangeCommands x(*f.S, *f.Editor, *f.Docs, dialogs);
    const QString fileName = b.FileName;
    x.IExportClick();

    QTEST(f.Prompt.Texts(), "messages");
    QFETCH(QList<QByteArray>, written);
    const QByteArray bytes = TestBook::ReadFile(target);
    if (written.isEmpty()) {
        QCOMPARE(bytes, old);
    } else {
        QCOMPARE(bytes.size(), (written.size() + 1) * kRecordSize);
        QCOMPARE(bytes.left(kRecordSize), QByteArray(b.Labels.ToHeader().Data(), kRecordSize));
        for (qsizetype i = 0; i < written.size(); ++i)
            QCOMPARE(TContactRecord::FromBytes(bytes.constData() + (i + 1) * kRecordSize).Name(), written[i]);
        // The exported file takes the book's settings under its own name.
        QVERIFY(TestBook::ReadFile(f.Path("settings.ini")).contains(TSettingsStore::BookSuffix(target).toUtf8()));
    }
    // The book in memory is untouched.
    QCOMPARE(f.BookNames(), (QList<QByteArray> {"C", "B", "A"}));
    QCOMPARE(b.FileName, fileName);
    QVERIFY(b.Changed);
}

QTEST_GUILESS_MAIN(TestMaskExport)
#include "tst_maskexport.moc"
