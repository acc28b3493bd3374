#include "reports/ReportTemplate.h"

#include "book/ContactRecord.h"
#include "util/TextRoutines.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<const char *, kReportFieldCount> kFieldNames = {
    "TITULPRED", "NAZEV", "PRIJMENI", "JMENO", "PREZDIVKA", "TITULZA", "RODNECISLO",
    "ADRULICE1", "ADRMISTO1", "ADRSTAT1", "ADRPSC1",
    "ADRULICE2", "ADRMISTO2", "ADRSTAT2", "ADRPSC2",
    "ADRULICE3", "ADRMISTO3", "ADRSTAT3", "ADRPSC3",
    "TELSTAT1", "TELOBLAST1", "TELCISLO1", "TELLINKA1",
    "TELSTAT2", "TELOBLAST2", "TELCISLO2", "TELLINKA2",
    "TELSTAT3", "TELOBLAST3", "TELCISLO3", "TELLINKA3",
    "TELSTAT4", "TELOBLAST4", "TELCISLO4", "TELLINKA4",
    "TELSTAT5", "TELOBLAST5", "TELCISLO5", "TELLINKA5",
    "TELSTAT6", "TELOBLAST6", "TELCISLO6", "TELLINKA6",
    "TELSTAT7", "TELOBLAST7", "TELCISLO7", "TELLINKA7",
    "TELSTAT8", "TELOBLAST8", "TELCISLO8", "TELLINKA8",
    "TELSTAT9", "TELOBLAST9", "TELCISLO9", "TELLINKA9",
    "HTTP", "EMAIL", "VZDELANI", "ZAMESTNANI", "NAROZENINY", "SVATEK", "ICO", "DIC", "BANKA", "UCET",
    "POZNAMKA",
    "LOGIKA1", "LOGIKA2", "LOGIKA3", "LOGIKA4", "LOGIKA5",
    "LOGIKA6", "LOGIKA7", "LOGIKA8", "LOGIKA9", "LOGIKA10",
};
static_assert(kReportNoteField == kTextFieldCount);

const QByteArrayView kTagOpen("<\"");
const QByteArrayView kTagClose("\">");

// The field keywords sorted by name, for a lookup without allocating.
struct TNameIndex
{
    QByteArrayView Name;
    int Index;
};
const std::array<TNameIndex, kReportFieldCount> &SortedNames()
{
    static const std::array<TNameIndex, kReportFieldCount> sorted = [] {
        std::array<TNameIndex, kReportFieldCount> s {};
        for (int i = 0; i < kReportFieldCount; ++i)
            s[size_t(i)] = {QByteArrayView(kFieldNames[size_t(i)]), i};
        std::sort(s.begin(), s.end(), [](const TNameIndex &a, const TNameIndex &b) { return a.Name < b.Name; });
        return s;
    }();
    return sorted;
}

// Field n (from 1) of a "|" list, as a view.
QByteArrayView Field(QByteArrayView list, int n)
{
    qsizetype start = 0;
    for (int field = 1; field < n; ++field) {
        const qsizetype bar = list.indexOf('|', start);
        if (bar < 0)
            return {};
        start = bar + 1;
    }
    const qsizetype end = list.indexOf('|', start);
    return list.sliced(start, (end < 0 ? list.size() : end) - start);
}

// A tag found on a line: `<"` at Start; Close is the position of its `">`, -1 when the
// line has none, which leaves the content empty.
struct TTag
{
    qsizetype Start = -1;
    qsizetype Close = -1;

    qsizetype End() const { return Close + 2; }
    QByteArrayView Content(QByteArrayView line) const
    {
        return Close < 0 ? QByteArrayView() : line.sliced(Start + 2, Close - Start - 2);
    }
    // The keyword: field 1 of the content; of an unclosed tag the text up to its first "|".
    QByteArrayView Keyword(QByteArrayView line) const
    {
        if (Close >= 0)
            return Field(Content(line), 1);
        return Field(line.sliced(Start + 2), 1);
    }
};

TTag FindTag(QByteArrayView line, qsizetype from)
{
    TTag t;
    t.Start = line.indexOf(kTagOpen, from);
    if (t.Start >= 0)
        t.Close = line.indexOf(kTagClose, t.Start + 2);
    return t;
}

// The first tag from `from` whose keyword is exactly `keyword`.
TTag FindTagOf(QByteArrayView line, QByteArrayView keyword, qsizetype from = 0)
{
    for (TTag t = FindTag(line, from); t.Start >= 0; t = FindTag(line, t.Start + 2)) {
        if (t.Keyword(line) == keyword)
            return t;
    }
    return {};
}

