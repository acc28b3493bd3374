#include "session/ui/WidgetPrompt.h"

#include "session/ui/FormHlaska.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

QString BookFilter() { return QString::fromUtf8("Soubory vorlinku (*.WDT *.wdt)"); }

QString AskBook(QWidget *parent, bool save)
{
    QFileDialog d(parent, QString::fromUtf8(save ? "Uložení souboru vorlinku" : "Otevření souboru vorlinku"));
    d.setNameFilter(BookFilter());
    d.setDefaultSuffix(QStringLiteral("WDT"));
    if (save) {
        d.setAcceptMode(QFileDialog::AcceptSave);
        d.setFileMode(QFileDialog::AnyFile);
    } else {
        d.setAcceptMode(QFileDialog::AcceptOpen);
        d.setFileMode(QFileDialog::ExistingFile);
    }
    // The dialog must not come up with the hourglass of the work that asked for it.
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty())
        return QString();
    return d.selectedFiles().constFirst();
}

} // namespace

TWidgetPrompt::TWidgetPrompt() : m_hlaska(new TFormHlaska)
{
}

TWidgetPrompt::~TWidgetPrompt()
{
    // Once parented, the window owns it.
    if (m_hlaska && !m_hlaska->parent())
        delete m_hlaska;
}

void TWidgetPrompt::SetWindow(QWidget *window)
{
    m_window = window;
    // Parented so it stays above the main window; it still centres on the screen.
    m_hlaska->setParent(window, m_hlaska->windowFlags());
}

int TWidgetPrompt::Hlaska(const QString &text, THlaskaKind kind)
{
    return m_hlaska->Hlaska(text, kind);
}

void TWidgetPrompt::SetBusy(bool busy)
{
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

QString TWidgetPrompt::AskOpenBook()
{
    return AskBook(m_window, false);
}

QString TWidgetPrompt::AskSaveBook()
{
    return AskBook(m_window, true);
}

TDiskChoice TWidgetPrompt::AskChangedOnDisk(const QString &question)
{
    QGuiApplication::restoreOverrideCursor();
    QMessageBox box(QMessageBox::Question, TFormHlaska::Title(THlaskaKind::Otazka), question,
                    QMessageBox::NoButton, m_window);
    box.setObjectName(QStringLiteral("ChangedOnDisk"));
    QPushButton *overwrite = box.addButton(QString::fromUtf8("&Ano"), QMessageBox::YesRole);
    QPushButton *reload = box.addButton(QString::fromUtf8("Načíst &znovu"), QMessageBox::ActionRole);
    QPushButton *cancel = box.addButton(QString::fromUtf8("&Ne"), QMessageBox::NoRole);
    overwrite->setObjectName(QStringLiteral("ButtonAno"));
    reload->setObjectName(QStringLiteral("ButtonZnovu"));
    cancel->setObjectName(QStringLiteral("ButtonNe"));
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == overwrite ? TDiskChoice::Overwrite
         : box.clickedButton() == reload    ? TDiskChoice::Reload
                                            : TDiskChoice::Cancel;
}

void TWidgetPrompt::ProcessEvents()
{
    // Repaint only: a click or key during long work must not edit the book under it.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
