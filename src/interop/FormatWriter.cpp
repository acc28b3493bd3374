#include "interop/FormatWriter.h"

#include "interop/Mapping.h"
#include "util/Cp1250.h"

#include <QRegularExpression>

#include <vector>

using namespace Mapping;

namespace {

QByteArray U8(const QString &s) { return s.toUtf8(); }
QString U(const char *s) { return QString::fromUtf8(s); }

QString Address(int address, int part, const TContactRecord &r) { return Text(r, AddressField(address, part)); }
QString Phone(int group, int part, const TContactRecord &r) { return Text(r, PhoneField(group, part)); }

// A group's number in international form with its extension; empty without a number.
QString GroupNumber(int group, const TContactRecord &r, const TExportOptions &o)
{
    QString number = InternationalNumber(Phone(group, 0, r), Phone(group, 1, r), Phone(group, 2, r), o.OwnCountry,
                                         o.OwnArea);
    const QString ext = Phone(group, 3, r);
    if (!number.isEmpty() && !ext.isEmpty())
        number += QStringLiteral(" ext. ") + ext;
    return number;
}

bool HasAddress(const TContactRecord &r, int a)
{
    for (int part = 0; part < 4; ++part)
        if (!Address(a, part, r).isEmpty())
            return true;
    return false;
}

// A quoted parameter value holds no quote and no control character (RFC 6350 QSAFE-CHAR).
QString ParamText(QString text)
{
    // The comma separates the codes.
    text.removeIf([](QChar c) { return c == QLatin1Char('"') || c == QLatin1Char(',') || c.unicode() < 0x20 || c.unicode() == 0x7F; });
    return text;
}

// The note with its own line breaks: CR LF in the book, one break in every format.
QString NoteText(const TContactRecord &r)
{
    QString n = FromCp1250(r.Note());
    n.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    n.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    while (n.endsWith(QLatin1Char('\n')))
        n.chop(1);
    return n;
}

} // namespace

namespace ContentLine {

QString Escape(const QString &text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\') || c == QLatin1Char(',') || c == QLatin1Char(';')) {
            out += QLatin1Char('\\');
            out += c;
        } else if (c == QLatin1Char('\r')) {
            out += QLatin1String("\\n");
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('\n')) {
            out += QLatin1String("\\n");
        } else if ((c.unicode() < 0x20 && c != QLatin1Char('\t')) || c.unicode() == 0x7F) {
            // Other control characters have no place in a content line.
        } else {
            out += c;
        }
    }
    return out;
}

void Append(QByteArray &out, const QByteArray &line)
{
    constexpr qsizetype kMax = 75;
    qsizetype pos = 0;
    qsizetype room = kMax;
    while (line.size() - pos > room) {
        qsizetype cut = pos + room;
        // Back to the start of a UTF-8 sequence.
        while (cut > pos && (uchar(line[cut]) & 0xC0) == 0x80)
            --cut;
        out.append(line.constData() + pos, cut - pos);
        out.append("\r\n ");
        pos = cut;
        room = kMax - 1;
    }
    out.append(line.constData() + pos, line.size() - pos);
    out.append("\r\n");
}

} // namespace ContentLine

TFormatWriter::TFormatWriter(const TBookLabels &labels, const TExportOptions &options)
    : m_labels(labels), m_o(options)
{
    for (int i = 0; i < 9; ++i) {
        m_phoneCaptions[size_t(i)] = FromCp1250(labels.PhoneCaptions[size_t(i)]).trimmed();
        m_phoneKinds[size_t(i)] = CaptionKinds(m_phoneCaptions[size_t(i)]);
    }
    for (int i = 0; i < 3; ++i) {
        m_addressCaptions[size_t(i)] = FromCp1250(labels.AddressCaptions[size_t(i)]).trimmed();
        m_addressKinds[size_t(i)] = CaptionKinds(m_addressCaptions[size_t(i)]);
    }
}

