#pragma once

#include "mask/MaskDialogs.h"

#include <QPointer>

class QWidget;
class TFormHledat;
class TFormLogEdit;
class TFormMaska;

// The mask commands' dialogs as real windows, each made once and reused.
class TWidgetMaskDialogs : public IMaskDialogs
{
public:
    explicit TWidgetMaskDialogs(QWidget *parent = nullptr);
    ~TWidgetMaskDialogs() override;
    TWidgetMaskDialogs(const TWidgetMaskDialogs &) = delete;
    TWidgetMaskDialogs &operator=(const TWidgetMaskDialogs &) = delete;

    TMaskButton EditMask(TMaskChoices &choices, const TBookLabels &labels) override;
    bool AskFlagChanges(TFlagActions &actions, const TBookLabels &labels) override;
    bool AskFind(QString &text, bool &fromStart) override;

    TFormMaska *FormMaska() const;
    TFormLogEdit *FormLogEdit() const;
    TFormHledat *FormHledat() const;

private:
    QPointer<TFormMaska> m_maska;
    QPointer<TFormLogEdit> m_logEdit;
    QPointer<TFormHledat> m_hledat;
};
