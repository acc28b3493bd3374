#include "interop/InteropFile.h"

#include "interop/Mapping.h"
#include "interop/VCardReader.h"
#include "util/Cp1250.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace {

// Fills one record from a card, counting what had to be cut or replaced.
class TCardMapper
{
public:
    TCardMapper(TBookLabels &labels, bool adopt, TVCardImportStats &stats)
        : m_labels(labels), m_adopt(adopt), m_stats(stats)
    {
    }

    TContactRecord Map(const TVCard &card);

private:
    QByteArray Convert(const QString &text, int capacity);
    void Put(TContactRecord &r, EField f, const QString &text);
    void Keep(const TVCardProperty &p, const QString &value);
    int ChooseSlot(const TVCardProperty &p, const QString &label, bool phone, const bool *used);

    TBookLabels &m_labels;
    bool m_adopt;
    TVCardImportStats &m_stats;
    QStringList m_unknown;
    std::array<bool, 9> m_phoneAdopted {};
    std::array<bool, 3> m_addressAdopted {};
};

QByteArray TCardMapper::Convert(const QString &text, int capacity)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t cp = text.at(i).unicode();
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            ++i;
        }
        const int b = UnicodeToCp1250(cp);
        if (b < 0) {
            out.append('?');
            ++m_stats.Replaced;
        } else {
            out.append(char(b));
        }
    }
    if (out.size() > capacity) {
        out.truncate(capacity);
        ++m_stats.Truncated;
    }
    return out;
}

void TCardMapper::Put(TContactRecord &r, EField f, const QString &text)
{
    // Line breaks have no place in a one-line field.
    const QString t = QString(text).replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' ')).trimmed();
    r.SetText(f, Convert(t, FieldInfo(f).Capacity));
}

void TCardMapper::Keep(const TVCardProperty &p, const QString &value)
{
    m_unknown << QString::fromLatin1(p.Name) + QStringLiteral(": ") + value;
}

int TCardMapper::ChooseSlot(const TVCardProperty &p, const QString &label, bool phone, const bool *used)
{
    const int count = phone ? 9 : 3;
    const auto caption = [&](int i) {
        return FromCp1250(phone ? m_labels.PhoneCaptions[size_t(i)] : m_labels.AddressCaptions[size_t(i)]).trimmed();
    };
    // Our own cards name the group; others are matched by caption, then by kind.
    bool ok = false;
    const int slot = p.Param("X-VORLINK-SLOT").value(0).toInt(&ok) - 1;
    if (ok && slot >= 0 && slot < count && !used[slot])
        return slot;
    if (!label.isEmpty())
        for (int i = 0; i < count; ++i)
            if (!used[i] && caption(i).compare(label, Qt::CaseInsensitive) == 0)
                return i;
    unsigned kinds = 0;
    if (p.HasType("home"))
        kinds |= Mapping::Home;
    if (p.HasType("work"))
        kinds |= Mapping::Work;
    if (phone && p.HasType("cell"))
        kinds |= Mapping::Cell;
    if (phone && p.HasType("fax"))
        kinds |= Mapping::Fax;
    if (kinds)
        for (int i = 0; i < count; ++i)
            if (!used[i] && (Mapping::CaptionKinds(caption(i)) & kinds) == kinds)
                return i;
    for (int i = 0; i < count; ++i)
        if (!used[i] && (!kinds || !Mapping::CaptionKinds(caption(i))))
            return i;
    for (int i = 0; i < count; ++i)
        if (!used[i])
            return i;
    return -1;
}

