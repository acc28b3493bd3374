#include "session/ui/FormHlaska.h"

#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr int kClientWidth = 403;
constexpr int kClientHeight = 102;
constexpr int kPictureWidth = 41;
constexpr int kPictureHeight = 57;

// A large glyph with a dark outline, filling a 41 x 57 picture.
QPixmap Glyph(QChar glyph, const QColor &fill, const QColor &outline)
{
    const qreal dpr = 2.0;
    QPixmap pm(QSize(kPictureWidth, kPictureHeight) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QFont f(QStringLiteral("Arial"));
    f.setBold(true);
    f.setPixelSize(56);
    QPainterPath path;
    path.addText(0, 0, f, QString(glyph));
    const QRectF r = path.boundingRect();
    const QRectF box(2, 2, kPictureWidth - 4, kPictureHeight - 4);
    const qreal scale = qMin(box.width() / r.width(), box.height() / r.height());
    p.translate(box.center());
    p.scale(scale, scale);
    p.translate(-r.center());
    p.setPen(QPen(outline, 2.0 / scale));
    p.setBrush(fill);
    p.drawPath(path);
    return pm;
}

QLabel *Picture(QWidget *parent, const char *name, const QPixmap &pm, int x)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setPixmap(pm);
    l->setAlignment(Qt::AlignCenter);
    l->setGeometry(x, 8, kPictureWidth, kPictureHeight);
    return l;
}

QPushButton *Button(QWidget *parent, const char *name, const QString &text)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->resize(75, 25);
    return b;
}

} // namespace

TFormHlaska::TFormHlaska(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("FormHlaska"));
    setModal(true);
    setFixedSize(kClientWidth, kClientHeight);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    setPalette(pal);
    setAutoFillBackground(true);

    const QPixmap question = Glyph(QLatin1Char('?'), QColor(0x00, 0xA0, 0x00), QColor(0x00, 0x40, 0x00));
    const QPixmap exclamation = Glyph(QLatin1Char('!'), QColor(0xE0, 0x00, 0x00), QColor(0x60, 0x00, 0x00));
    const int right = kClientWidth - 8 - kPictureWidth;
    m_imageOt1 = Picture(this, "ImageOt1", question, 8);
    m_imageOt2 = Picture(this, "ImageOt2", question, right);
    m_imageVyk1 = Picture(this, "ImageVyk1", exclamation, 8);
    m_imageVyk2 = Picture(this, "ImageVyk2", exclamation, right);

    m_labelCo = new QLabel(this);
    m_labelCo->setObjectName(QStringLiteral("LabelCo"));
    m_labelCo->setGeometry((kClientWidth - 297) / 2, 8, 297, 49);
    m_labelCo->setAlignment(Qt::AlignCenter);
    m_labelCo->setWordWrap(true);
    m_labelCo->setTextFormat(Qt::PlainText);

    // Tab order Ano, OK, Ne as the buttons are created.
    m_buttonAno = Button(this, "ButtonAno", QString::fromUtf8("&Ano"));
    m_buttonOk = Button(this, "ButtonOk", QString::fromUtf8("&OK"));
    m_buttonNe = Button(this, "ButtonNe", QString::fromUtf8("&Ne"));
    m_buttonAno->move(kClientWidth / 2 - 75 - 8, 66);
    m_buttonNe->move(kClientWidth / 2 + 8, 66);
    m_buttonOk->move((kClientWidth - 75) / 2, 66);
    connect(m_buttonAno, &QPushButton::clicked, this, [this] { done(kHlaskaAno); });
    connect(m_buttonOk, &QPushButton::clicked, this, [this] { done(kHlaskaOk); });
    connect(m_buttonNe, &QPushButton::clicked, this, [this] { done(kHlaskaNe); });

    Prepare(QString(), THlaskaKind::Informace);
}

QString TFormHlaska::Title(THlaskaKind kind)
{
    switch (kind) {
    case THlaskaKind::Otazka:
        return QString::fromUtf8("Otázka");
    case THlaskaKind::Vystraha:
        return QString::fromUtf8("Výstraha");
    case THlaskaKind::Chyba:
        return QString::fromUtf8("Chyba");
    case THlaskaKind::Informace:
        break;
    }
    return QString::fromUtf8("Informace");
}

void TFormHlaska::Prepare(const QString &text, THlaskaKind kind)
{
    m_kind = kind;
    const bool question = kind == THlaskaKind::Otazka;
    const bool alarm = kind == THlaskaKind::Vystraha || kind == THlaskaKind::Chyba;
    m_labelCo->setText(text);
    // A text longer than the box was made for (a path, a server's answer) makes it taller
    // rather than being cut off; short ones keep the box as it always was.
    const int needed = std::min(m_labelCo->heightForWidth(297), 480);
    const int extra = std::max(0, needed - 49);
    m_labelCo->setGeometry((kClientWidth - 297) / 2, 8, 297, 49 + extra);
    m_buttonAno->move(kClientWidth / 2 - 75 - 8, 66 + extra);
    m_buttonNe->move(kClientWidth / 2 + 8, 66 + extra);
    m_buttonOk->move((kClientWidth - 75) / 2, 66 + extra);
    setFixedSize(kClientWidth, kClientHeight + extra);
    setWindowTitle(Title(kind));
    m_buttonAno->setVisible(question);
    m_buttonNe->setVisible(question);
    m_buttonOk->setVisible(!question);
    m_imageOt1->setVisible(question);
    m_imageOt2->setVisible(question);
    m_imageVyk1->setVisible(alarm);
    m_imageVyk2->setVisible(alarm);
    m_buttonAno->setDefault(question);
    m_buttonOk->setDefault(!question);
    m_buttonNe->setDefault(false);
    (question ? m_buttonAno : m_buttonOk)->setFocus(Qt::OtherFocusReason);
}

int TFormHlaska::Hlaska(const QString &text, THlaskaKind kind)
{
    // Callers often report from inside work that shows the hourglass.
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
    Prepare(text, kind);
    return exec();
}

void TFormHlaska::reject()
{
    done(m_kind == THlaskaKind::Otazka ? kHlaskaNe : kHlaskaOk);
}

void TFormHlaska::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (QScreen *s = screen()) {
        QRect r = frameGeometry();
        r.moveCenter(s->availableGeometry().center());
        move(r.topLeft());
    }
    (m_kind == THlaskaKind::Otazka ? m_buttonAno : m_buttonOk)->setFocus(Qt::ActiveWindowFocusReason);
}
