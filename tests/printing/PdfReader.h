#pragma once

// PDF files read back by poppler's tools, as a person's viewer would see them: the words
// with their boxes, the pages' sizes, the text, a page as an image.
#include <QFile>
#include <QRect>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>

namespace PdfReader {

constexpr double kPtPerMm = 72 / 25.4;

struct TRun
{
    int Status = -1;
    QByteArray Out;
    QByteArray Err;
};

inline TRun Run(const QString &program, const QStringList &args, int timeoutMs = 120000)
{
    QProcess p;
    p.start(program, args);
    TRun run;
    if (!p.waitForFinished(timeoutMs) || p.exitStatus() != QProcess::NormalExit) {
        p.kill();
        p.waitForFinished();
        return run;
    }
    run.Status = p.exitCode();
    run.Out = p.readAllStandardOutput();
    run.Err = p.readAllStandardError();
    return run;
}

// Empty when poppler's tools are all there; else what is missing.
inline QString MissingTools()
{
    for (const char *tool : {"pdftotext", "pdfinfo", "pdftoppm"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            return QStringLiteral("%1 is missing (poppler-utils)").arg(QLatin1String(tool));
    }
    return {};
}

// A word and its box in points from the page's top left corner.
struct TWord
{
    QString Text;
    double X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;
    double CentreX() const { return (X0 + X1) / 2; }
    double CentreY() const { return (Y0 + Y1) / 2; }
};

struct TPdfPage
{
    double Width = 0; // points
    double Height = 0;
    QList<TWord> Words;
};

inline QList<TPdfPage> Words(const QString &pdf)
{
    QList<TPdfPage> pages;
    const TRun run = Run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    if (run.Status != 0)
        return pages;
    QXmlStreamReader xml(run.Out);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        auto number = [&](const char *name) { return a.value(QLatin1String(name)).toDouble(); };
        if (xml.name() == QLatin1String("page")) {
            pages.append({number("width"), number("height"), {}});
        } else if (xml.name() == QLatin1String("word") && !pages.isEmpty()) {
            TWord w {QString(), number("xMin"), number("yMin"), number("xMax"), number("yMax")};
            // The painter's ligatures (fi, fl) read back as the letters they join.
            w.Text = xml.readElementText().normalized(QString::NormalizationForm_KC);
            pages.last().Words.append(w);
        }
    }
    return pages;
}

// Words grouped into lines from top to bottom, each line's words left to right, joined by
// single spaces.
inline QStringList Lines(QList<TWord> words)
{
    std::sort(words.begin(), words.end(), [](const TWord &a, const TWord &b) {
        return std::abs(a.CentreY() - b.CentreY()) > 1 ? a.CentreY() < b.CentreY() : a.X0 < b.X0;
    });
    QStringList lines;
    double lineY = -1000;
    for (const TWord &w : words) {
        if (std::abs(w.CentreY() - lineY) > 1) {
            lines.append(w.Text);
            lineY = w.CentreY();
        } else {
            lines.last() += QLatin1Char(' ') + w.Text;
        }
    }
    return lines;
}

// "Pages:" and the size of the first page, in points.
struct TInfo
{
    int Pages = 0;
    double Width = 0;
    double Height = 0;
};

inline TInfo Info(const QString &pdf)
{
    TInfo info;
    const TRun run = Run(QStringLiteral("pdfinfo"), {pdf});
    for (const QByteArray &line : run.Out.split('\n')) {
        if (line.startsWith("Pages:"))
            info.Pages = line.mid(6).trimmed().toInt();
        if (line.startsWith("Page size:")) {
            const QList<QByteArray> parts = line.mid(10).simplified().split(' ');
            info.Width = parts.value(0).toDouble();
            info.Height = parts.value(2).toDouble();
        }
    }
    return info;
}

// The text of one page (1-based) as laid out.
inline QString LayoutText(const QString &pdf, int page)
{
    const QString n = QString::number(page);
    const TRun run = Run(QStringLiteral("pdftotext"),
                         {QStringLiteral("-layout"), QStringLiteral("-f"), n, QStringLiteral("-l"), n, pdf, QStringLiteral("-")});
    return QString::fromUtf8(run.Out);
}

// A grey image: width, height, one byte a pixel.
struct TGrey
{
    int Width = 0;
    int Height = 0;
    QByteArray Pixels;
};

inline TGrey ReadPgm(const QByteArray &bytes)
{
    // "P5\n<w> <h>\n255\n" then the pixels.
    TGrey g;
    QList<QByteArray> fields;
    qsizetype i = 0;
    while (fields.size() < 4 && i < bytes.size()) {
        while (i < bytes.size() && QChar::isSpace(uchar(bytes[i])))
            ++i;
        const qsizetype start = i;
        while (i < bytes.size() && !QChar::isSpace(uchar(bytes[i])))
            ++i;
        fields.append(bytes.mid(start, i - start));
    }
    if (fields.size() < 4 || fields[0] != "P5" || fields[3] != "255")
        return g;
    g.Width = fields[1].toInt();
    g.Height = fields[2].toInt();
    g.Pixels = bytes.mid(i + 1);
    if (g.Pixels.size() != qsizetype(g.Width) * g.Height)
        return {};
    return g;
}

inline QByteArray RenderPage(const QString &pdf, const QString &prefix, int dpi, int page)
{
    const QString n = QString::number(page);
    const TRun run = Run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-gray"),
                                                      QStringLiteral("-f"), n, QStringLiteral("-l"), n,
                                                      QStringLiteral("-singlefile"), pdf, prefix});
    QFile f(prefix + QStringLiteral(".pgm"));
    return run.Status == 0 && f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline QByteArray RenderFirstPage(const QString &pdf, const QString &prefix, int dpi)
{
    return RenderPage(pdf, prefix, dpi, 1);
}

// The smallest rectangle holding every dark pixel: left, top, right, bottom.
inline QRect Ink(const TGrey &g)
{
    QRect r;
    for (int y = 0; y < g.Height; ++y)
        for (int x = 0; x < g.Width; ++x)
            if (uchar(g.Pixels[qsizetype(y) * g.Width + x]) < 128)
                r |= QRect(x, y, 1, 1);
    return r;
}

} // namespace PdfReader
