#include "session/ListCollation.h"
#include "session/NameList.h"

#include "util/Cp1250.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

QByteArray Cp(const char *utf8)
{
    return ToCp1250(QString::fromUtf8(utf8));
}

// Names over the letters, digits, spaces and punctuation the byte keys cover, weighted to
// what the collation treats specially: "ch" in every case beside c, č and h, accents
// beside plain letters, case, and names that begin other names or repeat them.
QByteArrayList RandomNames(int count, quint32 seed)
{
    static const char *const units[] = {
        "ch", "Ch", "CH", "cH", "c",  "C",  "č",  "Č",  "h",  "H",  "c",  "h",  "č",  "ch", "a",  "A",  "á",
        "Á",  "a",  "e",  "é",  "ě",  "É",  "Ě",  "i",  "í",  "I",  "o",  "ó",  "ô",  "u",  "ú",  "ů",  "Ů",
        "y",  "ý",  "r",  "ř",  "Ř",  "s",  "š",  "Š",  "z",  "ž",  "Ž",  "d",  "ď",  "t",  "ť",  "n",  "ň",
        "l",  "ľ",  "ĺ",  "ä",  "ö",  "ü",  "ő",  "ű",  "ł",  "Ł",  "ą",  "ę",  "ś",  "ź",  "ż",  "ć",  "ń",
        "ç",  "ş",  "ţ",  "â",  "ă",  "î",  "đ",  " ",  " ",  " ",  "0",  "1",  "9",  ".",  ",",  "-",  "'",
        "/",  "&",  "(",  ")",  "\xc2\xa0", "b", "k", "v", "x", "w", "q", "g", "f", "j", "m", "p"};
    constexpr int unitCount = int(std::size(units));
    QRandomGenerator random(seed);
    QByteArrayList names;
    names.reserve(count);
    for (int i = 0; i < count; ++i) {
        QByteArray name;
        const int kind = random.bounded(8);
        if (kind < 3 && !names.isEmpty()) {
            // An earlier name cut short, lengthened, or with one unit replaced.
            name = names[random.bounded(names.size())];
            if (kind == 0 && !name.isEmpty())
                name.truncate(random.bounded(name.size()));
            else if (kind == 1)
                name += Cp(units[random.bounded(unitCount)]);
            else if (!name.isEmpty())
                name.replace(random.bounded(name.size()), 1, Cp(units[random.bounded(unitCount)]));
        } else {
            const int length = random.bounded(9);
            for (int k = 0; k < length; ++k)
                name += Cp(units[random.bounded(unitCount)]);
        }
        names.append(name);
    }
    return names;
}

} // namespace

// The list order by byte keys is the collator's, byte for byte, or the collator's own keys
// take the whole sort.
class TestListOrder : public QObject
{
    Q_OBJECT

private slots:
    void sameOrderAsCollator_data();
    void sameOrderAsCollator();
};

void TestListOrder::sameOrderAsCollator_data()
{
    QTest::addColumn<QByteArrayList>("names");
    QTest::addColumn<bool>("byteKeys"); // whether every name has a byte key

    QTest::newRow("random names, tricky letters") << RandomNames(300000, 1) << true;
    QTest::newRow("random names, other seed") << RandomNames(100000, 7) << true;
    QTest::newRow("ch, c, č, h and cz") << QByteArrayList {
        "ch", "c", "h", "cz", "CZ", "Ch", "cH", "CH", "chh", "cch", "hch", "Cho", "ci", "hz", "Hi",
        Cp("č"), Cp("čh"), Cp("Čh"), "cha", "chA", "hy", "i", "", " ", "c h", "c-h", "ch."} << true;
    QTest::newRow("accents before, between and after plain letters") << QByteArrayList {
        Cp("á"), "a", "A", Cp("Á"), Cp("áa"), Cp("aá"), "aa", Cp("ába"), Cp("abá"), "aba", Cp("Novák"),
        Cp("Nováková"), Cp("novak"), Cp("Nováček"), Cp("Novacek"), Cp("Müller"), Cp("Muller"), Cp("Mueller"),
        Cp("Łukasz"), Cp("Lukasz"), Cp("Őry"), Cp("Ory"), Cp("Öry")} << true;
    // Each of these holds a byte the collator does not weigh as one unit of its own.
    QTest::newRow("sharp s") << QByteArrayList {Cp("ßa"), "sz", "st", "ss", "sa", Cp("Straße"), "Strasse"} << false;
    QTest::newRow("ellipsis") << QByteArrayList {Cp("…a"), "..b", ".a", "...", Cp("a…")} << false;
    QTest::newRow("trade mark") << QByteArrayList {Cp("™x"), "tn", "tmx", "tm", "Tz"} << false;
    QTest::newRow("soft hyphen") << QByteArrayList {"a\xad" "b", "ab", "aa", "a-b"} << false;
    QTest::newRow("control and unassigned bytes")
        << QByteArrayList {"b\x01", "b", QByteArray("a\0c", 3), "a\x81" "b", "ab", "a\tb", "a b"} << false;
    QByteArrayList mixed = RandomNames(20000, 3);
    mixed.insert(12345, Cp("Gauß"));
    QTest::newRow("one such name among many") << mixed << false;
}

void TestListOrder::sameOrderAsCollator()
{
    QFETCH(QByteArrayList, names);
    QFETCH(bool, byteKeys);
    QVERIFY2(ListCollation::ByteKeysUsable(), "the collator disagrees with the byte keys learnt from it");
    std::vector<unsigned char> key;
    bool allKeyed = true;
    for (const QByteArray &n : names) {
        key.resize(size_t(ListCollation::KeyRoom(n.size())));
        allKeyed = allKeyed && ListCollation::PutKey(n, key.data()) >= 0;
    }
    QCOMPARE(allKeyed, byteKeys);
    const auto name = [&](qsizetype i) { return QByteArrayView(names[i]); };
    const std::vector<qsizetype> fast = ListOrder(names.size(), name);
    const std::vector<qsizetype> collator = CollatorListOrder(names.size(), name);
    QCOMPARE(fast.size(), collator.size());
    for (size_t i = 0; i < fast.size(); ++i) {
        if (fast[i] != collator[i]) {
            QFAIL(qPrintable(QStringLiteral("at %1: \"%2\" (entry %3) where the collator has \"%4\" (entry %5)")
                                 .arg(i)
                                 .arg(FromCp1250(names[fast[i]]))
                                 .arg(fast[i])
                                 .arg(FromCp1250(names[collator[i]]))
                                 .arg(collator[i])));
        }
    }
}

QTEST_GUILESS_MAIN(TestListOrder)
#include "tst_listorder.moc"
