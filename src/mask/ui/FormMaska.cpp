#include "mask/ui/FormMaska.h"

#include "mask/ui/DialogFrame.h"
#include "util/Cp1250.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// Button ids within a row's group.
constexpr int kAno = 0;
constexpr int kNe = 1;
constexpr int kFuk = 2;

} // namespace

TFormMaska::TFormMaska(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormMaska"));
    setWindowTitle(QString::fromUtf8("Zadajte masku zobrazení"));

    auto *grid = new QGridLayout;
    for (int i = 0; i < kFlagCount; ++i) {
        const QString n = QString::number(i + 1);
        auto *label = new QLabel(this);
        label->setObjectName(QStringLiteral("l") + n);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setTextFormat(Qt::PlainText);
        label->setMinimumWidth(200);
        m_labels[size_t(i)] = label;

        // Each row on its own panel, its three choices one exclusive group.
        auto *panel = new QFrame(this);
        panel->setObjectName(QStringLiteral("Panel") + n);
        auto *row = new QHBoxLayout(panel);
        row->setContentsMargins(4, 0, 4, 0);
        auto *group = new QButtonGroup(panel);
        const struct { const char *prefix; const char *caption; int id; } buttons[] = {
            {"a", "Ano", kAno}, {"n", "Ne", kNe}, {"f", "Je to fuk", kFuk}};
        for (const auto &b : buttons) {
            auto *radio = new QRadioButton(QString::fromUtf8(b.caption), panel);
            radio->setObjectName(QLatin1String(b.prefix) + n);
            group->addButton(radio, b.id);
            row->addWidget(radio);
        }
        group->button(kFuk)->setChecked(true);
        m_rows[size_t(i)] = group;
        grid->addWidget(label, i, 0);
        grid->addWidget(panel, i, 1);
    }

    m_pouzit = new QPushButton(QString::fromUtf8("&Použít"), this);
    m_pouzit->setObjectName(QStringLiteral("ButtonPouzit"));
    m_vsechno = new QPushButton(QString::fromUtf8("&Všechno"), this);
    m_vsechno->setObjectName(QStringLiteral("ButtonVsechno"));
    m_zpet = new QPushButton(QString::fromUtf8("&Zpět"), this);
    m_zpet->setObjectName(QStringLiteral("ButtonZpet"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton *b : {m_pouzit, m_vsechno, m_zpet}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }

    auto *main = new QVBoxLayout(this);
    main->addLayout(grid);
    main->addLayout(buttons);

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
    const int id = choice == TMaskChoice::Set ? kAno : choice == TMaskChoice::Clear ? kNe : kFuk;
    m_rows[size_t(row)]->button(id)->setChecked(true);
}

void TFormMaska::Activate(const TBookLabels &labels, const TMaskChoices &choices)
{
    for (int i = 0; i < kFlagCount; ++i) {
        m_labels[size_t(i)]->setText(FromCp1250(labels.FlagCaptions[size_t(i)].left(TBookLabels::kFlagCapacity)));
        SetRow(i, choices[size_t(i)]);
    }
    m_button = TMaskButton::Zpet;
}

TMaskChoices TFormMaska::Choices() const
{
    TMaskChoices c {};
    for (int i = 0; i < kFlagCount; ++i) {
        const int id = m_rows[size_t(i)]->checkedId();
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
