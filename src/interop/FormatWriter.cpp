#include "interop/FormatWriter.h"

#include "interop/EntryBytes.h"
#include "interop/Mapping.h"
#include "util/Cp1250.h"

#include <cstring>
#include <span>
#include <string_view>

using namespace Mapping;
using namespace EntryBytes;

namespace {

QByteArray U8(const QString &s) { return s.toUtf8(); }

bool HasAddress(TRecordView r, int a)
{
    for (int part = 0; part < 4; ++part)
        if (!Field(r, AddressField(a, part)).isEmpty())
            return true;
    return false;
}

QByteArrayView Address(int address, int part, TRecordView r) { return Field(r, AddressField(address, part)); }

void AppendNumber(TByteAppender &out, int n)
{
    char digits[12];
    int i = sizeof digits;
    unsigned u = n < 0 ? 0u - unsigned(n) : unsigned(n);
    do {
        digits[--i] = char('0' + u % 10);
        u /= 10;
    } while (u);
    if (n < 0)
        digits[--i] = '-';
    out.Append(digits + i, qsizetype(sizeof digits) - i);
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

void Append(TByteAppender &out, QByteArrayView line)
{
    constexpr qsizetype kMax = 75;
    // Room for the line, its end and every fold a line of this length can need (a fold
    // moved back to a character's start only makes the next piece shorter by up to 3).
    char *d = out.Room(line.size() + 2 + 3 * (line.size() / (kMax - 4) + 1));
    qsizetype pos = 0;
    qsizetype room = kMax;
    while (line.size() - pos > room) {
        qsizetype cut = pos + room;
        // Back to the start of a UTF-8 sequence; bytes that are not UTF-8 are cut anywhere.
        while (cut > pos + room - 4 && (uchar(line[cut]) & 0xC0) == 0x80)
            --cut;
        std::memcpy(d, line.data() + pos, size_t(cut - pos));
        d += cut - pos;
        std::memcpy(d, "\r\n ", 3);
        d += 3;
        pos = cut;
        room = kMax - 1;
    }
    if (line.size() > pos)
        std::memcpy(d, line.data() + pos, size_t(line.size() - pos));
    d += line.size() - pos;
    *d++ = '\r';
    *d++ = '\n';
    out.Advance(d);
}

void Append(QByteArray &out, QByteArrayView line)
{
    TByteAppender a(out);
    Append(a, line);
}

} // namespace ContentLine

TFormatWriter::TFormatWriter(const TBookLabels &labels, const TExportOptions &options)
    : m_labels(labels), m_o(options)
{
    using ContentLine::Escape;
    const auto types = [](unsigned kinds) {
        QByteArray t;
        for (const auto &[kind, name] : {std::pair {Home, "home"}, {Work, "work"}, {Cell, "cell"}, {Fax, "fax"}})
            if (kinds & kind)
                t += (t.isEmpty() ? ";TYPE=" : ",") + QByteArray(name);
        return t;
    };
    for (size_t i = 0; i < 9; ++i) {
        const QString caption = FromCp1250(labels.PhoneCaptions[i]).trimmed();
        m_phoneKinds[i] = CaptionKinds(caption);
        m_phoneCaptions[i] = U8(caption);
        // A caption of a standard kind travels as TYPE, which every reader knows; any other
        // caption as the label of a group, the way phones show their own captions.
        m_phoneLabelled[i] = !m_phoneKinds[i] && !caption.isEmpty();
        m_phoneLabels[i] = U8(Escape(caption));
        m_phoneTypes[i] = types(m_phoneKinds[i]);
    }
    for (size_t i = 0; i < 3; ++i) {
        const QString caption = FromCp1250(labels.AddressCaptions[i]).trimmed();
        m_addressKinds[i] = CaptionKinds(caption);
        m_addressCaptions[i] = U8(caption);
        const unsigned kinds = m_addressKinds[i] & (Home | Work);
        m_addressLabelled[i] = !kinds && !caption.isEmpty();
        m_addressLabels[i] = U8(Escape(caption));
        m_addressTypes[i] = types(kinds);
    }
    for (size_t i = 0; i < 10; ++i) {
        const QString caption = FromCp1250(labels.FlagCaptions[i]).trimmed();
        m_flags[i] = U8(caption);
        m_flagsEscaped[i] = U8(Escape(caption));
        if (caption.compare(QLatin1String("Firma"), Qt::CaseInsensitive) == 0)
            m_firmFlags |= 1u << i;
    }
    for (QChar c : options.OwnCountry)
        if (c.isDigit())
            m_ownDigits += U8(QString(c));
    m_stamp = options.Stamp.toUTC().toString(u"yyyyMMdd'T'HHmmss'Z'").toUtf8();
}

bool TFormatWriter::IsCompany(TRecordView r) const
{
    if (r.TextView(EField::Jmeno).trimmed().isEmpty() && r.TextView(EField::Prijmeni).trimmed().isEmpty())
        return !r.NameView().trimmed().isEmpty();
    for (int i = 0; i < 10; ++i)
        if ((m_firmFlags & (1u << i)) && r.Flag(i + 1))
            return true;
    return false;
}

bool TFormatWriter::AppendFlags(TByteAppender &out, TRecordView r, const char *separator, bool escaped) const
{
    bool first = true;
    for (size_t i = 0; i < 10; ++i) {
        if (!r.Flag(int(i) + 1) || m_flags[i].isEmpty())
            continue;
        if (!first)
            out.Append(separator);
        first = false;
        out.Append(escaped ? m_flagsEscaped[i] : m_flags[i]);
    }
    return !first;
}

void TFormatWriter::Begin(QByteArray &out) const
{
    switch (m_o.Format) {
    case TInteropFormat::CsvGoogle:
    case TInteropFormat::CsvOutlook: {
        const QStringList header = CsvHeader(m_o.Format);
        for (qsizetype i = 0; i < header.size(); ++i)
            m_cells[size_t(i)].Truncate(0), m_cells[size_t(i)].Append(U8(header.at(i)));
        CsvRow(out, size_t(header.size()));
        break;
    }
    case TInteropFormat::Ics:
        ContentLine::Append(out, "BEGIN:VCALENDAR");
        ContentLine::Append(out, "VERSION:2.0");
        ContentLine::Append(out, "PRODID:-//Vorlink//Vorlink//CS");
        ContentLine::Append(out, "CALSCALE:GREGORIAN");
        ContentLine::Append(out, "X-WR-CALNAME:Narozeniny a svátky");
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

int TFormatWriter::Entry(QByteArray &out, TRecordView r) const
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

int TFormatWriter::VCard(QByteArray &out, TRecordView r) const
{
    const bool v4 = m_o.Format == TInteropFormat::VCard4;
    TByteAppender o(out);
    // Each line is made in the reused buffer, then folded into the output.
    TByteAppender l(m_line);
    const auto start = [&l](QByteArrayView head) {
        l.Truncate(0);
        l.Append(head);
    };
    const auto put = [&] { ContentLine::Append(o, l.View()); };
    const auto text = [&](const char *name, EField f) {
        const QByteArrayView t = Field(r, f);
        if (t.isEmpty())
            return;
        start(name);
        l.Append(':');
        AppendEscaped(l, t);
        put();
    };
    ContentLine::Append(o, "BEGIN:VCARD");
    ContentLine::Append(o, v4 ? "VERSION:4.0" : "VERSION:3.0");
    ContentLine::Append(o, "PRODID:-//Vorlink//Vorlink//CS");
    start("UID:vorlink-");
    AppendEntryId(l, r, m_hash);
    put();
    const bool company = IsCompany(r);
    if (company)
        ContentLine::Append(o, v4 ? "KIND:org" : "X-ABShowAs:COMPANY");
    start("FN:");
    AppendEscaped(l, r.NameView());
    put();
    start("N:");
    AppendEscaped(l, Field(r, EField::Prijmeni));
    l.Append(';');
    AppendEscaped(l, Field(r, EField::Jmeno));
    l.Append(";;", 2);
    AppendEscaped(l, Field(r, EField::TitulPred));
    l.Append(';');
    AppendEscaped(l, Field(r, EField::TitulZa));
    put();
    if (company) {
        start("ORG:");
        AppendEscaped(l, Trimmed(r.NameView()));
        put();
    }
    // Nicknames are a list: "máma, Mom" goes out as two.
    const QByteArrayView nicknames = Field(r, EField::Prezdivka);
    if (!nicknames.isEmpty()) {
        start("NICKNAME:");
        bool first = true;
        for (qsizetype from = 0; from <= nicknames.size();) {
            qsizetype to = nicknames.indexOf(',', from);
            if (to < 0)
                to = nicknames.size();
            const QByteArrayView n = Trimmed(nicknames.sliced(from, to - from));
            if (!n.isEmpty()) {
                if (!first)
                    l.Append(',');
                first = false;
                AppendEscaped(l, n);
            }
            from = to + 1;
        }
        put();
    }

    int item = 0;
    const auto labelled = [&](const char *prop, bool hasLabel, const QByteArray &label, const QByteArray &types,
                              int slot, const auto &params, const auto &value) {
        l.Truncate(0);
        if (hasLabel) {
            l.Append("item", 4);
            AppendNumber(l, ++item);
            l.Append('.');
        }
        l.Append(prop);
        l.Append(types);
        l.Append(";X-VORLINK-SLOT=", 16);
        AppendNumber(l, slot);
        params();
        l.Append(':');
        value();
        put();
        if (hasLabel) {
            l.Truncate(0);
            l.Append("item", 4);
            AppendNumber(l, item);
            l.Append(".X-ABLabel:", 11);
            l.Append(label);
            put();
        }
    };
    for (int a = 1; a <= 3; ++a) {
        if (!HasAddress(r, a))
            continue;
        labelled("ADR", m_addressLabelled[size_t(a - 1)], m_addressLabels[size_t(a - 1)], m_addressTypes[size_t(a - 1)], a, [] {}, [&] {
            l.Append(";;", 2);
            AppendEscaped(l, Address(a, 0, r));
            l.Append(';');
            AppendEscaped(l, Address(a, 1, r));
            l.Append(";;", 2);
            AppendEscaped(l, Address(a, 3, r));
            l.Append(';');
            AppendEscaped(l, Address(a, 2, r));
        });
    }
    TByteAppender &number = m_cells[0];
    for (int g = 1; g <= 9; ++g) {
        number.Truncate(0);
        if (!AppendGroupNumber(number, r, g, m_ownDigits))
            continue;
        // The codes as typed, so that reading the card back gives the group's own fields
        // (a code filled in from the settings is not one of them).
        // A third part "+" marks a number typed whole, which the codes did not compose.
        labelled(
            "TEL", m_phoneLabelled[size_t(g - 1)], m_phoneLabels[size_t(g - 1)], m_phoneTypes[size_t(g - 1)], g,
            [&] {
                l.Append(";X-VORLINK-CODES=\"", 18);
                AppendParam(l, Field(r, PhoneField(g, 0)));
                l.Append(',');
                AppendParam(l, Field(r, PhoneField(g, 1)));
                if (HasInternationalPrefix(Field(r, PhoneField(g, 2))))
                    l.Append(",+", 2);
                l.Append('"');
            },
            [&] { AppendEscapedUtf8(l, number.View()); });
    }
    const QByteArrayView email = Field(r, EField::Email);
    if (!email.isEmpty()) {
        start(v4 ? "EMAIL:" : "EMAIL;TYPE=internet:");
        AppendEscaped(l, email);
        put();
    }
    text("URL", EField::Http);

    const QByteArrayView birthday = Field(r, EField::Narozeniny);
    const TDayOfYear b = ParseDayCp1250(birthday);
    if (b.Valid() && b.HasYear()) {
        start("BDAY:");
        AppendDate(l, b.Year, b.Month, b.Day, !v4);
        put();
    } else if (b.Valid()) {
        // Without a year: vCard 4 has its own form, older readers know the omitted-year mark.
        start(v4 ? "BDAY:--" : "BDAY;X-APPLE-OMIT-YEAR=1604:1604-");
        AppendTwoDigits(l, b.Month);
        if (!v4)
            l.Append('-');
        AppendTwoDigits(l, b.Day);
        put();
    } else if (!birthday.isEmpty()) {
        start("X-VORLINK-NAROZENINY:");
        AppendEscaped(l, birthday);
        put();
    }
    const QByteArrayView note = Note(r);
    if (!note.isEmpty()) {
        start("NOTE:");
        AppendEscaped(l, note);
        put();
    }
    // The occupation is the job title; education has no property of its own.
    text("TITLE", EField::Zamestnani);
    start("CATEGORIES:");
    if (AppendFlags(l, r, ",", true))
        put();
    text("X-VORLINK-EDUCATION", EField::Vzdelani);
    text("X-VORLINK-NAMEDAY", EField::Svatek);
    text("X-VORLINK-RODNE-CISLO", EField::RodneCislo);
    text("X-VORLINK-ICO", EField::Ico);
    text("X-VORLINK-DIC", EField::Dic);
    text("X-VORLINK-BANK", EField::Banka);
    text("X-VORLINK-ACCOUNT", EField::Ucet);
    ContentLine::Append(o, "END:VCARD");
    return 1;
}

// ---- CSV -----------------------------------------------------------------------------

namespace {

constexpr int kGooglePhones = 9;
constexpr int kGoogleAddresses = 3;

constexpr const char *kOutlookHeader[] = {
    "Title", "First Name", "Middle Name", "Last Name", "Suffix", "Nickname", "E-mail Address", "Home Phone",
    "Home Phone 2", "Business Phone", "Business Phone 2", "Mobile Phone", "Business Fax", "Home Fax", "Other Phone",
    "Other Fax", "Car Phone", "Job Title", "Company", "Home Street", "Home City", "Home Postal Code",
    "Home Country/Region", "Business Street", "Business City", "Business Postal Code", "Business Country/Region",
    "Other Street", "Other City", "Other Postal Code", "Other Country/Region", "Web Page", "Birthday", "Notes",
    "Categories", "Government ID Number", "Organizational ID Number", "Account"};

consteval size_t Col(std::string_view name)
{
    for (size_t i = 0; i < std::size(kOutlookHeader); ++i)
        if (name == kOutlookHeader[i])
            return i;
    throw "no such column";
}

// "yyyy-MM-dd" or "--MM-DD" for Google, "d.m.yyyy" or "d.m." as the Czech Outlook reads them.
void AppendDay(TByteAppender &out, const TDayOfYear &d, bool iso)
{
    if (!d.Valid())
        return;
    if (iso) {
        if (d.HasYear()) {
            AppendDate(out, d.Year, d.Month, d.Day, true);
        } else {
            out.Append("--", 2);
            AppendTwoDigits(out, d.Month);
            out.Append('-');
            AppendTwoDigits(out, d.Day);
        }
        return;
    }
    AppendNumber(out, d.Day);
    out.Append('.');
    AppendNumber(out, d.Month);
    out.Append('.');
    if (d.HasYear())
        AppendNumber(out, d.Year);
}

// "Label: text" for each field that holds something, each on its line after `out`'s text.
void AppendLabelled(TByteAppender &out, TRecordView r, std::initializer_list<std::pair<const char *, EField>> fields)
{
    for (const auto &[label, f] : fields) {
        const QByteArrayView t = Field(r, f);
        if (t.isEmpty())
            continue;
        if (!out.IsEmpty())
            out.Append('\n');
        out.Append(label);
        out.Append(": ", 2);
        AppendCp1250AsUtf8(out, t);
    }
}

// The note first, then `extra` on the lines after it.
void JoinNote(TByteAppender &cell, TRecordView r, QByteArrayView extra)
{
    AppendNoteLines(cell, Note(r));
    if (!extra.isEmpty()) {
        if (!cell.IsEmpty())
            cell.Append('\n');
        cell.Append(extra);
    }
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
constexpr bool NumberChar(char c)
{
    return (c >= '0' && c <= '9') || c == ' ' || c == '(' || c == ')' || c == '.' || c == '/' || c == '-';
}

// What "^[+-]?[0-9 ()./-]*[0-9][0-9 ()./-]*( ext\. [0-9]+)?$" matches, "$" before a last
// line feed too.
bool PlainNumber(QByteArrayView c)
{
    if (c.endsWith('\n'))
        c.chop(1);
    if (c.startsWith('+') || c.startsWith('-'))
        c = c.sliced(1);
    qsizetype i = 0;
    bool digit = false;
    for (; i < c.size() && NumberChar(c[i]); ++i)
        digit = digit || (c[i] >= '0' && c[i] <= '9');
    if (i == c.size())
        return digit;
    // No letter is a number character, so " ext. N" can only start at the space before i.
    constexpr QByteArrayView ext(" ext. ");
    if (i == 0 || c.sliced(i - 1).size() <= ext.size() || !c.sliced(i - 1).startsWith(ext))
        return false;
    bool before = false;
    for (qsizetype k = 0; k < i - 1; ++k)
        before = before || (c[k] >= '0' && c[k] <= '9');
    for (qsizetype k = i - 1 + ext.size(); k < c.size(); ++k)
        if (c[k] < '0' || c[k] > '9')
            return false;
    return before;
}

bool FormulaLike(QByteArrayView cell)
{
    if (cell.isEmpty())
        return false;
    const char first = cell.front();
    if (first != '=' && first != '+' && first != '-' && first != '@' && first != '\t' && first != '\r')
        return false;
    return !PlainNumber(cell);
}

} // namespace

void TFormatWriter::CsvRow(QByteArray &out, size_t count) const
{
    if (m_o.Format == TInteropFormat::CsvOutlook && m_o.OutlookCp1250) {
        {
            TByteAppender row(m_line);
            row.Truncate(0);
            AppendRow(row, count);
        }
        AppendUtf8AsCp1250(out, m_line);
        return;
    }
    TByteAppender o(out);
    AppendRow(o, count);
}

void TFormatWriter::AppendRow(TByteAppender &row, size_t count) const
{
    for (size_t i = 0; i < count; ++i) {
        if (i)
            row.Append(',');
        const QByteArrayView c = m_cells[i].View();
        const bool formula = FormulaLike(c);
        bool quote = false;
        for (const char ch : c)
            if (ch == '"' || ch == ',' || ch == '\n' || ch == '\r') {
                quote = true;
                break;
            }
        if (quote)
            row.Append('"');
        if (formula)
            row.Append('\'');
        if (quote) {
            for (qsizetype from = 0;;) {
                const void *found = std::memchr(c.data() + from, '"', size_t(c.size() - from));
                const qsizetype q = found ? static_cast<const char *>(found) - c.data() : -1;
                if (q < 0) {
                    row.Append(c.data() + from, c.size() - from);
                    break;
                }
                row.Append(c.data() + from, q + 1 - from);
                row.Append('"');
                from = q + 1;
            }
            row.Append('"');
        } else {
            row.Append(c);
        }
    }
    row.Append("\r\n", 2);
}

int TFormatWriter::CsvGoogle(QByteArray &out, TRecordView r) const
{
    auto &c = m_cells;
    for (TByteAppender &cell : c)
        cell.Truncate(0);
    AppendCp1250AsUtf8(c[0], r.NameView());
    AppendCp1250AsUtf8(c[1], Field(r, EField::Jmeno));
    AppendCp1250AsUtf8(c[3], Field(r, EField::Prijmeni));
    AppendCp1250AsUtf8(c[4], Field(r, EField::TitulPred));
    AppendCp1250AsUtf8(c[5], Field(r, EField::TitulZa));
    AppendCp1250AsUtf8(c[6], Field(r, EField::Prezdivka));
    AppendDay(c[7], ParseDayCp1250(Field(r, EField::Narozeniny)), true);
    {
        // What the tables have no column for goes to the note, each on its line.
        TByteAppender &extra = c[63];
        AppendLabelled(extra, r,
                       {{"Vzdělání", EField::Vzdelani},
                        {"Svátek", EField::Svatek},
                        {"Rodné číslo", EField::RodneCislo},
                        {"IČO", EField::Ico},
                        {"DIČ", EField::Dic},
                        {"Banka", EField::Banka},
                        {"Účet", EField::Ucet}});
        JoinNote(c[8], r, extra.View());
    }
    AppendFlags(c[9], r, " ::: ", false);
    c[9].Append(c[9].IsEmpty() ? QByteArrayView("* myContacts") : QByteArrayView(" ::: * myContacts"));
    const QByteArrayView email = Field(r, EField::Email);
    if (!email.isEmpty())
        c[10].Append("* ", 2);
    AppendCp1250AsUtf8(c[11], email);
    size_t at = 12;
    for (int g = 1; g <= 9; ++g) {
        if (!AppendGroupNumber(c[at + 1], r, g, m_ownDigits))
            continue;
        const unsigned k = m_phoneKinds[size_t(g - 1)];
        c[at].Append((k & Cell)                ? QByteArrayView("Mobile")
                     : (k & Fax) && (k & Home) ? QByteArrayView("Home Fax")
                     : (k & Fax)               ? QByteArrayView("Work Fax")
                     : (k & Work)              ? QByteArrayView("Work")
                     : (k & Home)              ? QByteArrayView("Home")
                                               : QByteArrayView(m_phoneCaptions[size_t(g - 1)]));
        at += 2;
    }
    at = 12 + 2 * kGooglePhones;
    for (int a = 1; a <= 3; ++a) {
        if (!HasAddress(r, a))
            continue;
        const unsigned k = m_addressKinds[size_t(a - 1)];
        c[at].Append((k & Home) ? QByteArrayView("Home")
                     : (k & Work) ? QByteArrayView("Work")
                                  : QByteArrayView(m_addressCaptions[size_t(a - 1)]));
        AppendCp1250AsUtf8(c[at + 1], Address(a, 0, r));
        AppendCp1250AsUtf8(c[at + 2], Address(a, 1, r));
        AppendCp1250AsUtf8(c[at + 3], Address(a, 3, r));
        AppendCp1250AsUtf8(c[at + 4], Address(a, 2, r));
        at += 5;
    }
    at = 12 + 2 * kGooglePhones + 5 * kGoogleAddresses;
    if (IsCompany(r))
        AppendCp1250AsUtf8(c[at], Trimmed(r.NameView()));
    AppendCp1250AsUtf8(c[at + 1], Field(r, EField::Zamestnani));
    const QByteArrayView web = Field(r, EField::Http);
    if (!web.isEmpty())
        c[at + 2].Append("Homepage");
    AppendCp1250AsUtf8(c[at + 3], web);
    const QByteArrayView nameDay = Field(r, EField::Svatek);
    if (ParseDayCp1250(nameDay).Valid()) {
        c[at + 4].Append("Svátek");
        AppendCp1250AsUtf8(c[at + 5], nameDay);
    }
    CsvRow(out, at + 6);
    return 1;
}

int TFormatWriter::CsvOutlook(QByteArray &out, TRecordView r) const
{
    auto &c = m_cells;
    for (TByteAppender &cell : c)
        cell.Truncate(0);
    const auto set = [&c, &r](size_t column, EField f) { AppendCp1250AsUtf8(c[column], Field(r, f)); };
    set(Col("Title"), EField::TitulPred);
    set(Col("First Name"), EField::Jmeno);
    set(Col("Last Name"), EField::Prijmeni);
    set(Col("Suffix"), EField::TitulZa);
    set(Col("Nickname"), EField::Prezdivka);
    set(Col("E-mail Address"), EField::Email);
    set(Col("Job Title"), EField::Zamestnani);
    set(Col("Web Page"), EField::Http);
    AppendDay(c[Col("Birthday")], ParseDayCp1250(Field(r, EField::Narozeniny)), false);
    AppendFlags(c[Col("Categories")], r, ";", false);
    set(Col("Government ID Number"), EField::RodneCislo);
    set(Col("Organizational ID Number"), EField::Ico);
    set(Col("Account"), EField::Ucet);
    TByteAppender &extra = c[63];
    AppendLabelled(extra, r, {{"Vzdělání", EField::Vzdelani}, {"Svátek", EField::Svatek}, {"DIČ", EField::Dic}, {"Banka", EField::Banka}});
    const auto overflowLine = [&extra] {
        if (!extra.IsEmpty())
            extra.Append('\n');
    };
    // Outlook has fixed telephone columns: each group takes the first free one of its
    // kind; what finds none goes to the note with its caption.
    TByteAppender &number = c[62];
    for (int g = 1; g <= 9; ++g) {
        number.Truncate(0);
        if (!AppendGroupNumber(number, r, g, m_ownDigits))
            continue;
        const QByteArray &caption = m_phoneCaptions[size_t(g - 1)];
        const unsigned k = m_phoneKinds[size_t(g - 1)];
        static constexpr size_t other[] = {Col("Other Phone"), Col("Car Phone")};
        static constexpr size_t cell[] = {Col("Mobile Phone"), Col("Car Phone"), Col("Other Phone")};
        static constexpr size_t homeFax[] = {Col("Home Fax"), Col("Other Fax")};
        static constexpr size_t fax[] = {Col("Business Fax"), Col("Other Fax")};
        static constexpr size_t work[] = {Col("Business Phone"), Col("Business Phone 2"), Col("Other Phone")};
        static constexpr size_t home[] = {Col("Home Phone"), Col("Home Phone 2"), Col("Other Phone")};
        std::span<const size_t> columns = other;
        if (k & Cell)
            columns = cell;
        else if ((k & Fax) && (k & Home))
            columns = homeFax;
        else if (k & Fax)
            columns = fax;
        else if (k & Work)
            columns = work;
        else if (k & Home)
            columns = home;
        bool placed = false;
        for (size_t col : columns) {
            if (c[col].IsEmpty()) {
                c[col].Append(number.View());
                placed = true;
                break;
            }
        }
        if (!placed) {
            overflowLine();
            if (!caption.isEmpty()) {
                extra.Append(caption);
                extra.Append(": ", 2);
            }
            extra.Append(number.View());
        }
    }
    static constexpr size_t streets[3][4] = {
        {Col("Home Street"), Col("Home City"), Col("Home Country/Region"), Col("Home Postal Code")},
        {Col("Business Street"), Col("Business City"), Col("Business Country/Region"), Col("Business Postal Code")},
        {Col("Other Street"), Col("Other City"), Col("Other Country/Region"), Col("Other Postal Code")}};
    for (int a = 1; a <= 3; ++a) {
        if (!HasAddress(r, a))
            continue;
        const unsigned k = m_addressKinds[size_t(a - 1)];
        int order[3] = {2, 0, 1};
        if (k & Home)
            order[0] = 0, order[1] = 2, order[2] = 1;
        else if (k & Work)
            order[0] = 1, order[1] = 2, order[2] = 0;
        bool placed = false;
        for (int o : order) {
            if (!c[streets[o][0]].IsEmpty() || !c[streets[o][1]].IsEmpty() || !c[streets[o][2]].IsEmpty()
                || !c[streets[o][3]].IsEmpty())
                continue;
            for (int part = 0; part < 4; ++part)
                AppendCp1250AsUtf8(c[streets[o][part]], Address(a, part, r));
            placed = true;
            break;
        }
        if (!placed) {
            overflowLine();
            extra.Append(m_addressCaptions[size_t(a - 1)]);
            extra.Append(": ", 2);
            AppendCp1250AsUtf8(extra, Address(a, 0, r));
            extra.Append(", ", 2);
            AppendCp1250AsUtf8(extra, Address(a, 3, r));
            extra.Append(' ');
            AppendCp1250AsUtf8(extra, Address(a, 1, r));
            extra.Append(", ", 2);
            AppendCp1250AsUtf8(extra, Address(a, 2, r));
        }
    }
    // A firm's name is its company; a person's name Outlook cannot compose from the parts
    // goes to the note.
    const QByteArrayView name = Trimmed(r.NameView());
    const QByteArrayView first = Field(r, EField::Jmeno);
    const QByteArrayView last = Field(r, EField::Prijmeni);
    const auto composedOf = [&name](QByteArrayView a, QByteArrayView b) {
        if (a.isEmpty() || b.isEmpty())
            return name == (a.isEmpty() ? b : a);
        return name.size() == a.size() + 1 + b.size() && name.startsWith(a) && name[a.size()] == ' ' && name.endsWith(b);
    };
    TByteAppender &notes = c[Col("Notes")];
    if (IsCompany(r)) {
        AppendCp1250AsUtf8(c[Col("Company")], name);
    } else if (!composedOf(first, last) && !composedOf(last, first)) {
        // "Název: …" leads the lines the note gets.
        TByteAppender &named = c[61];
        named.Append("Název: ");
        AppendCp1250AsUtf8(named, name);
        if (!extra.IsEmpty()) {
            named.Append('\n');
            named.Append(extra.View());
        }
        JoinNote(notes, r, named.View());
        CsvRow(out, std::size(kOutlookHeader));
        return 1;
    }
    JoinNote(notes, r, extra.View());
    CsvRow(out, std::size(kOutlookHeader));
    return 1;
}

// ---- iCalendar -------------------------------------------------------------------------

int TFormatWriter::Events(QByteArray &out, TRecordView r) const
{
    const QByteArrayView name = Trimmed(r.NameView());
    QByteArray &id = m_id;
    id.resize(0);
    AppendEntryId(id, r, m_hash);
    TByteAppender o(out);
    TByteAppender l(m_line);
    const auto put = [&] { ContentLine::Append(o, l.View()); };
    int events = 0;
    const auto event = [&](const char *kind, const char *title, const TDayOfYear &d) {
        // Name days have no year; 2000 is a leap year, so 29 February is a day too.
        int year = d.HasYear() ? d.Year : 2000, month = d.Month, day = d.Day;
        const auto summary = [&] {
            l.Append(title);
            l.Append(": ", 2);
            AppendEscaped(l, name);
        };
        ContentLine::Append(o, "BEGIN:VEVENT");
        l.Truncate(0);
        l.Append("UID:", 4);
        l.Append(id);
        l.Append('-');
        l.Append(kind);
        l.Append("@vorlink", 8);
        put();
        l.Truncate(0);
        l.Append("DTSTAMP:", 8);
        l.Append(m_stamp);
        put();
        l.Truncate(0);
        l.Append("DTSTART;VALUE=DATE:", 19);
        AppendDate(l, year, month, day, false);
        put();
        NextDay(year, month, day);
        l.Truncate(0);
        l.Append("DTEND;VALUE=DATE:", 17);
        AppendDate(l, year, month, day, false);
        put();
        if (d.Month == 2 && d.Day == 29)
            ContentLine::Append(o, "RRULE:FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1");
        else
            ContentLine::Append(o, "RRULE:FREQ=YEARLY");
        l.Truncate(0);
        l.Append("SUMMARY:", 8);
        summary();
        put();
        l.Truncate(0);
        l.Append("CATEGORIES:", 11);
        l.Append(title);
        put();
        ContentLine::Append(o, "TRANSP:TRANSPARENT");
        if (m_o.AlarmDays >= 0) {
            ContentLine::Append(o, "BEGIN:VALARM");
            ContentLine::Append(o, "ACTION:DISPLAY");
            l.Truncate(0);
            l.Append("DESCRIPTION:", 12);
            summary();
            put();
            if (m_o.AlarmDays == 0) {
                ContentLine::Append(o, "TRIGGER:PT0S");
            } else {
                l.Truncate(0);
                l.Append("TRIGGER:-P", 10);
                AppendNumber(l, m_o.AlarmDays);
                l.Append('D');
                put();
            }
            ContentLine::Append(o, "END:VALARM");
        }
        ContentLine::Append(o, "END:VEVENT");
        ++events;
    };
    const QByteArrayView birthdayText = Field(r, EField::Narozeniny);
    const TDayOfYear birthday = ParseDayCp1250(birthdayText);
    if (birthday.Valid())
        event("narozeniny", "Narozeniny", birthday);
    else if (!birthdayText.isEmpty())
        ++m_skippedDates;
    const QByteArrayView nameDayText = Field(r, EField::Svatek);
    const TDayOfYear nameDay = ParseDayCp1250(nameDayText);
    if (nameDay.Valid())
        event("svatek", "Svátek", TDayOfYear {nameDay.Day, nameDay.Month, 0});
    else if (!nameDayText.isEmpty())
        ++m_skippedDates;
    return events;
}
