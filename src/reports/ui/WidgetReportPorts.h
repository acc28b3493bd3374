#pragma once

#include "reports/ReportPorts.h"

#include <QPointer>
#include <QString>

class QWidget;
class TSession;

// The template dialog and the text editor start of the report commands.
class TWidgetReportPorts : public IReportDialogs, public ITextEditorLauncher
{
public:
    // `templatesDir` is where the dialog first opens: the shipped templates. With a
    // session, the choice "Po vytvoření" is remembered in its settings.
    explicit TWidgetReportPorts(QWidget *parent = nullptr, const QString &templatesDir = {},
                                TSession *session = nullptr);

    // The template dialog with the choice of what follows the written report.
    QString AskTemplate() override;
    QString AskTemplateToEdit() override;
    TAfterReport AfterReport() const override { return m_after; }
    bool StartEditor(const QString &path) override;

    static QString Title();
    static QString Filter();
    // "jen soubor", "vytisknout", "náhled", "uložit jako PDF", in TAfterReport's order.
    static QStringList AfterReportTexts();

private:
    QString Ask(bool withAfter);

    QPointer<QWidget> m_parent;
    QString m_dir;
    TSession *m_session;
    TAfterReport m_after = TAfterReport::FileOnly;
};