// No report line needs a wider field; a hostile template must not ask for gigabytes.
constexpr qsizetype kMaxWidth = 4096;

// A whole number, leading spaces and a sign allowed; anything else counts as 0. Widths
// beyond kMaxWidth count as kMaxWidth.
qsizetype ParseWidth(QByteArrayView text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    if (i == text.size())
        return 0;
    qsizetype value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return 0;
        value = qMin<qsizetype>(value * 10 + (text[i] - '0'), kMaxWidth);
    }
    return negative ? -value : value;
}

// Width and alignment fields applied to a value; false for a missing alignment.
bool ApplyFormat(QByteArrayView value, QByteArrayView width, QByteArrayView alignment, QByteArray &out)
{
    if (alignment.isEmpty())
        return false;
    qsizetype w = ParseWidth(width);
    if (w == 0)
        w = value.size();
    const char a = ToUpperCz(alignment[0]);
    out = AlignText(value, w, a == 'C' ? int(TAlignment::Centre) : a == 'P' ? int(TAlignment::Right) : int(TAlignment::Left));
    return true;
}

// The value of a field as a view; `storage` holds what must be built.
QByteArrayView ValueView(const TContactRecord &r, int index, QByteArray &storage)
{
    if (index < kTextFieldCount)
        return r.TextView(EField(index));
    if (index == kReportNoteField) {
        storage = r.Note();
        return storage;
    }
    static const QByteArrayView set("X"), clear(" ");
    return r.Flag(index - kReportNoteField) ? set : clear;
}

// A then- or else-text: "&" and a field keyword give that field's value.
QByteArray Branch(QByteArrayView text, const TContactRecord &r)
{
    if (text.startsWith('&')) {
        const int index = ReportFieldIndex(ToUpperCz(text.sliced(1)));
        if (index >= 0)
            return ReportFieldValue(r, index);
    }
    return text.toByteArray();
}

// A skip tag taken out of the line; true when it says the entry is to be skipped.
bool TakeSkipTag(QByteArray &line, QByteArrayView keyword, bool skipWhenEqual, const TContactRecord &r)
{
    const TTag t = FindTagOf(line, keyword);
    if (t.Start < 0 || t.Close < 0)
        return false;
    const QByteArrayView content = t.Content(line);
    const int index = ReportFieldIndex(Field(content, 2));
    bool skip = false;
    if (index >= 0) {
        QByteArray storage;
        skip = (ValueView(r, index, storage) == Field(content, 3)) == skipWhenEqual;
    }
    line.remove(t.Start, t.End() - t.Start);
    return skip;
}

// Replaces every IF tag. Scanning goes on after each result, so a result holding an IF
// tag is left as it is.
bool ExpandIfTags(QByteArray &line, const TContactRecord &r)
{
    static const QByteArrayView kIf("IF");
    qsizetype from = 0;
    for (;;) {
        const TTag t = FindTagOf(line, kIf, from);
        if (t.Start < 0)
            return true;
        if (t.Close < 0)
            return false;
        const QByteArrayView content = t.Content(line);
        const QByteArray then = Branch(Field(content, 4), r);
        const QByteArray otherwise = Branch(Field(content, 5), r);
        const int index = ReportFieldIndex(ToUpperCz(Field(content, 2)));
        QByteArray result = QByteArrayLiteral("chyba");
        if (index >= 0) {
            QByteArray storage;
            result = ValueView(r, index, storage) == Field(content, 3) ? then : otherwise;
        }
        QByteArray formatted;
        if (!ApplyFormat(result, Field(content, 6), Field(content, 7), formatted))
            return false;
        line.replace(t.Start, t.End() - t.Start, formatted);
        from = t.Start + formatted.size();
    }
}

// The lowest table position above `after` among the field tags on the line; the count
// when there is none.
int NextFieldKeyword(QByteArrayView line, int after)
{
    int best = kReportFieldCount;
    for (qsizetype p = line.indexOf(kTagOpen); p >= 0; p = line.indexOf(kTagOpen, p + 2)) {
        const qsizetype bar = line.indexOf('|', p + 2);
        qsizetype end = line.indexOf(kTagClose, p + 2);
        if (end < 0 || (bar >= 0 && bar < end))
            end = bar < 0 ? line.size() : bar;
        const int index = ReportFieldIndex(line.sliced(p + 2, end - p - 2));
        if (index > after && index < best)
            best = index;
    }
    return best;
}

