#include "calendar/ui/FormVyroci.h"

#include "session/ui/DialogFrame.h"
#include "util/Cp1250.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QVBoxLayout>

TFormVyroci::TFormVyroci(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormVyroci"));
    setWindowTitle(QString::fromUtf8("Nalezená výročí"));

    m_model = new QStringListModel(this);
    m_list = new QListView(this);
    m_list->setObjectName(QStringLiteral("ListBoxNasel"));
    m_list->setModel(m_model);
    m_list->setUniformItemSizes(true);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setMinimumSize(536, 289);

    m_check = new QCheckBox(QString::fromUtf8("&Příště již neopakovat hledání prošlých výročí"), this);
    m_check->setObjectName(QStringLiteral("CheckBox"));
    m_konec = new QPushButton(QString::fromUtf8("&Konec"), this);
    m_konec->setObjectName(QStringLiteral("Button1"));
    m_konec->setDefault(true);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_check);
    bottom->addStretch();
    bottom->addWidget(m_konec);
    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 4, 4);
    main->addWidget(m_list);
    main->addLayout(bottom);

    connect(m_konec, &QPushButton::clicked, this, &QDialog::accept);
    // Escape closes the window as "&Konec" does.
    TDialogFrame::Install(this, m_konec, m_konec);
}

void TFormVyroci::SetLines(const QList<QByteArray> &lines)
{
    QStringList texts;
    texts.reserve(lines.size());
    for (const QByteArray &l : lines)
        texts.append(FromCp1250(l));
    m_model->setStringList(texts);
}

void TFormVyroci::Show(const QList<QByteArray> &lines, bool &acknowledge)
{
    SetLines(lines);
    m_check->setChecked(acknowledge);
    m_konec->setFocus();
    exec();
    acknowledge = m_check->isChecked();
}
