#include "DtaBuilder.h"
#include "SessionFixture.h"

#include "exchange/DtaFile.h"
#include "exchange/ExchangeCommands.h"
#include "session/Messages.h"

#include <QTest>

using TestBook::Cp;

namespace {

// Kamenický bytes: 0x87 č, 0xA1 í, 0x91 ž, 0x9B Š.
const QByteArray kKam = QByteArray("\x87\xA1\x91\x9B", 4);

class TScriptedExchange : public IExchangeDialogs
{
public:
    QList<TImportChoice> Imports;
    QStringList Exports;
    int Progressed = 0;

    bool AskImport(TImportChoice &c) override
    {
        if (Imports.isEmpty())
            return false;
        c = Imports.takeFirst();
        return true;
    }
    QString AskExport() override { return Exports.isEmpty() ? QString() : Exports.takeFirst(); }
    void Progress(qint64, qint64 total) override { Progressed += total > 0; }
};

QByteArray File(const QList<TDtaRecord> &records)
{
    QByteArray b;
    for (const TDtaRecord &r : records)
        b += r.Bytes;
    return b;
}

} // namespace

class TestDtaImport : public QObject
{
    Q_OBJECT

private slots:
    void fieldMapping_data();
    void fieldMapping();
    void builtFields_data();
    void builtFields();
    void headerCaptions();
    void importCommand();
    void failures_data();
    void failures();
    void hostileFiles();
};

void TestDtaImport::fieldMapping_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<int>("field");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray cz = Cp("čížŠ");
    auto row = [&](const char *name, int offset, EField f, bool converted) {
        QTest::newRow(name) << offset << QByteArray("a" + kKam) << int(f) << (converted ? "a" + cz : "a" + kKam);
    };
    row("TitulPred", 0, EField::TitulPred, true);
    row("Prijmeni", 9, EField::Prijmeni, true);
    row("Jmeno", 25, EField::Jmeno, true);
    row("Prezdivka", 41, EField::Prezdivka, true);
    row("Ulice1", 52, EField::Ulice1, true);
    row("Misto1", 83, EField::Misto1, true);
    row("Psc1", 114, EField::Psc1, false);
    row("Ulice3", 245, EField::Ulice3, true);
    row("Misto3", 276, EField::Misto3, true);
    row("Stat3", 307, EField::Stat3, true);
    row("Zamestnani", 338, EField::Zamestnani, true);
    row("Ulice2", 369, EField::Ulice2, true);
    row("Misto2", 400, EField::Misto2, true);
    row("Stat2", 431, EField::Stat2, true);
    row("Telefon1", 462, EField::Telefon1, false);
    row("Telefon3", 483, EField::Telefon3, false);
    row("Telefon7", 504, EField::Telefon7, false);
    row("RodneCislo", 531, EField::RodneCislo, false);
    // A length byte beyond its slot takes the slot and no byte of the next one.
    QTest::newRow("length beyond slot") << 114 << QByteArray("123456XYZ") << int(EField::Psc1) << QByteArray("123456");
}

void TestDtaImport::fieldMapping()
{
    QFETCH(int, offset);
    QFETCH(QByteArray, source);
    QFETCH(int, field);
    QFETCH(QByteArray, expected);
    TDtaRecord d;
    d.Slot(offset, source, source.size() > 8 ? 255 : -1);
    const TContactRecord r = DtaFile::Entry(d.Bytes.constData());
    QCOMPARE(r.Text(EField(field)), expected);
    for (int i = 0; i < kTextFieldCount; ++i) {
        if (i != field && i != int(EField::NazevPolozky) && !(field == int(EField::Prijmeni) || field == int(EField::Jmeno)))
            QVERIFY2(r.Text(EField(i)).isEmpty(), FieldInfo(i).Name);
    }
}

