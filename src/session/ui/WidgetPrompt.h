#pragma once

#include "session/Prompt.h"
#include "session/ui/FormHlaska.h"

#include <QPointer>

class QWidget;

// The prompt port answered by the person through real dialogs.
class TWidgetPrompt : public IPrompt
{
public:
    TWidgetPrompt();
    ~TWidgetPrompt() override;

    // The window the file dialogs and the message box belong to.
    void SetWindow(QWidget *window);
    TFormHlaska &FormHlaska() { return *m_hlaska; }

    int Hlaska(const QString &text, THlaskaKind kind) override;
    void SetBusy(bool busy) override;
    QString AskOpenBook() override;
    QString AskSaveBook() override;
    void ProcessEvents() override;
    TDiskChoice AskChangedOnDisk(const QString &question) override;

private:
    QPointer<TFormHlaska> m_hlaska;
    QPointer<QWidget> m_window;
};
