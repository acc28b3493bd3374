#include "interop/Mapping.h"

#include "util/Cp1250.h"

#include <QCryptographicHash>
#include <QRegularExpression>

namespace Mapping {

QString Text(TRecordView r, EField f)
{
    return FromCp1250(r.TextView(f)).trimmed();
}

unsigned CaptionKinds(const QString &caption)
{
    // Compared without diacritics and case: "Zaměstnání", "zamestnani", "PRÁCE".
    QString c = caption.normalized(QString::NormalizationForm_D).toLower();
    c.removeIf([](QChar ch) { return ch.category() == QChar::Mark_NonSpacing; });
    const auto any = [&c](std::initializer_list<const char *> words) {
        for (const char *w : words)
            if (c.contains(QLatin1String(w)))
                return true;
        return false;
    };
    unsigned kinds = 0;
    if (any({"domu", "doma", "domov", "byt", "soukrom", "home", "privat"}))
        kinds |= Home;
    if (any({"prace", "zamestn", "kancelar", "firm", "sluzeb", "urad", "work", "office"}))
        kinds |= Work;
    if (any({"mobil", "cell", "gsm", "handy", "iphone"}))
        kinds |= Cell;
    if (any({"fax"}))
        kinds |= Fax;
    return kinds;
}

namespace {

QString Digits(QStringView s)
{
    QString d;
    for (QChar c : s)
        if (c.isDigit())
            d.append(c);
    return d;
}

// Whether "ext" stands anywhere in the text in any case (no other letter folds to these).
bool HasExt(QStringView t)
{
    const auto lower = [](QChar c) { return c.unicode() | 0x20; };
    for (qsizetype i = 0; i + 2 < t.size(); ++i)
        if (lower(t[i]) == 'e' && lower(t[i + 1]) == 'x' && lower(t[i + 2]) == 't')
            return true;
    return false;
}

bool HasDigit(QStringView s)
{
    for (QChar c : s)
        if (c.isDigit())
            return true;
    return false;
}

// Whether simplified() would leave the text as it is: no white space at either end, and
// inside only single plain spaces.
bool Simple(QStringView t)
{
    for (qsizetype i = 0; i < t.size(); ++i)
        if (t[i].isSpace() && (t[i] != QLatin1Char(' ') || i == 0 || i + 1 == t.size() || t[i - 1] == QLatin1Char(' ')))
            return false;
    return true;
}

} // namespace

bool HasInternationalPrefix(const QString &number)
{
    const QString n = number.trimmed();
    return n.startsWith(QLatin1Char('+')) || (n.startsWith(QLatin1String("00")) && n.size() > 2);
}

QString InternationalNumber(const QString &country, const QString &area, const QString &number,
                            const QString &ownCountry, const QString &ownArea)
{
    const QString n = number.simplified();
    if (n.isEmpty())
        return {};
    if (n.startsWith(QLatin1Char('+')))
        return n;
    // "00421 905 123 456" already holds its country: the international prefix becomes "+".
    if (HasInternationalPrefix(n)) {
        qsizetype i = 2;
        while (i < n.size() && !n.at(i).isDigit())
            ++i;
        return QLatin1Char('+') + n.mid(i);
    }
    const QString groupCountry = Digits(country);
    const QString c = groupCountry.isEmpty() ? Digits(ownCountry) : groupCountry;
    // An empty area code stays empty: numbers here have carried no area code since 2002,
    // and an old own area code put before a mobile number would make it a wrong one.
    Q_UNUSED(ownArea);
    const QString a = Digits(area);
    QString out;
    if (!c.isEmpty())
        out = QLatin1Char('+') + c + QLatin1Char(' ');
    if (!a.isEmpty())
        out += a + QLatin1Char(' ');
    return out + n;
}

TNumberParts SplitNumber(const QString &text, const QString *codes)
{
    TNumberParts p;
    // Most numbers are simple already: then the text is shared, not made again.
    QString t = Simple(text) ? text : text.simplified();
    if (t.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
        t = t.mid(4);
    static const QRegularExpression ext(QStringLiteral("(?:\\s*;\\s*ext=|\\s+ext\\.\\s*)(.+)$"),
                                        QRegularExpression::CaseInsensitiveOption);
    // The expression only where its word is: most numbers have none.
    if (HasExt(t)) {
        const QRegularExpressionMatch m = ext.match(t);
        if (m.hasMatch()) {
            p.Extension = m.captured(1);
            t.truncate(m.capturedStart());
        }
    }
    if (codes) {
        // "country,area" and what follows a second comma.
        const QStringView all(*codes);
        const qsizetype comma = all.indexOf(QLatin1Char(','));
        const QStringView country = comma < 0 ? all : all.first(comma);
        const QStringView afterCountry = comma < 0 ? QStringView() : all.sliced(comma + 1);
        const qsizetype comma2 = afterCountry.indexOf(QLatin1Char(','));
        const QStringView area = comma2 < 0 ? afterCountry : afterCountry.first(comma2);
        const QStringView rest = comma2 < 0 ? QStringView() : afterCountry.sliced(comma2 + 1);
        if (rest == QLatin1String("+")) {
            p.Country = country.toString();
            p.Area = area.toString();
            p.Number = t;
            return p;
        }
        // The number's words, one space between them.
        QStringView tokens(t);
        qsizetype count = t.count(QLatin1Char(' ')) + 1;
        const auto dropFirst = [&] {
            const qsizetype space = tokens.indexOf(QLatin1Char(' '));
            tokens = space < 0 ? QStringView() : tokens.sliced(space + 1);
            --count;
        };
        bool ok = true;
        if (t.startsWith(QLatin1Char('+')))
            dropFirst();
        else if (HasDigit(country))
            ok = false;
        const QString areaDigits = Digits(area);
        if (ok && !areaDigits.isEmpty()) {
            const qsizetype space = tokens.indexOf(QLatin1Char(' '));
            ok = count > 0 && (space < 0 ? tokens : tokens.first(space)) == areaDigits;
            if (ok)
                dropFirst();
        }
        if (ok && count > 0) {
            p.Country = country.toString();
            p.Area = area.toString();
            p.Number = tokens.toString();
            return p;
        }
    }
    static const QRegularExpression international(QStringLiteral("^\\+(\\d{1,5})[ -](.+)$"));
    const QRegularExpressionMatch o = t.startsWith(QLatin1Char('+')) ? international.match(t) : QRegularExpressionMatch();
    if (o.hasMatch()) {
        p.Country = o.captured(1);
        p.Number = o.captured(2);
    } else {
        p.Number = t;
    }
    return p;
}

TDayOfYear ParseDay(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^\\s*(\\d{1,2})\\.\\s*(\\d{1,2})\\.?\\s*(\\d{4})?\\s*$"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return {};
    TDayOfYear d;
    d.Day = m.captured(1).toInt();
    d.Month = m.captured(2).toInt();
    d.Year = m.captured(3).isEmpty() ? 0 : m.captured(3).toInt();
    // 29 February stands for a day of every leap year.
    if (!QDate(d.HasYear() ? d.Year : 2000, d.Month, d.Day).isValid())
        return {};
    return d;
}

namespace {

// "\s" of ParseDay's expression: without Unicode properties, ASCII white space alone
// (a no-break space is no separator there).
bool IsDaySpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool IsDayDigit(char c) { return c >= '0' && c <= '9'; }

bool ValidDay(int year, int month, int day)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1)
        return false;
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    return day <= (month == 2 && leap ? 29 : kDays[month - 1]);
}

// The tail after the month's digits: an optional dot, spaces, four digits of a year or
// none, spaces, the end. -1 when it does not fit; the year otherwise (0 without one).
int YearTail(QByteArrayView t, qsizetype i)
{
    if (i < t.size() && t[i] == '.')
        ++i;
    while (i < t.size() && IsDaySpace(t[i]))
        ++i;
    int year = 0;
    if (i + 4 <= t.size() && IsDayDigit(t[i]) && IsDayDigit(t[i + 1]) && IsDayDigit(t[i + 2]) && IsDayDigit(t[i + 3])) {
        year = (t[i] - '0') * 1000 + (t[i + 1] - '0') * 100 + (t[i + 2] - '0') * 10 + (t[i + 3] - '0');
        i += 4;
    }
    while (i < t.size() && IsDaySpace(t[i]))
        ++i;
    return i == t.size() ? year : -1;
}

} // namespace

