#include "sync/SyncState.h"

#include "util/BookPath.h"
#include "util/GuardedFile.h"
#include "util/RegularFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr int kFormat = 1;
constexpr qint64 kMaxStateSize = qint64(256) << 20;

} // namespace

QString SyncStateFile::BookKey(const QString &book)
{
    return BookPath::Key(book);
}

QJsonObject SyncStateFile::Read(const QString &file, qint64 maxSize)
{
    QFile f;
    if (OpenRegularFile(file, f, maxSize) != TRegularOpen::Ok)
        return {};
    return QJsonDocument::fromJson(f.readAll()).object();
}

bool SyncStateFile::Write(const QString &file, const QJsonObject &object)
{
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        return false;
    TGuardedFile out(file);
    if (out.Begin() != TGuardedFile::TError::None)
        return false;
    const QByteArray bytes = QJsonDocument(object).toJson(QJsonDocument::Compact);
    if (out.write(bytes) != bytes.size())
        return false;
    return out.Commit() == TGuardedFile::TError::None;
}

QString TSyncState::FileFor(const QString &book, const QString &collection)
{
    const QByteArray id = QCryptographicHash::hash((SyncStateFile::BookKey(book) + QLatin1Char('\n') + collection).toUtf8(),
                                                   QCryptographicHash::Sha256)
                              .toHex()
                              .left(32);
    return BookPath::SyncStateFolder() + QLatin1Char('/') + QFileInfo(book).completeBaseName() + QLatin1Char('-')
           + QString::fromLatin1(id) + QStringLiteral(".json");
}

TSyncState TSyncState::Load(const QString &file, const QString &book, const QString &collection)
{
    TSyncState state;
    const QJsonObject o = SyncStateFile::Read(file, kMaxStateSize);
    if (o.value(QLatin1String("format")).toInt() != kFormat || o.value(QLatin1String("book")).toString() != SyncStateFile::BookKey(book)
        || o.value(QLatin1String("collection")).toString() != collection)
        return state;
    state.Token = o.value(QLatin1String("token")).toString().toUtf8();
    for (const QJsonValue &v : o.value(QLatin1String("pairs")).toArray()) {
        const QJsonObject p = v.toObject();
        TSyncPair pair;
        pair.Href = p.value(QLatin1String("href")).toString().toUtf8();
        pair.ETag = p.value(QLatin1String("etag")).toString().toUtf8();
        // Names are Windows-1250 bytes, kept one character a byte.
        pair.Name = p.value(QLatin1String("name")).toString().toLatin1();
        pair.Card = p.value(QLatin1String("card")).toString().toLatin1();
        pair.Core = p.value(QLatin1String("core")).toString().toLatin1();
        pair.Sent = p.value(QLatin1String("sent")).toString().toLatin1();
        pair.Fields = p.value(QLatin1String("fields")).toString().toLatin1();
        pair.Coming = p.value(QLatin1String("coming")).toBool();
        if (!pair.Href.isEmpty())
            state.Pairs << pair;
    }
    return state;
}

bool TSyncState::Save(const QString &file, const QString &book, const QString &collection) const
{
    QJsonArray pairs;
    for (const TSyncPair &p : Pairs) {
        QJsonObject o {{QStringLiteral("href"), QString::fromUtf8(p.Href)},
                       {QStringLiteral("etag"), QString::fromUtf8(p.ETag)},
                       {QStringLiteral("name"), QString::fromLatin1(p.Name)},
                       {QStringLiteral("card"), QString::fromLatin1(p.Card)},
                       {QStringLiteral("core"), QString::fromLatin1(p.Core)}};
        if (!p.Fields.isEmpty())
            o.insert(QStringLiteral("fields"), QString::fromLatin1(p.Fields));
        if (p.Coming)
            o.insert(QStringLiteral("coming"), true);
        if (!p.Sent.isEmpty())
            o.insert(QStringLiteral("sent"), QString::fromLatin1(p.Sent));
        pairs.append(o);
    }
    const QJsonObject o {{QStringLiteral("format"), kFormat},
                         {QStringLiteral("book"), SyncStateFile::BookKey(book)},
                         {QStringLiteral("collection"), collection},
                         {QStringLiteral("token"), QString::fromUtf8(Token)},
                         {QStringLiteral("pairs"), pairs}};
    return SyncStateFile::Write(file, o);
}