void TestDtaImport::builtFields_data()
{
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("last");
    QTest::addColumn<QByteArray>("day");
    QTest::addColumn<QByteArray>("year");
    QTest::addColumn<QByteArray>("nameDay");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("birthday");
    QTest::addColumn<QByteArray>("svatek");
    QTest::newRow("full") << QByteArray("Jan") << QByteArray("Nov\xA0k") << QByteArray("12.05") << QByteArray("1970")
                          << QByteArray("24.06") << Cp("Jan Novák") << QByteArray("12.05.1970") << QByteArray("24.06.");
    QTest::newRow("no first name, day without year") << QByteArray() << QByteArray("Nov\xA0k") << QByteArray("12.05")
                                                     << QByteArray() << QByteArray() << Cp("Novák") << QByteArray("12.05.")
                                                     << QByteArray();
    QTest::newRow("year alone") << QByteArray("Eva") << QByteArray("Mal\xA0") << QByteArray() << QByteArray("1980")
                                << QByteArray("1.1") << Cp("Eva Malá") << QByteArray() << QByteArray("1.1.");
    QTest::newRow("long day cut") << QByteArray("A") << QByteArray("B") << QByteArray("12.055") << QByteArray("1970")
                                  << QByteArray() << QByteArray("A B") << QByteArray("12.0551970") << QByteArray();
}

void TestDtaImport::builtFields()
{
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, last);
    QFETCH(QByteArray, day);
    QFETCH(QByteArray, year);
    QFETCH(QByteArray, nameDay);
    TDtaRecord d = Person(first, last);
    d.Slot(525, day.left(5), int(day.size())).Slot(549, year).Slot(543, nameDay);
    if (day.size() > 5) // a sixth character can only come from a length byte over the slot
        d.Slot(525, day.left(5), 9);
    d.Slot(152, "druh\x98" + kKam).Flags("101011");
    const TContactRecord r = DtaFile::Entry(d.Bytes.constData());
    QTEST(r.Name(), "name");
    if (day.size() <= 5)
        QTEST(r.Text(EField::Narozeniny), "birthday");
    QTEST(r.Text(EField::Svatek), "svatek");
    QCOMPARE(r.Note(), "\r\n" + Cp("druhý") + Cp("čížŠ") + "\r\n\r\n");
    for (int i = 1; i <= 10; ++i)
        QCOMPARE(r.Flag(i), i <= 6 && i != 2 && i != 4);
}

void TestDtaImport::headerCaptions()
{
    TDtaRecord h;
    h.Slot(52, "Mu" + kKam).Slot(83, "Rodina").Slot(245, QByteArray(30, 'x')).Slot(338, "Firma").Slot(462, "Pot\x87");
    TBookLabels l = TBookLabels::Defaults();
    DtaFile::ApplyHeader(h.Bytes.constData(), l);
    const TBookLabels d = TBookLabels::Defaults();
    QCOMPARE(l.FlagCaptions[0], d.FlagCaptions[0]);
    QCOMPARE(l.FlagCaptions[1], "Mu" + Cp("čížŠ"));
    QCOMPARE(l.FlagCaptions[2], QByteArray("Rodina"));
    QCOMPARE(l.FlagCaptions[3], QByteArray(30, 'x'));
    QCOMPARE(l.FlagCaptions[4], QByteArray("Firma"));
    QCOMPARE(l.FlagCaptions[5], Cp("Potč"));
    for (int i = 6; i < 10; ++i)
        QCOMPARE(l.FlagCaptions[i], d.FlagCaptions[i]);
    QCOMPARE(l.PhoneCaptions, d.PhoneCaptions);
}

void TestDtaImport::importCommand()
{
    TSessionFixture f;
    TScriptedExchange dialogs;
    TExchangeCommands x(*f.S, *f.Editor, *f.Docs, dialogs);
    TDtaRecord header;
    header.Slot(52, "Kamar\xA0" "d");
    QList<TDtaRecord> records {header};
    for (int i = 0; i < 300; ++i)
        records.append(Person("Jan", "Z" + QByteArray::number(799 - i)).Flags(i == 0 ? "010000" : "000000"));
    // Read as a DTA file because the DTA filter was chosen, whatever the name says.
    TestBook::WriteFile(f.Path("Kontakty.DB"), File(records));
    dialogs.Imports.append({f.Path("Kontakty.DB"), TImportKind::Dta});
    f.S->Book.Mask.Active = true;
    f.S->Book.Mask.RequireSet[0] = true;
    x.IImportClick();

    QCOMPARE(f.Prompt.Texts(), QStringList());
    TAddressBook &b = f.S->Book;
    QCOMPARE(b.RecordCount(), 300);
    QCOMPARE(f.ListNames().size(), 300);
    QCOMPARE(b.FileName, f.Path("Kontakty.WDT"));
    QVERIFY(b.Changed);
    QVERIFY(f.Docs->HasFile());
    QVERIFY(!b.Mask.Active);
    QCOMPARE(f.View.Shown.FlagCaptions[1], Cp("Kamarád"));
    // The first list line and the entry shown are the same entry.
    QCOMPARE(b.List.Names().first(), Cp("Jan Z500"));
    QCOMPARE(f.CurrentName(), Cp("Jan Z500"));
    QVERIFY(f.Status(2).contains(Msg::Changed()));

    // The imported book is changed: importing again asks first, and "Ne" keeps it.
    f.Prompt.Answers.enqueue(kHlaskaNe);
    dialogs.Imports.append({f.Path("Kontakty.DB"), TImportKind::Dta});
    x.IImportClick();
    QCOMPARE(f.Prompt.Texts(), QStringList {Msg::UnsavedQuestion()});
    QCOMPARE(dialogs.Imports.size(), 1);

    // Saved under its new name and opened again it is the same book.
    f.Docs->IUlozitClick();
    QVERIFY(!b.Changed);
    QCOMPARE(QFileInfo(f.Path("Kontakty.WDT")).size(), 301 * kRecordSize);
}

