#include "interop/CardMapper.h"

#include "interop/Mapping.h"
#include "util/Cp1250.h"

#include <QDate>
#include <QHash>

#include <algorithm>
#include <bit>

namespace {

// Apple writes its standard labels as "_$!<Mobile>!$_".
QString PlainLabel(const QString &label)
{
    if (label.startsWith(QLatin1String("_$!<")) && label.endsWith(QLatin1String(">!$_")))
        return label.mid(4, label.size() - 8);
    return label;
}

// The kinds a card gives a number or address: its TYPE parameters and what its label says.
unsigned CardKinds(const TVCardProperty &p, const QString &label, bool phone)
{
    unsigned kinds = Mapping::CaptionKinds(label);
    if (p.HasType("home"))
        kinds |= Mapping::Home;
    if (p.HasType("work"))
        kinds |= Mapping::Work;
    if (phone && (p.HasType("cell") || p.HasType("iphone")))
        kinds |= Mapping::Cell;
    if (phone && p.HasType("fax"))
        kinds |= Mapping::Fax;
    if (!phone)
        kinds &= Mapping::Home | Mapping::Work;
    return kinds;
}

// The parts of a card's birthday and the text the book keeps of them: "dd.mm.yyyy" or
// "dd.mm.".
struct TDateParts
{
    QStringView Year, Month, Day;
    QString Text(bool withYear) const
    {
        QString text = Day.toString();
        text += QLatin1Char('.');
        text += Month;
        text += QLatin1Char('.');
        if (withYear)
            text += Year;
        return text;
    }
};

bool Digits(QStringView v, qsizetype at, qsizetype n)
{
    if (at + n > v.size())
        return false;
    for (qsizetype k = at; k < at + n; ++k)
        if (v[k] < QLatin1Char('0') || v[k] > QLatin1Char('9'))
            return false;
    return true;
}

// "yyyy-mm-dd", the dashes optional, at the start of `v`.
bool FullDate(QStringView v, TDateParts &d)
{
    if (!Digits(v, 0, 4))
        return false;
    qsizetype i = 4;
    if (i < v.size() && v[i] == QLatin1Char('-'))
        ++i;
    if (!Digits(v, i, 2))
        return false;
    const qsizetype month = i;
    i += 2;
    if (i < v.size() && v[i] == QLatin1Char('-'))
        ++i;
    if (!Digits(v, i, 2))
        return false;
    d.Year = v.first(4);
    d.Month = v.sliced(month, 2);
    d.Day = v.sliced(i, 2);
    return true;
}

// "--mm-dd", the last dash optional, at the start of `v`.
bool DayAndMonth(QStringView v, TDateParts &d)
{
    if (!v.startsWith(QLatin1String("--")) || !Digits(v, 2, 2))
        return false;
    qsizetype i = 4;
    if (i < v.size() && v[i] == QLatin1Char('-'))
        ++i;
    if (!Digits(v, i, 2))
        return false;
    d.Month = v.sliced(2, 2);
    d.Day = v.sliced(i, 2);
    return true;
}

bool Representable(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t cp = text.at(i).unicode();
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            ++i;
        }
        if (UnicodeToCp1250(cp) < 0)
            return false;
    }
    return true;
}

// Private properties a person reads: chat addresses, the people around a contact.
bool ReadableExtension(const QByteArray &name)
{
    static const QSet<QByteArray> readable {"X-JABBER", "X-SKYPE", "X-SKYPE-USERNAME", "X-AIM", "X-ICQ", "X-MSN", "X-YAHOO",
                                            "X-GADUGADU", "X-GOOGLE-TALK", "X-TWITTER", "X-SPOUSE", "X-ASSISTANT", "X-MANAGER",
                                            "X-ANNIVERSARY", "X-ABRELATEDNAMES", "X-ABDATE"};
    return readable.contains(name.toUpper());
}

// Another program's private property that no person reads.
bool Private(const QByteArray &name)
{
    return name.startsWith("X-") && !name.startsWith("X-VORLINK-") && !IsName(name, "X-APPLE-OMIT-YEAR") && !ReadableExtension(name);
}

// Properties phones keep for themselves: identifiers, a grouped address's country code,
// the sound of a name, a photo's crop; and lines no property could be read from.
bool Internal(const QByteArray &name)
{
    return IsName(name, "X-ABUID") || IsName(name, "X-ABADR") || name.startsWith("X-PHONETIC-") || IsName(name, "X-IMAGETYPE")
        || IsName(name, "X-IMAGEHASH") || IsName(name, "X-SHARED-PHOTO-DISPLAY-PREF") || name.startsWith("X-ADDRESSBOOKSERVER-")
        || IsName(name, "X-UNREADABLE");
}

