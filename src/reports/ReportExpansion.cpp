// The general expansion of a template line: every step reads the line once and writes a
// new one, so no tag moves the rest of the line and a line of millions of tags costs what
// its length costs.
#include "reports/ReportTemplate.h"

#include "book/ContactRecord.h"
#include "reports/ReportTagParts.h"
#include "util/TextRoutines.h"

#include <cstring>

using namespace ReportTags;

namespace {

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
};

// The tags of one line, left to right. A tag closes at the first `">` two characters
// after its opening; the openings are met in order, so one forward search finds every
// close, and a keyword is compared without reading the rest of the tag.
class TTagScan
{
public:
    explicit TTagScan(QByteArrayView line) : m_line(line) { }

    // The first tag from `from` whose keyword (the content up to its first "|"; of an
    // unclosed tag, the rest of the line up to its first "|") is exactly `keyword`.
    // `from` never goes back.
    TTag Find(QByteArrayView keyword, qsizetype from)
    {
        for (qsizetype p = FindOpen(m_line, from); p >= 0; p = FindOpen(m_line, p + 2)) {
            const qsizetype close = CloseFrom(p + 2);
            const qsizetype end = close < 0 ? m_line.size() : close;
            const qsizetype after = p + 2 + keyword.size();
            if (after <= end && m_line.sliced(p + 2, keyword.size()) == keyword
                && (after == end || m_line[after] == '|'))
                return {p, close};
        }
        return {};
    }

private:
    // The first `">` at or after `pos`; -1 when none.
    qsizetype CloseFrom(qsizetype pos)
    {
        if (m_close == -1 || m_close >= pos)
            return m_close;
        m_close = FindClose(m_line, pos);
        return m_close;
    }

    QByteArrayView m_line;
    qsizetype m_close = -2; // -2: not searched yet
};

// A then- or else-text: "&" and a field keyword give that field's value.
QByteArray Branch(QByteArrayView text, TRecordView r)
{
    if (text.startsWith('&')) {
        const int index = ReportFieldIndex(ToUpperCz(text.sliced(1)));
        if (index >= 0)
            return ReportFieldValue(r, index);
    }
    return text.toByteArray();
}

// A skip tag taken out of the line; true when it says the entry is to be skipped.
bool TakeSkipTag(QByteArray &line, QByteArrayView keyword, bool skipWhenEqual, TRecordView r)
{
    const TTag t = TTagScan(line).Find(keyword, 0);
    if (t.Start < 0 || t.Close < 0)
        return false;
    const QByteArrayView content = t.Content(line);
    const int index = ReportFieldIndex(Field(content, 2));
    bool skip = false;
    if (index >= 0) {
        skip = (ValueView(r, index) == Field(content, 3)) == skipWhenEqual;
    }
    line.remove(t.Start, t.End() - t.Start);
    return skip;
}

// Every tag of `keyword` in the line replaced by what `expand` appends for its content,
// the text between copied; a line without one stays as it is. Scanning goes on after each
// tag, so a replacement holding the same keyword is left as it is.
template<typename TExpand>
TExpandStatus ReplaceTags(QByteArray &line, QByteArrayView keyword, qsizetype limit, TExpand expand)
{
    TTagScan scan(line);
    QByteArray out;
    qsizetype done = 0;
    for (TTag t = scan.Find(keyword, 0); t.Start >= 0; t = scan.Find(keyword, done)) {
        if (t.Close < 0)
            return TExpandStatus::Error;
        if (!Append(out, limit, QByteArrayView(line).sliced(done, t.Start - done)))
            return TExpandStatus::TooLong;
        const TExpandStatus s = expand(out, t.Content(line));
        if (s != TExpandStatus::Line)
            return s;
        done = t.End();
    }
    if (done == 0)
        return TExpandStatus::Line;
    if (!Append(out, limit, QByteArrayView(line).sliced(done)))
        return TExpandStatus::TooLong;
    line.swap(out);
    return TExpandStatus::Line;
}

// A value in the width and alignment fields of its tag; an empty alignment is an error.
TExpandStatus AppendFormatted(QByteArray &out, qsizetype limit, QByteArrayView value, QByteArrayView width,
                              QByteArrayView alignment)
{
    if (alignment.isEmpty())
        return TExpandStatus::Error;
    return AppendAligned(out, limit, value, ParseWidth(width), AlignOf(alignment)) ? TExpandStatus::Line
                                                                                     : TExpandStatus::TooLong;
}

TExpandStatus ExpandIfTags(QByteArray &line, TRecordView r, qsizetype limit)
{
    return ReplaceTags(line, "IF", limit, [&](QByteArray &out, QByteArrayView content) {
        const QByteArray then = Branch(Field(content, 4), r);
        const QByteArray otherwise = Branch(Field(content, 5), r);
        const int index = ReportFieldIndex(ToUpperCz(Field(content, 2)));
        QByteArray result = QByteArrayLiteral("chyba");
        if (index >= 0) {
            result = ValueView(r, index) == Field(content, 3) ? then : otherwise;
        }
        return AppendFormatted(out, limit, result, Field(content, 6), Field(content, 7));
    });
}

// Tags of one field keyword; tags of later keywords a value brings are met in their pass.
TExpandStatus ExpandFieldTags(QByteArray &line, int index, TRecordView r, qsizetype limit)
{
    const QByteArrayView value = ValueView(r, index);
    return ReplaceTags(line, ReportFieldName(index), limit, [&](QByteArray &out, QByteArrayView content) {
        return AppendFormatted(out, limit, value, Field(content, 2), Field(content, 3));
    });
}

