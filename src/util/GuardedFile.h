#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <memory>

class QSaveFile;

// Writes a file so that an old one is replaced only once all of the new one went through:
// into a new file beside it that is renamed over it (its mode and owner kept), or, where
// no file can be made beside it (a folder the user may not write to), the old file is
// rewritten in place at the commit with its new size reserved first. Only regular files
// are replaced: a FIFO, a device or a folder is refused. Names go by their bytes.
// Every write is checked whole; a failed write fails the commit.
class TGuardedFile : public QIODevice
{
public:
    enum class TError { None, NotRegular, Open, Write };

    explicit TGuardedFile(const QString &path);
    ~TGuardedFile() override; // what was not committed is dropped

    TError Begin();
    TError Commit();
    void Cancel();
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override;

private:
    bool WriteFd(int fd, const char *data, qint64 size);

    QString m_path;
    QByteArray m_dir, m_base, m_temp;
    int m_dirFd = -1;
    int m_fd = -1;
    bool m_inPlace = false;
    QByteArray m_held; // in place: the whole new content, written at the commit
    bool m_failed = false;
    std::unique_ptr<QSaveFile> m_save; // where the system has no POSIX calls
};