// Whether `fn` is made of the words of `n` (a structured name, still escaped) and nothing
// else, in whatever order and with whatever commas: "Ing. Jan Novák" of "Novák;Jan;;Ing.;".
bool SameWords(const QString &fn, const QString &n)
{
    const auto words = [](QStringView text, bool structured) {
        QList<QStringView> out;
        qsizetype start = -1;
        for (qsizetype i = 0; i <= text.size(); ++i) {
            const bool end = i == text.size() || text[i].isSpace() || text[i] == QLatin1Char(',')
                          || (structured && text[i] == QLatin1Char(';'));
            if (!end && start < 0)
                start = i;
            if (end && start >= 0) {
                out << text.sliced(start, i - start);
                start = -1;
            }
        }
        std::sort(out.begin(), out.end());
        return out;
    };
    const QString plain = TVCardReader::Unescape(n);
    return words(fn, false) == words(plain, true);
}

} // namespace

void TValueParts::Read(QStringView value, QChar sep, bool split)
{
    m_at.clear();
    if (std::find(value.begin(), value.end(), QLatin1Char('\\')) == value.end()) {
        m_source = value;
        qsizetype start = 0;
        if (split)
            for (qsizetype i = 0; i < value.size(); ++i)
                if (value[i] == sep) {
                    m_at.append({start, i - start});
                    start = i + 1;
                }
        m_at.append({start, value.size() - start});
        return;
    }
    if (!m_text.isDetached())
        m_text = QString();
    m_text.resize(value.size()); // escapes only shorten
    QChar *const begin = m_text.data();
    QChar *d = begin;
    qsizetype start = 0;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == QLatin1Char('\\') && i + 1 < value.size()) {
            // A line break, or the character after the backslash; before any other
            // character (2.1 writes "C:\Data") the backslash is text.
            const QChar n = value[++i];
            if (n == QLatin1Char('n') || n == QLatin1Char('N')) {
                *d++ = QLatin1Char('\n');
            } else if (n == QLatin1Char('\\') || n == QLatin1Char(',') || n == QLatin1Char(';') || n == QLatin1Char(':')) {
                *d++ = n;
            } else {
                *d++ = c;
                *d++ = n;
            }
        } else if (split && c == sep) {
            m_at.append({start, (d - begin) - start});
            start = d - begin;
        } else {
            *d++ = c;
        }
    }
    m_at.append({start, (d - begin) - start});
    m_text.resize(d - begin);
    m_source = m_text;
}

TCardMapper::TCardMapper(const TBookLabels &labels, TVCardImportStats &stats) : m_labels(labels), m_stats(stats)
{
    for (size_t i = 0; i < m_phoneCaptions.size(); ++i) {
        m_phoneCaptions[i] = FromCp1250(labels.PhoneCaptions[i]).trimmed();
        m_phoneKinds[i] = Mapping::CaptionKinds(m_phoneCaptions[i]);
    }
    for (size_t i = 0; i < m_addressCaptions.size(); ++i) {
        m_addressCaptions[i] = FromCp1250(labels.AddressCaptions[i]).trimmed();
        m_addressKinds[i] = Mapping::CaptionKinds(m_addressCaptions[i]);
    }
    for (size_t i = 0; i < m_flagCaptions.size(); ++i)
        m_flagCaptions[i] = FromCp1250(labels.FlagCaptions[i]).trimmed();
    m_bytes.resize(kNoteSize);
}

QByteArrayView TCardMapper::Convert(QStringView text, int capacity)
{
    const qsizetype n = ToCp1250(text, m_bytes.data(), capacity, m_stats.Replaced);
    if (n > capacity) {
        ++m_stats.Truncated;
        return QByteArrayView(m_bytes.constData(), capacity);
    }
    return QByteArrayView(m_bytes.constData(), n);
}

void TCardMapper::Put(TContactRecord &r, EField f, QStringView text)
{
    if (m_sources)
        m_sources->Field[size_t(f)] = m_index;
    // Line breaks have no place in a one-line field: spaces there (and trimmed as any).
    // Most texts have nothing to trim.
    const QStringView trimmed = text.isEmpty() || (!text.front().isSpace() && !text.back().isSpace()) ? text : text.trimmed();
    if (trimmed.isEmpty()) {
        r.SetText(f, QByteArrayView());
        return;
    }
    const QByteArrayView bytes = Convert(trimmed, FieldInfo(f).Capacity);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\r' || bytes[i] == '\n')
            m_bytes[i] = ' ';
    r.SetText(f, bytes);
}