// The lowest table position above `after` among the field tags on the line; the count
// when there is none. A keyword ends at the first "|" or `">` after its opening, each
// found by one forward search.
int NextFieldKeyword(QByteArrayView line, int after)
{
    int best = kReportFieldCount;
    qsizetype bar = -2, close = -2; // -2: not searched yet, -1: none left
    for (qsizetype p = FindOpen(line); p >= 0 && best > after + 1; p = FindOpen(line, p + 2)) {
        const qsizetype from = p + 2;
        if (bar != -1 && bar < from)
            bar = line.indexOf('|', from);
        if (close != -1 && close < from)
            close = FindClose(line, from);
        qsizetype end = close;
        if (end < 0 || (bar >= 0 && bar < end))
            end = bar < 0 ? line.size() : bar;
        const int index = ReportFieldIndex(line.sliced(from, end - from));
        if (index > after && index < best)
            best = index;
    }
    return best;
}

// TAB, STR, DAT, CAS and ESC. None of them overlaps another and none of the texts they
// give can form one, so a single pass does what one replacement after another did.
bool ExpandNamedTags(QByteArrayView line, TStamp now, QByteArray &out, qsizetype limit)
{
    QByteArray date, time;
    qsizetype done = 0;
    qsizetype p = FindOpen(line);
    while (p >= 0) {
        const QByteArrayView tag = line.sliced(p, qMin<qsizetype>(7, line.size() - p));
        QByteArrayView by;
        if (tag == QByteArrayView("<\"TAB\">")) {
            by = "\t";
        } else if (tag == QByteArrayView("<\"STR\">")) {
            by = "\f";
        } else if (tag == QByteArrayView("<\"ESC\">")) {
            by = "\x1b";
        } else if (tag == QByteArrayView("<\"DAT\">")) {
            if (date.isNull())
                date = DateText(now);
            by = date;
        } else if (tag == QByteArrayView("<\"CAS\">")) {
            if (time.isNull())
                time = TimeText(now);
            by = time;
        } else {
            p = FindOpen(line, p + 1);
            continue;
        }
        if (!Append(out, limit, line.sliced(done, p - done)) || !Append(out, limit, by))
            return false;
        done = p + tag.size();
        p = FindOpen(line, done);
    }
    return Append(out, limit, line.sliced(done));
}

// Seven characters from the "<" give one byte, so the line only shrinks. The byte may
// complete a new tag with the two characters before it, or begin one, so it is appended
// as if it had been written there.
QByteArray ExpandHexTags(QByteArrayView line)
{
    QByteArray out(line.size(), Qt::Uninitialized);
    char *o = out.data();
    qsizetype n = 0;
    qsizetype i = 0;
    while (i < line.size()) {
        const qsizetype hash = line.indexOf('#', i);
        const qsizetype stop = hash < 0 ? line.size() : hash + 1;
        std::memcpy(o + n, line.data() + i, size_t(stop - i));
        n += stop - i;
        i = stop;
        while (n >= 3 && o[n - 3] == '<' && o[n - 2] == '"' && o[n - 1] == '#') {
            const char high = i < line.size() ? line[i] : '0';
            const char low = i + 1 < line.size() ? line[i + 1] : '0';
            i = qMin(i + 4, line.size());
            n -= 3;
            o[n++] = char(HexDigit(high) * 16 + HexDigit(low));
        }
    }
    out.truncate(n);
    return out;
}

TExpanded TooLong()
{
    TExpanded out;
    out.Status = TExpandStatus::TooLong;
    return out;
}

// The plain tags of a line the caller gives up.
TExpanded ExpandPlain(QByteArray line, TStamp now, qsizetype limit)
{
    TExpanded out;
    if (FindOpen(line) >= 0) {
        QByteArray named;
        if (!ExpandNamedTags(line, now, named, qMax(limit, line.size())))
            return TooLong();
        line = ExpandHexTags(named);
    }
    if (line.size() > limit)
        return TooLong();
    out.Text = std::move(line);
    return out;
}

} // namespace

TExpanded ExpandPlainLine(QByteArrayView line, TStamp now, qsizetype limit)
{
    return ExpandPlain(line.toByteArray(), now, limit);
}

QByteArray ExpandPlainTags(QByteArrayView line, TStamp now)
{
    return ExpandPlainLine(line, now, kNoLineLimit).Text;
}

TExpanded ExpandDataLine(QByteArrayView in, TRecordView r, bool allEntries, TStamp now,
                         qsizetype limit)
{
    TExpanded out;
    QByteArray line = in.toByteArray();
    if (FindOpen(line) >= 0) {
        if (allEntries) {
            const bool skipIf = TakeSkipTag(line, "NEXTIF", true, r);
            const bool skipIfNot = TakeSkipTag(line, "NEXTIFNOT", false, r);
            if (skipIf || skipIfNot) {
                out.Status = TExpandStatus::Skip;
                return out;
            }
        }
        // A step may hold the template line as long as it is, else no more than the limit.
        const qsizetype bound = qMax(limit, in.size());
        out.Status = ExpandIfTags(line, r, bound);
        for (int k = -1; out.Status == TExpandStatus::Line;) {
            k = NextFieldKeyword(line, k);
            if (k == kReportFieldCount)
                break;
            out.Status = ExpandFieldTags(line, k, r, bound);
        }
        if (out.Status != TExpandStatus::Line)
            return out;
    }
    return ExpandPlain(std::move(line), now, limit);
}
