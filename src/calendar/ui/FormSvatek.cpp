#include "calendar/ui/FormSvatek.h"

#include "session/ui/DialogFrame.h"
#include "session/ui/DialogParts.h"
#include "util/Cp1250.h"

#include <QHBoxLayout>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QVBoxLayout>

TFormSvatek::TFormSvatek(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormSvatek"));
    setWindowTitle(QString::fromUtf8("Vyberte svátek"));

    m_model = new QStringListModel(this);
    m_list = new QListView(this);
    m_list->setObjectName(QStringLiteral("ListBoxSvatek"));
    m_list->setModel(m_model);
    m_list->setUniformItemSizes(true);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setMinimumSize(529, 269);

    m_ok = MakeDialogButton("&Vybrat", "ButtonOk", this);
    m_ne = MakeDialogButton("&Zpět", "ButtonNe", this);
    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(4, 4, 4, 4);
    main->addWidget(m_list);
    main->addLayout(MakeButtonRow({m_ok, m_ne}));

    connect(m_ok, &QPushButton::clicked, this, [this] { done(ResultVybrat); });
    connect(m_ne, &QPushButton::clicked, this, [this] { done(ResultZpet); });
    // A double click picks the day as "&Vybrat" would.
    connect(m_list, &QListView::doubleClicked, m_ok, &QPushButton::click);
    TDialogFrame::Install(this, m_ok, m_ne);
}

void TFormSvatek::SetLines(const QList<QByteArray> &lines)
{
    if (lines == m_lines)
        return;
    m_lines = lines;
    QStringList texts;
    texts.reserve(lines.size());
    for (const QByteArray &l : lines)
        texts.append(FromCp1250(l));
    m_model->setStringList(texts);
}

void TFormSvatek::Select(qsizetype line)
{
    if (line < 0 || line >= m_model->rowCount())
        return;
    const QModelIndex index = m_model->index(int(line));
    m_list->setCurrentIndex(index);
    m_list->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

qsizetype TFormSvatek::Selected() const
{
    const QModelIndex index = m_list->currentIndex();
    return index.isValid() && m_list->selectionModel()->isSelected(index) ? index.row() : -1;
}

bool TFormSvatek::Pick(const QList<QByteArray> &lines, qsizetype &selected)
{
    SetLines(lines);
    Select(selected);
    m_list->setFocus();
    const int result = exec();
    selected = Selected();
    return result == ResultVybrat;
}
