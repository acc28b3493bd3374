#pragma once

#include "dialling/DiallingDialogs.h"

#include <QObject>

class QWidget;
class TEditorPages;
class TFormVytaceni;
class TFormVytaKonf;
class TModemCall;

// The dialling windows, made once at start-up.
class TWidgetDiallingDialogs : public IDiallingDialogs
{
public:
    TWidgetDiallingDialogs(TModemCall &call, QWidget *parent = nullptr);
    ~TWidgetDiallingDialogs() override;

    void ShowCall() override;
    bool EditDialling(TSettings &settings) override;

    TFormVytaceni *FormVytaceni() const { return m_vytaceni; }
    TFormVytaKonf *FormVytaKonf() const { return m_vytaKonf; }

private:
    TFormVytaceni *m_vytaceni;
    TFormVytaKonf *m_vytaKonf;
};

// tel: links through the desktop's own handler.
class TDesktopPhone : public IDesktopPhone
{
public:
    bool OpenTel(const QString &url) override;
};

// Double-clicks on the frames of the nine telephone groups (those on their fields come
// from the main window).
class TPhoneFrameClicks : public QObject
{
    Q_OBJECT

public:
    explicit TPhoneFrameClicks(TEditorPages *pages);

signals:
    void GroupDoubleClicked(int group);

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    TEditorPages *m_pages;
};
