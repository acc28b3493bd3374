#include "interop/CardMerge.h"

#include "interop/CardMapper.h"
#include "interop/EntryBytes.h"
#include "interop/FormatWriter.h"
#include "interop/Mapping.h"
#include "util/Cp1250.h"

#include <array>
#include <initializer_list>

namespace {

using TParts = QList<QByteArray>;

// Parts at `sep`: outside double quotes in a head, not after a backslash in a value.
// Each part as it stands, escapes and quotes kept.
TParts Cut(QByteArrayView text, char sep, bool head)
{
    TParts out;
    qsizetype start = 0;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (head && c == '"')
            quoted = !quoted;
        else if (!head && c == '\\')
            ++i;
        else if (c == sep && !quoted) {
            out << text.sliced(start, i - start).toByteArray();
            start = i + 1;
        }
    }
    out << text.sliced(qMin(start, text.size())).toByteArray();
    return out;
}

QByteArray ParamName(const QByteArray &part)
{
    const qsizetype eq = part.indexOf('=');
    return (eq < 0 ? part : part.left(eq)).trimmed().toUpper();
}

// One property's line taken apart: "item1.TEL", its parameters one a part, its value.
struct TLine
{
    TParts Head;
    QByteArray Value;

    explicit TLine(const QByteArray &logical)
    {
        const qsizetype at = TVCardReader::ValueStart(logical);
        Head = Cut(QByteArrayView(logical).first(qMax<qsizetype>(at, 0)), ';', true);
        Value = at < 0 ? QByteArray() : logical.mid(at + 1);
    }
    QByteArray Group() const
    {
        const qsizetype dot = Head.first().lastIndexOf('.');
        return dot < 0 ? QByteArray() : Head.first().left(dot + 1);
    }
    QByteArray Name() const { return Head.first().mid(Head.first().lastIndexOf('.') + 1).trimmed().toUpper(); }
    void Drop(std::initializer_list<const char *> names)
    {
        for (qsizetype i = Head.size() - 1; i >= 1; --i) {
            const QByteArray name = ParamName(Head.at(i));
            for (const char *n : names)
                if (name == n) {
                    Head.removeAt(i);
                    break;
                }
        }
    }
    QByteArray Text() const { return Head.join(';') + ':' + Value; }
};

// Of a server's line, what no longer fits a value written anew: the old text's encoding.
constexpr std::initializer_list<const char *> kEncodings = {"ENCODING", "CHARSET", "QUOTED-PRINTABLE", "BASE64", "8BIT"};

// The note without the lines the card's other properties put in it (the last of each,
// as they come after the note's own text) and without empty lines at its end.
QByteArray OwnNote(QByteArrayView note, const QStringList &made, const QStringList &old)
{
    QList<QByteArray> lines = note.toByteArray().split('\n');
    for (QByteArray &l : lines)
        if (l.endsWith('\r'))
            l.chop(1);
    for (const QStringList *list : {&made, &old})
        for (qsizetype i = list->size() - 1; i >= 0; --i) {
            const QList<QByteArray> parts = ToCp1250(list->at(i)).split('\n');
            for (qsizetype k = parts.size() - 1; k >= 0; --k) {
                QByteArray part = parts.at(k);
                if (part.endsWith('\r'))
                    part.chop(1);
                const qsizetype at = lines.lastIndexOf(part);
                if (at >= 0)
                    lines.removeAt(at);
            }
        }
    while (!lines.isEmpty() && EntryBytes::Trimmed(lines.constLast()).isEmpty())
        lines.removeLast();
    return lines.join("\r\n");
}

// The server's card as it is being rewritten: each property's lines in its place, what is
// added after the last property of its name.
class TMergedLines
{
public:
    explicit TMergedLines(const TRawCard &card) : m_card(card), m_out(card.Lines.size()), m_gone(card.Lines.size(), false)
    {
        for (qsizetype i = 0; i < card.Lines.size(); ++i)
            m_out[i] = card.Lines.at(i) + "\r\n";
        // New groups are numbered after the card's own.
        for (const TVCardProperty &p : card.Card)
            if (p.Group.startsWith("ITEM"))
                m_item = std::max(m_item, p.Group.mid(4).toInt());
    }

    bool Changed() const { return m_changed; }
    bool Gone(qsizetype i) const { return m_gone.at(i); }

