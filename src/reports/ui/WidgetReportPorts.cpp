#include "reports/ui/WidgetReportPorts.h"

#include "session/Messages.h"
#include "session/Prompt.h"
#include "session/Session.h"

#include <algorithm>

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QProcess>
#include <QUrl>

TWidgetReportPorts::TWidgetReportPorts(QWidget *parent, const QString &templatesDir, TSession *session)
    : m_parent(parent), m_dir(templatesDir), m_session(session)
{
    if (m_session)
        m_after = TAfterReport(std::clamp(m_session->Settings.Print.AfterReport, 0, 3));
}

QStringList TWidgetReportPorts::AfterReportTexts()
{
    return {QString::fromUtf8("jen soubor"), QString::fromUtf8("vytisknout"), QString::fromUtf8("náhled"),
            QString::fromUtf8("uložit jako PDF")};
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
    return Ask(true);
}

QString TWidgetReportPorts::AskTemplateToEdit()
{
    return Ask(false);
}

QString TWidgetReportPorts::Ask(bool withAfter)
{
    QFileDialog d(m_parent, Title(), m_dir);
    d.setObjectName(QStringLiteral("OpenDialog4"));
    d.setNameFilter(Filter());
    d.setDefaultSuffix(QStringLiteral("WDR"));
    d.setAcceptMode(QFileDialog::AcceptOpen);
    d.setFileMode(QFileDialog::ExistingFile);
    QComboBox *after = nullptr;
    QGridLayout *grid = nullptr;
    if (withAfter) {
        // Only Qt's own dialog takes a control of ours.
        d.setOption(QFileDialog::DontUseNativeDialog);
        grid = qobject_cast<QGridLayout *>(d.layout());
    }
    if (grid) {
        after = new QComboBox(&d);
        after->setObjectName(QStringLiteral("ComboPoVytvoreni"));
        after->addItems(AfterReportTexts());
        after->setCurrentIndex(int(m_after));
        auto *label = new QLabel(QString::fromUtf8("Po vytvoření:"), &d);
        label->setBuddy(after);
        const int row = grid->rowCount();
        grid->addWidget(label, row, 0);
        grid->addWidget(after, row, 1);
    }
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty())
        return QString();
    const QString path = d.selectedFiles().constFirst();
    if (after) {
        m_after = TAfterReport(after->currentIndex());
        if (m_session && m_session->Settings.Print.AfterReport != int(m_after)) {
            m_session->Settings.Print.AfterReport = int(m_after);
            if (!m_session->Store.SavePrintSettings())
                m_session->Prompt.Hlaska(Msg::RegistryFailed(), THlaskaKind::Chyba);
        }
    }
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
