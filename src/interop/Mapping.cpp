#include "interop/Mapping.h"

#include "util/Cp1250.h"

#include <QCryptographicHash>
#include <QRegularExpression>

namespace Mapping {

QString Text(const TContactRecord &r, EField f)
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

QString Digits(const QString &s)
{
    QString d;
    for (QChar c : s)
        if (c.isDigit())
            d.append(c);
    return d;
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
    QString t = text.simplified();
    if (t.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
        t = t.mid(4);
    static const QRegularExpression ext(QStringLiteral("(?:\\s*;\\s*ext=|\\s+ext\\.\\s*)(.+)$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = ext.match(t);
    if (m.hasMatch()) {
        p.Extension = m.captured(1);
        t.truncate(m.capturedStart());
    }
    if (codes) {
        const QString country = codes->section(QLatin1Char(','), 0, 0);
        const QString area = codes->section(QLatin1Char(','), 1, 1);
        if (codes->section(QLatin1Char(','), 2) == QLatin1String("+")) {
            p.Country = country;
            p.Area = area;
            p.Number = t;
            return p;
        }
        QStringList tokens = t.split(QLatin1Char(' '));
        bool ok = true;
        if (t.startsWith(QLatin1Char('+')))
            tokens.removeFirst();
        else if (!Digits(country).isEmpty())
            ok = false;
        if (ok && !Digits(area).isEmpty()) {
            ok = !tokens.isEmpty() && tokens.constFirst() == Digits(area);
            if (ok)
                tokens.removeFirst();
        }
        if (ok && !tokens.isEmpty()) {
            p.Country = country;
            p.Area = area;
            p.Number = tokens.join(QLatin1Char(' '));
            return p;
        }
    }
    static const QRegularExpression international(QStringLiteral("^\\+(\\d{1,5})[ -](.+)$"));
    const QRegularExpressionMatch o = international.match(t);
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

QByteArray EntryId(const TContactRecord &r)
{
    return QCryptographicHash::hash(r.NameView(), QCryptographicHash::Sha1).toHex().left(24);
}

QStringList FlagNames(const TContactRecord &r, const std::array<QByteArray, 10> &captions)
{
    QStringList names;
    for (int i = 1; i <= 10; ++i) {
        const QString c = FromCp1250(captions[size_t(i - 1)]).trimmed();
        if (r.Flag(i) && !c.isEmpty())
            names.append(c);
    }
    return names;
}

bool IsCompany(const TContactRecord &r, const std::array<QByteArray, 10> &captions)
{
    if (r.TextView(EField::Jmeno).trimmed().isEmpty() && r.TextView(EField::Prijmeni).trimmed().isEmpty())
        return !r.NameView().trimmed().isEmpty();
    for (int i = 1; i <= 10; ++i)
        if (r.Flag(i) && FromCp1250(captions[size_t(i - 1)]).trimmed().compare(QLatin1String("Firma"), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace Mapping