TDayOfYear ParseDayCp1250(QByteArrayView t)
{
    // By hand what ParseDay's expression matches: "d.m.yyyy" with one or two digits for
    // day and month, spaces allowed around the parts.
    qsizetype i = 0;
    while (i < t.size() && IsDaySpace(t[i]))
        ++i;
    if (i >= t.size() || !IsDayDigit(t[i]))
        return {};
    int day = t[i++] - '0';
    if (i < t.size() && IsDayDigit(t[i]))
        day = day * 10 + (t[i++] - '0');
    if (i >= t.size() || t[i] != '.')
        return {};
    ++i;
    while (i < t.size() && IsDaySpace(t[i]))
        ++i;
    if (i >= t.size() || !IsDayDigit(t[i]))
        return {};
    TDayOfYear d;
    d.Day = day;
    // Two digits of a month first; one when only that leaves a year that fits.
    int year = -1;
    if (i + 1 < t.size() && IsDayDigit(t[i + 1])) {
        year = YearTail(t, i + 2);
        d.Month = (t[i] - '0') * 10 + (t[i + 1] - '0');
    }
    if (year < 0) {
        year = YearTail(t, i + 1);
        d.Month = t[i] - '0';
    }
    if (year < 0)
        return {};
    d.Year = year;
    if (!ValidDay(d.HasYear() ? d.Year : 2000, d.Month, d.Day))
        return {};
    return d;
}