void TestDtaImport::failures_data()
{
    QTest::addColumn<int>("size"); // -1 no file, -2 a directory
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << -1 << QString();
    QTest::newRow("directory") << -2 << Msg::OpenFailed();
    QTest::newRow("short header") << 559 << Msg::HeaderReadFailed();
    QTest::newRow("short last record") << 1000 << Msg::ReadFailed();
    QTest::newRow("one byte over") << 560 * 3 + 1 << Msg::ReadFailed();
}

void TestDtaImport::failures()
{
    QFETCH(int, size);
    TSessionFixture f;
    f.Open({TestBook::Entry("Alfa"), TestBook::Entry("Beta")});
    f.Editor->EditText(EField::Prijmeni, "x"); // a change not yet saved
    TScriptedExchange dialogs;
    TExchangeCommands x(*f.S, *f.Editor, *f.Docs, dialogs);
    const QString path = f.Path("ADRESY.DTA");
    if (size == -2)
        QDir(f.Dir.path()).mkdir(QStringLiteral("ADRESY.DTA"));
    else if (size >= 0)
        TestBook::WriteFile(path, File({Person("A", "B"), Person("C", "D"), Person("E", "F"), Person("G", "H")}).left(size));
    const QString name = f.S->Book.FileName;
    dialogs.Imports.append({path, TImportKind::Dta});
    x.IImportClick();

    QFETCH(QString, message);
    QStringList expected {Msg::UnsavedQuestion()};
    if (!message.isEmpty())
        expected.append(message);
    QCOMPARE(f.Prompt.Texts(), expected);
    // The open book, its name and its changed state are as they were.
    QCOMPARE(f.BookNames(), (QList<QByteArray> {"Alfa", "Beta"}));
    QCOMPARE(f.S->Book.FileName, name);
    QVERIFY(f.S->Book.Changed);
    QCOMPARE(f.S->Book.Labels, TBookLabels::Defaults());
}

void TestDtaImport::hostileFiles()
{
    QTemporaryDir dir;
    // Every length byte at its greatest, every flag byte set: no read leaves its slot.
    QByteArray noise(560 * 4, '\xFF');
    const QString path = dir.filePath(QStringLiteral("noise.DTA"));
    TestBook::WriteFile(path, noise);
    TBook book;
    TBookLabels labels = TBookLabels::Defaults();
    QCOMPARE(DtaFile::Read(path, labels, book), TImportError::None);
    QCOMPARE(book.RecordCount(), 3);
    QCOMPARE(book.Record(0).Text(EField::Psc1).size(), 6);
    QVERIFY(labels.FlagCaptions[5].size() <= 20);

    // A file longer than a book may hold is refused before its entries are read
    // (sparse, so it costs no disk).
    QFile big(dir.filePath(QStringLiteral("big.DTA")));
    QVERIFY(big.open(QIODevice::WriteOnly));
    QVERIFY(big.resize((kMaxImportEntries + 2) * DtaFile::kDtaRecordSize));
    big.close();
    TBook none;
    QCOMPARE(DtaFile::Read(big.fileName(), labels, none), TImportError::TooLarge);
    QCOMPARE(none.RecordCount(), 0);
}

QTEST_GUILESS_MAIN(TestDtaImport)
#include "tst_dtaimport.moc"
