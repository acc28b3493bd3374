#include "mask/ui/FormHledat.h"

#include "session/ui/DialogFrame.h"
#include "session/ui/DialogParts.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TFormHledat::TFormHledat(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormHledat"));
    setWindowTitle(QString::fromUtf8("Najít"));

    auto *label = new QLabel(QString::fromUtf8("Zadejte řetězec, jehož výskyt v názvu chcete vyhledat:"), this);
    label->setObjectName(QStringLiteral("Label1"));
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("Edithledej"));
    m_edit->setMinimumWidth(320);
    m_odZacatku = new QRadioButton(QString::fromUtf8("Hledat od z&ačátku"), this);
    m_odZacatku->setObjectName(QStringLiteral("OdZacatku"));
    m_pokracovat = new QRadioButton(QString::fromUtf8("Hledat od současné &pozice do konce"), this);
    m_pokracovat->setObjectName(QStringLiteral("Pokracovat"));
    auto *start = new QButtonGroup(this);
    start->addButton(m_odZacatku);
    start->addButton(m_pokracovat);
    m_odZacatku->setChecked(true);
    label->setBuddy(m_edit);

    m_ok = MakeDialogButton("&Vyhledat", "ButtonOk", this);
    m_ne = MakeDialogButton("&Zpět", "ButtonNe", this);

    auto *main = new QVBoxLayout(this);
    main->addWidget(label);
    main->addWidget(m_edit);
    main->addWidget(m_odZacatku);
    main->addWidget(m_pokracovat);
    main->addLayout(MakeButtonRow({m_ok, m_ne}));

    connect(m_ok, &QPushButton::clicked, this, [this] {
        m_confirmed = true;
        accept();
    });
    connect(m_ne, &QPushButton::clicked, this, &TFormHledat::reject);
    TDialogFrame::Install(this, m_ok, m_ne);
}

void TFormHledat::Activate()
{
    m_confirmed = false;
    m_edit->setFocus();
    m_edit->selectAll();
}

QString TFormHledat::Text() const
{
    return m_edit->text();
}

bool TFormHledat::FromStart() const
{
    return m_odZacatku->isChecked();
}

void TFormHledat::reject()
{
    m_confirmed = false;
    QDialog::reject();
}
