// A report and a label sheet printed through QPrinter on a real CUPS queue: the test runs
// its own cupsd (configuration, spool and logs in a temporary folder, a private socket)
// with a cups-pdf queue, and reads back the PDF that cups-pdf writes where its system
// configuration says. Skips where cupsd cannot run.
#include "PdfReader.h"

#include "printing/LabelLayout.h"
#include "printing/LabelSheet.h"
#include "printing/ReportPages.h"
#include "printing/ui/PrinterOutput.h"
#include "util/CodePage.h"
#include "util/Cp1250.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QPrinter>
#include <QTest>

#include <pwd.h>
#include <unistd.h>

using namespace PdfReader;

namespace {

const QString kQueue = QStringLiteral("vorlink-test");
const QString kPpd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");

QString Folder()
{
    return QDir::tempPath() + QStringLiteral("/vorlink-cups-%1").arg(QCoreApplication::applicationPid());
}

// Where cups-pdf puts the jobs of the user running the test: its "Out", with ${HOME} and
// ${USER} of that user.
QString CupsPdfOutput()
{
    QFile conf(QStringLiteral("/etc/cups/cups-pdf.conf"));
    if (!conf.open(QIODevice::ReadOnly))
        return {};
    QString out = QStringLiteral("/var/spool/cups-pdf/${USER}");
    for (const QByteArray &raw : conf.readAll().split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith("Out ") || line.startsWith("Out\t"))
            out = QString::fromLocal8Bit(line.mid(4).trimmed());
    }
    const passwd *pw = getpwuid(geteuid());
    if (!pw)
        return {};
    out.replace(QStringLiteral("${HOME}"), QString::fromLocal8Bit(pw->pw_dir));
    out.replace(QStringLiteral("${USER}"), QString::fromLocal8Bit(pw->pw_name));
    return out;
}

} // namespace

class TestPrintQueue : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void print_data();
    void print();

private:
    QString WaitForPdf(const QString &title);

    QProcess m_cupsd;
    QString m_output;
    bool m_madeOutput = false;
    QStringList m_written;
};

