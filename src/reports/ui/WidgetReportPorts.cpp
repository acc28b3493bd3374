#include "reports/ui/WidgetReportPorts.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QUrl>

TWidgetReportPorts::TWidgetReportPorts(QWidget *parent, const QString &templatesDir)
    : m_parent(parent), m_dir(templatesDir)
{
}

QString TWidgetReportPorts::Title()
{
    return QString::fromUtf8("Výběr tiskové sestavy");
}

QString TWidgetReportPorts::Filter()
{
    return QString::fromUtf8("Tiskové sestavy vorlinku (*.WDR *.wdr);;Všechny soubory (*)");
}

QString TWidgetReportPorts::AskTemplate()
{
    QFileDialog d(m_parent, Title(), m_dir);
    d.setObjectName(QStringLiteral("OpenDialog4"));
    d.setNameFilter(Filter());
    d.setDefaultSuffix(QStringLiteral("WDR"));
    d.setAcceptMode(QFileDialog::AcceptOpen);
    d.setFileMode(QFileDialog::ExistingFile);
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty())
        return QString();
    const QString path = d.selectedFiles().constFirst();
    // The next pick starts where this one ended.
    m_dir = QFileInfo(path).absolutePath();
    return path;
}

bool TWidgetReportPorts::StartEditor(const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (path.isEmpty())
        return false;
#ifdef Q_OS_WIN
    // One argument, no shell: a path with spaces stays whole.
    QProcess::startDetached(QStringLiteral("notepad.exe"), {QDir::toNativeSeparators(absolute)});
    return true;
#else
    const QUrl url = QUrl::fromLocalFile(absolute);
    if (!url.isValid())
        return false;
    // The desktop's program for plain text; whether it comes up is not waited for.
    QDesktopServices::openUrl(url);
    return true;
#endif
}
