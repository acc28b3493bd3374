// Export of a 65,535-entry book of varied entries to each of today's formats, through the
// command line as a person runs it, beside reading the book raw and writing the same
// output bytes raw; and the vCard read back beside reading its bytes raw.
#include "BenchSupport.h"
#include "book/Book.h"
#include "book/BookFile.h"
#include "cli/ExportCommand.h"
#include "interop/InteropFile.h"
#include "session/AddressBook.h"
#include "util/Cp1250.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

namespace {


QByteArray Cz(const char *utf8) { return ToCp1250(QString::fromUtf8(utf8)); }

// Entries as people keep them: most with a phone or two, an address, a birthday; some
// firms, some long notes that fold, some dates that name no day.
TContactRecord Entry(int i)
{
    static const char *const surnames[] = {"Novák", "Svobodová", "Dvořák", "Černá", "Procházka", "Kučerová",
                                           "Veselý", "Horáková", "Němec", "Pokorná", "Marek", "Růžičková"};
    static const char *const given[] = {"Jan", "Jana", "Petr", "Marie", "Jiří", "Eva", "Tomáš", "Lucie",
                                        "Ondřej", "Kateřina", "Vojtěch", "Alena"};
    static const char *const cities[] = {"Praha", "Brno", "Plzeň", "České Budějovice", "Ústí nad Labem",
                                         "Hradec Králové", "Olomouc", "Zlín"};
    static const char *const streets[] = {"Dlouhá", "Na Výsluní", "Lipová", "Sady Pětatřicátníků",
                                          "Tř. Svobody", "U Řeky"};
    const QByteArray n = QByteArray::number(i);
    const int k = i % 12;
    TContactRecord r;
    const bool firm = i % 10 == 7;
    if (firm) {
        r.SetText(EField::NazevPolozky, Cz("Svoboda a syn, s.r.o. ") + n);
        r.SetText(EField::Ico, QByteArray::number(10000000 + i));
        r.SetText(EField::Dic, "CZ" + QByteArray::number(10000000 + i));
        r.SetText(EField::Banka, Cz("Česká banka"));
        r.SetText(EField::Ucet, n + "/0800");
        r.SetText(EField::Http, "www.example.com/" + n);
        r.SetText(EField::Ulice2, Cz("Průmyslová ") + n);
        r.SetText(EField::Misto2, Cz(cities[i % 8]));
        r.SetText(EField::Psc2, "530 02");
        r.SetText(PhoneField(3, 2), "466 111 " + n.right(3));
        r.SetText(PhoneField(3, 3), "10");
        r.SetText(PhoneField(6, 2), "466 111 222");
        r.SetNote(Cz("Dodavatel kancelářských potřeb, objednávky přes e-mail; platba převodem, splatnost 14 dní."));
        r.SetFlag(9, true);
        return r;
    }
    r.SetText(EField::NazevPolozky, Cz(surnames[k]) + ' ' + Cz(given[(i / 12) % 12]) + ' ' + n);
    r.SetText(EField::Prijmeni, Cz(surnames[k]));
    r.SetText(EField::Jmeno, Cz(given[(i / 12) % 12]));
    if (i % 5 == 0)
        r.SetText(EField::TitulPred, "Ing.");
    if (i % 13 == 0)
        r.SetText(EField::TitulZa, "Ph.D.");
    if (i % 4 == 0)
        r.SetText(EField::Prezdivka, Cz("Péťa, Pepa"));
    r.SetText(EField::Ulice1, Cz(streets[i % 6]) + ' ' + QByteArray::number(1 + i % 97));
    r.SetText(EField::Misto1, Cz(cities[i % 8]));
    r.SetText(EField::Psc1, "301 00");
    if (i % 3 == 0)
        r.SetText(EField::Stat1, Cz("Česká republika"));
    r.SetText(PhoneField(1, 0), "420");
    r.SetText(PhoneField(1, 2), "377 " + n);
    r.SetText(PhoneField(9, 2), "602 " + n);
    if (i % 6 == 0) {
        r.SetText(PhoneField(8, 0), "421");
        r.SetText(PhoneField(8, 1), "2");
        r.SetText(PhoneField(8, 2), "5555 " + n);
    }
    r.SetText(EField::Email, "jan." + n + "@example.cz");
    static const char *const days[] = {"05.03.1961", "29.02.1984", "12.09.", "31.02.1990", "", "24.12.2001"};
    r.SetText(EField::Narozeniny, days[i % 6]);
    r.SetText(EField::Svatek, i % 7 == 0 ? QByteArray() : QByteArray::number(1 + i % 28) + ".06.");
    r.SetText(EField::Zamestnani, Cz("účetní"));
    if (i % 3 == 0)
        r.SetNote(Cz("Ráda čte detektivky.\r\nDárek: knížka, květiny; ne čokoládu.\r\nVolat po 18. hodině, "
                     "o víkendu raději ne, jen ve spěchu na mobil ") + n);
    else
        r.SetNote(Cz("Poznámka k záznamu číslo ") + n);
    r.SetFlag(1 + i % 10, true);
    r.SetFlag(1 + (i / 10) % 10, true);
    return r;
}

// The whole book read like `cat` does: into one buffer used again and again.
double RawRead(const QString &path)
{
    static QByteArray buffer(1 << 17, '\0');
    return Best(5, [&] {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
        while (::read(fd, buffer.data(), size_t(buffer.size())) > 0) {
        }
        ::close(fd);
    });
}

// The same bytes the export wrote, into a new file flushed to the disk as the export does.
double RawWrite(const QString &path, const QByteArray &bytes)
{
    return Best(3, [&] {
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        for (qsizetype at = 0; at < bytes.size();) {
            const ssize_t n = ::write(fd, bytes.constData() + at, size_t(qMin<qsizetype>(1 << 16, bytes.size() - at)));
            if (n <= 0)
                break;
            at += n;
        }
        ::fsync(fd);
        ::close(fd);
    });
}

} // namespace

