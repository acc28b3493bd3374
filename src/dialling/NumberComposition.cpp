#include "dialling/NumberComposition.h"

#include "settings/Settings.h"

namespace {

// Digits and the two keys of a keypad; spaces, slashes, dashes, dots, brackets and
// the modem's commas go.
QString DialKeys(const QString &text)
{
    QString keys;
    for (const QChar c : text) {
        if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('*') || c == QLatin1Char('#'))
            keys.append(c);
    }
    return keys;
}

} // namespace

QString ComposeNumber(const TSettings &s, const QString &country, const QString &area, const QString &number)
{
    const QChar pause = QLatin1Char(',');
    if (country != s.Stat)
        return s.VolackaStat + country + pause + area + pause + number;
    if (area != s.Misto)
        return s.VolackaMisto + area + pause + number;
    return number;
}

TDialLabels ComposeLabels(const TSettings &s, const QString &country, const QString &area, const QString &number,
                          const QString &extension)
{
    TDialLabels l;
    l.TextC = QString::fromUtf8("Vytáčí se číslo");
    l.Cislo = ComposeNumber(s, country, area, number);
    if (!extension.isEmpty()) {
        l.TextL = QString::fromUtf8("Po připojení žádejte linku");
        l.Linka = extension;
    }
    return l;
}

QString ComposeTelUrl(const TSettings &s, const QString &country, const QString &area, const QString &number)
{
    const QString digits = DialKeys(number);
    if (digits.isEmpty())
        return {};
    const QString tel = QStringLiteral("tel:");
    if (number.trimmed().startsWith(QLatin1Char('+')))
        return tel + QLatin1Char('+') + digits;
    const bool own = country.isEmpty() || country == s.Stat;
    if (!own)
        return tel + QLatin1Char('+') + DialKeys(country) + DialKeys(area) + digits;
    const QString ownCountry = DialKeys(s.Stat);
    if (ownCountry.isEmpty()) {
        // Nothing to complete from: dial as at home.
        if (area == s.Misto)
            return tel + digits;
        return tel + DialKeys(s.VolackaMisto) + DialKeys(area) + digits;
    }
    return tel + QLatin1Char('+') + ownCountry + DialKeys(area) + digits;
}
