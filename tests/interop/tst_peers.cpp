#include "InteropFixtures.h"

#include "interop/Mapping.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace InteropFixtures;

Q_DECLARE_METATYPE(TInteropFormat)

namespace {

// Debian's own interpreter: the peers' modules are installed for it.
QString Python() { return QStandardPaths::findExecutable(QStringLiteral("python3"), {QStringLiteral("/usr/bin")}); }

QStringList Run(const QString &program, const QStringList &args, QString *error = nullptr)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        if (error)
            *error = QString::fromUtf8(p.readAllStandardError());
        return {QStringLiteral("<failed>")};
    }
    QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    lines.sort();
    return lines;
}

bool PythonHas(const char *module)
{
    return !Python().isEmpty() && QProcess::execute(Python(), {QStringLiteral("-c"), QStringLiteral("import ") + QLatin1String(module)}) == 0;
}

QString Tel(const TContactRecord &r, int g)
{
    QString n = Mapping::InternationalNumber(Mapping::Text(r, PhoneField(g, 0)), Mapping::Text(r, PhoneField(g, 1)),
                                             Mapping::Text(r, PhoneField(g, 2)), QStringLiteral("420"), QString());
    if (!n.isEmpty() && !Mapping::Text(r, PhoneField(g, 3)).isEmpty())
        n += QStringLiteral(" ext. ") + Mapping::Text(r, PhoneField(g, 3));
    return n;
}

} // namespace

class TestPeers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void vobject_data();
    void vobject();
    void khard_data() { vobject_data(); }
    void khard();
    void abook();
    void icalendar();

private:
    QString Export(const QString &book, TInteropFormat f);
    TBook &Book(const QString &name) { return name == QLatin1String("ukazka") ? m_sample : m_full; }

    QTemporaryDir m_dir;
    TBook m_sample;
    TBook m_full;
};

void TestPeers::initTestCase()
{
    QVERIFY(LoadSample(m_sample));
    FullBook(m_full);
}

QString TestPeers::Export(const QString &book, TInteropFormat f)
{
    const QString path = m_dir.filePath(book + QLatin1Char('.') + InteropFormat::Name(f));
    TBook &b = Book(book);
    const TExportResult r = ExportRecords(path, All(b), b.Labels, Options(f));
    return r.Error == TInteropError::None ? path : QString();
}

void TestPeers::vobject_data()
{
    QTest::addColumn<QString>("book");
    QTest::addColumn<TInteropFormat>("format");
    for (const char *b : {"ukazka", "plna"}) {
        QTest::addRow("%s 3.0", b) << QString::fromLatin1(b) << TInteropFormat::VCard3;
        QTest::addRow("%s 4.0", b) << QString::fromLatin1(b) << TInteropFormat::VCard4;
    }
}

// python3-vobject parses every card and gives back the same N, FN, TEL, EMAIL and BDAY.
void TestPeers::vobject()
{
    if (!PythonHas("vobject"))
        QSKIP("python3-vobject is not installed (scripts/deps.sh installs it)");
    QFETCH(QString, book);
    QFETCH(TInteropFormat, format);
    const QString path = Export(book, format);
    QVERIFY(!path.isEmpty());
    const QString script = QStringLiteral(
        "import sys, vobject\n"
        "for c in vobject.readComponents(open(sys.argv[1], encoding='utf-8', newline='').read()):\n"
        "    n = c.n.value\n"
        "    tel = ','.join(t.value for t in c.contents.get('tel', []))\n"
        "    mail = ','.join(t.value for t in c.contents.get('email', []))\n"
        "    bday = c.bday.value if 'bday' in c.contents else ''\n"
        "    print('|'.join([c.fn.value, n.family, n.given, n.prefix, n.suffix, tel, mail, str(bday)]))\n");
    QString error;
    const QStringList got = Run(Python(), {QStringLiteral("-c"), script, path}, &error);
    QStringList expected;
    const TBook &b = Book(book);
    for (qsizetype i = 0; i < b.RecordCount(); ++i) {
        const TContactRecord &r = b.Record(i);
        QStringList tels;
        for (int g = 1; g <= 9; ++g)
            if (!Tel(r, g).isEmpty())
                tels << Tel(r, g);
        const Mapping::TDayOfYear d = Mapping::ParseDay(Mapping::Text(r, EField::Narozeniny));
        QString bday;
        if (d.Valid() && d.HasYear())
            bday = QDate(d.Year, d.Month, d.Day)
                       .toString(format == TInteropFormat::VCard4 ? u"yyyyMMdd" : u"yyyy-MM-dd");
        expected << QStringList {FromCp1250(r.Name()), Mapping::Text(r, EField::Prijmeni), Mapping::Text(r, EField::Jmeno),
                                 Mapping::Text(r, EField::TitulPred), Mapping::Text(r, EField::TitulZa),
                                 tels.join(QLatin1Char(',')), Mapping::Text(r, EField::Email), bday}
                        .join(QLatin1Char('|'));
    }
    expected.sort();
    QVERIFY2(got != QStringList {QStringLiteral("<failed>")}, qPrintable(error));
    QCOMPARE(got, expected);
}

