#include "dialling/ui/FormVytaceni.h"

#include "dialling/ModemCall.h"
#include "session/ui/DialogFrame.h"
#include "session/ui/DialogParts.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QLabel *Centred(const char *name, QWidget *parent)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setAlignment(Qt::AlignCenter);
    l->setTextFormat(Qt::PlainText);
    return l;
}

} // namespace

TFormVytaceni::TFormVytaceni(TModemCall &call, QWidget *parent) : QDialog(parent), m_call(call)
{
    setObjectName(QStringLiteral("FormVytaceni"));
    setWindowTitle(QString::fromUtf8("Vytáčení čísla"));

    m_textC = Centred("TextC", this);
    m_cislo = Centred("Cislo", this);
    QFont big = m_cislo->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.4);
    m_cislo->setFont(big);
    m_cislo->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_textL = Centred("TextL", this);
    m_linka = Centred("Linka", this);
    m_linka->setFont(big);

    m_gauge = new QProgressBar(this);
    m_gauge->setObjectName(QStringLiteral("Gauge1"));
    m_gauge->setRange(0, 100);
    m_gauge->setTextVisible(false);
    m_gauge->setFixedHeight(10);
    m_gauge->setStyleSheet(QStringLiteral("QProgressBar { border: 1px solid #8a8a8a; background: white; }"
                                          "QProgressBar::chunk { background: #2e9d3a; }"));

    m_zavesit = MakeDialogButton("&Zavěsit", "ButtonZavesit", this);
    m_zavesit->setDefault(true);

    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(16, 12, 16, 12);
    main->addWidget(m_textC);
    main->addWidget(m_cislo);
    main->addWidget(m_textL);
    main->addWidget(m_linka);
    main->addSpacing(6);
    main->addWidget(m_gauge);
    main->addSpacing(6);
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(m_zavesit);
    row->addStretch();
    main->addLayout(row);
    setMinimumWidth(280);

    connect(m_zavesit, &QPushButton::clicked, this, &TFormVytaceni::ButtonZavesitClick);
    connect(&m_call, &TModemCall::Changed, this, &TFormVytaceni::Mirror);
    connect(&m_call, &TModemCall::Finished, this, [this] {
        Mirror();
        accept();
    });
    TDialogFrame::Install(this, m_zavesit, m_zavesit);
    Mirror();
}

void TFormVytaceni::Mirror()
{
    const TDialLabels &l = m_call.Labels();
    m_textC->setText(l.TextC);
    m_cislo->setText(l.Cislo);
    m_textL->setText(l.TextL);
    m_linka->setText(l.Linka);
    m_gauge->setValue(m_call.Gauge());
}

void TFormVytaceni::ShowCall()
{
    Mirror();
    m_zavesit->setFocus();
    // Started from the window's own loop, so a message about the port shows over it.
    QTimer::singleShot(0, this, [this] {
        if (isVisible())
            m_call.Start();
    });
    exec();
}

void TFormVytaceni::ButtonZavesitClick()
{
    if (m_call.Busy())
        m_call.Hangup();
    else
        accept();
}

void TFormVytaceni::reject()
{
    ButtonZavesitClick();
}
