#include "util/GuardedFile.h"

#include "util/FileName.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

TGuardedFile::TGuardedFile(const QString &path) : m_path(path) { }

TGuardedFile::~TGuardedFile()
{
    Cancel();
}

#ifdef Q_OS_UNIX

TGuardedFile::TError TGuardedFile::Begin()
{
    if (m_path.isEmpty() || m_path.contains(QChar(0)))
        return TError::Open;
    const QByteArray bytes = FileName::ToBytes(m_path);
    const qsizetype slash = bytes.lastIndexOf('/');
    m_dir = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : bytes.left(slash);
    m_base = bytes.mid(slash + 1);
    if (m_base.isEmpty())
        return TError::Open;
    m_dirFd = ::open(m_dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_dirFd < 0)
        return TError::Open;
    struct stat old;
    const bool hadOld = ::fstatat(m_dirFd, m_base.constData(), &old, 0) == 0;
    // Never over a device, a FIFO or a folder, nor through a link to one.
    if (hadOld && !S_ISREG(old.st_mode))
        return TError::NotRegular;
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        m_temp = '.' + QByteArray::number(QRandomGenerator::global()->generate64(), 36) + ".vorlink-new";
        m_fd = ::openat(m_dirFd, m_temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd < 0 && errno != EEXIST)
            break;
    }
    if (m_fd < 0) {
        m_temp.clear();
        if (!hadOld)
            return TError::Open;
        // No new file here: the old one is rewritten at the commit, if it may be written.
        m_fd = ::openat(m_dirFd, m_base.constData(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
        struct stat now;
        if (m_fd < 0 || ::fstat(m_fd, &now) != 0 || !S_ISREG(now.st_mode) || ::fcntl(m_fd, F_SETFL, 0) != 0) {
            if (m_fd >= 0)
                ::close(m_fd);
            m_fd = -1;
            return TError::Open;
        }
        m_inPlace = true;
    } else if (hadOld) {
        (void)::fchmod(m_fd, old.st_mode & 07777);
        if (::fchown(m_fd, old.st_uid, old.st_gid) != 0)
            (void)::fchown(m_fd, uid_t(-1), old.st_gid);
    }
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    return TError::None;
}

bool TGuardedFile::WriteFd(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

qint64 TGuardedFile::writeData(const char *data, qint64 size)
{
    if (m_failed || m_fd < 0)
        return -1;
    if (m_inPlace) {
        m_held.append(data, size);
        return size;
    }
    if (!WriteFd(m_fd, data, size)) {
        m_failed = true;
        return -1;
    }
    return size;
}

TGuardedFile::TError TGuardedFile::Commit()
{
    if (m_fd < 0)
        return TError::Open;
    if (m_failed) {
        Cancel();
        return TError::Write;
    }
    bool ok = true;
    if (m_inPlace) {
        // The new size is reserved first, so a full disk fails before a byte is
        // overwritten; then written, synced and cut to its length.
        struct stat st;
        const qint64 oldSize = ::fstat(m_fd, &st) == 0 ? qint64(st.st_size) : 0;
        const qint64 size = m_held.size();
        if (size > 0 && ::posix_fallocate(m_fd, 0, size) != 0) {
            (void)::ftruncate(m_fd, oldSize);
            ok = false;
        }
        ok = ok && ::lseek(m_fd, 0, SEEK_SET) == 0 && WriteFd(m_fd, m_held.constData(), size) && ::fsync(m_fd) == 0
             && ::ftruncate(m_fd, size) == 0 && ::fsync(m_fd) == 0;
        m_held.clear();
    } else {
        ok = ::fsync(m_fd) == 0;
    }
    ok = ::close(m_fd) == 0 && ok;
    m_fd = -1;
    if (ok && !m_inPlace) {
        // The folder held open may have been moved or replaced meanwhile: the new file
        // would land where the name no longer leads, and be reported as written.
        struct stat held, named;
        ok = ::fstat(m_dirFd, &held) == 0 && ::stat(m_dir.constData(), &named) == 0 && held.st_dev == named.st_dev
             && held.st_ino == named.st_ino;
        ok = ok && ::renameat(m_dirFd, m_temp.constData(), m_dirFd, m_base.constData()) == 0;
        if (ok) {
            m_temp.clear();
            ::fsync(m_dirFd);
        }
    }
    close();
    Cancel();
    return ok ? TError::None : TError::Write;
}

void TGuardedFile::Cancel()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temp.isEmpty() && m_dirFd >= 0)
        ::unlinkat(m_dirFd, m_temp.constData(), 0);
    m_temp.clear();
    if (m_dirFd >= 0)
        ::close(m_dirFd);
    m_dirFd = -1;
    m_held.clear();
    if (isOpen())
        close();
}

#else

// Elsewhere Qt's own guarded save does the work.
TGuardedFile::TError TGuardedFile::Begin()
{
    const QFileInfo info(m_path);
    if (info.exists() && !info.isFile())
        return TError::NotRegular;
    m_save = std::make_unique<QSaveFile>(m_path);
    if (!m_save->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return TError::Open;
    m_fd = 0;
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    return TError::None;
}

bool TGuardedFile::WriteFd(int, const char *, qint64) { return false; }

qint64 TGuardedFile::writeData(const char *data, qint64 size)
{
    if (!m_save || m_save->write(data, size) != size) {
        m_failed = true;
        return -1;
    }
    return size;
}

TGuardedFile::TError TGuardedFile::Commit()
{
    if (!m_save)
        return TError::Open;
    const bool ok = !m_failed && m_save->flush() && m_save->commit();
    if (ok)
        m_save.reset();
    Cancel();
    return ok ? TError::None : TError::Write;
}

void TGuardedFile::Cancel()
{
    if (m_save) {
        m_save->cancelWriting();
        m_save->commit();
        m_save.reset();
    }
    if (isOpen())
        close();
}

#endif