TContactRecord TCardMapper::Map(const TVCard &card)
{
    using R = TVCardReader;
    TContactRecord r;
    m_unknown.clear();
    QHash<QByteArray, QString> groupLabels;
    for (const TVCardProperty &p : card)
        if (!p.Group.isEmpty() && (p.Name == "X-ABLABEL" || p.Name == "X-ABLabel"))
            groupLabels.insert(p.Group, R::Unescape(p.Value).trimmed());
    bool phoneUsed[9] = {};
    bool addressUsed[3] = {};
    QString fn, org, note;
    bool haveRole = false;
    for (const TVCardProperty &p : card) {
        if (p.Binary)
            continue;
        const QByteArray &n = p.Name;
        const QString label = groupLabels.value(p.Group);
        if (n == "VERSION" || n == "PRODID" || n == "UID" || n == "REV" || n == "X-ABLABEL" || n == "KIND"
            || n == "PHOTO" || n == "LOGO" || n == "SOUND" || n == "KEY" || n == "SOURCE" || n == "CLIENTPIDMAP")
            continue;
        if (n == "FN") {
            fn = R::Unescape(p.Value).trimmed();
        } else if (n == "N") {
            const QStringList parts = R::SplitValue(p.Value, QLatin1Char(';'));
            Put(r, EField::Prijmeni, parts.value(0));
            QString given = parts.value(1);
            if (!parts.value(2).trimmed().isEmpty())
                given += QLatin1Char(' ') + parts.value(2).trimmed();
            Put(r, EField::Jmeno, given);
            Put(r, EField::TitulPred, parts.value(3));
            Put(r, EField::TitulZa, parts.value(4));
        } else if (n == "NICKNAME") {
            Put(r, EField::Prezdivka, R::SplitValue(p.Value, QLatin1Char(',')).join(QStringLiteral(", ")));
        } else if (n == "ADR") {
            const int slot = ChooseSlot(p, label, false, addressUsed);
            const QStringList a = R::SplitValue(p.Value, QLatin1Char(';'));
            if (slot < 0) {
                Keep(p, a.join(QStringLiteral(", ")));
                continue;
            }
            addressUsed[slot] = true;
            // Post box and extended address go before the street, the region after the place.
            QStringList street;
            for (int i : {0, 1, 2})
                if (!a.value(i).trimmed().isEmpty())
                    street << a.value(i).trimmed();
            QString place = a.value(3).trimmed();
            if (!a.value(4).trimmed().isEmpty())
                place += (place.isEmpty() ? QString() : QStringLiteral(", ")) + a.value(4).trimmed();
            Put(r, AddressField(slot + 1, 0), street.join(QStringLiteral(", ")));
            Put(r, AddressField(slot + 1, 1), place);
            Put(r, AddressField(slot + 1, 2), a.value(6));
            Put(r, AddressField(slot + 1, 3), a.value(5));
            if (m_adopt && !label.isEmpty() && !m_addressAdopted[size_t(slot)]) {
                m_labels.AddressCaptions[size_t(slot)] = Convert(label, TBookLabels::kAddressCapacity);
                m_addressAdopted[size_t(slot)] = true;
            }
        } else if (n == "TEL") {
            const int slot = ChooseSlot(p, label, true, phoneUsed);
            const QString value = R::Unescape(p.Value).trimmed();
            if (slot < 0) {
                Keep(p, value);
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
            if (m_adopt && !label.isEmpty() && !m_phoneAdopted[size_t(slot)]) {
                m_labels.PhoneCaptions[size_t(slot)] = Convert(label, TBookLabels::kPhoneCapacity);
                m_phoneAdopted[size_t(slot)] = true;
            }
        } else if (n == "EMAIL" && r.TextView(EField::Email).isEmpty()) {
            Put(r, EField::Email, R::Unescape(p.Value));
        } else if (n == "URL" && r.TextView(EField::Http).isEmpty()) {
            Put(r, EField::Http, R::Unescape(p.Value));
        } else if (n == "BDAY") {
            static const QRegularExpression full(QStringLiteral("^(\\d{4})-?(\\d{2})-?(\\d{2})"));
            static const QRegularExpression noYear(QStringLiteral("^--(\\d{2})-?(\\d{2})"));
            const QString v = p.Value.trimmed();
            const QRegularExpressionMatch f = full.match(v);
            const QRegularExpressionMatch y = noYear.match(v);
            const bool omitYear = !p.Param("X-APPLE-OMIT-YEAR").isEmpty();
            if (f.hasMatch() && !omitYear && QDate(f.captured(1).toInt(), f.captured(2).toInt(), f.captured(3).toInt()).isValid())
                Put(r, EField::Narozeniny, f.captured(3) + QLatin1Char('.') + f.captured(2) + QLatin1Char('.') + f.captured(1));
            else if (f.hasMatch() && omitYear)
                Put(r, EField::Narozeniny, f.captured(3) + QLatin1Char('.') + f.captured(2) + QLatin1Char('.'));
            else if (y.hasMatch())
                Put(r, EField::Narozeniny, y.captured(2) + QLatin1Char('.') + y.captured(1) + QLatin1Char('.'));
            else
                Keep(p, v);
        } else if (n == "X-VORLINK-NAROZENINY") {
            Put(r, EField::Narozeniny, R::Unescape(p.Value));
        } else if (n == "NOTE") {
            note += (note.isEmpty() ? QString() : QStringLiteral("\n")) + R::Unescape(p.Value);
        } else if (n == "TITLE") {
            Put(r, EField::Vzdelani, R::Unescape(p.Value));
        } else if (n == "ROLE") {
            Put(r, EField::Zamestnani, R::Unescape(p.Value));
            haveRole = true;
        } else if (n == "ORG") {
            org = R::SplitValue(p.Value, QLatin1Char(';')).join(QStringLiteral(", ")).trimmed();
        } else if (n == "CATEGORIES") {
            QStringList unmatched;
            for (const QString &c : R::SplitValue(p.Value, QLatin1Char(','))) {
                const QString cat = c.trimmed();
                if (cat.isEmpty())
                    continue;
                bool found = false;
                for (int i = 0; i < 10 && !found; ++i)
                    if (FromCp1250(m_labels.FlagCaptions[size_t(i)]).trimmed().compare(cat, Qt::CaseInsensitive) == 0) {
                        r.SetFlag(i + 1, true);
                        found = true;
                    }
                if (!found)
                    unmatched << cat;
            }
            if (!unmatched.isEmpty())
                Keep(p, unmatched.join(QStringLiteral(", ")));
        } else if (n == "X-VORLINK-NAMEDAY") {
            Put(r, EField::Svatek, R::Unescape(p.Value));
        } else if (n == "X-VORLINK-RODNE-CISLO") {
            Put(r, EField::RodneCislo, R::Unescape(p.Value));
        } else if (n == "X-VORLINK-ICO") {
            Put(r, EField::Ico, R::Unescape(p.Value));
        } else if (n == "X-VORLINK-DIC") {
            Put(r, EField::Dic, R::Unescape(p.Value));
        } else if (n == "X-VORLINK-BANK") {
            Put(r, EField::Banka, R::Unescape(p.Value));
        } else if (n == "X-VORLINK-ACCOUNT") {
            Put(r, EField::Ucet, R::Unescape(p.Value));
        } else {
            Keep(p, R::Unescape(p.Value));
        }
    }
    if (!org.isEmpty()) {
        if (!haveRole && r.TextView(EField::Zamestnani).isEmpty())
            Put(r, EField::Zamestnani, org);
        else
            m_unknown << QStringLiteral("ORG: ") + org;
    }
    if (!m_unknown.isEmpty())
        note += (note.isEmpty() ? QString() : QStringLiteral("\n")) + m_unknown.join(QLatin1Char('\n'));
    note.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    note.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    note.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    // The note's zero bytes end it: none may come from a card.
    note.remove(QChar(0));
    r.SetNote(Convert(note, kNoteSize));

    // The entry's name: the card's, else one made of its parts.
    QString name = fn;
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
    return r;
}

} // namespace