void TestPrintQueue::initTestCase()
{
    if (geteuid() != 0)
        QSKIP("cupsd with a private configuration needs root here (its filters run as lp)");
    for (const QString &tool : {QStringLiteral("/usr/sbin/cupsd"), QStringLiteral("/usr/sbin/lpadmin"),
                                QStringLiteral("/usr/bin/lpstat"), QStringLiteral("/usr/lib/cups/backend/cups-pdf"), kPpd}) {
        if (!QFile::exists(tool))
            QSKIP(qPrintable(tool + QStringLiteral(" is missing (cups, printer-driver-cups-pdf)")));
    }
    if (const QString missing = MissingTools(); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    m_output = CupsPdfOutput();
    if (m_output.isEmpty())
        QSKIP("/etc/cups/cups-pdf.conf cannot be read");
    m_madeOutput = !QFileInfo::exists(m_output);

    const QString dir = Folder();
    QVERIFY(QDir().mkpath(dir + QStringLiteral("/spool/tmp")));
    QFile::setPermissions(dir + QStringLiteral("/spool/tmp"), QFileDevice::Permissions(0x7777));
    for (const char *sub : {"cache", "state", "log"})
        QVERIFY(QDir(dir).mkdir(QLatin1String(sub)));
    QFile conf(dir + QStringLiteral("/cupsd.conf"));
    QVERIFY(conf.open(QIODevice::WriteOnly));
    conf.write("Listen " + QFile::encodeName(dir) + "/cups.sock\nLogLevel info\nBrowsing No\nWebInterface No\n"
               "DefaultAuthType None\n<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
               "<Policy default>\n  <Limit All>\n    Order deny,allow\n    Allow all\n  </Limit>\n</Policy>\n");
    conf.close();
    QFile files(dir + QStringLiteral("/cups-files.conf"));
    QVERIFY(files.open(QIODevice::WriteOnly));
    const QByteArray d = QFile::encodeName(dir);
    files.write("ServerRoot " + d + "\nRequestRoot " + d + "/spool\nTempDir " + d + "/spool/tmp\nCacheDir " + d
                + "/cache\nStateDir " + d + "/state\nAccessLog " + d + "/log/access_log\nErrorLog " + d
                + "/log/error_log\nPageLog " + d + "/log/page_log\nServerBin /usr/lib/cups\nDataDir /usr/share/cups\n"
                  "FileDevice No\nSandboxing Relaxed\n");
    files.close();

    m_cupsd.start(QStringLiteral("/usr/sbin/cupsd"), {QStringLiteral("-f"), QStringLiteral("-c"), dir + QStringLiteral("/cupsd.conf"),
                                                      QStringLiteral("-s"), dir + QStringLiteral("/cups-files.conf")});
    QVERIFY(m_cupsd.waitForStarted());
    const QDeadlineTimer up(20000);
    while (Run(QStringLiteral("lpstat"), {QStringLiteral("-r")}).Out.trimmed() != "scheduler is running") {
        if (up.hasExpired() || m_cupsd.state() != QProcess::Running)
            QSKIP(qPrintable(QStringLiteral("cupsd did not start: ") + QString::fromLocal8Bit(m_cupsd.readAll())));
        QTest::qWait(200);
    }
    const TRun added = Run(QStringLiteral("lpadmin"), {QStringLiteral("-p"), kQueue, QStringLiteral("-E"), QStringLiteral("-v"),
                                                       QStringLiteral("cups-pdf:/"), QStringLiteral("-P"), kPpd});
    QVERIFY2(added.Status == 0, added.Err.constData());
}

void TestPrintQueue::cleanupTestCase()
{
    for (const QString &pdf : std::as_const(m_written))
        QFile::remove(pdf);
    if (m_madeOutput)
        QDir().rmdir(m_output);
    if (m_cupsd.state() != QProcess::NotRunning) {
        m_cupsd.terminate(); // SIGTERM to its own process id
        if (!m_cupsd.waitForFinished(10000))
            m_cupsd.kill();
    }
    QDir(Folder()).removeRecursively();
}

// cups-pdf names the file after the job's title, other characters than letters and digits
// made '_'; the file is complete once the queue has no job left.
QString TestPrintQueue::WaitForPdf(const QString &title)
{
    const QDeadlineTimer deadline(90000);
    while (!deadline.hasExpired()) {
        const TRun pending = Run(QStringLiteral("lpstat"), {QStringLiteral("-o"), kQueue});
        const QStringList found = QDir(m_output).entryList({title + QStringLiteral("*.pdf")}, QDir::Files);
        if (pending.Status == 0 && pending.Out.trimmed().isEmpty() && !found.isEmpty()) {
            for (const QString &f : found)
                m_written.append(m_output + QLatin1Char('/') + f);
            return m_output + QLatin1Char('/') + found.first();
        }
        QTest::qWait(250);
    }
    return {};
}

void TestPrintQueue::print_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<QList<QStringList>>("pages"); // the words expected on each page, in order
    QTest::newRow("report") << "report"
                            << QList<QStringList> {{"SEZNAM", "ADRES", "Příliš", "žluťoučký", "kůň"}, {"Šťastná", "Žofie", "Plzeň"}};
    QTest::newRow("labels") << "labels"
                            << QList<QStringList> {{"Ing.", "Jan", "Novák", "Dlouhá", "5", "110", "00", "Praha", "1",
                                                    "Žofie", "Šťastná", "Příčná", "12", "602", "00", "Brno"}};
}

