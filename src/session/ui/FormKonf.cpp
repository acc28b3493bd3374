#include "session/ui/FormKonf.h"

#include "session/ui/DialogFrame.h"
#include "session/ui/DialogParts.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

TFormKonf::TFormKonf(TLabelConfig &config, QWidget *parent) : QDialog(parent), m_config(config)
{
    setObjectName(QStringLiteral("FormKonf"));
    setWindowTitle(QStringLiteral("Konfigurace"));

    auto *heading = new QLabel(QString::fromUtf8("Nastavte významy modifikovatelných položek:"), this);
    heading->setObjectName(QStringLiteral("Label23"));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);

    auto *left = new QFormLayout;
    auto *right = new QFormLayout;
    for (QFormLayout *col : {left, right}) {
        col->setVerticalSpacing(3);
        col->setHorizontalSpacing(6);
        col->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    }
    for (int i = 1; i <= TLabelConfig::kFieldCount; ++i) {
        auto *e = new QLineEdit(this);
        e->setObjectName(QStringLiteral("Edit%1").arg(i));
        m_edits[size_t(i - 1)] = e;
        QString label;
        if (i <= 9)
            label = QStringLiteral("Telefon %1:").arg(i);
        else if (i <= 12)
            label = QStringLiteral("Adresa %1:").arg(i - 9);
        else
            label = QString::fromUtf8("Logická proměná %1:").arg(i - 12);
        (i <= 12 ? left : right)->addRow(label, e);
    }

    auto *widthLabel = new QLabel(QString::fromUtf8("Šířka seznamu"), this);
    m_width = new QSpinBox(this);
    m_width->setObjectName(QStringLiteral("SpinEdit1"));
    // Three digits can be typed; only 100..300 reaches the list.
    m_width->setRange(0, 999);
    m_width->setValue(m_config.Width);
    m_width->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    widthLabel->setBuddy(m_width);
    connect(m_width, &QSpinBox::valueChanged, this, [this](int v) { m_config.WidthChanged(v); });
    auto *widthRow = new QHBoxLayout;
    // Nested in a form whose two spacings differ, the row would get none of its own.
    widthRow->setSpacing(6);
    widthRow->addWidget(widthLabel);
    widthRow->addWidget(m_width);
    widthRow->addStretch();
    right->addRow(widthRow);

    m_lista = new QCheckBox(QString::fromUtf8("Po zavření nechávat na liště"), this);
    m_lista->setObjectName(QStringLiteral("cbLista"));
    right->addRow(m_lista);

    auto *columns = new QHBoxLayout;
    columns->setSpacing(12);
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);

    m_ok = MakeDialogButton("&Použít", "ButtonOk", this);
    m_ne = MakeDialogButton("&Zrušit", "ButtonNe", this);
    auto *main = new QVBoxLayout(this);
    main->addWidget(heading);
    main->addLayout(columns);
    main->addLayout(MakeButtonRow({m_ok, m_ne}));
    // The width the dialog always had; the captions scroll in their fields.
    setMinimumWidth(424);

    connect(m_ok, &QPushButton::clicked, this, &TFormKonf::ButtonOkClick);
    connect(m_ne, &QPushButton::clicked, this, &TFormKonf::ButtonNeClick);
    TDialogFrame::Install(this, m_ok, m_ne);
}

void TFormKonf::IVolitelneClick()
{
    FormActivate();
    exec();
}

void TFormKonf::FormActivate()
{
    bool lista = false;
    const TLabelConfig::TTexts texts = m_config.Activate(lista);
    for (int i = 0; i < TLabelConfig::kFieldCount; ++i)
        m_edits[size_t(i)]->setText(texts[size_t(i)]);
    m_lista->setChecked(lista);
    // The number stays as last left; setting it must not move the list.
    const QSignalBlocker quiet(m_width);
    m_width->setValue(m_config.Width);
    m_edits[0]->setFocus(Qt::OtherFocusReason);
}

void TFormKonf::ButtonOkClick()
{
    TLabelConfig::TTexts texts;
    for (int i = 0; i < TLabelConfig::kFieldCount; ++i)
        texts[size_t(i)] = m_edits[size_t(i)]->text();
    if (m_config.Apply(texts, m_lista->isChecked()))
        accept();
}

void TFormKonf::ButtonNeClick()
{
    m_config.Cancel();
    const QSignalBlocker quiet(m_width);
    m_width->setValue(m_config.Width);
    reject();
}
