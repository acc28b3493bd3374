#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// File names exactly as the system has them. Qt decodes names as UTF-8 and turns any
// other byte into U+FFFD, so a book named in an old 8-bit encoding could neither be
// opened nor saved. Here valid UTF-8 decodes as usual and every other byte is kept as a
// lone surrogate U+DC80..U+DCFF, so the name comes back byte for byte (Unix; elsewhere
// Qt's own conversion).
namespace FileName {

QString FromBytes(QByteArrayView bytes);
QByteArray ToBytes(const QString &name);
// Whether Qt's own file classes can take the name unchanged.
bool QtCanTake(const QString &name);

// By the bytes of the name: whether something is there, and whether two names are
// one file (the same device and inode).
bool Exists(const QString &name);
bool Same(const QString &a, const QString &b);

} // namespace FileName