void TestPrintQueue::print()
{
    QFETCH(QString, what);
    QFETCH(QList<QStringList>, pages);
    const QString title = QStringLiteral("vorlinktest%1%2").arg(what).arg(QCoreApplication::applicationPid());
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(kQueue);
    QVERIFY2(printer.isValid() && printer.outputFormat() == QPrinter::NativeFormat, "the queue is not seen by QPrinter");
    printer.setDocName(title);
    std::unique_ptr<IPageSource> source;
    if (what == QLatin1String("report")) {
        source = std::make_unique<TReportPages>(
            ToCp1250(QString::fromUtf8("\x1b@SEZNAM ADRES\r\nPříliš žluťoučký kůň\r\n\fŠťastná Žofie\tPlzeň\r\n\f")),
            int(TCodePage::Win1250), MeasureMonoFont());
    } else {
        const QList<QStringList> labels {QString::fromUtf8("Ing. Jan Novák|Dlouhá 5|110 00 Praha 1").split(u'|'),
                                         QString::fromUtf8("Žofie Šťastná|Příčná 12|602 00 Brno").split(u'|')};
        source = std::make_unique<TLabelSheet>(*ParseLabelLayout(QStringLiteral("3x8")), labels.size(),
                                               [labels](qsizetype i) { return labels[i]; });
    }
    QVERIFY(PrintSource(printer, *source));
    const QString pdf = WaitForPdf(title);
    QVERIFY2(!pdf.isEmpty(), "cups-pdf wrote no file");
    // cups-pdf's ghostscript re-encodes the fonts, so the words cannot be read as text; the
    // same source written as a PDF directly shows where each word must stand.
    const QString direct = Folder() + QStringLiteral("/%1.pdf").arg(what);
    QCOMPARE(WritePdf(direct, *source), TPdfError::None);
    const QList<TPdfPage> want = Words(direct);
    QCOMPARE(want.size(), pages.size());
    const QList<TPdfPage> got = Words(pdf);
    QCOMPARE(got.size(), want.size());
    for (int p = 0; p < got.size(); ++p) {
        QStringList words;
        for (const TWord &w : want[p].Words)
            words.append(w.Text);
        QCOMPARE(words, pages[p]);
        QCOMPARE(got[p].Words.size(), want[p].Words.size());
        // A4 as the source asked, whatever the queue's default.
        QVERIFY(std::abs(got[p].Width - 210 * kPtPerMm) < 1 && std::abs(got[p].Height - 297 * kPtPerMm) < 1);
        // The queue's ghostscript turns the fonts into drawn glyphs whose boxes say nothing
        // of where the ink is, so the pages are compared as printed: the same ink in the same
        // places, within half a millimetre.
        const TGrey printed = ReadPgm(RenderPage(pdf, Folder() + QStringLiteral("/queue%1").arg(p), 72, p + 1));
        const TGrey written = ReadPgm(RenderPage(direct, Folder() + QStringLiteral("/direct%1").arg(p), 72, p + 1));
        QVERIFY(printed.Width > 0 && printed.Width == written.Width && printed.Height == written.Height);
        const QRect a = Ink(printed);
        const QRect b = Ink(written);
        QVERIFY2(!b.isEmpty() && std::abs(a.left() - b.left()) <= 1 && std::abs(a.top() - b.top()) <= 1
                     && std::abs(a.right() - b.right()) <= 1 && std::abs(a.bottom() - b.bottom()) <= 1,
                 qPrintable(QStringLiteral("ink at %1,%2-%3,%4 instead of %5,%6-%7,%8")
                                .arg(a.left()).arg(a.top()).arg(a.right()).arg(a.bottom())
                                .arg(b.left()).arg(b.top()).arg(b.right()).arg(b.bottom())));
        double difference = 0;
        for (qsizetype i = 0; i < printed.Pixels.size(); ++i)
            difference += std::abs(int(uchar(printed.Pixels[i])) - int(uchar(written.Pixels[i])));
        difference /= double(printed.Pixels.size());
        QVERIFY2(difference < 1.5, qPrintable(QStringLiteral("mean difference %1").arg(difference)));
    }
}

int main(int argc, char *argv[])
{
    // The print plugin asks this server from the start.
    qputenv("CUPS_SERVER", QFile::encodeName(QDir::tempPath() + QStringLiteral("/vorlink-cups-%1/cups.sock")
                                                                    .arg(QCoreApplication::applicationPid())));
    QApplication app(argc, argv);
    TestPrintQueue test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_printqueue.moc"
