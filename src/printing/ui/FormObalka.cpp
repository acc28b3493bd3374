#include "printing/ui/FormObalka.h"

#include "printing/AddressLines.h"
#include "printing/ui/AddressChoice.h"
#include "printing/ui/FormOdesilatel.h"
#include "session/Messages.h"
#include "session/Prompt.h"
#include "session/RecordEditor.h"
#include "session/Session.h"
#include "session/ui/DialogFrame.h"
#include "session/ui/DialogParts.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString U(const char *utf8) { return QString::fromUtf8(utf8); }

QString Mm(double v)
{
    return QLocale(QLocale::Czech).toString(v, 'g', 6);
}

QLabel *Lines(const char *name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setMinimumHeight(label->fontMetrics().lineSpacing() * 4);
    return label;
}

} // namespace

TFormObalka::TFormObalka(TSession &s, TRecordEditor &editor, TPrintJobs &jobs, TFormOdesilatel &sender,
                         QWidget *parent)
    : QDialog(parent), m_s(s), m_editor(editor), m_jobs(jobs), m_senderForm(sender)
{
    setObjectName(QStringLiteral("FormObalka"));
    setWindowTitle(U("Tisk obálky"));

    m_kind = new QComboBox(this);
    m_kind->setObjectName(QStringLiteral("ComboFormat"));
    for (const TEnvelope::TKind &k : TEnvelope::Kinds())
        m_kind->addItem(U("%1 (%2 × %3 mm)").arg(QLatin1String(k.Key), Mm(k.Size.Width), Mm(k.Size.Height)),
                        QString::fromLatin1(k.Key));
    m_address = new QComboBox(this);
    m_address->setObjectName(QStringLiteral("ComboAdresa"));

    auto *senderBox = new QGroupBox(U("Odesílatel"), this);
    senderBox->setObjectName(QStringLiteral("GroupOdesilatel"));
    m_sender = Lines("LabelOdesilatel", senderBox);
    m_editSender = MakeDialogButton("&Odesílatel…", "ButtonOdesilatel", senderBox);
    auto *senderLayout = new QVBoxLayout(senderBox);
    senderLayout->addWidget(m_sender);
    senderLayout->addWidget(m_editSender, 0, Qt::AlignRight);

    auto *addresseeBox = new QGroupBox(U("Adresát"), this);
    addresseeBox->setObjectName(QStringLiteral("GroupAdresat"));
    m_addressee = Lines("LabelAdresat", addresseeBox);
    auto *addresseeLayout = new QVBoxLayout(addresseeBox);
    addresseeLayout->addWidget(m_addressee);

    auto *choices = new QGridLayout;
    auto *kindLabel = new QLabel(U("&Formát:"), this);
    kindLabel->setBuddy(m_kind);
    auto *addressLabel = new QLabel(U("&Adresa:"), this);
    addressLabel->setBuddy(m_address);
    choices->addWidget(kindLabel, 0, 0);
    choices->addWidget(m_kind, 0, 1);
    choices->addWidget(addressLabel, 1, 0);
    choices->addWidget(m_address, 1, 1);
    choices->setColumnStretch(2, 1);

    auto *boxes = new QHBoxLayout;
    boxes->addWidget(senderBox, 1);
    boxes->addWidget(addresseeBox, 1);

    m_preview = MakeDialogButton("&Náhled…", "ButtonNahled", this);
    m_print = MakeDialogButton("V&ytisknout…", "ButtonVytisknout", this);
    m_pdf = MakeDialogButton("&Uložit jako PDF…", "ButtonPdf", this);
    m_close = MakeDialogButton("Zavří&t", "ButtonZavrit", this);
    auto *main = new QVBoxLayout(this);
    main->addLayout(choices);
    main->addLayout(boxes);
    main->addLayout(MakeButtonRow({m_preview, m_print, m_pdf, m_close}));
    setMinimumWidth(460);

    connect(m_address, &QComboBox::currentIndexChanged, this, &TFormObalka::ShowLines);
    connect(m_editSender, &QPushButton::clicked, this, [this] {
        if (m_senderForm.IOdesilatelClick())
            ShowLines();
    });
    connect(m_preview, &QPushButton::clicked, this, [this] { Output(TPrintAction::Preview); });
    connect(m_print, &QPushButton::clicked, this, [this] { Output(TPrintAction::Print); });
    connect(m_pdf, &QPushButton::clicked, this, [this] { Output(TPrintAction::Pdf); });
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::finished, this, &TFormObalka::SaveChoices);
    TDialogFrame::Install(this, m_print, m_close);
}

void TFormObalka::ITiskObalkyClick()
{
    if (FormActivate())
        exec();
}

bool TFormObalka::FormActivate()
{
    m_entry.clear();
    if (!m_s.Book.IsOpen || !m_editor.StoreFields() || !m_s.Book.Current)
        return false;
    m_entry = QByteArray(m_s.Book.Current->Data(), kRecordSize);
    const TPrintSettings &p = m_s.Settings.Print;
    FillAddressChoice(m_address, m_s.Book.Labels, p.EnvelopeAddress);
    m_kind->setCurrentIndex(std::max(0, m_kind->findData(QString::fromLatin1(TEnvelope::Kind(p.Envelope).Key))));
    ShowLines();
    m_kind->setFocus(Qt::OtherFocusReason);
    return true;
}

TEnvelope::TKind TFormObalka::Kind() const
{
    return TEnvelope::Kind(m_kind->currentData().toString());
}

int TFormObalka::Address() const
{
    return m_address->currentIndex() + 1;
}

QStringList TFormObalka::Addressee() const
{
    if (m_entry.size() != kRecordSize)
        return {};
    return EntryAddressLines(TRecordView(m_entry.constData()), Address());
}

void TFormObalka::ShowLines()
{
    const QStringList sender = SenderLines(m_s.Settings.Print);
    m_sender->setText(sender.isEmpty() ? U("(nezadán)") : sender.join(QLatin1Char('\n')));
    m_addressee->setText(Addressee().join(QLatin1Char('\n')));
}

void TFormObalka::Output(TPrintAction action)
{
    SaveChoices();
    const TEnvelope envelope(Kind(), SenderLines(m_s.Settings.Print), Addressee());
    const QFileInfo book(m_s.Book.FileName);
    const QString pdf = book.isAbsolute() ? book.dir().filePath(QStringLiteral("obalka.pdf"))
                                          : QDir::home().filePath(QStringLiteral("obalka.pdf"));
    m_jobs.Run(action, envelope, pdf);
}

void TFormObalka::SaveChoices()
{
    TPrintSettings &p = m_s.Settings.Print;
    const TPrintSettings before = p;
    p.Envelope = QString::fromLatin1(Kind().Key);
    p.EnvelopeAddress = Address();
    if (p != before && !m_s.Store.SavePrintSettings())
        m_s.Prompt.Hlaska(Msg::RegistryFailed(), THlaskaKind::Chyba);
}
