#include "FileFaults.h"

#include <QDir>
#include <QProcess>

#include <csignal>

#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace FileFaults {

bool MountTiny(const QString &mountPoint, const char *size)
{
    return QDir().mkpath(mountPoint)
        && QProcess::execute(QStringLiteral("mount"),
                             {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                              QStringLiteral("size=%1,mode=0755").arg(QLatin1String(size)),
                              QStringLiteral("tmpfs"), mountPoint})
        == 0;
}

bool RemountReadOnly(const QString &mountPoint)
{
    const auto mount = [](const QStringList &args) {
        QProcess p;
        p.start(QStringLiteral("mount"), args);
        return p.waitForFinished() && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    };
    if (mount({QStringLiteral("-o"), QStringLiteral("remount,ro"), mountPoint}))
        return true;
    // A file open for writing there (a book's lock) keeps the file system writable; a
    // read-only view of it bound over the same place is not held by that file.
    return mount({QStringLiteral("--bind"), mountPoint, mountPoint})
        && mount({QStringLiteral("-o"), QStringLiteral("remount,bind,ro"), mountPoint});
}

void Unmount(const QString &mountPoint)
{
    while (QProcess::execute(QStringLiteral("mountpoint"), {QStringLiteral("-q"), mountPoint}) == 0
           && QProcess::execute(QStringLiteral("umount"), {mountPoint}) == 0) { }
}

void LimitFileSize(qint64 bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit {rlim_t(bytes), rlim_t(bytes)};
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

int InChild(const std::function<int()> &work, qint64 fileSizeLimit, bool asNobody)
{
    const passwd *pw = asNobody ? ::getpwnam("nobody") : nullptr;
    if (asNobody && (!pw || ::getuid() != 0))
        return -1;
    const pid_t pid = ::fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        if (pw && (::setgroups(0, nullptr) != 0 || ::setgid(pw->pw_gid) != 0 || ::setuid(pw->pw_uid) != 0))
            ::_exit(100);
        if (fileSizeLimit > 0)
            LimitFileSize(fileSizeLimit);
        ::_exit(work());
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) == 100)
        return -1;
    return WEXITSTATUS(status);
}

} // namespace FileFaults
