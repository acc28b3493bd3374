#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QString>

// Rules of the date fields of an entry: birthday (DD.MM.YYYY), name day (DD.MM.)
// and birth number (YYMMDD/XXXX). Pure functions; the editor applies the results.

struct TNormalizeResult
{
    QByteArray Text; // the worked text
    bool Changed = false;
    bool Invalid = false;

    // What the field holds afterwards.
    QByteArray FieldValue(QByteArrayView original) const
    {
        if (Invalid)
            return QByteArray();
        return Changed ? Text : original.toByteArray();
    }
};

// Puts a typed date into form (5.3.1961 -> 05.03.1961, 1.1.70 -> 01.01.1970). A day and
// month without a year (15.4. -> 15.04.) is a birthday whose year is not known.
// Empty input is neither changed nor invalid.
TNormalizeResult NormalizeBirthday(QByteArrayView text);
// Same for the name day (19.3 -> 19.03.), without the year.
TNormalizeResult NormalizeNameDay(QByteArrayView text);

struct TBirthNumberResult
{
    QByteArray Text; // the text with the separator corrected
    bool Changed = false;
    bool Valid = true;
    // DD.MM.YYYY read from the first six digits, checked or not; empty when the
    // text does not start with six digits.
    QByteArray DerivedBirthday;
};

// Empty input is valid and derives nothing. A number whose birthday lies after `today`
// is invalid and derives nothing.
TBirthNumberResult CheckBirthNumber(QByteArrayView text, const QDate &today);

// "N let   (D dní)" for a birthday DD.MM.YYYY seen on the given day; empty when the
// birthday is empty or not a real date.
QString AgeText(QByteArrayView narozeniny, const QDate &today);

// The date a DD.MM.YYYY text names, or an invalid QDate.
QDate ParseBirthday(QByteArrayView narozeniny);
