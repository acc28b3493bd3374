#include "dialling/ui/FormVytaKonf.h"

#include "dialling/DiallingCommands.h"
#include "session/ui/DialogFrame.h"
#include "session/ui/DialogParts.h"
#include "settings/Settings.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

// One character, any character: 9 becomes 4, 0 becomes 1 and a letter 1, as the
// value is read, instead of the key being refused.
class TPortSpin : public QSpinBox
{
public:
    explicit TPortSpin(QWidget *parent) : QSpinBox(parent)
    {
        setRange(1, 4);
        lineEdit()->setMaxLength(1);
        setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    }

protected:
    QValidator::State validate(QString &input, int &) const override
    {
        return input.size() == 1 ? QValidator::Acceptable : QValidator::Intermediate;
    }
    int valueFromText(const QString &text) const override { return PortFromText(text); }
    void fixup(QString &input) const override { input = QString::number(PortFromText(input)); }
};

QString U(const char *utf8) { return QString::fromUtf8(utf8); }

} // namespace

TFormVytaKonf::TFormVytaKonf(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormVytaKonf"));
    setWindowTitle(U("Nastavení vytáčení"));

    struct TRow
    {
        const char *caption;
        int limit;
    };
    static const TRow rows[] = {{"Volačka mého státu", kCodeLength},    {"Volačka mého města", kCodeLength},
                                {"Mezinárodní předvolba", kCodeLength}, {"Meziměstská předvolba", kCodeLength},
                                {"Modem - inicializace", kInitLength},  {"Modem - vytáčení", kDialLength},
                                {"Modem - zavěšení", kHangLength}};
    auto *form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignLeft);
    // Set here: a style may give a nested form no spacing at all.
    form->setHorizontalSpacing(8);
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (int i = 0; i < 7; ++i) {
        auto *e = new QLineEdit(this);
        e->setObjectName(QStringLiteral("Edit%1").arg(i + 1));
        e->setMaxLength(rows[i].limit);
        if (rows[i].limit == kCodeLength)
            e->setFixedWidth(digit * 7 + 12);
        else
            e->setMinimumWidth(digit * 22);
        m_edits[size_t(i)] = e;
        auto *label = new QLabel(U(rows[i].caption), this);
        label->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        label->setBuddy(e);
        form->addRow(label, e);
    }
    m_port = new TPortSpin(this);
    m_port->setObjectName(QStringLiteral("SpinEdit1"));
    m_port->setFixedWidth(digit * 3 + 32);
    auto *portLabel = new QLabel(U("Modem - číslo portu"), this);
    portLabel->setObjectName(QStringLiteral("Label8"));
    portLabel->setBuddy(m_port);
    form->addRow(portLabel, m_port);

    // Where ports have no COM numbers, each of the four has a device of its own.
    auto *devices = new QGroupBox(U("Zařízení portů"), this);
    devices->setObjectName(QStringLiteral("GZarizeni"));
    auto *deviceForm = new QFormLayout(devices);
    deviceForm->setHorizontalSpacing(8);
    for (int p = 1; p <= 4; ++p) {
        auto *e = new QLineEdit(devices);
        e->setObjectName(QStringLiteral("Zarizeni%1").arg(p));
        e->setPlaceholderText(QStringLiteral("/dev/ttyS%1").arg(p - 1));
        e->setToolTip(U("Například /dev/ttyS0, /dev/ttyUSB0 nebo /dev/ttyACM0"));
        m_devices[size_t(p - 1)] = e;
        deviceForm->addRow(U("Port %1").arg(p), e);
    }
#ifdef Q_OS_WIN
    devices->hide();
#endif

    m_enable = new QCheckBox(U("Povolit vytáčení"), this);
    m_enable->setObjectName(QStringLiteral("cbEnable"));
    m_enable->setLayoutDirection(Qt::RightToLeft);
    m_system = new QCheckBox(U("Volat přes systémovou aplikaci (tel:)"), this);
    m_system->setObjectName(QStringLiteral("cbSystem"));
    m_system->setToolTip(U("Číslo předá programu, který v systému volá odkazy tel:, místo modemu"));
    m_system->setLayoutDirection(Qt::RightToLeft);

    m_ok = MakeDialogButton("&Použít", "ButtonOk", this);
    m_ne = MakeDialogButton("&Zrušit", "ButtonNe", this);

    auto *main = new QVBoxLayout(this);
    main->addLayout(form);
    main->addWidget(devices);
    // Full width with the caption on the left: the two boxes line up on the right.
    main->addWidget(m_enable);
    main->addWidget(m_system);
    main->addSpacing(6);
    main->addLayout(MakeButtonRow({m_ok, m_ne}));

    // The tel: route is a way of dialling: it has no meaning while dialling is off.
    connect(m_enable, &QCheckBox::toggled, m_system, &QWidget::setEnabled);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ne, &QPushButton::clicked, this, &QDialog::reject);
    TDialogFrame::Install(this, m_ok, m_ne);
}

void TFormVytaKonf::FormActivate(const TSettings &s)
{
    const QString *values[] = {&s.Stat, &s.Misto, &s.VolackaStat, &s.VolackaMisto, &s.Init, &s.Dial, &s.Hang};
    for (int i = 0; i < 7; ++i)
        m_edits[size_t(i)]->setText(*values[i]);
    for (int p = 0; p < 4; ++p)
        m_devices[size_t(p)]->setText(s.Zarizeni[size_t(p)]);
    // Cleared first: text typed last time must not survive an unchanged value.
    m_port->clear();
    m_port->setValue(PortFromText(QString::number(s.Port)));
    m_enable->setChecked(s.Povolit);
    m_system->setChecked(s.VolatPresSystem);
    m_system->setEnabled(s.Povolit);
}

void TFormVytaKonf::Values(TSettings &s) const
{
    QString *values[] = {&s.Stat, &s.Misto, &s.VolackaStat, &s.VolackaMisto, &s.Init, &s.Dial, &s.Hang};
    for (int i = 0; i < 7; ++i)
        *values[i] = m_edits[size_t(i)]->text();
    for (int p = 0; p < 4; ++p) {
        // An emptied device field means the system's own port again.
        const QString device = m_devices[size_t(p)]->text().trimmed();
        s.Zarizeni[size_t(p)] = device.isEmpty() ? TSettings().Zarizeni[size_t(p)] : device;
    }
    // Read the text itself: Enter may confirm before the field has judged what was typed.
    s.Port = quint8(PortFromText(m_port->cleanText()));
    s.Povolit = m_enable->isChecked();
    s.VolatPresSystem = m_system->isChecked();
}

bool TFormVytaKonf::Edit(TSettings &s)
{
    FormActivate(s);
    m_edits[0]->setFocus();
    if (exec() != QDialog::Accepted)
        return false;
    Values(s);
    return true;
}
