#include "book/DateFields.h"

#include <limits>
#include <utility>

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Positions count from 1; one past the end reads as a non-digit.
bool DigitAt(const QByteArray &text, qsizetype position)
{
    return position >= 1 && position <= text.size() && IsDigit(text.at(position - 1));
}

QByteArrayView Positions(const QByteArray &text, qsizetype from, qsizetype to)
{
    const qsizetype start = from - 1;
    if (start >= text.size())
        return {};
    return QByteArrayView(text).sliced(start, qMin(to - from + 1, text.size() - start));
}

bool AllDigits(QByteArrayView text)
{
    for (char c : text) {
        if (!IsDigit(c))
            return false;
    }
    return true;
}

// A text that reads completely as a decimal number within [low, high].
bool WholeNumberIn(QByteArrayView text, qint64 low, qint64 high, qint64 *value = nullptr)
{
    if (text.isEmpty() || text.size() > 18 || !AllDigits(text))
        return false;
    qint64 n = 0;
    for (char c : text)
        n = n * 10 + (c - '0');
    if (value)
        *value = n;
    return n >= low && n <= high;
}

// Puts a separator at a position: replaced inside the text, appended just past its
// end, not written further out.
void PutSeparator(QByteArray &text, qsizetype position, char separator, bool &changed)
{
    if (position <= text.size()) {
        if (text.at(position - 1) == separator)
            return;
        text[position - 1] = separator;
    } else if (position == text.size() + 1) {
        text.append(separator);
    } else {
        return;
    }
    changed = true;
}

TNormalizeResult NormalizeDate(QByteArrayView input, bool withYear)
{
    TNormalizeResult r;
    r.Text = input.toByteArray();
    if (r.Text.isEmpty())
        return r;
    QByteArray &t = r.Text;

    if (!DigitAt(t, 1))
        r.Invalid = true;
    if (!DigitAt(t, 2)) {
        t.prepend('0');
        r.Changed = true;
    }
    if (DigitAt(t, 3))
        r.Invalid = true;
    else
        PutSeparator(t, 3, '.', r.Changed);
    if (!DigitAt(t, 4))
        r.Invalid = true;
    if (!DigitAt(t, 5)) {
        t = t.left(3) + ('0' + t.mid(3)).left(8);
        r.Changed = true;
    }
    if (DigitAt(t, 6))
        r.Invalid = true;
    else
        PutSeparator(t, 6, '.', r.Changed);
    // A birthday may be known without its year ("15.04.", as phones write it): kept as it is.
    if (withYear && t.size() != 6) {
        // A two-digit year always means the 1900s.
        if (t.size() == 8) {
            t.insert(6, "19");
            r.Changed = true;
        }
        if (!WholeNumberIn(Positions(t, 7, 10), 1900, 2099))
            r.Invalid = true;
    }
    if (!WholeNumberIn(Positions(t, 4, 5), 1, 12))
        r.Invalid = true;
    if (!WholeNumberIn(Positions(t, 1, 2), 1, 31))
        r.Invalid = true;
    return r;
}

int TwoDigits(const QByteArray &text, qsizetype position)
{
    return (text.at(position - 1) - '0') * 10 + (text.at(position) - '0');
}

// Women have 50 added to the month, and numbers issued since 2004 may have 20 more.
bool IsMonthCode(int code)
{
    const int month = code % 50;
    return (month >= 1 && month <= 12) || (month >= 21 && month <= 32);
}

int MonthOfCode(int code)
{
    return code % 50 % 20;
}

// Nine-digit numbers were issued until 1953; ten-digit ones since 1954, so a
// ten-digit number with a year below 54 belongs to the 2000s.
int BirthYear(int yy, bool nineDigits)
{
    return (nineDigits || yy >= 54) ? 1900 + yy : 2000 + yy;
}

} // namespace

TNormalizeResult NormalizeBirthday(QByteArrayView text)
{
    return NormalizeDate(text, true);
}

