#include "mask/ui/FormMaska.h"

#include "session/ui/DialogFrame.h"
#include "session/ui/DialogParts.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Button ids within a row's group.
constexpr int kAno = 0;
constexpr int kNe = 1;
constexpr int kFuk = 2;

} // namespace

TFormMaska::TFormMaska(QWidget *parent)
    : QDialog(parent), m_rows(this, {{"a", "Ano", kAno}, {"n", "Ne", kNe}, {"f", "Je to fuk", kFuk}}, kFuk)
{
    setObjectName(QStringLiteral("FormMaska"));
    setWindowTitle(QString::fromUtf8("Zadajte masku zobrazení"));

    m_pouzit = MakeDialogButton("&Použít", "ButtonPouzit", this);
    m_vsechno = MakeDialogButton("&Všechno", "ButtonVsechno", this);
    m_zpet = MakeDialogButton("&Zpět", "ButtonZpet", this);

    auto *main = new QVBoxLayout(this);
    main->addLayout(m_rows.Layout());
    main->addLayout(MakeButtonRow({m_pouzit, m_vsechno, m_zpet}));

    connect(m_pouzit, &QPushButton::clicked, this, [this] { Close(TMaskButton::Pouzit); });
    connect(m_vsechno, &QPushButton::clicked, this, [this] {
        for (int i = 0; i < kFlagCount; ++i)
            SetRow(i, TMaskChoice::Either);
        Close(TMaskButton::Vsechno);
    });
    connect(m_zpet, &QPushButton::clicked, this, [this] { Close(TMaskButton::Zpet); });
    TDialogFrame::Install(this, m_pouzit, m_zpet);
}

void TFormMaska::SetRow(int row, TMaskChoice choice)
{
    m_rows.Check(row, choice == TMaskChoice::Set ? kAno : choice == TMaskChoice::Clear ? kNe : kFuk);
}

void TFormMaska::Activate(const TBookLabels &labels, const TMaskChoices &choices)
{
    m_rows.SetCaptions(labels);
    for (int i = 0; i < kFlagCount; ++i)
        SetRow(i, choices[size_t(i)]);
    m_button = TMaskButton::Zpet;
}

TMaskChoices TFormMaska::Choices() const
{
    TMaskChoices c {};
    for (int i = 0; i < kFlagCount; ++i) {
        const int id = m_rows.CheckedId(i);
        c[size_t(i)] = id == kAno ? TMaskChoice::Set : id == kNe ? TMaskChoice::Clear : TMaskChoice::Either;
    }
    return c;
}

void TFormMaska::Close(TMaskButton button)
{
    m_button = button;
    if (button == TMaskButton::Zpet)
        QDialog::reject();
    else
        accept();
}

void TFormMaska::reject()
{
    Close(TMaskButton::Zpet);
}