void TFormatWriter::Begin(QByteArray &out) const
{
    switch (m_o.Format) {
    case TInteropFormat::CsvGoogle:
    case TInteropFormat::CsvOutlook:
        CsvRow(out, CsvHeader(m_o.Format));
        break;
    case TInteropFormat::Ics:
        ContentLine::Append(out, "BEGIN:VCALENDAR");
        ContentLine::Append(out, "VERSION:2.0");
        ContentLine::Append(out, "PRODID:-//Vorlink//Vorlink//CS");
        ContentLine::Append(out, "CALSCALE:GREGORIAN");
        ContentLine::Append(out, U8(U("X-WR-CALNAME:Narozeniny a svátky")));
        break;
    default:
        break;
    }
}

void TFormatWriter::End(QByteArray &out) const
{
    if (m_o.Format == TInteropFormat::Ics)
        ContentLine::Append(out, "END:VCALENDAR");
}

int TFormatWriter::Entry(QByteArray &out, const TContactRecord &r) const
{
    switch (m_o.Format) {
    case TInteropFormat::VCard3:
    case TInteropFormat::VCard4:
        return VCard(out, r);
    case TInteropFormat::CsvGoogle:
        return CsvGoogle(out, r);
    case TInteropFormat::CsvOutlook:
        return CsvOutlook(out, r);
    case TInteropFormat::Ics:
        return Events(out, r);
    }
    return 0;
}

