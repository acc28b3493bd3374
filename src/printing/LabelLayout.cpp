#include "printing/LabelLayout.h"

#include <QRegularExpression>

namespace {

constexpr double kEpsilon = 0.001;

TLabelLayout Grid(int columns, int rows, double width, double height)
{
    TLabelLayout l;
    l.Columns = columns;
    l.Rows = rows;
    l.LabelWidth = width;
    l.LabelHeight = height;
    return l;
}

QString Number(double v)
{
    return QString::number(v, 'g', 10);
}

} // namespace

const QList<TReadyLabelLayout> &ReadyLabelLayouts()
{
    static const QList<TReadyLabelLayout> layouts {
        {"3x8", Grid(3, 8, 70, 37)},
        {"3x7", Grid(3, 7, 70, 42.3)},
        {"2x8", Grid(2, 8, 105, 37)},
        {"2x7", Grid(2, 7, 105, 42.4)},
    };
    return layouts;
}

TMmRect TLabelLayout::Cell(int index) const
{
    const int column = index % Columns;
    const int row = (index / Columns) % Rows;
    return {GridLeft() + column * (LabelWidth + GapX), GridTop() + row * (LabelHeight + GapY), LabelWidth, LabelHeight};
}

QString TLabelLayout::Problem() const
{
    if (Columns < 1 || Rows < 1 || Columns > 20 || Rows > 50)
        return QString::fromUtf8("Počet sloupců musí být 1 až 20 a počet řádků 1 až 50.");
    if (!(LabelWidth > 0) || !(LabelHeight > 0))
        return QString::fromUtf8("Štítek musí mít kladnou šířku i výšku.");
    if (!(GapX >= 0) || !(GapY >= 0) || (!Centred && (!(Left >= 0) || !(Top >= 0))))
        return QString::fromUtf8("Okraje a mezery nesmějí být záporné.");
    const double right = GridLeft() + GridWidth();
    const double bottom = GridTop() + GridHeight();
    if (GridWidth() > Sheet.Width + kEpsilon || GridHeight() > Sheet.Height + kEpsilon || right > Sheet.Width + kEpsilon
        || bottom > Sheet.Height + kEpsilon)
        return QString::fromUtf8("Štítky se na list A4 (210 × 297 mm) nevejdou.");
    return {};
}

QString TLabelLayout::Text() const
{
    QString t = Number(LabelWidth) + QLatin1Char('x') + Number(LabelHeight) + QLatin1Char(':') + QString::number(Columns)
                + QLatin1Char('x') + QString::number(Rows);
    if (!Centred)
        t += QLatin1Char('@') + Number(Left) + QLatin1Char('x') + Number(Top);
    if (GapX != 0 || GapY != 0)
        t += QLatin1Char('+') + Number(GapX) + QLatin1Char('x') + Number(GapY);
    return t;
}

std::optional<TLabelLayout> ParseLabelLayout(const QString &text, QString *problem)
{
    for (const TReadyLabelLayout &ready : ReadyLabelLayouts()) {
        if (text == QLatin1String(ready.Key))
            return ready.Layout;
    }
    static const QRegularExpression form(QStringLiteral(
        R"(^(\d{1,3}(?:\.\d+)?)x(\d{1,3}(?:\.\d+)?):(\d{1,2})x(\d{1,2}))"
        R"((?:@(\d{1,3}(?:\.\d+)?)x(\d{1,3}(?:\.\d+)?))?(?:\+(\d{1,3}(?:\.\d+)?)x(\d{1,3}(?:\.\d+)?))?$)"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch()) {
        if (problem)
            *problem = QString::fromUtf8("Neplatné rozvržení štítků: %1 (3x8, 3x7, 2x8, 2x7 nebo "
                                         "ŠÍŘKAxVÝŠKA:SLOUPCExŘÁDKY[@VLEVOxNAHOŘE][+MEZERAxMEZERA] v milimetrech)")
                           .arg(text);
        return std::nullopt;
    }
    TLabelLayout l;
    l.LabelWidth = m.captured(1).toDouble();
    l.LabelHeight = m.captured(2).toDouble();
    l.Columns = m.captured(3).toInt();
    l.Rows = m.captured(4).toInt();
    if (m.hasCaptured(5)) {
        l.Centred = false;
        l.Left = m.captured(5).toDouble();
        l.Top = m.captured(6).toDouble();
    }
    if (m.hasCaptured(7)) {
        l.GapX = m.captured(7).toDouble();
        l.GapY = m.captured(8).toDouble();
    }
    if (const QString p = l.Problem(); !p.isEmpty()) {
        if (problem)
            *problem = p;
        return std::nullopt;
    }
    return l;
}
