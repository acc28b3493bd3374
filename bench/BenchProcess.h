#pragma once

// One run of a program as a process of its own: what the person waits for, the CPU time
// it took (user and system, from the scheduler's count) and its peak resident memory.
#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QStringList>

#include <algorithm>
#include <functional>
#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

struct TProcessFigures
{
    bool Ok = false;
    double Ms = 0;
    double CpuMs = 0;
    double PeakMb = 0;
};

// `program` with `args`, its standard output into `output` (/dev/null when empty); with
// `peak`, run once more to take its peak memory.
inline TProcessFigures RunProcess(const QString &program, const QStringList &args, const QString &output = {},
                                  bool peak = false)
{
    QList<QByteArray> bytes {QFile::encodeName(program)};
    for (const QString &a : args)
        bytes.append(QFile::encodeName(a));
    std::vector<char *> argv;
    for (QByteArray &b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    const QByteArray out = output.isEmpty() ? QByteArray("/dev/null") : QFile::encodeName(output);
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = fork();
    if (pid == 0) {
        const int fd = ::open(out.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::dup2(fd, STDOUT_FILENO) < 0)
            _exit(126);
        ::close(fd);
        // What the program says of its work is no figure.
        if (const int null = ::open("/dev/null", O_WRONLY); null >= 0)
            ::dup2(null, STDERR_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    TProcessFigures f;
    if (pid < 0)
        return f;
    // The CPU time from the scheduler's own count, read while the ended child waits to be
    // reaped: the times wait4 reports are sampled by the timer tick, too coarse for runs
    // of tens of milliseconds.
    siginfo_t info {};
    if (waitid(P_PID, id_t(pid), &info, WEXITED | WNOWAIT) == 0) {
        f.Ms = double(timer.nsecsElapsed()) / 1e6;
        QFile stat(QStringLiteral("/proc/%1/schedstat").arg(pid));
        if (stat.open(QIODevice::ReadOnly))
            f.CpuMs = stat.readAll().split(' ').value(0).toDouble() / 1e6;
    }
    int status = 0;
    rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid)
        return f;
    if (f.CpuMs == 0)
        f.CpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    f.Ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    // The kernel counts into a child's peak what the forked copy of this process held
    // before the exec: the program runs again under /usr/bin/time, a small process, whose
    // count of its own child is the program's alone.
    const QString peakFile = QStringLiteral("/tmp/bench-peak-%1").arg(::getpid());
    if (peak && f.Ok && QFile::exists(QStringLiteral("/usr/bin/time"))
        && RunProcess(QStringLiteral("/usr/bin/time"), QStringList {QStringLiteral("-f"), QStringLiteral("%M"), QStringLiteral("-o"), peakFile, program} + args,
                      output, false)
               .Ok) {
        QFile peak(peakFile);
        if (peak.open(QIODevice::ReadOnly))
            f.PeakMb = peak.readAll().trimmed().toDouble() / 1024.0;
        QFile::remove(peakFile);
    }
    return f;
}

// The median CPU time of `runs` runs; the figures of the last run otherwise.
inline TProcessFigures MedianCpu(int runs, const std::function<TProcessFigures()> &run)
{
    std::vector<double> cpu;
    TProcessFigures last;
    for (int i = 0; i < runs; ++i) {
        last = run();
        cpu.push_back(last.CpuMs);
    }
    std::sort(cpu.begin(), cpu.end());
    last.CpuMs = cpu[cpu.size() / 2];
    return last;
}