// khard lists the cards put into a temporary address book (a folder of one card a file,
// as synchronisation tools leave it) with the same names and numbers.
void TestPeers::khard()
{
    const QString khard = QStandardPaths::findExecutable(QStringLiteral("khard"));
    if (khard.isEmpty())
        QSKIP("khard is not installed (scripts/deps.sh installs it)");
    QFETCH(QString, book);
    QFETCH(TInteropFormat, format);
    const QString path = Export(book, format);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString all = QString::fromUtf8(f.readAll());
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("kniha"));
    QVERIFY(QDir().mkpath(store));
    static const QRegularExpression card(QStringLiteral("BEGIN:VCARD.*?END:VCARD\r\n"),
                                         QRegularExpression::DotMatchesEverythingOption);
    int i = 0;
    for (const QRegularExpressionMatch &m : card.globalMatch(all)) {
        QFile c(store + QStringLiteral("/%1.vcf").arg(i++));
        QVERIFY(c.open(QIODevice::WriteOnly));
        c.write(m.captured().toUtf8());
    }
    QFile conf(dir.filePath(QStringLiteral("khard.conf")));
    QVERIFY(conf.open(QIODevice::WriteOnly));
    conf.write("[addressbooks]\n[[kniha]]\npath = " + store.toUtf8() + "\n[general]\ndefault_action = list\n");
    conf.close();
    QString error;
    const QStringList listed = Run(khard, {QStringLiteral("-c"), conf.fileName(), QStringLiteral("list"), QStringLiteral("--parsable")}, &error);
    QVERIFY2(listed.value(0) != QLatin1String("<failed>"), qPrintable(error));
    const QStringList phones = Run(khard, {QStringLiteral("-c"), conf.fileName(), QStringLiteral("phone"), QStringLiteral("--parsable")});
    const TBook &b = Book(book);
    QCOMPARE(listed.size(), b.RecordCount());
    QStringList gotNumbers, expectedNumbers;
    for (const QString &line : phones)
        gotNumbers << line.section(QLatin1Char('\t'), 0, 0);
    for (qsizetype r = 0; r < b.RecordCount(); ++r) {
        const TContactRecord &rec = b.Record(r);
        // khard shows "first last", or the full name of an entry without parts.
        const QString shown = Mapping::Text(rec, EField::Jmeno).isEmpty() && Mapping::Text(rec, EField::Prijmeni).isEmpty()
                                  ? FromCp1250(rec.Name())
                                  : QStringList {Mapping::Text(rec, EField::Jmeno), Mapping::Text(rec, EField::Prijmeni)}.join(QLatin1Char(' ')).trimmed();
        QVERIFY2(listed.filter(QLatin1Char('\t') + shown + QLatin1Char('\t')).size() == 1, qPrintable(shown));
        for (int g = 1; g <= 9; ++g)
            if (!Tel(rec, g).isEmpty())
                expectedNumbers << Tel(rec, g);
    }
    gotNumbers.sort();
    expectedNumbers.sort();
    QCOMPARE(gotNumbers, expectedNumbers);
}