// Replaces every tag of one field keyword. Scanning goes on after each value, so a value
// holding its own tag is left as it is; tags of later keywords in it are met in their pass.
bool ExpandFieldTags(QByteArray &line, int index, const TContactRecord &r)
{
    const QByteArrayView keyword = ReportFieldName(index);
    QByteArray storage;
    const QByteArrayView value = ValueView(r, index, storage);
    QByteArray formatted;
    qsizetype from = 0;
    for (;;) {
        const TTag t = FindTagOf(line, keyword, from);
        if (t.Start < 0)
            return true;
        if (t.Close < 0)
            return false;
        const QByteArrayView content = t.Content(line);
        if (!ApplyFormat(value, Field(content, 2), Field(content, 3), formatted))
            return false;
        line.replace(t.Start, t.End() - t.Start, formatted);
        from = t.Start + formatted.size();
    }
}

QByteArray DateText(TStamp now) { return StampDisplay(now, 10).toLatin1(); }
QByteArray TimeText(TStamp now) { return StampDisplay(now, 21).mid(11, 8).toLatin1(); }

int HexDigit(char c)
{
    const char u = ToUpperCz(c);
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return 0;
}

} // namespace

QByteArrayView ReportFieldName(int index)
{
    return QByteArrayView(kFieldNames[size_t(index)]);
}

int ReportFieldIndex(QByteArrayView keyword)
{
    const auto &sorted = SortedNames();
    const auto it = std::lower_bound(sorted.begin(), sorted.end(), keyword,
                                     [](const TNameIndex &e, QByteArrayView k) { return e.Name < k; });
    return it != sorted.end() && it->Name == keyword ? it->Index : -1;
}

QByteArray ReportFieldValue(const TContactRecord &r, int index)
{
    QByteArray storage;
    const QByteArrayView v = ValueView(r, index, storage);
    return storage.isNull() ? v.toByteArray() : storage;
}

QList<QByteArray> SplitTemplateLines(QByteArrayView text)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.append(text.sliced(start, i - start).toByteArray());
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.sliced(start).toByteArray());
    return lines;
}

void RemoveCommentLines(QList<QByteArray> &lines)
{
    lines.removeIf([](const QByteArray &l) { return l.startsWith('#'); });
}

bool ParseReportHeader(QByteArrayView line, TReportHeader &header)
{
    const qsizetype open = line.indexOf(kTagOpen);
    if (open < 0)
        return false;
    QByteArrayView word = line.sliced(open + 2).first(qMin<qsizetype>(7, line.size() - open - 2));
    const qsizetype bar = word.indexOf('|');
    if (bar >= 0)
        word = word.first(bar);
    if (word != QByteArrayView("VORLINK"))
        return false;
    header.AllEntries = Field(line, 2) == QByteArrayView("9");
    const QByteArrayView set = Field(line, 3);
    header.CodePage = set == QByteArrayView("W") ? 4 : set == QByteArrayView("L") ? 2 : set == QByteArrayView("K") ? 1 : 0;
    const QByteArrayView file = Field(line, 4);
    const qsizetype quote = file.indexOf('"');
    header.OutputFile = quote < 0 ? QByteArray() : file.first(quote).toByteArray();
    return true;
}

TTemplateLine ClassifyTemplateLine(QByteArrayView line, bool inBlock)
{
    if (!inBlock && line.contains(QByteArrayView("<\"SOUBOR")))
        return TTemplateLine::File;
    if (line.contains(QByteArrayView("<\"DATA\">")))
        return TTemplateLine::BlockStart;
    if (line.contains(QByteArrayView("<\"/DATA\">")))
        return TTemplateLine::BlockEnd;
    return inBlock ? TTemplateLine::Data : TTemplateLine::Plain;
}

TFileTag ParseFileTag(QByteArrayView line)
{
    const QByteArrayView tag = line.sliced(line.indexOf(QByteArrayView("<\"SOUBOR")));
    TFileTag t;
    t.Path = Field(tag, 2).toByteArray();
    t.Mask = (Field(tag, 3).toByteArray() + QByteArrayLiteral("FFFFFFFFFF")).first(kFlagCount);
    return t;
}

bool FileMaskPasses(QByteArrayView mask, const TContactRecord &r)
{
    for (int n = 1; n <= kFlagCount; ++n) {
        const char m = n <= mask.size() ? mask[n - 1] : 'F';
        const bool ok = m == 'F' || (m == 'A' && r.Flag(n)) || (m == 'N' && !r.Flag(n));
        if (!ok)
            return false;
    }
    return true;
}

bool FirstBlockFollowsFileTag(const QList<QByteArray> &body)
{
    for (const QByteArray &line : body) {
        switch (ClassifyTemplateLine(line, false)) {
        case TTemplateLine::File: return true;
        case TTemplateLine::BlockStart: return false;
        default: break;
        }
    }
    return false;
}