int TFormatWriter::VCard(QByteArray &out, const TContactRecord &r) const
{
    using ContentLine::Escape;
    const bool v4 = m_o.Format == TInteropFormat::VCard4;
    const auto line = [&out](const QString &l) { ContentLine::Append(out, U8(l)); };
    const auto text = [&](const char *name, EField f) {
        const QString t = Text(r, f);
        if (!t.isEmpty())
            line(QLatin1String(name) + QLatin1Char(':') + Escape(t));
    };
    line(QStringLiteral("BEGIN:VCARD"));
    line(v4 ? QStringLiteral("VERSION:4.0") : QStringLiteral("VERSION:3.0"));
    line(QStringLiteral("PRODID:-//Vorlink//Vorlink//CS"));
    line(QStringLiteral("UID:vorlink-") + QLatin1String(EntryId(r)));
    const bool company = IsCompany(r, m_labels.FlagCaptions);
    if (company)
        line(v4 ? QStringLiteral("KIND:org") : QStringLiteral("X-ABShowAs:COMPANY"));
    line(QStringLiteral("FN:") + Escape(FromCp1250(r.NameView())));
    line(QStringLiteral("N:") + Escape(Text(r, EField::Prijmeni)) + QLatin1Char(';') + Escape(Text(r, EField::Jmeno))
         + QStringLiteral(";;") + Escape(Text(r, EField::TitulPred)) + QLatin1Char(';')
         + Escape(Text(r, EField::TitulZa)));
    if (company)
        line(QStringLiteral("ORG:") + Escape(FromCp1250(r.NameView()).trimmed()));
    // Nicknames are a list: "máma, Mom" goes out as two.
    const QString nicknames = Text(r, EField::Prezdivka);
    if (!nicknames.isEmpty()) {
        QStringList list;
        for (const QString &n : nicknames.split(QLatin1Char(','), Qt::SkipEmptyParts))
            if (!n.trimmed().isEmpty())
                list << Escape(n.trimmed());
        line(QStringLiteral("NICKNAME:") + list.join(QLatin1Char(',')));
    }

    int item = 0;
    // A caption of a standard kind travels as TYPE, which every reader knows; any other
    // caption as the label of a group, the way phones show their own captions.
    const auto labelled = [&](const QString &prop, const QByteArray &caption, unsigned kinds, int slot,
                              const QString &value, const QString &extraParams = {}) {
        QStringList types;
        if (kinds & Home)
            types << QStringLiteral("home");
        if (kinds & Work)
            types << QStringLiteral("work");
        if (kinds & Cell)
            types << QStringLiteral("cell");
        if (kinds & Fax)
            types << QStringLiteral("fax");
        const QString c = kinds ? QString() : FromCp1250(caption).trimmed();
        QString head = prop;
        if (!c.isEmpty())
            head = QStringLiteral("item%1.").arg(++item) + prop;
        if (!types.isEmpty())
            head += QStringLiteral(";TYPE=") + types.join(QLatin1Char(','));
        head += QStringLiteral(";X-VORLINK-SLOT=%1").arg(slot) + extraParams + QLatin1Char(':');
        line(head + value);
        if (!c.isEmpty())
            line(QStringLiteral("item%1.X-ABLabel:").arg(item) + Escape(c));
    };
    for (int a = 1; a <= 3; ++a) {
        if (!HasAddress(r, a))
            continue;
        const QByteArray &caption = m_labels.AddressCaptions[size_t(a - 1)];
        const QString value = QStringLiteral(";;") + Escape(Address(a, 0, r)) + QLatin1Char(';')
                              + Escape(Address(a, 1, r)) + QLatin1Char(';') + QLatin1Char(';')
                              + Escape(Address(a, 3, r)) + QLatin1Char(';') + Escape(Address(a, 2, r));
        labelled(QStringLiteral("ADR"), caption, m_addressKinds[size_t(a - 1)] & (Home | Work), a, value);
    }
    for (int g = 1; g <= 9; ++g) {
        const QString number = GroupNumber(g, r, m_o);
        if (number.isEmpty())
            continue;
        const QByteArray &caption = m_labels.PhoneCaptions[size_t(g - 1)];
        // The codes as typed, so that reading the card back gives the group's own fields
        // (a code filled in from the settings is not one of them).
        // A third part "+" marks a number typed whole, which the codes did not compose.
        QString codes = QStringLiteral(";X-VORLINK-CODES=\"%1,%2").arg(ParamText(Phone(g, 0, r)), ParamText(Phone(g, 1, r)));
        if (HasInternationalPrefix(Phone(g, 2, r)))
            codes += QStringLiteral(",+");
        codes += QLatin1Char('"');
        labelled(QStringLiteral("TEL"), caption, m_phoneKinds[size_t(g - 1)], g, Escape(number), codes);
    }
    const QString email = Text(r, EField::Email);
    if (!email.isEmpty())
        line((v4 ? QStringLiteral("EMAIL:") : QStringLiteral("EMAIL;TYPE=internet:")) + Escape(email));
    text("URL", EField::Http);

    const QString birthday = Text(r, EField::Narozeniny);
    const TDayOfYear b = ParseDay(birthday);
    if (b.Valid() && b.HasYear()) {
        line(QStringLiteral("BDAY:") + QDate(b.Year, b.Month, b.Day).toString(v4 ? u"yyyyMMdd" : u"yyyy-MM-dd"));
    } else if (b.Valid()) {
        // Without a year: vCard 4 has its own form, older readers know the omitted-year mark.
        if (v4)
            line(QStringLiteral("BDAY:--%1%2").arg(b.Month, 2, 10, QLatin1Char('0')).arg(b.Day, 2, 10, QLatin1Char('0')));
        else
            line(QStringLiteral("BDAY;X-APPLE-OMIT-YEAR=1604:1604-%1-%2")
                     .arg(b.Month, 2, 10, QLatin1Char('0'))
                     .arg(b.Day, 2, 10, QLatin1Char('0')));
    } else if (!birthday.isEmpty()) {
        line(QStringLiteral("X-VORLINK-NAROZENINY:") + Escape(birthday));
    }
    const QString note = NoteText(r);
    if (!note.isEmpty())
        line(QStringLiteral("NOTE:") + Escape(note));
    // The occupation is the job title; education has no property of its own.
    text("TITLE", EField::Zamestnani);
    const QStringList flags = FlagNames(r, m_labels.FlagCaptions);
    if (!flags.isEmpty()) {
        QStringList escaped;
        for (const QString &f : flags)
            escaped << Escape(f);
        line(QStringLiteral("CATEGORIES:") + escaped.join(QLatin1Char(',')));
    }
    text("X-VORLINK-EDUCATION", EField::Vzdelani);
    text("X-VORLINK-NAMEDAY", EField::Svatek);
    text("X-VORLINK-RODNE-CISLO", EField::RodneCislo);
    text("X-VORLINK-ICO", EField::Ico);
    text("X-VORLINK-DIC", EField::Dic);
    text("X-VORLINK-BANK", EField::Banka);
    text("X-VORLINK-ACCOUNT", EField::Ucet);
    line(QStringLiteral("END:VCARD"));
    return 1;
}

// ---- CSV -----------------------------------------------------------------------------

