#include "mask/ui/FlagChoiceRows.h"

#include "util/Cp1250.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>

TFlagChoiceRows::TFlagChoiceRows(QWidget *parent, std::initializer_list<TFlagChoice> choices, int defaultId)
    : m_grid(new QGridLayout)
{
    for (int i = 0; i < kFlagCount; ++i) {
        const QString n = QString::number(i + 1);
        auto *label = new QLabel(parent);
        label->setObjectName(QStringLiteral("l") + n);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setTextFormat(Qt::PlainText);
        label->setMinimumWidth(200);
        m_labels[size_t(i)] = label;

        // Each row on its own panel, its choices one exclusive group.
        auto *panel = new QFrame(parent);
        panel->setObjectName(QStringLiteral("Panel") + n);
        auto *row = new QHBoxLayout(panel);
        row->setContentsMargins(4, 0, 4, 0);
        auto *group = new QButtonGroup(panel);
        for (const TFlagChoice &c : choices) {
            auto *radio = new QRadioButton(QString::fromUtf8(c.Caption), panel);
            radio->setObjectName(QLatin1String(c.Prefix) + n);
            group->addButton(radio, c.Id);
            row->addWidget(radio);
        }
        group->button(defaultId)->setChecked(true);
        m_groups[size_t(i)] = group;
        m_grid->addWidget(label, i, 0);
        m_grid->addWidget(panel, i, 1);
    }
}

void TFlagChoiceRows::SetCaptions(const TBookLabels &labels)
{
    for (int i = 0; i < kFlagCount; ++i)
        m_labels[size_t(i)]->setText(FromCp1250(labels.FlagCaptions[size_t(i)].left(TBookLabels::kFlagCapacity)));
}

void TFlagChoiceRows::Check(int row, int id)
{
    m_groups[size_t(row)]->button(id)->setChecked(true);
}

int TFlagChoiceRows::CheckedId(int row) const
{
    return m_groups[size_t(row)]->checkedId();
}
