#pragma once

#include "reports/ReportPorts.h"

#include <QPointer>
#include <QString>

class QWidget;

// The template dialog and the text editor start of the report commands.
class TWidgetReportPorts : public IReportDialogs, public ITextEditorLauncher
{
public:
    // `templatesDir` is where the dialog first opens: the shipped templates.
    explicit TWidgetReportPorts(QWidget *parent = nullptr, const QString &templatesDir = {});

    QString AskTemplate() override;
    bool StartEditor(const QString &path) override;

    static QString Title();
    static QString Filter();

private:
    QPointer<QWidget> m_parent;
    QString m_dir;
};