// abook converts the vCard export to its own format: every entry with its name, e-mail,
// numbers and address. abook keeps one number of each kind and one address, the last of
// each a card gives; it reads ungrouped TEL and ADR only, as most simple readers do.
void TestPeers::abook()
{
    const QString abook = QStandardPaths::findExecutable(QStringLiteral("abook"));
    if (abook.isEmpty())
        QSKIP("abook is not installed (scripts/deps.sh installs it)");
    const QString path = Export(QStringLiteral("ukazka"), TInteropFormat::VCard3);
    QProcess p;
    p.start(abook, {QStringLiteral("--convert"), QStringLiteral("--informat"), QStringLiteral("vcard"), QStringLiteral("--infile"),
                    path, QStringLiteral("--outformat"), QStringLiteral("abook")});
    QVERIFY(p.waitForFinished(60000) && p.exitCode() == 0);
    // "[n]" starts an entry; "key=value" lines follow.
    QStringList got;
    QString entry;
    for (const QString &line : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1Char('[')) || line.isEmpty()) {
            if (entry.contains(QLatin1String("name=")))
                got << entry;
            entry.clear();
        } else {
            entry += line + QLatin1Char('|');
        }
    }
    if (entry.contains(QLatin1String("name=")))
        got << entry;
    const TBookLabels &labels = m_sample.Labels;
    QStringList expected;
    for (qsizetype i = 0; i < m_sample.RecordCount(); ++i) {
        const TContactRecord &r = m_sample.Record(i);
        // abook writes its keys in this order.
        QMap<int, QString> fields;
        fields[0] = QStringLiteral("name=") + FromCp1250(r.Name()).replace(QLatin1Char(','), QLatin1String("\\,"));
        if (!Mapping::Text(r, EField::Email).isEmpty())
            fields[1] = QStringLiteral("email=") + Mapping::Text(r, EField::Email);
        for (int a = 1; a <= 3; ++a) {
            if (!(Mapping::CaptionKinds(FromCp1250(labels.AddressCaptions[size_t(a - 1)])) & (Mapping::Home | Mapping::Work)))
                continue;
            const QString street = Mapping::Text(r, AddressField(a, 0)), city = Mapping::Text(r, AddressField(a, 1));
            const QString country = Mapping::Text(r, AddressField(a, 2)), zip = Mapping::Text(r, AddressField(a, 3));
            if ((street + city + country + zip).isEmpty())
                continue;
            fields.remove(2), fields.remove(3), fields.remove(4), fields.remove(5);
            if (!street.isEmpty())
                fields[2] = QStringLiteral("address=") + street;
            if (!city.isEmpty())
                fields[3] = QStringLiteral("city=") + city;
            if (!zip.isEmpty())
                fields[4] = QStringLiteral("zip=") + zip;
            if (!country.isEmpty())
                fields[5] = QStringLiteral("country=") + country;
        }
        for (int g = 1; g <= 9; ++g) {
            const unsigned k = Mapping::CaptionKinds(FromCp1250(labels.PhoneCaptions[size_t(g - 1)]));
            const int key = k == Mapping::Home ? 6 : k == Mapping::Work ? 7 : k == Mapping::Fax ? 8 : k == Mapping::Cell ? 9 : -1;
            if (key >= 0 && !Tel(r, g).isEmpty())
                fields[key] = QStringList {QStringLiteral("phone="), QStringLiteral("workphone="), QStringLiteral("fax="),
                                           QStringLiteral("mobile=")}.at(key - 6) + Tel(r, g);
        }
        if (!Mapping::Text(r, EField::Prezdivka).isEmpty())
            fields[10] = QStringLiteral("nick=") + Mapping::Text(r, EField::Prezdivka);
        if (!Mapping::Text(r, EField::Http).isEmpty())
            fields[11] = QStringLiteral("url=") + Mapping::Text(r, EField::Http);
        expected << QStringList(fields.values()).join(QLatin1Char('|')) + QLatin1Char('|');
    }
    // abook does not unfold lines: a value whose line was folded reaches it cut at the
    // fold. Such a value is expected as far as the first physical line holds it.
    QFile exported(path);
    QVERIFY(exported.open(QIODevice::ReadOnly));
    const QStringList cards = QString::fromUtf8(exported.readAll()).split(QStringLiteral("END:VCARD"));
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QString &e = expected[i];
        const QString &text = cards.at(i);
        QStringList parts = e.split(QLatin1Char('|'));
        for (QString &kv : parts) {
            const QString value = kv.section(QLatin1Char('='), 1);
            for (int cut = 0; cut < value.size(); ++cut)
                if (text.contains((cut ? value.left(cut) : QStringLiteral(";")) + QStringLiteral("\r\n ") + value.mid(cut)))
                    kv = cut ? kv.section(QLatin1Char('='), 0, 0) + QLatin1Char('=') + value.left(cut) : QString();
        }
        parts.removeAll(QString());
        e = parts.join(QLatin1Char('|')) + QLatin1Char('|');
    }
    // Keys abook writes that the sample does not decide (notes, custom fields) are left out.
    static const QRegularExpression known(QStringLiteral("^(name|email|address|city|zip|country|phone|workphone|fax|mobile|nick|url)="));
    for (QString &e : got) {
        QStringList kept;
        for (const QString &kv : e.split(QLatin1Char('|'), Qt::SkipEmptyParts))
            if (known.match(kv).hasMatch())
                kept << kv;
        e = kept.join(QLatin1Char('|')) + QLatin1Char('|');
    }
    got.sort();
    expected.sort();
    QCOMPARE(got, expected);
    // The numbers and addresses are really there.
    QVERIFY(got.join(QString()).contains(QLatin1String("mobile=+420 602 123 456")));
    QVERIFY(got.join(QString()).contains(QString::fromUtf8("address=Lipová 12")));
}