namespace {

constexpr int kGooglePhones = 9;
constexpr int kGoogleAddresses = 3;

const char *const kOutlookHeader[] = {
    "Title", "First Name", "Middle Name", "Last Name", "Suffix", "Nickname", "E-mail Address", "Home Phone",
    "Home Phone 2", "Business Phone", "Business Phone 2", "Mobile Phone", "Business Fax", "Home Fax", "Other Phone",
    "Other Fax", "Car Phone", "Job Title", "Company", "Home Street", "Home City", "Home Postal Code",
    "Home Country/Region", "Business Street", "Business City", "Business Postal Code", "Business Country/Region",
    "Other Street", "Other City", "Other Postal Code", "Other Country/Region", "Web Page", "Birthday", "Notes",
    "Categories", "Government ID Number", "Organizational ID Number", "Account"};

int OutlookColumn(const char *name)
{
    for (int i = 0; i < int(std::size(kOutlookHeader)); ++i)
        if (qstrcmp(kOutlookHeader[i], name) == 0)
            return i;
    Q_ASSERT(false);
    return -1;
}

QString DayText(const TDayOfYear &d, bool iso)
{
    if (!d.Valid())
        return {};
    if (iso)
        return d.HasYear() ? QDate(d.Year, d.Month, d.Day).toString(u"yyyy-MM-dd")
                           : QStringLiteral("--%1-%2").arg(d.Month, 2, 10, QLatin1Char('0')).arg(d.Day, 2, 10, QLatin1Char('0'));
    // The Czech Outlook reads dates as they are written in Czech.
    return d.HasYear() ? QStringLiteral("%1.%2.%3").arg(d.Day).arg(d.Month).arg(d.Year)
                       : QStringLiteral("%1.%2.").arg(d.Day).arg(d.Month);
}

// "Label: text" for each field that holds something, in the order given.
QStringList LabelledLines(const TContactRecord &r, std::initializer_list<std::pair<const char *, EField>> fields)
{
    QStringList lines;
    for (const auto &[label, f] : fields) {
        const QString t = Text(r, f);
        if (!t.isEmpty())
            lines << QString::fromUtf8(label) + QStringLiteral(": ") + t;
    }
    return lines;
}

QString ExtraLines(const TContactRecord &r)
{
    // What the tables have no column for goes to the note, each on its line.
    return LabelledLines(r, {{"Vzdělání", EField::Vzdelani},
                             {"Svátek", EField::Svatek},
                             {"Rodné číslo", EField::RodneCislo},
                             {"IČO", EField::Ico},
                             {"DIČ", EField::Dic},
                             {"Banka", EField::Banka},
                             {"Účet", EField::Ucet}})
        .join(QLatin1Char('\n'));
}

QString JoinNote(const QString &note, const QString &extra)
{
    if (extra.isEmpty())
        return note;
    return note.isEmpty() ? extra : note + QLatin1Char('\n') + extra;
}

} // namespace

QStringList TFormatWriter::CsvHeader(TInteropFormat format)
{
    QStringList h;
    if (format == TInteropFormat::CsvOutlook) {
        for (const char *c : kOutlookHeader)
            h << QLatin1String(c);
        return h;
    }
    h << QStringLiteral("Name") << QStringLiteral("Given Name") << QStringLiteral("Additional Name")
      << QStringLiteral("Family Name") << QStringLiteral("Name Prefix") << QStringLiteral("Name Suffix")
      << QStringLiteral("Nickname") << QStringLiteral("Birthday") << QStringLiteral("Notes") << QStringLiteral("Group Membership") << QStringLiteral("E-mail 1 - Type")
      << QStringLiteral("E-mail 1 - Value");
    for (int i = 1; i <= kGooglePhones; ++i)
        h << QStringLiteral("Phone %1 - Type").arg(i) << QStringLiteral("Phone %1 - Value").arg(i);
    for (int i = 1; i <= kGoogleAddresses; ++i)
        for (const char *part : {"Type", "Street", "City", "Postal Code", "Country"})
            h << QStringLiteral("Address %1 - ").arg(i) + QLatin1String(part);
    h << QStringLiteral("Organization 1 - Name") << QStringLiteral("Organization 1 - Title")
      << QStringLiteral("Website 1 - Type")
      << QStringLiteral("Website 1 - Value") << QStringLiteral("Custom Field 1 - Type")
      << QStringLiteral("Custom Field 1 - Value");
    return h;
}

