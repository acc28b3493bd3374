#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QString>

class TBook;
class TContactRecord;

// How a book file stood on disk when this program last read or wrote it, so that a save
// can tell whether another program has written the file since.
struct TFileStamp
{
    // It only tells one content from another, so a fast hash does.
    static constexpr QCryptographicHash::Algorithm kHash = QCryptographicHash::Md5;

    bool Valid = false;
    quint64 Device = 0;
    quint64 Inode = 0;
    qint64 Size = 0;
    qint64 ModifiedNs = 0;
    // The file was modified so shortly before the stamp was taken that a later write could
    // leave the same time (coarse file system clocks); then the content decides.
    bool Recent = false;
    QByteArray Hash; // of the content, kept only when Recent

    static TFileStamp OfHandle(int fd);
    static TFileStamp OfPath(const QString &path);

    // Another write has happened since this stamp was taken. A file that is gone counts
    // as unchanged: writing it again loses nothing.
    bool ChangedOnDisk(const QString &path) const;

    // The bytes of a book as they are written: the header, then every record.
    static QByteArray HashOf(const TContactRecord &header, const TBook &book);
};
