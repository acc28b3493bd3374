#include "sync/CalendarState.h"

#include "sync/SyncState.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr int kFormat = 1;
constexpr qint64 kMaxStateSize = qint64(64) << 20;

} // namespace

QString TCalendarState::FileFor(const QString &book, const QString &calendar)
{
    // The address book's naming with its own ending: a calendar never reads a contacts state.
    QString file = TSyncState::FileFor(book, calendar);
    file.chop(int(QStringLiteral(".json").size()));
    return file + QStringLiteral(".calendar.json");
}

TCalendarState TCalendarState::Load(const QString &file, const QString &book, const QString &calendar)
{
    TCalendarState state;
    const QJsonObject o = SyncStateFile::Read(file, kMaxStateSize);
    if (o.value(QLatin1String("format")).toInt() != kFormat || o.value(QLatin1String("book")).toString() != SyncStateFile::BookKey(book)
        || o.value(QLatin1String("calendar")).toString() != calendar)
        return state;
    for (const QJsonValue &v : o.value(QLatin1String("events")).toArray()) {
        const QJsonObject e = v.toObject();
        TCalendarEntry entry;
        entry.Href = e.value(QLatin1String("href")).toString().toUtf8();
        entry.Uid = e.value(QLatin1String("uid")).toString().toUtf8();
        entry.ETag = e.value(QLatin1String("etag")).toString().toUtf8();
        entry.Hash = e.value(QLatin1String("hash")).toString().toLatin1();
        if (!entry.Href.isEmpty() && !entry.Uid.isEmpty())
            state.Entries << entry;
    }
    return state;
}

bool TCalendarState::Save(const QString &file, const QString &book, const QString &calendar) const
{
    QJsonArray events;
    for (const TCalendarEntry &e : Entries)
        events.append(QJsonObject {{QStringLiteral("href"), QString::fromUtf8(e.Href)},
                                   {QStringLiteral("uid"), QString::fromUtf8(e.Uid)},
                                   {QStringLiteral("etag"), QString::fromUtf8(e.ETag)},
                                   {QStringLiteral("hash"), QString::fromLatin1(e.Hash)}});
    const QJsonObject o {{QStringLiteral("format"), kFormat},
                         {QStringLiteral("book"), SyncStateFile::BookKey(book)},
                         {QStringLiteral("calendar"), calendar},
                         {QStringLiteral("events"), events}};
    return SyncStateFile::Write(file, o);
}
