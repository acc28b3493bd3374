#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A page laid out in millimetres: blocks of text placed in boxes. Everything about a
// printed page is decided here, without a paint device; one painter turns it into ink on a
// printer or into a PDF, so both show the same.

struct TMmSize
{
    double Width = 210;
    double Height = 297;

    bool operator==(const TMmSize &) const = default;
};

struct TMmRect
{
    double X = 0;
    double Y = 0;
    double W = 0;
    double H = 0;

    bool Contains(const TMmRect &o, double slack = 0.01) const
    {
        return o.X >= X - slack && o.Y >= Y - slack && o.X + o.W <= X + W + slack && o.Y + o.H <= Y + H + slack;
    }
};

enum class TTextFont { Mono, Sans };
enum class TVerticalAlign { Top, Middle, Bottom };

struct TTextBlock
{
    TMmRect Box;
    QStringList Lines;
    // The wanted size; the painter makes it smaller until every line fits the box, so no
    // text is ever cut.
    double PointSize = 10;
    TTextFont Font = TTextFont::Sans;
    TVerticalAlign Align = TVerticalAlign::Top;
};

struct TPage
{
    QList<TTextBlock> Blocks;
};

// Pages made one at a time, so a long job never holds more than the page being printed.
class IPageSource
{
public:
    virtual ~IPageSource() = default;
    virtual TMmSize PageSize() const = 0;
    virtual int PageCount() const = 0;
    virtual TPage Page(int index) const = 0;
};

// What a fixed-width font measures per point of its size, in points: the advance of one
// character and the distance of two lines. The painter measures the real font; tests pass
// numbers.
struct TMonoMetrics
{
    double Advance = 0.6;
    double LineSpacing = 1.17;
};

constexpr double kMmPerPoint = 25.4 / 72;
