#include "mask/ui/FormLogEdit.h"

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

TFormLogEdit::TFormLogEdit(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormLogEdit"));
    setWindowTitle(QString::fromUtf8("Zadajte požadované změny pro aktuální masku zobrazení"));

    auto *grid = new QGridLayout;
    for (int i = 0; i < kFlagCount; ++i) {
        const QString n = QString::number(i + 1);
        auto *label = new QLabel(this);
        label->setObjectName(QStringLiteral("l") + n);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setTextFormat(Qt::PlainText);
        label->setMinimumWidth(200);
        m_labels[size_t(i)] = label;

        auto *panel = new QFrame(this);
        panel->setObjectName(QStringLiteral("Panel") + n);
        auto *row = new QHBoxLayout(panel);
        row->setContentsMargins(4, 0, 4, 0);
        auto *group = new QButtonGroup(panel);
        // Ids are the TFlagAction values.
        const struct { const char *prefix; const char *caption; TFlagAction action; } buttons[] = {
            {"a", "Ano", TFlagAction::Set},
            {"n", "Ne", TFlagAction::Clear},
            {"v", "Negace", TFlagAction::Negate},
            {"f", "Neměnit", TFlagAction::Keep}};
        for (const auto &b : buttons) {
            auto *radio = new QRadioButton(QString::fromUtf8(b.caption), panel);
            radio->setObjectName(QLatin1String(b.prefix) + n);
            group->addButton(radio, int(b.action));
            row->addWidget(radio);
        }
        group->button(int(TFlagAction::Keep))->setChecked(true);
        m_rows[size_t(i)] = group;
        grid->addWidget(label, i, 0);
        grid->addWidget(panel, i, 1);
    }

    m_pouzit = new QPushButton(QString::fromUtf8("&Použít"), this);
    m_pouzit->setObjectName(QStringLiteral("ButtonPouzit"));
    m_zpet = new QPushButton(QString::fromUtf8("&Zpět"), this);
    m_zpet->setObjectName(QStringLiteral("ButtonZpet"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton *b : {m_pouzit, m_zpet}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }

    auto *main = new QVBoxLayout(this);
    main->addLayout(grid);
    main->addLayout(buttons);

    connect(m_pouzit, &QPushButton::clicked, this, [this] {
        m_confirmed = true;
        accept();
    });
    connect(m_zpet, &QPushButton::clicked, this, &TFormLogEdit::reject);
    TDialogFrame::Install(this, m_pouzit, m_zpet);
}

void TFormLogEdit::Activate(const TBookLabels &labels)
{
    for (int i = 0; i < kFlagCount; ++i) {
        m_labels[size_t(i)]->setText(FromCp1250(labels.FlagCaptions[size_t(i)].left(TBookLabels::kFlagCapacity)));
        m_rows[size_t(i)]->button(int(TFlagAction::Keep))->setChecked(true);
    }
    m_confirmed = false;
}

TFlagActions TFormLogEdit::Actions() const
{
    TFlagActions a {};
    for (int i = 0; i < kFlagCount; ++i)
        a[size_t(i)] = TFlagAction(m_rows[size_t(i)]->checkedId());
    return a;
}

void TFormLogEdit::reject()
{
    m_confirmed = false;
    QDialog::reject();
}