// What has no field goes to the note under its label, or else its property's name.
void TCardMapper::Keep(const TVCardProperty &p, const QString &label, const QString &value)
{
    const QString plain = PlainLabel(label);
    m_unknown << (plain.isEmpty() ? QString::fromLatin1(p.Name) : plain) + QStringLiteral(": ") + value;
}

int TCardMapper::ChooseSlot(const TVCardProperty &p, const QString &label, bool phone, const bool *used) const
{
    const int count = phone ? 9 : 3;
    // Our own cards name the group.
    bool ok = false;
    const QStringView given = p.FirstParam("X-VORLINK-SLOT");
    // One digit, as our cards write it, without the general number parser.
    const bool digit = given.size() == 1 && given[0] >= QLatin1Char('0') && given[0] <= QLatin1Char('9');
    const int slot = (digit ? (ok = true, given[0].unicode() - '0') : given.toInt(&ok)) - 1;
    if (ok && slot >= 0 && slot < count && !used[slot])
        return slot;
    const QString plain = PlainLabel(label);
    if (!plain.isEmpty())
        for (int i = 0; i < count; ++i)
            if (!used[i] && Caption(phone, i).compare(plain, Qt::CaseInsensitive) == 0)
                return i;
    // The most specific kind decides: fax, then mobile, then work or home. A group of a
    // more specific kind than the number's (a fax group for a voice number) is never taken.
    const unsigned kinds = CardKinds(p, label, phone);
    const unsigned specific = Mapping::Fax | Mapping::Cell;
    const unsigned primary = (kinds & Mapping::Fax)    ? Mapping::Fax
                           : (kinds & Mapping::Cell)   ? Mapping::Cell
                           : (kinds & Mapping::Work)   ? Mapping::Work
                           : (kinds & Mapping::Home)   ? Mapping::Home
                                                       : 0u;
    const auto fits = [&](int i) { return (CaptionKinds(phone, i) & specific & ~kinds) == 0; };
    if (primary) {
        int best = -1, bestScore = -1;
        for (int i = 0; i < count; ++i) {
            const unsigned c = CaptionKinds(phone, i);
            if (used[i] || !(c & primary) || !fits(i))
                continue;
            // More kinds in common first, then fewer the number does not have.
            const int score = 4 * std::popcount(c & kinds) - std::popcount(c & ~kinds);
            if (score > bestScore) {
                best = i;
                bestScore = score;
            }
        }
        if (best >= 0)
            return best;
        for (int i = 0; i < count; ++i)
            if (!used[i] && !CaptionKinds(phone, i))
                return i;
    }
    for (int i = 0; i < count; ++i)
        if (!used[i] && fits(i))
            return i;
    for (int i = 0; i < count; ++i)
        if (!used[i])
            return i;
    return -1;
}

TContactRecord TCardMapper::Map(const TVCard &card, TCardSources *sources)
{
    TContactRecord r;
    MapInto(card, r, sources);
    return r;
}