QByteArray EntryId(TRecordView r)
{
    QByteArray id;
    QCryptographicHash hash(QCryptographicHash::Sha1);
    AppendEntryId(id, r, hash);
    return id;
}

void AppendEntryId(QByteArray &out, TRecordView r, QCryptographicHash &hash)
{
    TByteAppender a(out);
    AppendEntryId(a, r, hash);
}

void AppendEntryId(TByteAppender &out, TRecordView r, QCryptographicHash &hash)
{
    static constexpr char kHex[] = "0123456789abcdef";
    hash.reset();
    hash.addData(r.NameView());
    const QByteArrayView digest = hash.resultView().first(12);
    char id[24];
    for (qsizetype i = 0; i < digest.size(); ++i) {
        id[2 * i] = kHex[static_cast<unsigned char>(digest[i]) >> 4];
        id[2 * i + 1] = kHex[static_cast<unsigned char>(digest[i]) & 15];
    }
    out.Append(id, sizeof id);
}

QStringList FlagNames(TRecordView r, const std::array<QByteArray, 10> &captions)
{
    QStringList names;
    for (int i = 1; i <= 10; ++i) {
        const QString c = FromCp1250(captions[size_t(i - 1)]).trimmed();
        if (r.Flag(i) && !c.isEmpty())
            names.append(c);
    }
    return names;
}

bool IsCompany(TRecordView r, const std::array<QByteArray, 10> &captions)
{
    if (r.TextView(EField::Jmeno).trimmed().isEmpty() && r.TextView(EField::Prijmeni).trimmed().isEmpty())
        return !r.NameView().trimmed().isEmpty();
    for (int i = 1; i <= 10; ++i)
        if (r.Flag(i) && FromCp1250(captions[size_t(i - 1)]).trimmed().compare(QLatin1String("Firma"), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace Mapping