namespace {

// A cell a spreadsheet would take for a formula (=, +, -, @ first) is shown as text by a
// leading apostrophe, unless it is a plain number such as "+420 602 123 456", which no
// spreadsheet can turn into a call.
bool FormulaLike(const QString &cell)
{
    if (cell.isEmpty())
        return false;
    const QChar first = cell.at(0);
    if (first != QLatin1Char('=') && first != QLatin1Char('+') && first != QLatin1Char('-') && first != QLatin1Char('@')
        && first != QLatin1Char('\t') && first != QLatin1Char('\r'))
        return false;
    static const QRegularExpression number(QStringLiteral("^[+-]?[0-9 ()./-]*[0-9][0-9 ()./-]*( ext\\. [0-9]+)?$"));
    return !number.match(cell).hasMatch();
}

} // namespace

void TFormatWriter::CsvRow(QByteArray &out, const QStringList &cells) const
{
    QString row;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i)
            row += QLatin1Char(',');
        QString c = cells.at(i);
        if (FormulaLike(c))
            c.prepend(QLatin1Char('\''));
        if (c.contains(QLatin1Char('"')) || c.contains(QLatin1Char(',')) || c.contains(QLatin1Char('\n'))
            || c.contains(QLatin1Char('\r'))) {
            c.replace(QLatin1Char('"'), QLatin1String("\"\""));
            c = QLatin1Char('"') + c + QLatin1Char('"');
        }
        row += c;
    }
    row += QLatin1String("\r\n");
    out += (m_o.Format == TInteropFormat::CsvOutlook && m_o.OutlookCp1250) ? ToCp1250(row) : row.toUtf8();
}

int TFormatWriter::CsvGoogle(QByteArray &out, const TContactRecord &r) const
{
    QStringList c;
    QStringList groups = FlagNames(r, m_labels.FlagCaptions);
    groups << QStringLiteral("* myContacts");
    c << FromCp1250(r.NameView()) << Text(r, EField::Jmeno) << QString() << Text(r, EField::Prijmeni)
      << Text(r, EField::TitulPred) << Text(r, EField::TitulZa) << Text(r, EField::Prezdivka)
      << DayText(ParseDay(Text(r, EField::Narozeniny)), true) << JoinNote(NoteText(r), ExtraLines(r)) << groups.join(QStringLiteral(" ::: "));
    const QString email = Text(r, EField::Email);
    c << (email.isEmpty() ? QString() : QStringLiteral("* ")) << email;
    int phones = 0;
    for (int g = 1; g <= 9; ++g) {
        const QString number = GroupNumber(g, r, m_o);
        if (number.isEmpty())
            continue;
        const unsigned k = m_phoneKinds[size_t(g - 1)];
        const QString type = (k & Cell)                 ? QStringLiteral("Mobile")
                           : (k & Fax) && (k & Home)    ? QStringLiteral("Home Fax")
                           : (k & Fax)                  ? QStringLiteral("Work Fax")
                           : (k & Work)                 ? QStringLiteral("Work")
                           : (k & Home)                 ? QStringLiteral("Home")
                                                        : m_phoneCaptions[size_t(g - 1)];
        c << type << number;
        ++phones;
    }
    for (; phones < kGooglePhones; ++phones)
        c << QString() << QString();
    int addresses = 0;
    for (int a = 1; a <= 3; ++a) {
        if (!HasAddress(r, a))
            continue;
        const QString &caption = m_addressCaptions[size_t(a - 1)];
        const unsigned k = m_addressKinds[size_t(a - 1)];
        c << ((k & Home) ? QStringLiteral("Home") : (k & Work) ? QStringLiteral("Work") : caption)
          << Address(a, 0, r) << Address(a, 1, r) << Address(a, 3, r) << Address(a, 2, r);
        ++addresses;
    }
    for (; addresses < kGoogleAddresses; ++addresses)
        c << QString() << QString() << QString() << QString() << QString();
    const QString web = Text(r, EField::Http);
    const QString nameDay = ParseDay(Text(r, EField::Svatek)).Valid() ? Text(r, EField::Svatek) : QString();
    const QString company = IsCompany(r, m_labels.FlagCaptions) ? FromCp1250(r.NameView()).trimmed() : QString();
    c << company << Text(r, EField::Zamestnani) << (web.isEmpty() ? QString() : QStringLiteral("Homepage")) << web
      << (nameDay.isEmpty() ? QString() : U("Svátek")) << nameDay;
    CsvRow(out, c);
    return 1;
}