void TCardMapper::MapInto(const TVCard &card, TContactRecord &r, TCardSources *sources)
{
    using R = TVCardReader;
    m_unknown.clear();
    m_oldLines.clear();
    m_sources = sources;
    if (sources) {
        sources->Field.fill(-1);
        sources->FirmOrg = -1;
        sources->Notes.clear();
        sources->Categories.clear();
    }
    qsizetype &index = m_index;
    qsizetype fnAt = -1, orgAt = -1;
    const QString *nValue = nullptr;
    QHash<QByteArray, QString> groupLabels;
    bool company = false;
    for (const TVCardProperty &p : card) {
        if (!p.Group.isEmpty() && IsName(p.Name, "X-ABLABEL"))
            groupLabels.insert(p.Group, R::Unescape(p.Value).trimmed());
        if ((IsName(p.Name, "KIND") && p.Value.trimmed().compare(QLatin1String("org"), Qt::CaseInsensitive) == 0)
            || (IsName(p.Name, "X-ABSHOWAS") && p.Value.trimmed().compare(QLatin1String("COMPANY"), Qt::CaseInsensitive) == 0))
            company = true;
    }
    // Of the variants of one property (ALTID: the same name in other languages or
    // scripts) the first that Windows-1250 can hold is used; the others go to the note.
    QHash<QByteArray, qsizetype> chosenVariant;
    bool variants = false;
    for (const TVCardProperty &p : card)
        for (const auto &param : p.Params)
            variants = variants || IsName(param.first, "ALTID");
    for (qsizetype i = 0; variants && i < card.size(); ++i) {
        QString altId;
        if (!card.at(i).RawParam("ALTID", altId) || altId.isEmpty())
            continue;
        const QByteArray key = card.at(i).Name + '\n' + altId.toUtf8();
        const auto it = chosenVariant.constFind(key);
        if (it == chosenVariant.cend())
            chosenVariant.insert(key, i);
        else if (!Representable(card.at(*it).Value) && Representable(card.at(i).Value))
            chosenVariant[key] = i;
    }
    bool phoneUsed[9] = {};
    bool addressUsed[3] = {};
    QString fn, org, joinedOrg, note;
    for (index = 0; index < card.size(); ++index) {
        const TVCardProperty &p = card.at(index);
        if (IsName(p.Name, "PHOTO"))
            ++m_stats.Photos;
        const QByteArray &n = p.Name;
        // A group's label goes with what it labels; KIND and the firm mark are written anew.
        if (IsName(n, "KIND") || IsName(n, "X-ABSHOWAS") || IsName(n, "X-ABLABEL"))
            continue;
        if (p.Binary)
            continue;
        const QString label = groupLabels.value(p.Group);
        if (IsName(n, "VERSION") || IsName(n, "PRODID") || IsName(n, "UID") || IsName(n, "REV") || IsName(n, "PHOTO") || IsName(n, "LOGO") || IsName(n, "SOUND")
            || IsName(n, "KEY") || IsName(n, "SOURCE") || IsName(n, "CLIENTPIDMAP"))
            continue;
        // Another program's bookkeeping means nothing to a reader of the note.
        if (Internal(n) || (m_privateOnCard && Private(n))) {
            const QString plain = PlainLabel(label);
            m_oldLines << (plain.isEmpty() ? QString::fromLatin1(n) : plain) + QStringLiteral(": ") + Unescaped(p.Value).toString();
            continue;
        }
        QString altId;
        if (variants && p.RawParam("ALTID", altId) && !altId.isEmpty() && chosenVariant.value(p.Name + '\n' + altId.toUtf8()) != index) {
            const QString language = p.Param("LANGUAGE").value(0);
            const QString value = IsName(n, "N") || IsName(n, "ADR") || IsName(n, "ORG")
                                      ? R::SplitValue(p.Value, QLatin1Char(';')).join(QLatin1Char(' ')).simplified()
                                      : R::Unescape(p.Value);
            m_unknown << QString::fromLatin1(n) + (language.isEmpty() ? QString() : QStringLiteral(" (") + language + QLatin1Char(')'))
                             + QStringLiteral(": ") + value;
            continue;
        }
        if (IsName(n, "FN")) {
            fn = Unescaped(p.Value).trimmed().toString();
            fnAt = index;
        } else if (IsName(n, "N")) {
            nValue = &p.Value;
            const TValueParts &parts = m_parts;
            m_parts.Split(p.Value, QLatin1Char(';'));
            Put(r, EField::Prijmeni, parts.value(0));
            if (parts.value(2).trimmed().isEmpty())
                Put(r, EField::Jmeno, parts.value(1));
            else
                Put(r, EField::Jmeno, parts.value(1).toString() + QLatin1Char(' ') + parts.value(2).trimmed().toString());
            Put(r, EField::TitulPred, parts.value(3));
            Put(r, EField::TitulZa, parts.value(4));
        } else if (IsName(n, "NICKNAME")) {
            m_parts.Split(p.Value, QLatin1Char(','));
            if (m_parts.size() == 1)
                Put(r, EField::Prezdivka, m_parts.value(0));
            else
                Put(r, EField::Prezdivka, m_parts.Joined(QLatin1String(", ")));
        } else if (IsName(n, "ADR")) {
            const int slot = ChooseSlot(p, label, false, addressUsed);
            const TValueParts &a = m_parts;
            m_parts.Split(p.Value, QLatin1Char(';'));
            if (slot < 0) {
                Keep(p, label, a.Joined(QLatin1String(", ")));
                continue;
            }
            addressUsed[slot] = true;
            // Post box and extended address go before the street, the region after the place.
            m_street.resize(0);
            for (int i : {0, 1, 2})
                if (const QStringView part = a.value(i).trimmed(); !part.isEmpty()) {
                    if (!m_street.isEmpty())
                        m_street += QLatin1String(", ");
                    m_street += part;
                }
            m_place.resize(0);
            m_place += a.value(3).trimmed();
            if (const QStringView region = a.value(4).trimmed(); !region.isEmpty()) {
                if (!m_place.isEmpty())
                    m_place += QLatin1String(", ");
                m_place += region;
            }
            Put(r, AddressField(slot + 1, 0), m_street);
            Put(r, AddressField(slot + 1, 1), m_place);
            Put(r, AddressField(slot + 1, 2), a.value(6));
            Put(r, AddressField(slot + 1, 3), a.value(5));
        } else if (IsName(n, "TEL")) {
            const int slot = ChooseSlot(p, label, true, phoneUsed);
            const QString value = Unescaped(p.Value).trimmed().toString();
            if (slot < 0) {
                Keep(p, label, value);
                continue;
            }
            phoneUsed[slot] = true;
            QString codes;
            const bool hasCodes = p.RawParam("X-VORLINK-CODES", codes);
            const Mapping::TNumberParts parts = Mapping::SplitNumber(value, hasCodes ? &codes : nullptr);
            Put(r, PhoneField(slot + 1, 0), parts.Country);
            Put(r, PhoneField(slot + 1, 1), parts.Area);
            Put(r, PhoneField(slot + 1, 2), parts.Number);
            Put(r, PhoneField(slot + 1, 3), parts.Extension);
            // A label that names no kind and no caption of the book says what the number
            // is: it stays beside the number in the note.
            const QString plain = PlainLabel(label);
            if (!hasCodes && !plain.isEmpty() && !Mapping::CaptionKinds(plain)
                && plain.compare(QLatin1String("Other"), Qt::CaseInsensitive) != 0
                && plain.compare(Caption(true, slot), Qt::CaseInsensitive) != 0)
                Keep(p, label, value);
        } else if (IsName(n, "EMAIL") && r.TextView(EField::Email).isEmpty()) {
            Put(r, EField::Email, Unescaped(p.Value));
        } else if (IsName(n, "URL") && r.TextView(EField::Http).isEmpty()) {
            Put(r, EField::Http, Unescaped(p.Value));
        } else if (IsName(n, "BDAY")) {
            const QStringView v = QStringView(p.Value).trimmed();
            TDateParts f, y;
            const bool full = FullDate(v, f);
            const bool noYear = DayAndMonth(v, y);
            const bool omitYear = !p.FirstParam("X-APPLE-OMIT-YEAR").isEmpty();
            if (full && !omitYear && QDate(f.Year.toInt(), f.Month.toInt(), f.Day.toInt()).isValid())
                Put(r, EField::Narozeniny, f.Text(true));
            else if (full && omitYear)
                Put(r, EField::Narozeniny, f.Text(false));
            else if (noYear)
                Put(r, EField::Narozeniny, y.Text(false));
            else
                Keep(p, label, v.toString());
        } else if (IsName(n, "X-VORLINK-NAROZENINY")) {
            Put(r, EField::Narozeniny, Unescaped(p.Value));
        } else if (IsName(n, "NOTE")) {
            if (sources)
                sources->Notes << index;
            if (!note.isEmpty())
                note += QLatin1Char('\n');
            note += Unescaped(p.Value);
        } else if ((IsName(n, "TITLE") || IsName(n, "ROLE")) && r.TextView(EField::Zamestnani).isEmpty()) {
            // The occupation: the job title, else the role.
            Put(r, EField::Zamestnani, Unescaped(p.Value));
        } else if (IsName(n, "ORG")) {
            // Phones end a firm without a department with ";": no part of the name.
            m_parts.Split(p.Value, QLatin1Char(';'));
            joinedOrg = m_parts.Joined(QLatin1String(", ")).trimmed();
            org.clear();
            for (qsizetype i = 0; i < m_parts.size(); ++i)
                if (const QStringView part = m_parts.value(i).trimmed(); !part.isEmpty())
                    org += (org.isEmpty() ? QString() : QStringLiteral(", ")) + part.toString();
            orgAt = index;
        } else if (IsName(n, "CATEGORIES")) {
            if (sources)
                sources->Categories << index;
            QStringList unmatched;
            m_parts.Split(p.Value, QLatin1Char(','));
            for (qsizetype c = 0; c < m_parts.size(); ++c) {
                const QStringView cat = m_parts.value(c).trimmed();
                if (cat.isEmpty())
                    continue;
                bool found = false;
                for (int i = 0; i < 10 && !found; ++i)
                    // Folding keeps the length: texts of two lengths never match.
                    if (m_flagCaptions[size_t(i)].size() == cat.size()
                        && (m_flagCaptions[size_t(i)] == cat || m_flagCaptions[size_t(i)].compare(cat, Qt::CaseInsensitive) == 0)) {
                        r.SetFlag(i + 1, true);
                        found = true;
                    }
                if (!found)
                    unmatched << cat.toString();
            }
            if (!unmatched.isEmpty())
                Keep(p, label, unmatched.join(QStringLiteral(", ")));
        } else if (IsName(n, "X-VORLINK-EDUCATION")) {
            Put(r, EField::Vzdelani, Unescaped(p.Value));
        } else if (IsName(n, "X-VORLINK-NAMEDAY")) {
            Put(r, EField::Svatek, Unescaped(p.Value));
        } else if (IsName(n, "X-VORLINK-RODNE-CISLO")) {
            Put(r, EField::RodneCislo, Unescaped(p.Value));
        } else if (IsName(n, "X-VORLINK-ICO")) {
            Put(r, EField::Ico, Unescaped(p.Value));
        } else if (IsName(n, "X-VORLINK-DIC")) {
            Put(r, EField::Dic, Unescaped(p.Value));
        } else if (IsName(n, "X-VORLINK-BANK")) {
            Put(r, EField::Banka, Unescaped(p.Value));
        } else if (IsName(n, "X-VORLINK-ACCOUNT")) {
            Put(r, EField::Ucet, Unescaped(p.Value));
        } else {
            Keep(p, label, Unescaped(p.Value).toString());
        }
    }
    // A firm's organisation is its name; a person's has no field of its own.
    const bool firmName = company && !org.isEmpty() && (fn.isEmpty() || fn == org);
    if (!org.isEmpty() && !firmName)
        m_unknown << QStringLiteral("ORG: ") + org;
    // Earlier versions kept the empty parts, and a firm's name so written in its note.
    if (!joinedOrg.isEmpty() && !(company && (fn.isEmpty() || fn == joinedOrg)) && (firmName || joinedOrg != org))
        m_oldLines << QStringLiteral("ORG: ") + joinedOrg;
    m_sources = nullptr;
    if (sources && firmName)
        sources->FirmOrg = orgAt;
    if (!m_unknown.isEmpty())
        note += (note.isEmpty() ? QString() : QStringLiteral("\n")) + m_unknown.join(QLatin1Char('\n'));
    // Every line break as CR LF, whatever the card wrote.
    m_note.resize(note.size() * 2);
    QChar *const begin = m_note.data();
    QChar *d = begin;
    for (qsizetype i = 0; i < note.size(); ++i) {
        const QChar c = note.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < note.size() && note.at(i + 1) == QLatin1Char('\n'))
                ++i;
            *d++ = QLatin1Char('\r');
            *d++ = QLatin1Char('\n');
        } else if (!c.isNull()) {
            *d++ = c;
        }
    }
    m_note.resize(d - begin);
    // The note's zero bytes end it: none may come from a card.
    r.SetNote(Convert(m_note, kNoteSize));

    // A person is named as the book names its own entries, "Surname First name", unless
    // the card's FN says more than its N (a name given in the book travels as FN).
    if (sources)
        sources->Field[size_t(EField::NazevPolozky)] = fnAt;
    if (!company && !r.TextView(EField::Prijmeni).isEmpty() && (fn.isEmpty() || SameWords(fn, *nValue))) {
        QByteArray own = r.Text(EField::Prijmeni);
        if (!r.TextView(EField::Jmeno).isEmpty())
            own += ' ' + r.Text(EField::Jmeno);
        r.SetText(EField::NazevPolozky, own);
        return;
    }
    QString name = fn;
    if (name.isEmpty() && company)
        name = org;
    if (name.isEmpty())
        name = (FromCp1250(r.TextView(EField::Prijmeni)) + QLatin1Char(' ') + FromCp1250(r.TextView(EField::Jmeno))).trimmed();
    if (name.isEmpty())
        name = org;
    if (name.isEmpty())
        name = FromCp1250(r.TextView(EField::Email));
    if (name.isEmpty())
        name = FromCp1250(r.TextView(PhoneField(1, 2)));
    if (name.isEmpty())
        name = QString::fromUtf8("Bez jména");
    Put(r, EField::NazevPolozky, name);
}
