#include "printing/ui/FormOdesilatel.h"

#include "session/Messages.h"
#include "session/Prompt.h"
#include "session/Session.h"
#include "session/ui/DialogFrame.h"
#include "session/ui/DialogParts.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString U(const char *utf8) { return QString::fromUtf8(utf8); }

QLineEdit *Field(const char *name, QWidget *parent)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    // As long as a line of an envelope may sensibly be.
    e->setMaxLength(80);
    return e;
}

} // namespace

TFormOdesilatel::TFormOdesilatel(TSession &s, QWidget *parent) : QDialog(parent), m_s(s)
{
    setObjectName(QStringLiteral("FormOdesilatel"));
    setWindowTitle(U("Odesílatel"));

    m_name = Field("EditJmeno", this);
    m_street = Field("EditUlice", this);
    m_psc = Field("EditPsc", this);
    m_psc->setMaxLength(10);
    m_town = Field("EditMisto", this);
    m_country = Field("EditStat", this);

    auto *form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->addRow(U("&Jméno:"), m_name);
    form->addRow(U("U&lice:"), m_street);
    form->addRow(U("&PSČ:"), m_psc);
    form->addRow(U("&Místo:"), m_town);
    form->addRow(U("&Stát:"), m_country);

    auto *hint = new QLabel(U("Stát se na obálku tiskne, jen není-li to Česká republika."), this);
    hint->setObjectName(QStringLiteral("LabelStat"));
    hint->setWordWrap(true);

    m_ok = MakeDialogButton("&OK", "ButtonOk", this);
    m_cancel = MakeDialogButton("&Zrušit", "ButtonZrusit", this);
    auto *main = new QVBoxLayout(this);
    main->addLayout(form);
    main->addWidget(hint);
    main->addLayout(MakeButtonRow({m_ok, m_cancel}));
    setMinimumWidth(360);

    connect(m_ok, &QPushButton::clicked, this, &TFormOdesilatel::ButtonOkClick);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    TDialogFrame::Install(this, m_ok, m_cancel);
}

bool TFormOdesilatel::IOdesilatelClick()
{
    FormActivate();
    return exec() == QDialog::Accepted;
}

void TFormOdesilatel::FormActivate()
{
    const TPrintSettings &p = m_s.Settings.Print;
    m_name->setText(p.SenderName);
    m_street->setText(p.SenderStreet);
    m_psc->setText(p.SenderPsc);
    m_town->setText(p.SenderTown);
    m_country->setText(p.SenderCountry);
    m_name->setFocus(Qt::OtherFocusReason);
}

void TFormOdesilatel::ButtonOkClick()
{
    TPrintSettings &p = m_s.Settings.Print;
    p.SenderName = m_name->text().trimmed();
    p.SenderStreet = m_street->text().trimmed();
    p.SenderPsc = m_psc->text().trimmed();
    p.SenderTown = m_town->text().trimmed();
    p.SenderCountry = m_country->text().trimmed();
    // The values stay for this run even when the store cannot keep them.
    if (!m_s.Store.SavePrintSettings())
        m_s.Prompt.Hlaska(Msg::RegistryFailed(), THlaskaKind::Chyba);
    accept();
}
