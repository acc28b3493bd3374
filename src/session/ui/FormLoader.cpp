#include "session/ui/FormLoader.h"

#include <QCoreApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace {

QLabel *Line(QWidget *parent, const char *name, const QString &text, int pixels, bool italic)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setAlignment(Qt::AlignCenter);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(pixels);
    f.setBold(true);
    f.setItalic(italic);
    l->setFont(f);
    return l;
}

} // namespace

QString TFLoader::ProgramName()
{
    return QStringLiteral("Vorlink pro WIN32");
}

QString TFLoader::VersionText()
{
    return QStringLiteral("freeware");
}

TFLoader::TFLoader(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("FLoader"));
    setWindowTitle(QString::fromUtf8("Zavádění programu"));
    setFixedSize(343, 88);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);

    auto *v = new QVBoxLayout(this);
    v->setContentsMargins(4, 6, 4, 6);
    m_labelAutor = Line(this, "LabelAutor", QString::fromUtf8("Vorlink – adresář pro každý den"), 13, false);
    m_labelProgram = Line(this, "LabelProgram", ProgramName(), 16, false);
    m_labelVerze = Line(this, "LabelVerze", VersionText(), 13, true);
    v->addWidget(m_labelAutor);
    v->addWidget(m_labelProgram);
    v->addWidget(m_labelVerze);
}

void TFLoader::ShowNow()
{
    if (QScreen *s = screen()) {
        QRect r = frameGeometry();
        r.moveCenter(s->availableGeometry().center());
        move(r.topLeft());
    }
    show();
    raise();
    repaint();
    QCoreApplication::processEvents();
}
