#include "sync/CalendarState.h"

#include "sync/SyncState.h"
#include "util/GuardedFile.h"
#include "util/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr int kFormat = 1;
constexpr qint64 kMaxStateSize = qint64(64) << 20;

QString Key(const QString &book)
{
    const QFileInfo info(book);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

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
    QFile f;
    if (OpenRegularFile(file, f, kMaxStateSize) != TRegularOpen::Ok)
        return state;
    const QJsonObject o = QJsonDocument::fromJson(f.readAll()).object();
    if (o.value(QLatin1String("format")).toInt() != kFormat || o.value(QLatin1String("book")).toString() != Key(book)
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
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        return false;
    QJsonArray events;
    for (const TCalendarEntry &e : Entries)
        events.append(QJsonObject {{QStringLiteral("href"), QString::fromUtf8(e.Href)},
                                   {QStringLiteral("uid"), QString::fromUtf8(e.Uid)},
                                   {QStringLiteral("etag"), QString::fromUtf8(e.ETag)},
                                   {QStringLiteral("hash"), QString::fromLatin1(e.Hash)}});
    const QJsonObject o {{QStringLiteral("format"), kFormat},
                         {QStringLiteral("book"), Key(book)},
                         {QStringLiteral("calendar"), calendar},
                         {QStringLiteral("events"), events}};
    TGuardedFile out(file);
    if (out.Begin() != TGuardedFile::TError::None)
        return false;
    const QByteArray bytes = QJsonDocument(o).toJson(QJsonDocument::Compact);
    if (out.write(bytes) != bytes.size())
        return false;
    return out.Commit() == TGuardedFile::TError::None;
}