QByteArray ExpandPlainTags(QByteArrayView in, TStamp now)
{
    QByteArray line = in.toByteArray();
    if (!line.contains(kTagOpen))
        return line;
    line.replace("<\"TAB\">", "\t");
    line.replace("<\"STR\">", "\f");
    if (line.contains("<\"DAT\">"))
        line.replace(QByteArrayView("<\"DAT\">"), DateText(now));
    if (line.contains("<\"CAS\">"))
        line.replace(QByteArrayView("<\"CAS\">"), TimeText(now));
    line.replace("<\"ESC\">", "\x1b");
    // Seven characters from the "<" give one byte, so the line shrinks each time. The byte
    // may complete a new tag with the two characters before it.
    for (qsizetype p = line.indexOf("<\"#"); p >= 0; p = line.indexOf("<\"#", qMax<qsizetype>(0, p - 2))) {
        const char high = p + 3 < line.size() ? line[p + 3] : '0';
        const char low = p + 4 < line.size() ? line[p + 4] : '0';
        const char byte = char(HexDigit(high) * 16 + HexDigit(low));
        line.replace(p, qMin<qsizetype>(7, line.size() - p), QByteArrayView(&byte, 1));
    }
    return line;
}

TExpanded ExpandDataLine(QByteArrayView in, const TContactRecord &r, bool allEntries, TStamp now)
{
    TExpanded out;
    QByteArray line = in.toByteArray();
    if (line.contains(kTagOpen)) {
        if (allEntries) {
            const bool skipIf = TakeSkipTag(line, "NEXTIF", true, r);
            const bool skipIfNot = TakeSkipTag(line, "NEXTIFNOT", false, r);
            if (skipIf || skipIfNot) {
                out.Status = TExpandStatus::Skip;
                return out;
            }
        }
        if (!ExpandIfTags(line, r)) {
            out.Status = TExpandStatus::Error;
            return out;
        }
        for (int k = NextFieldKeyword(line, -1); k < kReportFieldCount; k = NextFieldKeyword(line, k)) {
            if (!ExpandFieldTags(line, k, r)) {
                out.Status = TExpandStatus::Error;
                return out;
            }
        }
    }
    out.Text = ExpandPlainTags(line, now);
    return out;
}

namespace {

bool Unsafe(QByteArrayView text)
{
    return text.contains('<') || text.contains('>');
}

// Width field as a width for AlignText: 0 stays "the value's length".
int AlignOf(QByteArrayView alignment)
{
    const char a = ToUpperCz(alignment[0]);
    return a == 'C' ? int(TAlignment::Centre) : a == 'P' ? int(TAlignment::Right) : int(TAlignment::Left);
}

void AppendAligned(QByteArray &out, QByteArrayView value, qsizetype width, int align)
{
    const qsizetype w = width == 0 ? value.size() : width;
    if (w <= 0)
        return;
    const qsizetype shortfall = w - value.size();
    if (shortfall <= 0) {
        out.append(value.first(w));
        return;
    }
    const qsizetype before = align == int(TAlignment::Right) ? shortfall : align == int(TAlignment::Centre) ? shortfall / 2 : 0;
    out.append(before, ' ');
    out.append(value);
    out.append(shortfall - before, ' ');
}

} // namespace