    void Replace(qsizetype i, const QByteArray &logical)
    {
        if (logical == m_card.Logical.at(i))
            return;
        m_out[i].clear();
        ContentLine::Append(m_out[i], logical);
        m_changed = true;
    }
    // Removes a property; its group's label and country code go with the group's last one.
    void Remove(qsizetype i)
    {
        m_out[i].clear();
        m_gone[i] = true;
        m_changed = true;
        const QByteArray &group = m_card.Card.at(i).Group;
        if (group.isEmpty())
            return;
        for (qsizetype k = 0; k < m_card.Card.size(); ++k)
            if (!m_gone.at(k) && m_card.Card.at(k).Group == group && !OfGroup(m_card.Card.at(k)))
                return;
        for (qsizetype k = 0; k < m_card.Card.size(); ++k)
            if (!m_gone.at(k) && m_card.Card.at(k).Group == group)
                Remove(k);
    }
    void RemoveInGroup(const QByteArray &group, const char *name)
    {
        for (qsizetype k = 0; k < m_card.Card.size(); ++k)
            if (!group.isEmpty() && !m_gone.at(k) && m_card.Card.at(k).Group == group && m_card.Card.at(k).Name == name)
                Remove(k);
    }
    // Our lines of one property (with its group's label), the group numbered anew.
    void Add(QList<QByteArray> logical)
    {
        if (logical.isEmpty())
            return;
        const TLine first(logical.first());
        if (const QByteArray group = first.Group(); !group.isEmpty()) {
            const QByteArray renamed = "item" + QByteArray::number(++m_item) + '.';
            for (QByteArray &l : logical)
                if (l.startsWith(group))
                    l = renamed + l.mid(group.size());
        }
        QByteArray text;
        for (const QByteArray &l : logical)
            ContentLine::Append(text, l);
        const QByteArray name = first.Name();
        qsizetype after = -1;
        for (qsizetype k = 0; k < m_card.Card.size(); ++k)
            if (!m_gone.at(k) && m_card.Card.at(k).Name == name)
                after = k;
        // Not between a group's lines.
        for (qsizetype k = after + 1; after >= 0 && k < m_card.Card.size(); ++k)
            if (!m_card.Card.at(after).Group.isEmpty() && m_card.Card.at(k).Group == m_card.Card.at(after).Group)
                after = k;
        if (after >= 0)
            m_out[after] += text;
        else
            m_tail += text;
        m_changed = true;
    }

    QByteArray Text() const
    {
        QByteArray out = "BEGIN:VCARD\r\n";
        if (!m_card.HasVersion)
            out += "VERSION:3.0\r\n";
        for (const QByteArray &t : m_out)
            out += t;
        out += m_tail;
        out += "END:VCARD\r\n";
        return out;
    }

private:
    // What a group holds only for the sake of another of its properties.
    static bool OfGroup(const TVCardProperty &p) { return p.Name == "X-ABLABEL" || p.Name == "X-ABADR"; }

    const TRawCard &m_card;
    QList<QByteArray> m_out;
    QList<bool> m_gone;
    QByteArray m_tail;
    int m_item = 0;
    bool m_changed = false;
};

// A value written anew into the server's property: its group, name and parameters stay
// but for `drop` (and the old text's encoding), our `extra` parameters join them. Where
// we write another property (a birthday no date can hold) ours stands in its place.
QByteArray Transplant(const QByteArray &server, const QByteArray &ours, std::initializer_list<const char *> drop = {},
                      std::initializer_list<const char *> extra = {})
{
    TLine s(server);
    const TLine o(ours);
    if (s.Name() != o.Name())
        return s.Group() + ours.mid(o.Group().size());
    s.Drop(kEncodings);
    s.Drop(drop);
    for (qsizetype i = 1; i < o.Head.size(); ++i)
        for (const char *n : extra)
            if (ParamName(o.Head.at(i)) == n)
                s.Head << o.Head.at(i);
    s.Value = o.Value;
    return s.Text();
}

// Parts `From` to `To` of a structured value, and whether the field they hold changed.
struct TPartRange
{
    bool Changed;
    int From, To;
};

