#include "session/ui/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

QPixmap Paint(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 32.0;
    // A closed address book: a dark spine, a blue cover and an index tab.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x4e, 0x8c));
    p.drawRoundedRect(QRectF(5 * s, 2 * s, 22 * s, 28 * s), 2.5 * s, 2.5 * s);
    p.setBrush(QColor(0x2f, 0x7a, 0xd6));
    p.drawRoundedRect(QRectF(8 * s, 2 * s, 19 * s, 28 * s), 2.5 * s, 2.5 * s);
    p.setBrush(QColor(0xf2, 0xb1, 0x34));
    p.drawRect(QRectF(25 * s, 7 * s, 4 * s, 6 * s));
    // The letter on the cover.
    QPainterPath v;
    v.moveTo(11.5 * s, 9 * s);
    v.lineTo(17.5 * s, 24 * s);
    v.lineTo(23.5 * s, 9 * s);
    QPen pen(Qt::white, 3 * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.strokePath(v, pen);
    return pm;
}

} // namespace

QIcon AppIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(Paint(size));
    return icon;
}