bool TCompiledLine::Compile(QByteArrayView line, bool allEntries, TStamp now, TCompiledLine &out)
{
    out = {};
    bool seenSkipIf = false, seenSkipIfNot = false;
    qsizetype pos = 0;
    const auto text = [&](QByteArrayView t) {
        if (out.m_parts.isEmpty() || out.m_parts.last().Kind != TKind::Text)
            out.m_parts.append(TPart {});
        out.m_parts.last().Text.append(t);
    };
    while (pos < line.size()) {
        const qsizetype open = line.indexOf(kTagOpen, pos);
        const QByteArrayView literal = line.sliced(pos, (open < 0 ? line.size() : open) - pos);
        if (Unsafe(literal))
            return false;
        text(literal);
        if (open < 0)
            break;
        const qsizetype close = line.indexOf(kTagClose, open + 2);
        if (close < 0)
            return false;
        const QByteArrayView content = line.sliced(open + 2, close - open - 2);
        if (content.contains('<'))
            return false;
        const QByteArrayView tag = line.sliced(open, close + 2 - open);
        const QByteArrayView keyword = Field(content, 1);
        pos = close + 2;
        TPart p;
        if (allEntries && keyword == QByteArrayView("NEXTIF") && !seenSkipIf) {
            seenSkipIf = true;
            p.Kind = TKind::SkipIf;
        } else if (allEntries && keyword == QByteArrayView("NEXTIFNOT") && !seenSkipIfNot) {
            seenSkipIfNot = true;
            p.Kind = TKind::SkipIfNot;
        }
        if (p.Kind != TKind::Text) {
            p.Index = ReportFieldIndex(Field(content, 2));
            p.Text = Field(content, 3).toByteArray();
            out.m_parts.append(p);
            continue;
        }
        if (keyword == QByteArrayView("IF")) {
            if (Field(content, 7).isEmpty()) {
                out.m_error = true;
                continue;
            }
            p.Kind = TKind::If;
            p.Index = ReportFieldIndex(ToUpperCz(Field(content, 2)));
            p.Text = Field(content, 3).toByteArray();
            const auto branch = [](QByteArrayView b, QByteArray &textOut, int &fieldOut) {
                fieldOut = b.startsWith('&') ? ReportFieldIndex(ToUpperCz(b.sliced(1))) : -1;
                textOut = b.toByteArray();
            };
            branch(Field(content, 4), p.Then, p.ThenField);
            branch(Field(content, 5), p.Else, p.ElseField);
            p.Width = ParseWidth(Field(content, 6));
            p.Align = AlignOf(Field(content, 7));
            if (p.Width < 0) // an empty result whatever the entry
                p = TPart {};
            else
                out.m_parts.append(p);
            continue;
        }
        if (const int index = ReportFieldIndex(keyword); index >= 0) {
            if (Field(content, 3).isEmpty()) {
                out.m_error = true;
                continue;
            }
            p.Kind = TKind::Field;
            p.Index = index;
            p.Width = ParseWidth(Field(content, 2));
            p.Align = AlignOf(Field(content, 3));
            if (p.Width >= 0)
                out.m_parts.append(p);
            continue;
        }
        if (keyword.startsWith('#')) {
            // Exactly seven characters; a byte that could start or end a tag is left to
            // the general expansion.
            if (tag.size() != 7)
                return false;
            const char byte = char(HexDigit(tag[3]) * 16 + HexDigit(tag[4]));
            if (byte == '<' || byte == '>' || byte == '"' || byte == '#')
                return false;
            text(QByteArrayView(&byte, 1));
            continue;
        }
        if (tag == QByteArrayView("<\"TAB\">"))
            text("\t");
        else if (tag == QByteArrayView("<\"STR\">"))
            text("\f");
        else if (tag == QByteArrayView("<\"ESC\">"))
            text("\x1b");
        else if (tag == QByteArrayView("<\"DAT\">"))
            text(DateText(now));
        else if (tag == QByteArrayView("<\"CAS\">"))
            text(TimeText(now));
        else if (content.contains('#') || content.contains(kTagOpen))
            return false;
        else
            text(tag); // a tag of no keyword stays as written
    }
    return true;
}

bool TCompiledLine::ExpandInto(const TContactRecord &r, QByteArray &out, TExpandStatus &status) const
{
    QByteArray storage;
    for (const TPart &p : m_parts) {
        if (p.Kind != TKind::SkipIf && p.Kind != TKind::SkipIfNot)
            continue;
        if (p.Index >= 0 && (ValueView(r, p.Index, storage) == p.Text) == (p.Kind == TKind::SkipIf)) {
            status = TExpandStatus::Skip;
            return true;
        }
    }
    if (m_error) {
        status = TExpandStatus::Error;
        return true;
    }
    const qsizetype start = out.size();
    for (const TPart &p : m_parts) {
        switch (p.Kind) {
        case TKind::Text:
            out.append(p.Text);
            break;
        case TKind::Field: {
            const QByteArrayView v = ValueView(r, p.Index, storage);
            if (Unsafe(v)) {
                out.truncate(start);
                return false;
            }
            AppendAligned(out, v, p.Width, p.Align);
            break;
        }
        case TKind::If: {
            QByteArrayView result("chyba");
            QByteArray thenStorage;
            if (p.Index >= 0) {
                const bool equal = ValueView(r, p.Index, storage) == p.Text;
                const int field = equal ? p.ThenField : p.ElseField;
                result = field >= 0 ? ValueView(r, field, thenStorage) : QByteArrayView(equal ? p.Then : p.Else);
            }
            if (Unsafe(result)) {
                out.truncate(start);
                return false;
            }
            AppendAligned(out, result, p.Width, p.Align);
            break;
        }
        case TKind::SkipIf:
        case TKind::SkipIfNot:
            break;
        }
    }
    status = TExpandStatus::Line;
    return true;
}
