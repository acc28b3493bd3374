#pragma once

#include <QString>

#include <functional>

// Real faults for the writers under test: a small file system, a read-only one, a
// file-size limit and a user without rights, each in the real kernel.
namespace FileFaults {

// Mounts a tmpfs of `size` ("16k") at `mountPoint`; false where that is not allowed.
// The caller unmounts it (Unmount).
bool MountTiny(const QString &mountPoint, const char *size);
// Read-only from now on, even with files still open for writing there.
bool RemountReadOnly(const QString &mountPoint);
// Unmounts all that is mounted at `mountPoint`.
void Unmount(const QString &mountPoint);

// From now on this process may write no file beyond `bytes` (SIGXFSZ ignored, as the
// programs do); for a child of InChild.
void LimitFileSize(qint64 bytes);

// Runs `work` in a child process and returns its exit code, -1 when it could not run or
// died by a signal. With `fileSizeLimit` > 0 the child may write no file beyond that
// many bytes (SIGXFSZ ignored, as the programs do); with `asNobody` it runs as nobody
// (root only; as root a folder's missing write permission stops nothing).
int InChild(const std::function<int()> &work, qint64 fileSizeLimit = 0, bool asNobody = false);

} // namespace FileFaults