// python3-icalendar reads one yearly all-day event per birthday and name day, 29 February
// as the last day of February.
void TestPeers::icalendar()
{
    if (!PythonHas("icalendar"))
        QSKIP("python3-icalendar is not installed (scripts/deps.sh installs it)");
    for (const QString &book : {QStringLiteral("ukazka"), QStringLiteral("plna")}) {
        const QString path = Export(book, TInteropFormat::Ics);
        const QString script = QStringLiteral(
            "import sys, icalendar\n"
            "cal = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())\n"
            "for e in cal.walk('VEVENT'):\n"
            "    d = e.decoded('DTSTART')\n"
            "    print('|'.join([str(e['SUMMARY']), type(d).__name__, d.strftime('%m-%d'), ';'.join(sorted(e['RRULE'].to_ical().decode().split(';')))]))\n");
        QString error;
        const QStringList got = Run(Python(), {QStringLiteral("-c"), script, path}, &error);
        QVERIFY2(got.value(0) != QLatin1String("<failed>"), qPrintable(error));
        QStringList expected;
        const TBook &b = Book(book);
        for (qsizetype i = 0; i < b.RecordCount(); ++i) {
            const TContactRecord &r = b.Record(i);
            for (const auto &[field, title] : {std::pair {EField::Narozeniny, "Narozeniny"}, std::pair {EField::Svatek, "Svátek"}}) {
                const Mapping::TDayOfYear d = Mapping::ParseDay(Mapping::Text(r, field));
                if (!d.Valid())
                    continue;
                const bool leap = d.Month == 2 && d.Day == 29;
                expected << QString::fromUtf8(title) + QStringLiteral(": ") + FromCp1250(r.Name()).trimmed()
                                + QStringLiteral("|date|%1-%2|").arg(d.Month, 2, 10, QLatin1Char('0')).arg(d.Day, 2, 10, QLatin1Char('0'))
                                + (leap ? QStringLiteral("BYMONTH=2;BYMONTHDAY=-1;FREQ=YEARLY") : QStringLiteral("FREQ=YEARLY"));
            }
        }
        expected.sort();
        QCOMPARE(got, expected);
    }
}

QTEST_GUILESS_MAIN(TestPeers)
#include "tst_peers.moc"
