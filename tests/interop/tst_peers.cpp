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

// abook converts the vCard export to its CSV: every entry, with its name and e-mail.
void TestPeers::abook()
{
    const QString abook = QStandardPaths::findExecutable(QStringLiteral("abook"));
    if (abook.isEmpty())
        QSKIP("abook is not installed (scripts/deps.sh installs it)");
    const QString path = Export(QStringLiteral("ukazka"), TInteropFormat::VCard3);
    const QStringList rows = Run(abook, {QStringLiteral("--convert"), QStringLiteral("--informat"), QStringLiteral("vcard"),
                                         QStringLiteral("--infile"), path, QStringLiteral("--outformat"), QStringLiteral("csv")});
    QStringList got, expected;
    // abook leaves the escaped comma of a name as it stands ("Svoboda a syn\, s.r.o.").
    for (const QString &row : rows)
        got << QString(row).replace(QLatin1String("\\,"), QLatin1String(",")).section(QStringLiteral("\",\""), 0, 1) + QLatin1Char('"');
    for (qsizetype i = 0; i < m_sample.RecordCount(); ++i)
        expected << QStringLiteral("\"%1\",\"%2\"").arg(FromCp1250(m_sample.Record(i).Name()),
                                                          Mapping::Text(m_sample.Record(i), EField::Email));
    got.sort();
    expected.sort();
    QCOMPARE(got, expected);
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
