#pragma once

#include "exchange/ExchangeDialogs.h"

#include <QPointer>

class QProgressDialog;
class QWidget;

// The file dialogs of import and export and the progress of a long import, as real windows.
class TWidgetExchangeDialogs : public IExchangeDialogs
{
public:
    explicit TWidgetExchangeDialogs(QWidget *parent = nullptr);
    ~TWidgetExchangeDialogs() override;
    TWidgetExchangeDialogs(const TWidgetExchangeDialogs &) = delete;
    TWidgetExchangeDialogs &operator=(const TWidgetExchangeDialogs &) = delete;

    bool AskImport(TImportChoice &choice) override;
    QString AskExport() override;
    bool AskImportWith(TImportChoice &choice, const QStringList &extraFilters) override;
    QString AskExportWith(const QStringList &extraFilters, int &extra) override;
    void Progress(qint64 done, qint64 total) override;

    // The filters of the import dialog in their order (tests pick them by index).
    static QStringList ImportFilters();

private:
    QWidget *m_parent;
    QPointer<QProgressDialog> m_progress;
};
