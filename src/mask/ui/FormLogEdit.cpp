#include "mask/ui/FormLogEdit.h"

#include "session/ui/DialogFrame.h"
#include "session/ui/DialogParts.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

// Ids are the TFlagAction values.
TFormLogEdit::TFormLogEdit(QWidget *parent)
    : QDialog(parent),
      m_rows(this,
             {{"a", "Ano", int(TFlagAction::Set)},
              {"n", "Ne", int(TFlagAction::Clear)},
              {"v", "Negace", int(TFlagAction::Negate)},
              {"f", "Neměnit", int(TFlagAction::Keep)}},
             int(TFlagAction::Keep))
{
    setObjectName(QStringLiteral("FormLogEdit"));
    setWindowTitle(QString::fromUtf8("Zadajte požadované změny pro aktuální masku zobrazení"));

    m_pouzit = MakeDialogButton("&Použít", "ButtonPouzit", this);
    m_zpet = MakeDialogButton("&Zpět", "ButtonZpet", this);

    auto *main = new QVBoxLayout(this);
    main->addLayout(m_rows.Layout());
    main->addLayout(MakeButtonRow({m_pouzit, m_zpet}));

    connect(m_pouzit, &QPushButton::clicked, this, [this] {
        m_confirmed = true;
        accept();
    });
    connect(m_zpet, &QPushButton::clicked, this, &TFormLogEdit::reject);
    TDialogFrame::Install(this, m_pouzit, m_zpet);
}

void TFormLogEdit::Activate(const TBookLabels &labels)
{
    m_rows.SetCaptions(labels);
    for (int i = 0; i < kFlagCount; ++i)
        m_rows.Check(i, int(TFlagAction::Keep));
    m_confirmed = false;
}

TFlagActions TFormLogEdit::Actions() const
{
    TFlagActions a {};
    for (int i = 0; i < kFlagCount; ++i)
        a[size_t(i)] = TFlagAction(m_rows.CheckedId(i));
    return a;
}

void TFormLogEdit::reject()
{
    m_confirmed = false;
    QDialog::reject();
}
