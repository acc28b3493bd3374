#pragma once

#include "printing/PageContent.h"

#include <QList>
#include <QString>

#include <optional>

// A sheet of address labels: a grid of equal labels on A4, in millimetres.
struct TLabelLayout
{
    int Columns = 3;
    int Rows = 8;
    double LabelWidth = 70;
    double LabelHeight = 37;
    bool Centred = true; // the grid in the middle of the sheet; else at Left, Top
    double Left = 0;
    double Top = 0;
    double GapX = 0;
    double GapY = 0;
    TMmSize Sheet;

    int PerSheet() const { return Columns * Rows; }
    double GridWidth() const { return Columns * LabelWidth + (Columns - 1) * GapX; }
    double GridHeight() const { return Rows * LabelHeight + (Rows - 1) * GapY; }
    double GridLeft() const { return Centred ? (Sheet.Width - GridWidth()) / 2 : Left; }
    double GridTop() const { return Centred ? (Sheet.Height - GridHeight()) / 2 : Top; }
    // Cell `index` (0-based) of a sheet, filled row by row, left to right.
    TMmRect Cell(int index) const;
    // Empty when the layout is usable; else why not, in Czech.
    QString Problem() const;
    // "70x37:3x8", with "@LEFTxTOP" and "+GAPXxGAPY" where they are not the defaults.
    QString Text() const;

    bool operator==(const TLabelLayout &) const = default;
};

struct TReadyLabelLayout
{
    const char *Key; // "3x8"
    TLabelLayout Layout;
};
// The common A4 sheets.
const QList<TReadyLabelLayout> &ReadyLabelLayouts();

// "3x8", "3x7", "2x8", "2x7" or "WxH:COLSxROWS[@LEFTxTOP][+GAPXxGAPY]"; empty with a
// Czech message in `problem` when the text is no usable layout.
std::optional<TLabelLayout> ParseLabelLayout(const QString &text, QString *problem = nullptr);
