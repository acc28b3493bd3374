#pragma once

#include "interop/InteropDialogs.h"

#include <QPointer>

class QProgressDialog;
class QWidget;

// The choices of the vCard, CSV and calendar export and the vCard import as real windows.
class TWidgetInteropDialogs : public IInteropDialogs
{
public:
    explicit TWidgetInteropDialogs(QWidget *parent = nullptr);
    ~TWidgetInteropDialogs() override;
    TWidgetInteropDialogs(const TWidgetInteropDialogs &) = delete;
    TWidgetInteropDialogs &operator=(const TWidgetInteropDialogs &) = delete;

    bool AskExportOptions(TExportOptions &options) override;
    TImportTarget AskImportTarget() override;
    void Progress(qint64 done, qint64 total) override;

private:
    QWidget *m_parent;
    QPointer<QProgressDialog> m_progress;
};
