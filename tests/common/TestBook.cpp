#include "TestBook.h"

#include "book/BookLabels.h"
#include "util/Cp1250.h"

#include <QFile>

namespace TestBook {

QByteArray Cp(const char *utf8)
{
    return ToCp1250(QString::fromUtf8(utf8));
}

TContactRecord Entry(const char *name, unsigned flags)
{
    TContactRecord r;
    r.SetText(EField::NazevPolozky, Cp(name));
    for (int i = 1; i <= kFlagCount; ++i)
        r.SetFlag(i, flags & (1u << (i - 1)));
    return r;
}

QByteArray FileBytes(const TBookLabels &labels, const QList<TContactRecord> &records)
{
    QByteArray bytes(labels.ToHeader().Data(), kRecordSize);
    for (const TContactRecord &r : records)
        bytes.append(r.Data(), kRecordSize);
    return bytes;
}

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace TestBook
