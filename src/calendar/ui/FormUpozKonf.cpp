#include "calendar/ui/FormUpozKonf.h"

#include "session/ui/DialogFrame.h"
#include "session/ui/DialogParts.h"
#include "util/Cp1250.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

TFormUpozKonf::TFormUpozKonf(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormUpozKonf"));
    setWindowTitle(QString::fromUtf8("Nastavení výročí a úkolů"));

    m_auto = new QCheckBox(QString::fromUtf8("Prohledat při otevření souboru"), this);
    m_auto->setObjectName(QStringLiteral("AutoHledat"));

    auto *before = new QLabel(QString::fromUtf8("Hledat dopředu na"), this);
    before->setObjectName(QStringLiteral("Label1"));
    m_days = new QSpinBox(this);
    m_days->setObjectName(QStringLiteral("SpinEdit1"));
    m_days->setRange(0, 365);
    // An emptied field means 0, also when it loses the focus to a mouse click.
    m_days->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    before->setBuddy(m_days);
    auto *after = new QLabel(QString::fromUtf8("dní"), this);
    after->setObjectName(QStringLiteral("Label2"));
    auto *daysRow = new QHBoxLayout;
    daysRow->addWidget(before);
    daysRow->addWidget(m_days);
    daysRow->addWidget(after);
    daysRow->addStretch();

    auto *heading = new QLabel(QString::fromUtf8("Hledat pro následující podmínky"), this);
    heading->setObjectName(QStringLiteral("Label3"));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);

    auto *main = new QVBoxLayout(this);
    main->setSpacing(2);
    main->addWidget(m_auto);
    main->addLayout(daysRow);
    main->addSpacing(6);
    main->addWidget(heading);
    for (int i = 0; i < 10; ++i) {
        m_flags[size_t(i)] = new QCheckBox(this);
        m_flags[size_t(i)]->setObjectName(QStringLiteral("Log%1").arg(i + 1));
        main->addWidget(m_flags[size_t(i)]);
    }

    m_ok = MakeDialogButton("&Použít", "ButtonOk", this);
    m_ne = MakeDialogButton("&Zrušit", "ButtonNe", this);
    main->addSpacing(6);
    main->addLayout(MakeButtonRow({m_ok, m_ne}));
    setMinimumSize(223, 317);

    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ne, &QPushButton::clicked, this, &QDialog::reject);
    TDialogFrame::Install(this, m_ok, m_ne);
}

void TFormUpozKonf::FormActivate(const TReminderChoice &choice)
{
    m_shown = choice;
    m_auto->setChecked(choice.AutoHledat);
    m_days->setValue(choice.Days);
    for (int i = 0; i < 10; ++i) {
        QCheckBox *box = m_flags[size_t(i)];
        // Captions are the user's own; "&" is a letter there, not an accelerator.
        box->setText(FromCp1250(choice.Captions[size_t(i)]).replace(QLatin1Char('&'), QStringLiteral("&&")));
        box->setChecked(choice.Flags[size_t(i)]);
    }
}

TReminderChoice TFormUpozKonf::Values() const
{
    TReminderChoice c = m_shown;
    c.AutoHledat = m_auto->isChecked();
    // Read the text itself: Enter may confirm before the field has judged what was typed.
    bool ok = false;
    const int days = m_days->cleanText().trimmed().toInt(&ok);
    c.Days = ok ? qBound(0, days, 365) : 0;
    for (int i = 0; i < 10; ++i)
        c.Flags[size_t(i)] = m_flags[size_t(i)]->isChecked();
    return c;
}

bool TFormUpozKonf::Edit(TReminderChoice &choice)
{
    FormActivate(choice);
    m_auto->setFocus();
    if (exec() != QDialog::Accepted)
        return false;
    choice = Values();
    return true;
}