TInteropError ImportVCardFile(const QString &path, TBook &target, TBookLabels &labels, bool adoptCaptions,
                              const std::function<bool(QByteArrayView)> &taken, TVCardImportStats &stats,
                              qint64 maxRecords, const TInteropProgress &progress)
{
    const QFileInfo info(path);
    if (!info.exists())
        return TInteropError::Missing;
    if (!info.isFile())
        return TInteropError::Open;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return TInteropError::Open;
    const qint64 size = f.size();
    TVCardReader reader(f);
    TCardMapper mapper(labels, adoptCaptions, stats);
    QSet<QByteArray> names;
    // Where the suffixes of a clashing name go on, so a thousand equal names cost no more
    // than a thousand lookups.
    QHash<QByteArray, int> nextSuffix;
    TVCard card;
    qint64 cards = 0;
    while (reader.Next(card)) {
        if (target.RecordCount() >= maxRecords) {
            ++stats.Dropped;
            continue;
        }
        TContactRecord r = mapper.Map(card);
        // Unique as the editor wants them: a clash gets " (2)", " (3)", … within the field.
        const QByteArray base = r.Name();
        QByteArray name = base;
        if (names.contains(name) || (taken && taken(name))) {
            int &k = nextSuffix[base];
            k = std::max(k, 2);
            do {
                const QByteArray suffix = " (" + QByteArray::number(k++) + ')';
                name = base.left(FieldInfo(EField::NazevPolozky).Capacity - suffix.size()) + suffix;
            } while (names.contains(name) || (taken && taken(name)));
        }
        r.SetText(EField::NazevPolozky, name);
        names.insert(name);
        target.AppendRecord(r);
        ++stats.Contacts;
        if (progress && (++cards & 255) == 0)
            progress(f.pos(), size);
    }
    stats.BadLines += reader.BadLines();
    if (reader.ReadFailed())
        return TInteropError::Read;
    if (progress)
        progress(size, size);
    return TInteropError::None;
}