// A structured value with the parts behind changed fields taken from ours; the others as
// the server wrote them (decoded where the line had an encoding of its own).
QByteArray MergedParts(const QByteArray &server, const TVCardProperty &property, const QByteArray &oursValue,
                       std::initializer_list<TPartRange> ranges, std::initializer_list<const char *> drop = {})
{
    TLine s(server);
    const qsizetype params = s.Head.size();
    s.Drop(kEncodings);
    TParts parts = Cut(s.Head.size() == params ? s.Value : property.Value.toUtf8(), ';', false);
    const TParts mine = Cut(oursValue, ';', false);
    for (const TPartRange &range : ranges) {
        if (!range.Changed)
            continue;
        while (parts.size() <= range.To)
            parts << QByteArray();
        for (int i = range.From; i <= range.To; ++i)
            parts[i] = mine.value(i);
    }
    s.Drop(drop);
    s.Value = parts.join(';');
    return s.Text();
}

// The first of our card's properties named `name` (of address or telephone group `slot`),
// with its group's label when it has one; empty for none.
QList<QByteArray> Ours(const TRawCard &mine, const char *name, int slot = 0)
{
    for (qsizetype i = 0; i < mine.Card.size(); ++i) {
        const TVCardProperty &p = mine.Card.at(i);
        if (p.Name != name || (slot > 0 && p.FirstParam("X-VORLINK-SLOT") != QString::number(slot)))
            continue;
        QList<QByteArray> lines {mine.Logical.at(i)};
        for (qsizetype k = 0; k < mine.Card.size(); ++k)
            if (!p.Group.isEmpty() && mine.Card.at(k).Group == p.Group && mine.Card.at(k).Name == "X-ABLABEL")
                lines << mine.Logical.at(k);
        return lines;
    }
    return {};
}

bool FirmMark(const TVCardProperty &p)
{
    const QString v = p.Value.trimmed();
    return (p.Name == "X-ABSHOWAS" && v.compare(QLatin1String("COMPANY"), Qt::CaseInsensitive) == 0)
        || (p.Name == "KIND" && v.compare(QLatin1String("org"), Qt::CaseInsensitive) == 0);
}

} // namespace

bool SplitCard(const QByteArray &text, TRawCard &out)
{
    const QList<QByteArray> physical = text.split('\n');
    QList<QByteArray> raw; // folded
    QList<QByteArray> logical; // unfolded
    for (QByteArray l : physical) {
        if (l.endsWith('\r'))
            l.chop(1);
        if ((l.startsWith(' ') || l.startsWith('\t')) && !raw.isEmpty()) {
            raw.last() += "\r\n" + l;
            logical.last() += l.mid(1);
        } else if (!l.isEmpty()) {
            raw << l;
            logical << l;
        }
    }
    bool inCard = false;
    for (qsizetype i = 0; i < logical.size(); ++i) {
        TVCardProperty p;
        const bool parsed = TVCardReader::ParseLine(logical.at(i), p);
        const bool marker = parsed && p.Value.trimmed().compare(QLatin1String("VCARD"), Qt::CaseInsensitive) == 0;
        if (!inCard) {
            inCard = marker && p.Name == "BEGIN";
            continue;
        }
        if (marker && p.Name == "END")
            return true;
        if (parsed && p.Name == "VERSION" && p.Group.isEmpty()) {
            out.HasVersion = true;
            out.V4 = p.Value.contains(QLatin1String("4.0"));
        }
        if (!parsed) {
            p = TVCardProperty();
            p.Name = "X-UNREADABLE";
        }
        out.Lines << raw.at(i);
        out.Logical << logical.at(i);
        out.Card << p;
    }
    return false;
}