int main(int argc, char *argv[])
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    // "bench_interop 4096 vcard3" for a profile of one format on a smaller book;
    // "bench_interop 65535 - KNIHA.WDT" only writes the book, for profiling the commands.
    const QStringList args = app.arguments();
    const int entries = args.size() > 1 ? args.at(1).toInt() : 65535;
    const QString only = args.size() > 2 ? args.at(2) : QString();
    const QString keep = args.size() > 3 ? args.at(3) : QString();
    QTemporaryDir dir;
    TBook book;
    book.Labels = TBookLabels::Defaults();
    for (int i = 0; i < entries; ++i)
        book.AppendRecord(Entry(i));
    const QString bookPath = keep.isEmpty() ? dir.filePath(QStringLiteral("KNIHA.WDT")) : keep;
    if (BookFile::Write(bookPath, book.Labels.ToHeader(), book) != TBookFileError::None)
        return 1;
    if (!keep.isEmpty())
        return 0;
    const double rawRead = RawRead(bookPath);
    std::printf("%d entries, book %.1f MB, raw read %.1f ms\n", entries, QFile(bookPath).size() / 1e6, rawRead);
    std::printf("%-17s %9s %9s %9s %9s %8s\n", "format", "MB", "command", "writer", "raw r+w", "ratio");

    // The writer alone, over the list as the window has it.
    TBenchPrompt prompt;
    TAddressBook listed(prompt);
    TContactRecord header;
    BookFile::Read(bookPath, header, listed);
    listed.Labels = TBookLabels::FromHeader(header);
    listed.RefillList();
    const QList<TContactRecord *> all = listed.ListedRecords();

    const struct
    {
        const char *Name;
        QStringList Args;
        TInteropFormat Format;
        bool Cp1250;
    } formats[] = {{"vcard3", {}, TInteropFormat::VCard3, false},
                   {"vcard4", {}, TInteropFormat::VCard4, false},
                   {"csv-google", {}, TInteropFormat::CsvGoogle, false},
                   {"csv-outlook", {}, TInteropFormat::CsvOutlook, false},
                   {"csv-outlook-1250", {QStringLiteral("--encoding"), QStringLiteral("windows-1250")},
                    TInteropFormat::CsvOutlook, true},
                   {"ics", {QStringLiteral("--alarm-days"), QStringLiteral("3")}, TInteropFormat::Ics, false}};
    for (const auto &f : formats) {
        if (!only.isEmpty() && only != QLatin1String(f.Name))
            continue;
        const QString path = dir.filePath(QString::fromLatin1(f.Name));
        QString text;
        QTextStream out(&text), err(&text);
        const QStringList command = QStringList {QStringLiteral("export"), QStringLiteral("--format"),
                                              InteropFormat::Name(f.Format), bookPath, QStringLiteral("-o"), path}
                                 + f.Args;
        const double ms = Best(3, [&] {
            if (TExportCommand().Execute(command, out, err) != 0)
                std::printf("%s failed: %s\n", f.Name, qPrintable(text));
        });
        TExportOptions o;
        o.Format = f.Format;
        o.OwnCountry = QStringLiteral("420");
        o.Stamp = QDateTime::currentDateTimeUtc();
        o.AlarmDays = 3;
        o.OutlookCp1250 = f.Cp1250;
        const double writer = Best(3, [&] { ExportRecords(path + QStringLiteral(".w"), all, listed.Labels, o); });
        QFile in(path);
        in.open(QIODevice::ReadOnly);
        const QByteArray bytes = in.readAll();
        const double raw = rawRead + RawWrite(dir.filePath(QStringLiteral("raw")), bytes);
        std::printf("%-17s %9.1f %7.1fms %7.1fms %7.1fms %7.1fx\n", f.Name, bytes.size() / 1e6, ms, writer, raw,
                    ms / raw);
    }

    if (!only.isEmpty())
        return 0;
    const QString vcf = dir.filePath(QStringLiteral("vcard3"));
    TVCardImportStats stats;
    const double read = Best(3, [&] {
        TBook back;
        TBookLabels labels = TBookLabels::Defaults();
        stats = {};
        ImportVCardFile(vcf, back, labels, {}, stats, BookFile::kMaxRecords);
    });
    const double raw = Best(3, [&] {
        QFile f(vcf);
        f.open(QIODevice::ReadOnly);
        QByteArray b = f.readAll();
        Q_UNUSED(b);
    });
    std::printf("import vCard 3.0 %8.1f ms  (%lld entries; raw read of the same bytes %6.1f ms)\n", read,
                static_cast<long long>(stats.Contacts), raw);
    return 0;
}
