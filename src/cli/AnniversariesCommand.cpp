#include "cli/AnniversariesCommand.h"

#include "calendar/AnniversarySearch.h"
#include "book/BookLabels.h"
#include "cli/BookReader.h"
#include "cli/ByteOutput.h"
#include "cli/CliSupport.h"
#include "settings/SettingsStore.h"
#include "util/Clock.h"

namespace {

// The look-ahead stored for this book, 7 when there is none.
int StoredLookAhead(const QString &path)
{
    return TCliBookSettings(path).Settings.VyrociDopredu;
}

bool ReadDate(const QString &text, QDate &date)
{
    date = QDate::fromString(text, Qt::ISODate);
    return date.isValid() && date.year() >= 1900 && date.year() <= 2067;
}

} // namespace

QString TAnniversariesCommand::Description() const
{
    return QString::fromUtf8("vypíše blížící se narozeniny a svátky adresáře");
}

int TAnniversariesCommand::Execute(const QStringList &args, QTextStream &out, QTextStream &err)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(Description());
    const QCommandLineOption daysOption(
        QStringLiteral("days"),
        QString::fromUtf8("na kolik dní dopředu hledat (jinak podle nastavení adresáře, nebo 7)"),
        QStringLiteral("N"));
    const QCommandLineOption sinceOption(
        QStringLiteral("since"), QString::fromUtf8("den posledního potvrzení; hledá se ode dne po něm (jinak včera)"),
        QStringLiteral("RRRR-MM-DD"));
    const QCommandLineOption todayOption(QStringLiteral("today"), QString::fromUtf8("dnešní den (jinak podle hodin)"),
                                         QStringLiteral("RRRR-MM-DD"));
    parser.addOptions({daysOption, sinceOption, todayOption});
    QString path;
    int status = 0;
    if (!ParseBookCommandLine(parser, args, out, err, path, status))
        return status;

    const QDateTime clock = QDateTime::currentDateTime();
    QDate today = clock.date();
    if (parser.isSet(todayOption) && !ReadDate(parser.value(todayOption), today)) {
        err << QString::fromUtf8("Neplatné datum: ") << parser.value(todayOption) << Qt::endl;
        return 1;
    }
    QDate since = today.addDays(-1);
    if (parser.isSet(sinceOption) && !ReadDate(parser.value(sinceOption), since)) {
        err << QString::fromUtf8("Neplatné datum: ") << parser.value(sinceOption) << Qt::endl;
        return 1;
    }
    int days = 0;
    if (parser.isSet(daysOption)) {
        bool ok = false;
        days = parser.value(daysOption).toInt(&ok);
        if (!ok || days < 0 || days > 36500) {
            err << QString::fromUtf8("Neplatný počet dní: ") << parser.value(daysOption) << Qt::endl;
            return 1;
        }
    }

    // Straight from the file: only the candidates' names and dates are kept.
    std::unique_ptr<TAnniversaryIndex> index;
    TContactRecord header;
    const bool read = ReadCliEach(
        path, header,
        [&](TRecordView r) {
            if (!index)
                index = std::make_unique<TAnniversaryIndex>(TBookLabels::FromHeader(header).ReminderFlags);
            index->Add(r);
        },
        err);
    if (!read)
        return 1;
    if (!parser.isSet(daysOption))
        days = StoredLookAhead(path);

    const QTime time = clock.time();
    const TStamp now = StampFromDateTime(today, time.hour(), time.minute(), time.second(), time.msec());
    const TStamp mark = StampFromDateTime(since, 0, 0, 0, 0);
    const int dayCount = AnniversaryDayCount(mark, now, days);
    if (!index || dayCount <= 0)
        return 0;
    index->Finish();
    TByteOutput bytes(out);
    bool written = true;
    index->EachLine(mark, dayCount, [&](QByteArrayView line) {
        bytes.AppendLine(line);
        written = written && bytes.Pass();
    });
    if (!written || !bytes.Pass(true)) {
        CliText::ReportOutputFailure(err);
        return 1;
    }
    return 0;
}