QByteArray MergeCard(const TRawCard &server, const TContactRecord &r, TCardMapper &mapper, const TFormatWriter &writer,
                     const TBookLabels &labels, const QDateTime &stamp)
{
    TCardSources from;
    const TContactRecord base = mapper.Map(server.Card, &from);
    const QByteArray ownNote = OwnNote(EntryBytes::Note(r), mapper.NoteLines(), mapper.OldLines());
    const bool noteChanged = ownNote != OwnNote(EntryBytes::Note(base), mapper.NoteLines(), {});

    // Our card of the entry, its note without what stands for the server's other properties.
    TContactRecord entry = r;
    entry.SetNote(ownNote);
    QByteArray ours;
    writer.Entry(ours, entry);
    TRawCard mine;
    SplitCard(ours, mine);

    TMergedLines out(server);
    const TVCard &card = server.Card;
    const auto differs = [&](EField f) { return EntryBytes::Field(r, f) != EntryBytes::Field(base, f); };
    // A field, or the fields one property holds, against the property they came from.
    const auto unit = [&](std::initializer_list<EField> fields, const char *name, int slot, const auto &replace) {
        bool changed = false;
        qsizetype at = -1;
        for (EField f : fields) {
            changed = changed || differs(f);
            if (at < 0)
                at = from.Field[size_t(f)];
        }
        if (!changed)
            return;
        const QList<QByteArray> lines = Ours(mine, name, slot);
        if (at >= 0 && !lines.isEmpty())
            out.Replace(at, replace(at, lines.first()));
        else if (at >= 0)
            out.Remove(at);
        else
            out.Add(lines);
    };
    const auto plain = [&](qsizetype at, const QByteArray &o) { return Transplant(server.Logical.at(at), o); };

    unit({EField::NazevPolozky}, "FN", 0, plain);
    if (from.FirmOrg >= 0 && differs(EField::NazevPolozky))
        // A firm's name is its organisation's first part too.
        out.Replace(from.FirmOrg, MergedParts(server.Logical.at(from.FirmOrg), card.at(from.FirmOrg), TLine(Ours(mine, "FN").first()).Value,
                                              {{true, 0, 0}}));
    unit({EField::Prijmeni, EField::Jmeno, EField::TitulPred, EField::TitulZa}, "N", 0, [&](qsizetype at, const QByteArray &o) {
        return MergedParts(server.Logical.at(at), card.at(at), TLine(o).Value,
                           {{differs(EField::Prijmeni), 0, 0}, {differs(EField::Jmeno), 1, 2},
                            {differs(EField::TitulPred), 3, 3}, {differs(EField::TitulZa), 4, 4}});
    });
    unit({EField::Prezdivka}, "NICKNAME", 0, plain);
    for (int a = 1; a <= 3; ++a)
        unit({AddressField(a, 0), AddressField(a, 1), AddressField(a, 2), AddressField(a, 3)}, "ADR", a,
             [&](qsizetype at, const QByteArray &o) {
                 // A phone's code of the address's country no longer says where it is.
                 if (differs(AddressField(a, 2)))
                     out.RemoveInGroup(card.at(at).Group, "X-ABADR");
                 return MergedParts(server.Logical.at(at), card.at(at), TLine(o).Value,
                                    {{differs(AddressField(a, 0)), 0, 2}, {differs(AddressField(a, 1)), 3, 4},
                                     {differs(AddressField(a, 3)), 5, 5}, {differs(AddressField(a, 2)), 6, 6}},
                                    {"LABEL", "GEO"});
             });
    for (int g = 1; g <= 9; ++g)
        unit({PhoneField(g, 0), PhoneField(g, 1), PhoneField(g, 2), PhoneField(g, 3)}, "TEL", g,
             [&](qsizetype at, const QByteArray &o) {
                 // Our codes join the phone's parameters only where the number alone would
                 // not give back the fields as typed.
                 const Mapping::TNumberParts parts = Mapping::SplitNumber(TVCardReader::Unescape(QString::fromUtf8(TLine(o).Value)));
                 const bool plainNumber = parts.Country == Mapping::Text(r, PhoneField(g, 0)) && parts.Area == Mapping::Text(r, PhoneField(g, 1))
                                       && parts.Number == Mapping::Text(r, PhoneField(g, 2)) && parts.Extension == Mapping::Text(r, PhoneField(g, 3));
                 const QByteArray &s = server.Logical.at(at);
                 return plainNumber ? Transplant(s, o, {"VALUE", "X-VORLINK-CODES"}) : Transplant(s, o, {"VALUE", "X-VORLINK-CODES"}, {"X-VORLINK-CODES"});
             });
    unit({EField::Email}, "EMAIL", 0, plain);
    unit({EField::Http}, "URL", 0, plain);
    // A birthday as a date, or as a text no date can hold.
    const char *birthday = Ours(mine, "BDAY").isEmpty() ? "X-VORLINK-NAROZENINY" : "BDAY";
    unit({EField::Narozeniny}, birthday, 0, [&](qsizetype at, const QByteArray &o) {
        return Transplant(server.Logical.at(at), o, {"VALUE", "X-APPLE-OMIT-YEAR"}, {"X-APPLE-OMIT-YEAR"});
    });
    unit({EField::Zamestnani}, "TITLE", 0, plain);
    for (const auto &[f, name] : {std::pair {EField::Vzdelani, "X-VORLINK-EDUCATION"}, {EField::Svatek, "X-VORLINK-NAMEDAY"},
                                  {EField::RodneCislo, "X-VORLINK-RODNE-CISLO"}, {EField::Ico, "X-VORLINK-ICO"},
                                  {EField::Dic, "X-VORLINK-DIC"}, {EField::Banka, "X-VORLINK-BANK"}, {EField::Ucet, "X-VORLINK-ACCOUNT"}})
        unit({f}, name, 0, plain);

    if (noteChanged) {
        const QList<QByteArray> note = Ours(mine, "NOTE");
        for (qsizetype k = 0; k < from.Notes.size(); ++k)
            if (k == 0 && !note.isEmpty())
                out.Replace(from.Notes.at(k), Transplant(server.Logical.at(from.Notes.at(k)), note.first()));
            else
                out.Remove(from.Notes.at(k));
        if (from.Notes.isEmpty())
            out.Add(note);
    }

    // Flags: the card's categories stay as it wrote them but for those of cleared flags;
    // the captions of flags newly set join its first.
    TParts added;
    bool cleared = false;
    std::array<QString, kFlagCount> captions;
    for (int i = 0; i < kFlagCount; ++i) {
        captions[size_t(i)] = FromCp1250(labels.FlagCaptions[size_t(i)]).trimmed();
        if (captions[size_t(i)].isEmpty() || r.Flag(i + 1) == base.Flag(i + 1))
            continue;
        if (r.Flag(i + 1))
            added << ContentLine::Escape(captions[size_t(i)]).toUtf8();
        else
            cleared = true;
    }
    if (!added.isEmpty() || cleared) {
        for (qsizetype at : from.Categories) {
            TLine line(server.Logical.at(at));
            TParts kept;
            for (const QByteArray &item : Cut(line.Value, ',', false)) {
                const QString text = TVCardReader::Unescape(QString::fromUtf8(item)).trimmed();
                bool gone = false;
                for (int i = 0; i < kFlagCount; ++i)
                    gone = gone || (!captions[size_t(i)].isEmpty() && !r.Flag(i + 1) && captions[size_t(i)].compare(text, Qt::CaseInsensitive) == 0);
                if (!gone)
                    kept << item;
            }
            if (at == from.Categories.first())
                kept << added;
            line.Value = kept.join(',');
            if (kept.isEmpty())
                out.Remove(at);
            else
                out.Replace(at, line.Text());
        }
        if (from.Categories.isEmpty() && !added.isEmpty())
            out.Add({"CATEGORIES:" + added.join(',')});
    }

    // An entry that became a firm is marked as one; a phone's own mark is never taken off.
    if (Mapping::IsCompany(r, labels.FlagCaptions) && !Mapping::IsCompany(base, labels.FlagCaptions)) {
        bool marked = false, org = false;
        for (const TVCardProperty &p : card) {
            marked = marked || FirmMark(p);
            org = org || p.Name == "ORG";
        }
        if (!marked)
            out.Add(Ours(mine, server.V4 ? "KIND" : "X-ABSHOWAS"));
        if (!org)
            out.Add(Ours(mine, "ORG"));
    }

    // The revision, in the form the card wrote it, says when the book changed it.
    if (out.Changed())
        for (qsizetype i = 0; i < card.size(); ++i) {
            if (card.at(i).Name != "REV" || out.Gone(i))
                continue;
            if (!stamp.isValid()) {
                out.Remove(i);
                continue;
            }
            TLine line(server.Logical.at(i));
            line.Value = stamp.toUTC()
                             .toString(card.at(i).Value.contains(QLatin1Char('-')) ? u"yyyy-MM-dd'T'HH:mm:ss'Z'" : u"yyyyMMdd'T'HHmmss'Z'")
                             .toUtf8();
            out.Replace(i, line.Text());
        }
    return out.Text();
}
