#include "util/RegularFile.h"

#include "util/FileName.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

TRegularOpen OpenRegularFile(const QString &path, QFile &file, qint64 maxSize)
{
    if (path.isEmpty() || path.contains(QChar(0)))
        return TRegularOpen::Failed;
#ifdef Q_OS_UNIX
    const QByteArray name = FileName::ToBytes(path);
    struct stat st;
    if (::stat(name.constData(), &st) != 0)
        return errno == ENOENT ? TRegularOpen::Missing : TRegularOpen::Failed;
    if (!S_ISREG(st.st_mode))
        return TRegularOpen::NotRegular;
    if (maxSize >= 0 && st.st_size > maxSize)
        return TRegularOpen::TooLarge;
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return TRegularOpen::Failed;
    // The name may have been replaced meanwhile: what was opened is what counts.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::fcntl(fd, F_SETFL, 0) != 0) {
        ::close(fd);
        return TRegularOpen::NotRegular;
    }
    if (maxSize >= 0 && st.st_size > maxSize) {
        ::close(fd);
        return TRegularOpen::TooLarge;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return TRegularOpen::Failed;
    }
    return TRegularOpen::Ok;
#else
    const QFileInfo info(path);
    if (!info.exists())
        return TRegularOpen::Missing;
    if (!info.isFile())
        return TRegularOpen::NotRegular;
    if (maxSize >= 0 && info.size() > maxSize)
        return TRegularOpen::TooLarge;
    file.setFileName(path);
    return file.open(QIODevice::ReadOnly) ? TRegularOpen::Ok : TRegularOpen::Failed;
#endif
}
