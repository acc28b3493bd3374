#include "session/ui/DialogParts.h"

#include <QHBoxLayout>
#include <QPushButton>

QPushButton *MakeDialogButton(const char *caption, const char *objectName, QWidget *parent)
{
    auto *button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QLatin1String(objectName));
    button->setAutoDefault(false);
    return button;
}

QHBoxLayout *MakeButtonRow(std::initializer_list<QPushButton *> buttons)
{
    auto *row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton *b : buttons)
        row->addWidget(b);
    return row;
}
