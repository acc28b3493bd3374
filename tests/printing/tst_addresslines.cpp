#include "printing/AddressLines.h"

#include "book/ContactRecord.h"
#include "util/Cp1250.h"

#include <QTest>

using TFields = QList<QPair<int, QString>>;

namespace {

QString U(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

QPair<int, QString> F(EField field, const char *utf8)
{
    return {int(field), U(utf8)};
}

// Address 1's street, town, country and PSČ.
TFields Home(const char *street, const char *psc, const char *town, const char *country = "")
{
    return {F(EField::Ulice1, street), F(EField::Psc1, psc), F(EField::Misto1, town), F(EField::Stat1, country)};
}

} // namespace

class TestAddressLines : public QObject
{
    Q_OBJECT

private slots:
    void entries_data();
    void entries();
};

// The label of an entry as the post wants it, from the fields as stored.
void TestAddressLines::entries_data()
{
    QTest::addColumn<TFields>("fields");
    QTest::addColumn<int>("address");
    QTest::addColumn<QStringList>("lines");
    const TFields name {F(EField::NazevPolozky, "Novák Jan"), F(EField::Jmeno, "Jan"), F(EField::Prijmeni, "Novák")};
    const QStringList place {"Dlouhá 5", "110 00 Praha 1"};

    // The name line.
    QTest::newRow("titles around the name")
        << name + TFields {F(EField::TitulPred, "Ing."), F(EField::TitulZa, "Ph.D.")} + Home("Dlouhá 5", "11000", "Praha 1")
        << 1 << QStringList {"Ing. Jan Novák Ph.D."} + place;
    QTest::newRow("surname only") << TFields {F(EField::NazevPolozky, "N"), F(EField::Prijmeni, "Novák")} << 1
                                  << QStringList {"Novák"};
    QTest::newRow("first name only") << TFields {F(EField::NazevPolozky, "N"), F(EField::Jmeno, "Jan")} << 1
                                     << QStringList {"Jan"};
    QTest::newRow("no person: the entry's name, titles left out")
        << TFields {F(EField::NazevPolozky, "Svoboda a syn, s.r.o."), F(EField::TitulPred, "Ing.")}
               + Home("Průmyslová 12", "602 00", "Brno")
        << 1 << QStringList {"Svoboda a syn, s.r.o.", "Průmyslová 12", "602 00 Brno"};
    QTest::newRow("spaces squeezed") << TFields {F(EField::TitulPred, " Mgr. "), F(EField::Jmeno, "  Eva  Marie "),
                                                 F(EField::Prijmeni, "Nová ")}
                                     << 1 << QStringList {"Mgr. Eva Marie Nová"};
    QTest::newRow("nothing at all") << TFields {} << 1 << QStringList {};

    // PSČ forms.
    QTest::newRow("PSČ run together") << name + Home("Dlouhá 5", "11000", "Praha 1") << 1 << QStringList {"Jan Novák"} + place;
    QTest::newRow("PSČ spaced oddly") << name + Home("Dlouhá 5", "1 10 00", "Praha 1") << 1
                                      << QStringList {"Jan Novák"} + place;
    QTest::newRow("PSČ with its space") << name + Home("Dlouhá 5", "110 00", "Praha 1") << 1
                                        << QStringList {"Jan Novák"} + place;
    QTest::newRow("PSČ of four digits as written")
        << name + Home("Hauptstr. 1", "1010", "Wien", "Rakousko") << 1
        << QStringList {"Jan Novák", "Hauptstr. 1", "1010 Wien", "Rakousko"};
    QTest::newRow("PSČ with letters as written")
        << name + Home("Baker St 1", "NW1 6XE", "London", "Velká Británie") << 1
        << QStringList {"Jan Novák", "Baker St 1", "NW1 6XE London", "Velká Británie"};
    QTest::newRow("PSČ without a town") << name + Home("", "11000", "") << 1 << QStringList {"Jan Novák", "110 00"};
    QTest::newRow("town without a PSČ") << name + Home("", "", "Praha") << 1 << QStringList {"Jan Novák", "Praha"};
    QTest::newRow("street only") << name + Home("Dlouhá 5", "", "") << 1 << QStringList {"Jan Novák", "Dlouhá 5"};

    // Our own country is never printed, however it is written; any other is, last.
    for (const char *own : {"Česká republika", "ČESKÁ REPUBLIKA", "česká  republika", "Česko", "ČR", "čr", "CZ", "cz",
                            " CZ "})
        QTest::newRow(own) << name + Home("Dlouhá 5", "11000", "Praha 1", own) << 1 << QStringList {"Jan Novák"} + place;
    for (const char *foreign : {"Slovensko", "Czech Republic", "CZE", "Česká"})
        QTest::newRow(foreign) << name + Home("Dlouhá 5", "11000", "Praha 1", foreign) << 1
                               << QStringList {"Jan Novák"} + place + QStringList {U(foreign)};
    QTest::newRow("country alone") << name + Home("", "", "", "Německo") << 1 << QStringList {"Jan Novák", "Německo"};

    // The address asked for, and only that one.
    const TFields three = name + Home("Dlouhá 5", "11000", "Praha 1")
                          + TFields {F(EField::Ulice2, "Pracovní 2"), F(EField::Psc2, "60200"), F(EField::Misto2, "Brno"),
                                     F(EField::Ulice3, "Chatová 3"), F(EField::Psc3, "54301"),
                                     F(EField::Misto3, "Vrchlabí"), F(EField::Stat3, "Polsko")};
    QTest::newRow("address 2") << three << 2 << QStringList {"Jan Novák", "Pracovní 2", "602 00 Brno"};
    QTest::newRow("address 3") << three << 3 << QStringList {"Jan Novák", "Chatová 3", "543 01 Vrchlabí", "Polsko"};
    QTest::newRow("empty address 2: the name only") << name + Home("Dlouhá 5", "11000", "Praha 1") << 2
                                                    << QStringList {"Jan Novák"};
    QTest::newRow("empty address 3: the name only") << name + Home("Dlouhá 5", "11000", "Praha 1") << 3
                                                    << QStringList {"Jan Novák"};
    QTest::newRow("no address number: the name only") << three << 0 << QStringList {"Jan Novák"};
}

void TestAddressLines::entries()
{
    QFETCH(TFields, fields);
    QFETCH(int, address);
    QFETCH(QStringList, lines);
    TContactRecord record;
    for (const auto &[field, text] : fields)
        record.SetText(EField(field), ToCp1250(text));
    QCOMPARE(EntryAddressLines(TRecordView(record.Data()), address), lines);
}

QTEST_APPLESS_MAIN(TestAddressLines)
#include "tst_addresslines.moc"
