#include "interop/ui/WidgetInteropDialogs.h"

#include "session/ui/DialogFrame.h"

#include <QCheckBox>
#include <QDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QString U(const char *utf8) { return QString::fromUtf8(utf8); }

void NormalCursor()
{
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

// A dialog with the program's frame and the two buttons under its controls.
struct TChoiceDialog
{
    QDialog Dialog;
    QVBoxLayout *Body;
    QPushButton *Ok;

    TChoiceDialog(QWidget *parent, const QString &title, const QString &confirm) : Dialog(parent)
    {
        Dialog.setWindowTitle(title);
        auto *outer = new QVBoxLayout(&Dialog);
        Body = new QVBoxLayout;
        outer->addLayout(Body);
        auto *buttons = new QHBoxLayout;
        buttons->addStretch();
        Ok = new QPushButton(confirm, &Dialog);
        Ok->setObjectName(QStringLiteral("BPouzit"));
        auto *cancel = new QPushButton(U("&Storno"), &Dialog);
        cancel->setObjectName(QStringLiteral("BStorno"));
        buttons->addWidget(Ok);
        buttons->addWidget(cancel);
        outer->addLayout(buttons);
        QObject::connect(Ok, &QPushButton::clicked, &Dialog, &QDialog::accept);
        QObject::connect(cancel, &QPushButton::clicked, &Dialog, &QDialog::reject);
        TDialogFrame::Install(&Dialog, Ok, cancel);
    }
};

} // namespace

TWidgetInteropDialogs::TWidgetInteropDialogs(QWidget *parent) : m_parent(parent)
{
}

TWidgetInteropDialogs::~TWidgetInteropDialogs()
{
    delete m_progress;
}

bool TWidgetInteropDialogs::AskExportOptions(TExportOptions &options)
{
    TChoiceDialog d(m_parent, U("Export z vorlinku"), U("&Exportovat"));
    d.Dialog.setObjectName(QStringLiteral("TFormExportVolby"));
    if (options.Format == TInteropFormat::CsvOutlook) {
        d.Body->addWidget(new QLabel(U("Kódování tabulky pro Outlook:"), &d.Dialog));
        auto *utf8 = new QRadioButton(U("&UTF-8 (Outlook 2016 a novější)"), &d.Dialog);
        utf8->setObjectName(QStringLiteral("RUtf8"));
        auto *cp = new QRadioButton(U("&Windows-1250 (starší Outlook)"), &d.Dialog);
        cp->setObjectName(QStringLiteral("RCp1250"));
        (options.OutlookCp1250 ? cp : utf8)->setChecked(true);
        (options.OutlookCp1250 ? cp : utf8)->setFocus();
        d.Body->addWidget(utf8);
        d.Body->addWidget(cp);
        NormalCursor();
        if (d.Dialog.exec() != QDialog::Accepted)
            return false;
        options.OutlookCp1250 = cp->isChecked();
        return true;
    }
    // The number stands alone: "počet dní" agrees with any count.
    auto *alarm = new QCheckBox(U("&Připomenout předem, počet dní:"), &d.Dialog);
    alarm->setObjectName(QStringLiteral("CPripomenout"));
    auto *days = new QSpinBox(&d.Dialog);
    days->setObjectName(QStringLiteral("EDny"));
    days->setRange(0, 365);
    days->setValue(options.AlarmDays >= 0 ? options.AlarmDays : 1);
    auto *row = new QHBoxLayout;
    row->addWidget(alarm);
    row->addWidget(days);
    row->addStretch();
    d.Body->addWidget(new QLabel(U("Narozeniny a svátky jako každoroční celodenní události."), &d.Dialog));
    d.Body->addLayout(row);
    alarm->setChecked(options.AlarmDays >= 0);
    days->setEnabled(alarm->isChecked());
    QObject::connect(alarm, &QCheckBox::toggled, days, &QWidget::setEnabled);
    alarm->setFocus();
    NormalCursor();
    if (d.Dialog.exec() != QDialog::Accepted)
        return false;
    options.AlarmDays = alarm->isChecked() ? days->value() : -1;
    return true;
}

TImportTarget TWidgetInteropDialogs::AskImportTarget()
{
    TChoiceDialog d(m_parent, U("Import souboru do vorlinku"), U("&Načíst"));
    d.Dialog.setObjectName(QStringLiteral("TFormImportVolby"));
    d.Body->addWidget(new QLabel(U("Kam načíst kontakty z vizitek:"), &d.Dialog));
    auto *fresh = new QRadioButton(U("Do &nového adresáře"), &d.Dialog);
    fresh->setObjectName(QStringLiteral("RNovy"));
    auto *append = new QRadioButton(U("&Připojit k otevřenému adresáři"), &d.Dialog);
    append->setObjectName(QStringLiteral("RPripojit"));
    fresh->setChecked(true);
    fresh->setFocus();
    d.Body->addWidget(fresh);
    d.Body->addWidget(append);
    NormalCursor();
    if (d.Dialog.exec() != QDialog::Accepted)
        return TImportTarget::Cancel;
    return append->isChecked() ? TImportTarget::Append : TImportTarget::NewBook;
}

void TWidgetInteropDialogs::Progress(qint64 done, qint64 total)
{
    if (total <= 0 || done >= total) {
        delete m_progress;
        return;
    }
    if (!m_progress) {
        m_progress = new QProgressDialog(U("Probíhá převod…"), QString(), 0, 1000, m_parent);
        m_progress->setWindowTitle(U("Vorlink"));
        m_progress->setWindowModality(Qt::WindowModal);
        m_progress->setMinimumDuration(400);
        m_progress->setAutoClose(false);
        m_progress->setAutoReset(false);
    }
    m_progress->setValue(int(done * 1000 / total));
}
