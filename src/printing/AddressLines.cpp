#include "printing/AddressLines.h"

#include "book/ContactRecord.h"
#include "util/Cp1250.h"

#include <algorithm>

QString FormatPsc(const QString &stored)
{
    QString digits = stored;
    digits.remove(QLatin1Char(' '));
    if (digits.size() == 5 && std::all_of(digits.cbegin(), digits.cend(), [](QChar c) { return c.isDigit() && c.unicode() < 0x80; }))
        return digits.left(3) + QLatin1Char(' ') + digits.mid(3);
    return stored.trimmed();
}

bool IsOwnCountry(const QString &country)
{
    QString key = country.toLower();
    key.remove(QLatin1Char(' '));
    return key == QString::fromUtf8("českárepublika") || key == QString::fromUtf8("česko")
           || key == QString::fromUtf8("čr") || key == QLatin1String("cz");
}

QStringList AddressLines(const QString &name, const QString &street, const QString &psc, const QString &town,
                         const QString &country)
{
    QStringList lines;
    if (!name.isEmpty())
        lines.append(name);
    if (!street.isEmpty())
        lines.append(street);
    QStringList placeParts {FormatPsc(psc), town};
    placeParts.removeAll(QString());
    const QString place = placeParts.join(QLatin1Char(' '));
    if (!place.isEmpty())
        lines.append(place);
    if (!country.isEmpty() && !IsOwnCountry(country))
        lines.append(country);
    return lines;
}

QStringList EntryAddressLines(const TRecordView &entry, int address)
{
    auto text = [&](EField f) { return FromCp1250(entry.TextView(f)).simplified(); };
    QString name;
    const QString first = text(EField::Jmeno);
    const QString surname = text(EField::Prijmeni);
    if (first.isEmpty() && surname.isEmpty()) {
        name = text(EField::NazevPolozky);
    } else {
        QStringList parts {text(EField::TitulPred), first, surname, text(EField::TitulZa)};
        parts.removeAll(QString());
        name = parts.join(QLatin1Char(' '));
    }
    if (address < 1 || address > 3)
        return name.isEmpty() ? QStringList() : QStringList {name};
    return AddressLines(name, text(AddressField(address, 0)), text(AddressField(address, 3)),
                        text(AddressField(address, 1)), text(AddressField(address, 2)));
}
