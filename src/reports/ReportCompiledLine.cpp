#include "reports/ReportTemplate.h"

#include "book/ContactRecord.h"
#include "reports/ReportTagParts.h"
#include "util/TextRoutines.h"

using namespace ReportTags;

namespace {

bool Unsafe(QByteArrayView text)
{
    return text.contains('<') || text.contains('>');
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
        const qsizetype open = line.indexOf(kOpen, pos);
        const QByteArrayView literal = line.sliced(pos, (open < 0 ? line.size() : open) - pos);
        if (Unsafe(literal))
            return false;
        text(literal);
        if (open < 0)
            break;
        const qsizetype close = line.indexOf(kClose, open + 2);
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
        else if (content.contains('#') || content.contains(kOpen))
            return false;
        else
            text(tag); // a tag of no keyword stays as written
    }
    return true;
}

QByteArrayView TCompiledLine::Shown(const TPart &p, TRecordView r)
{
    if (p.Kind == TKind::Field)
        return ValueView(r, p.Index);
    if (p.Index < 0)
        return "chyba";
    const bool equal = ValueView(r, p.Index) == p.Text;
    const int field = equal ? p.ThenField : p.ElseField;
    return field >= 0 ? ValueView(r, field) : QByteArrayView(equal ? p.Then : p.Else);
}

bool TCompiledLine::ExpandInto(TRecordView r, QByteArray &out, TExpandStatus &status,
                               qsizetype lineLimit) const
{
    for (const TPart &p : m_parts) {
        if (p.Kind != TKind::SkipIf && p.Kind != TKind::SkipIfNot)
            continue;
        if (p.Index >= 0 && (ValueView(r, p.Index) == p.Text) == (p.Kind == TKind::SkipIf)) {
            status = TExpandStatus::Skip;
            return true;
        }
    }
    if (m_error) {
        // A value holding a tag can swallow the faulty one; the general expansion knows.
        for (const TPart &p : m_parts) {
            if ((p.Kind == TKind::Field || p.Kind == TKind::If) && Unsafe(Shown(p, r)))
                return false;
        }
        status = TExpandStatus::Error;
        return true;
    }
    const qsizetype start = out.size();
    const qsizetype limit = LimitAfter(start, lineLimit);
    for (const TPart &p : m_parts) {
        bool fits = true;
        switch (p.Kind) {
        case TKind::Text:
            fits = Append(out, limit, p.Text);
            break;
        case TKind::Field:
        case TKind::If: {
            const QByteArrayView v = Shown(p, r);
            fits = !Unsafe(v) && AppendAligned(out, limit, v, p.Width, p.Align);
            break;
        }
        case TKind::SkipIf:
        case TKind::SkipIfNot:
            break;
        }
        if (!fits) {
            out.truncate(start);
            return false;
        }
    }
    status = TExpandStatus::Line;
    return true;
}