TNormalizeResult NormalizeNameDay(QByteArrayView text)
{
    return NormalizeDate(text, false);
}

TBirthNumberResult CheckBirthNumber(QByteArrayView input, const QDate &today)
{
    TBirthNumberResult r;
    r.Text = input.toByteArray();
    if (r.Text.isEmpty())
        return r;
    QByteArray &t = r.Text;
    bool invalid = false;

    const bool sixDigits = t.size() >= 6 && AllDigits(QByteArrayView(t).first(6));
    if (!sixDigits || !WholeNumberIn(QByteArrayView(t).first(6), 101, 998231) || !IsMonthCode(TwoDigits(t, 3))
        || !WholeNumberIn(Positions(t, 5, 6), 1, 31))
        invalid = true;

    if (DigitAt(t, 7))
        invalid = true;
    else
        PutSeparator(t, 7, '/', r.Changed);

    if (t.size() == 10) {
        if (!WholeNumberIn(Positions(t, 8, 10), 0, 999))
            invalid = true;
    } else if (t.size() == 11) {
        if (!WholeNumberIn(Positions(t, 8, 11), 0, 9999))
            invalid = true;
    } else {
        invalid = true;
    }

    if (!invalid) {
        const QByteArray digits = t.left(6) + t.mid(7);
        const int yy = TwoDigits(t, 1);
        qint64 number = 0;
        if (!WholeNumberIn(digits, 0, std::numeric_limits<qint64>::max() / 10, &number)) {
            invalid = true;
        } else if (digits.size() == 9) {
            // Nine digits were issued only before 1954, without a check digit; a later
            // year means a ten-digit number with a digit missing.
            invalid = yy >= 54;
        } else {
            const int year = BirthYear(yy, false);
            // Until 1985 a remainder of 10 was written as check digit 0.
            const bool oldRemainder
                = year >= 1954 && year <= 1985 && number / 10 % 11 == 10 && number % 10 == 0;
            invalid = number % 11 != 0 && !oldRemainder;
        }
    }
    r.Valid = !invalid;

    if (sixDigits) {
        qsizetype digitCount = 0;
        for (char c : std::as_const(t))
            digitCount += IsDigit(c) ? 1 : 0;
        const int code = TwoDigits(t, 3);
        const QByteArray month
            = IsMonthCode(code) ? QByteArray::number(MonthOfCode(code)).rightJustified(2, '0') : t.mid(2, 2);
        const int year = BirthYear(TwoDigits(t, 1), digitCount == 9);
        r.DerivedBirthday = t.mid(4, 2) + '.' + month + '.' + QByteArray::number(year);
        // Nobody is born in the future: such a number is wrong and names no birthday.
        QDate born(year, month.toInt(), TwoDigits(t, 5));
        if (!born.isValid())
            born = QDate(year, month.toInt(), 1);
        if (born.isValid() && born > today) {
            r.Valid = false;
            r.DerivedBirthday.clear();
        }
    }
    return r;
}

QDate ParseBirthday(QByteArrayView narozeniny)
{
    const QByteArray t = narozeniny.toByteArray();
    qint64 day = 0, month = 0, year = 0;
    if (!WholeNumberIn(Positions(t, 1, 2), 0, 99, &day) || !WholeNumberIn(Positions(t, 4, 5), 0, 99, &month)
        || !WholeNumberIn(Positions(t, 7, 10), 0, 9999, &year))
        return {};
    return QDate(int(year), int(month), int(day));
}

QString AgeText(QByteArrayView narozeniny, const QDate &today)
{
    const QDate birth = ParseBirthday(narozeniny);
    if (!birth.isValid() || !today.isValid())
        return {};
    int years = today.year() - birth.year() - 1;
    if (today.month() > birth.month() || (today.month() == birth.month() && today.day() >= birth.day()))
        ++years;
    // The day of birth counts as the first day.
    const qint64 days = birth.daysTo(today) + 1;
    return QStringLiteral("%1 let   (%2 dní)").arg(years).arg(days);
}