int TFormatWriter::CsvOutlook(QByteArray &out, const TContactRecord &r) const
{
    QStringList c(int(std::size(kOutlookHeader)));
    const auto set = [&c](const char *column, const QString &value) { c[OutlookColumn(column)] = value; };
    set("Title", Text(r, EField::TitulPred));
    set("First Name", Text(r, EField::Jmeno));
    set("Last Name", Text(r, EField::Prijmeni));
    set("Suffix", Text(r, EField::TitulZa));
    set("Nickname", Text(r, EField::Prezdivka));
    set("E-mail Address", Text(r, EField::Email));
    set("Job Title", Text(r, EField::Zamestnani));
    set("Web Page", Text(r, EField::Http));
    set("Birthday", DayText(ParseDay(Text(r, EField::Narozeniny)), false));
    set("Categories", FlagNames(r, m_labels.FlagCaptions).join(QLatin1Char(';')));
    set("Government ID Number", Text(r, EField::RodneCislo));
    set("Organizational ID Number", Text(r, EField::Ico));
    set("Account", Text(r, EField::Ucet));
    QStringList overflow;
    // Outlook has fixed telephone columns: each group takes the first free one of its
    // kind; what finds none goes to the note with its caption.
    for (int g = 1; g <= 9; ++g) {
        const QString number = GroupNumber(g, r, m_o);
        if (number.isEmpty())
            continue;
        const QString &caption = m_phoneCaptions[size_t(g - 1)];
        const unsigned k = m_phoneKinds[size_t(g - 1)];
        std::vector<const char *> columns = {"Other Phone", "Car Phone"};
        if (k & Cell)
            columns = {"Mobile Phone", "Car Phone", "Other Phone"};
        else if ((k & Fax) && (k & Home))
            columns = {"Home Fax", "Other Fax"};
        else if (k & Fax)
            columns = {"Business Fax", "Other Fax"};
        else if (k & Work)
            columns = {"Business Phone", "Business Phone 2", "Other Phone"};
        else if (k & Home)
            columns = {"Home Phone", "Home Phone 2", "Other Phone"};
        bool placed = false;
        for (const char *col : columns) {
            QString &cell = c[OutlookColumn(col)];
            if (cell.isEmpty()) {
                cell = number;
                placed = true;
                break;
            }
        }
        if (!placed)
            overflow << (caption.isEmpty() ? number : caption + QStringLiteral(": ") + number);
    }
    const char *streets[3][4] = {{"Home Street", "Home City", "Home Country/Region", "Home Postal Code"},
                                 {"Business Street", "Business City", "Business Country/Region", "Business Postal Code"},
                                 {"Other Street", "Other City", "Other Country/Region", "Other Postal Code"}};
    for (int a = 1; a <= 3; ++a) {
        if (!HasAddress(r, a))
            continue;
        const QString &caption = m_addressCaptions[size_t(a - 1)];
        const unsigned k = m_addressKinds[size_t(a - 1)];
        int order[3] = {2, 0, 1};
        if (k & Home)
            order[0] = 0, order[1] = 2, order[2] = 1;
        else if (k & Work)
            order[0] = 1, order[1] = 2, order[2] = 0;
        bool placed = false;
        for (int o : order) {
            if (!c[OutlookColumn(streets[o][0])].isEmpty() || !c[OutlookColumn(streets[o][1])].isEmpty()
                || !c[OutlookColumn(streets[o][2])].isEmpty() || !c[OutlookColumn(streets[o][3])].isEmpty())
                continue;
            for (int part = 0; part < 4; ++part)
                c[OutlookColumn(streets[o][part])] = Address(a, part, r);
            placed = true;
            break;
        }
        if (!placed)
            overflow << caption + QStringLiteral(": ") + Address(a, 0, r) + QStringLiteral(", ") + Address(a, 3, r)
                            + QLatin1Char(' ') + Address(a, 1, r) + QStringLiteral(", ") + Address(a, 2, r);
    }
    QString extra;
    {
        QStringList lines = LabelledLines(
            r, {{"Vzdělání", EField::Vzdelani}, {"Svátek", EField::Svatek}, {"DIČ", EField::Dic}, {"Banka", EField::Banka}});
        lines << overflow;
        extra = lines.join(QLatin1Char('\n'));
    }
    // A firm's name is its company; a person's name Outlook cannot compose from the parts
    // goes to the note.
    const QString name = FromCp1250(r.NameView()).trimmed();
    const QString composed = (Text(r, EField::Jmeno) + QLatin1Char(' ') + Text(r, EField::Prijmeni)).trimmed();
    const QString reversed = (Text(r, EField::Prijmeni) + QLatin1Char(' ') + Text(r, EField::Jmeno)).trimmed();
    if (IsCompany(r, m_labels.FlagCaptions))
        set("Company", name);
    else if (name != composed && name != reversed)
        extra = JoinNote(U("Název: ") + name, extra);
    set("Notes", JoinNote(NoteText(r), extra));
    CsvRow(out, c);
    return 1;
}

