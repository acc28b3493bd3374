#include "mask/ui/WidgetMaskDialogs.h"

#include "mask/ui/FormHledat.h"
#include "mask/ui/FormLogEdit.h"
#include "mask/ui/FormMaska.h"

TWidgetMaskDialogs::TWidgetMaskDialogs(QWidget *parent)
    : m_maska(new TFormMaska(parent)), m_logEdit(new TFormLogEdit(parent)), m_hledat(new TFormHledat(parent))
{
}

TWidgetMaskDialogs::~TWidgetMaskDialogs()
{
    // Forms whose parent went first are gone already.
    delete m_maska.data();
    delete m_logEdit.data();
    delete m_hledat.data();
}

TMaskButton TWidgetMaskDialogs::EditMask(TMaskChoices &choices, const TBookLabels &labels)
{
    m_maska->Activate(labels, choices);
    m_maska->exec();
    choices = m_maska->Choices();
    return m_maska->Button();
}

bool TWidgetMaskDialogs::AskFlagChanges(TFlagActions &actions, const TBookLabels &labels)
{
    m_logEdit->Activate(labels);
    m_logEdit->exec();
    actions = m_logEdit->Actions();
    return m_logEdit->Confirmed();
}

bool TWidgetMaskDialogs::AskFind(QString &text, bool &fromStart)
{
    m_hledat->Activate();
    m_hledat->exec();
    text = m_hledat->Text();
    fromStart = m_hledat->FromStart();
    return m_hledat->Confirmed();
}

TFormMaska *TWidgetMaskDialogs::FormMaska() const
{
    return m_maska;
}

TFormLogEdit *TWidgetMaskDialogs::FormLogEdit() const
{
    return m_logEdit;
}

TFormHledat *TWidgetMaskDialogs::FormHledat() const
{
    return m_hledat;
}
