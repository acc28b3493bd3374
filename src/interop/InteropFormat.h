#pragma once

#include <QDateTime>
#include <QString>

// The formats of today's address books and calendars a book is written to.
enum class TInteropFormat { VCard3, VCard4, CsvGoogle, CsvOutlook, Ics };

struct TExportOptions
{
    TInteropFormat Format = TInteropFormat::VCard3;
    // The Outlook table in Windows-1250 instead of UTF-8 (older Czech Outlooks read only that).
    bool OutlookCp1250 = false;
    // A reminder this many days before each event; negative for none.
    int AlarmDays = -1;
    // The own codes of the dialling settings, for telephone groups that have none.
    QString OwnCountry;
    QString OwnArea;
    // DTSTAMP of the calendar's events (UTC).
    QDateTime Stamp;
};

namespace InteropFormat {
// "vcard3", "vcard4", "csv-google", "csv-outlook", "ics"; false for any other name.
bool FromName(const QString &name, TInteropFormat &format);
QString Name(TInteropFormat format);
// The suffix a file of that format gets ("vcf", "csv", "ics").
QString Suffix(TInteropFormat format);
} // namespace InteropFormat
