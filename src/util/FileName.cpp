#include "util/FileName.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

// Length of the valid UTF-8 sequence at `p` (at most `left` bytes), 0 when there is none.
int Utf8Length(const unsigned char *p, qsizetype left)
{
    const unsigned char c = p[0];
    if (c < 0x80)
        return 1;
    int n = 0;
    char32_t cp = 0;
    if ((c & 0xE0) == 0xC0) {
        n = 2;
        cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        n = 3;
        cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        n = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (left < n)
        return 0;
    for (int i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    static constexpr char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < least[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

bool IsEscape(char16_t u)
{
    return u >= kEscapeBase + 0x80 && u <= kEscapeBase + 0xFF;
}

} // namespace

namespace FileName {

QString FromBytes(QByteArrayView bytes)
{
#ifdef Q_OS_UNIX
    QString name;
    name.reserve(bytes.size());
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    for (qsizetype i = 0; i < bytes.size();) {
        const int n = Utf8Length(p + i, bytes.size() - i);
        if (n == 0) {
            name += QChar(char16_t(kEscapeBase + p[i]));
            ++i;
        } else {
            name += QString::fromUtf8(bytes.sliced(i, n));
            i += n;
        }
    }
    return name;
#else
    return QFile::decodeName(bytes.toByteArray());
#endif
}

QByteArray ToBytes(const QString &name)
{
#ifdef Q_OS_UNIX
    if (QtCanTake(name))
        return name.toUtf8();
    QByteArray bytes;
    bytes.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t u = name.at(i).unicode();
        const bool paired = QChar::isHighSurrogate(u) && i + 1 < name.size() && name.at(i + 1).isLowSurrogate();
        if (paired) {
            bytes += QStringView(name).sliced(i, 2).toUtf8();
            ++i;
        } else if (IsEscape(u)) {
            bytes += char(u - kEscapeBase);
        } else {
            bytes += QStringView(name).sliced(i, 1).toUtf8();
        }
    }
    return bytes;
#else
    return QFile::encodeName(name);
#endif
}

bool QtCanTake(const QString &name)
{
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t u = name.at(i).unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < name.size() && name.at(i + 1).isLowSurrogate())
            ++i;
        else if (IsEscape(u))
            return false;
    }
    return true;
}

bool Exists(const QString &name)
{
#ifdef Q_OS_UNIX
    struct stat st;
    return !name.isEmpty() && ::stat(ToBytes(name).constData(), &st) == 0;
#else
    return QFileInfo::exists(name);
#endif
}

bool Same(const QString &a, const QString &b)
{
#ifdef Q_OS_UNIX
    struct stat sa;
    struct stat sb;
    return !a.isEmpty() && !b.isEmpty() && ::stat(ToBytes(a).constData(), &sa) == 0
        && ::stat(ToBytes(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
#else
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
#endif
}

} // namespace FileName
