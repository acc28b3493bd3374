#include "util/BookPath.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString BookPath::Key(const QString &book)
{
    const QFileInfo info(book);
    const QString canonical = info.canonicalFilePath();
    if (!canonical.isEmpty())
        return canonical;
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? info.absoluteFilePath() : folder + QLatin1Char('/') + info.fileName();
}

QString BookPath::SyncStateFolder()
{
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) {
#ifdef Q_OS_WIN
        base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
#else
        base = QDir::homePath() + QStringLiteral("/.local/state");
#endif
    }
    return base + QStringLiteral("/vorlink/sync");
}
