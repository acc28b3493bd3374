// The sync's own work on 10,000 cards: each entry's card made (uploads), each card read
// back into an entry (downloads), each server card brought up to date with its entry
// (changed entries) and the calendar events made. bench/sync_servers.py measures the
// network side of the same number of cards; this is what the program adds to it.
#include "BenchEntries.h"
#include "BenchSupport.h"
#include "book/BookLabels.h"
#include "interop/VCardMapping.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    QList<TContactRecord> entries;
    for (int i = 0; i < count; ++i)
        entries.append(Entry(i));
    TExportOptions options;
    options.Format = TInteropFormat::VCard3;
    options.OwnCountry = QStringLiteral("420");
    options.Stamp = QDateTime(QDate(2026, 12, 8), QTime(9, 0), Qt::UTC);
    const TVCardMapping mapping(TBookLabels::Defaults(), options);

    QList<QByteArray> cards(count);
    qint64 bytes = 0;
    const double made = Best(3, [&] {
        bytes = 0;
        for (int i = 0; i < count; ++i) {
            cards[i] = mapping.EntryCard(entries[i], "vorlink-" + QByteArray::number(i));
            bytes += cards[i].size();
        }
    });
    TContactRecord back;
    const double read = Best(3, [&] {
        for (const QByteArray &card : cards)
            mapping.CardEntry(card, back);
    });
    // A phone's card: a photo, a messenger and its own properties the book has no field for.
    QList<QByteArray> server(count);
    for (int i = 0; i < count; ++i) {
        server[i] = cards[i];
        server[i].insert(server[i].lastIndexOf("END:VCARD"),
                         "PHOTO;ENCODING=b;TYPE=JPEG:" + QByteArray(2000, 'A')
                             + "\r\nIMPP:xmpp:jan@example.cz\r\nX-PHONE-RINGTONE:zvonek\r\n");
    }
    const double merged = Best(3, [&] {
        for (int i = 0; i < count; ++i)
            mapping.MergedCard(server[i], entries[i]);
    });
    qint64 events = 0;
    const double calendar = Best(3, [&] {
        events = 0;
        for (const TContactRecord &r : entries)
            events += mapping.EntryEvents(r, 3).size();
    });
    std::printf("%d cards, %.1f MB of vCard 3.0\n", count, bytes / 1e6);
    std::printf("entry -> card (upload)        %8.1f ms\n", made);
    std::printf("card -> entry (download)      %8.1f ms\n", read);
    std::printf("server card + entry (merge)   %8.1f ms\n", merged);
    std::printf("calendar events (%lld)      %8.1f ms\n", static_cast<long long>(events), calendar);
    return 0;
}