// ---- iCalendar -------------------------------------------------------------------------

int TFormatWriter::Events(QByteArray &out, const TContactRecord &r) const
{
    using ContentLine::Escape;
    const QString name = FromCp1250(r.NameView()).trimmed();
    int events = 0;
    const auto event = [&](const char *kind, const char *title, const TDayOfYear &d) {
        // Name days have no year; 2000 is a leap year, so 29 February is a day too.
        const QDate start(d.HasYear() ? d.Year : 2000, d.Month, d.Day);
        const auto line = [&out](const QString &l) { ContentLine::Append(out, U8(l)); };
        const QString summary = U(title) + QStringLiteral(": ") + name;
        line(QStringLiteral("BEGIN:VEVENT"));
        line(QStringLiteral("UID:") + QLatin1String(EntryId(r)) + QLatin1Char('-') + QLatin1String(kind)
             + QStringLiteral("@vorlink"));
        line(QStringLiteral("DTSTAMP:") + m_o.Stamp.toUTC().toString(u"yyyyMMdd'T'HHmmss'Z'"));
        line(QStringLiteral("DTSTART;VALUE=DATE:") + start.toString(u"yyyyMMdd"));
        line(QStringLiteral("DTEND;VALUE=DATE:") + start.addDays(1).toString(u"yyyyMMdd"));
        if (d.Month == 2 && d.Day == 29)
            line(QStringLiteral("RRULE:FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1"));
        else
            line(QStringLiteral("RRULE:FREQ=YEARLY"));
        line(QStringLiteral("SUMMARY:") + Escape(summary));
        line(QStringLiteral("CATEGORIES:") + Escape(U(title)));
        line(QStringLiteral("TRANSP:TRANSPARENT"));
        if (m_o.AlarmDays >= 0) {
            line(QStringLiteral("BEGIN:VALARM"));
            line(QStringLiteral("ACTION:DISPLAY"));
            line(QStringLiteral("DESCRIPTION:") + Escape(summary));
            line(m_o.AlarmDays == 0 ? QStringLiteral("TRIGGER:PT0S") : QStringLiteral("TRIGGER:-P%1D").arg(m_o.AlarmDays));
            line(QStringLiteral("END:VALARM"));
        }
        line(QStringLiteral("END:VEVENT"));
        ++events;
    };
    const QString birthdayText = Text(r, EField::Narozeniny);
    const TDayOfYear birthday = ParseDay(birthdayText);
    if (birthday.Valid())
        event("narozeniny", "Narozeniny", birthday);
    else if (!birthdayText.isEmpty())
        ++m_skippedDates;
    const QString nameDayText = Text(r, EField::Svatek);
    const TDayOfYear nameDay = ParseDay(nameDayText);
    if (nameDay.Valid())
        event("svatek", "Svátek", TDayOfYear {nameDay.Day, nameDay.Month, 0});
    else if (!nameDayText.isEmpty())
        ++m_skippedDates;
    return events;
}
