#include "reports/ReportTagParts.h"

#include "book/ContactRecord.h"
#include "reports/ReportTemplate.h"
#include "util/TextRoutines.h"

#include <cstring>
#include <limits>

namespace ReportTags {

namespace {

qsizetype FindPair(QByteArrayView line, char first, char second, qsizetype from)
{
    if (from >= line.size() - 1)
        return -1;
    const char *begin = line.data();
    const char *end = begin + line.size() - 1; // the last place a pair can start
    for (const char *p = begin + qMax<qsizetype>(0, from); p < end;) {
        p = static_cast<const char *>(std::memchr(p, first, size_t(end - p)));
        if (!p)
            break;
        if (p[1] == second)
            return p - begin;
        ++p;
    }
    return -1;
}

} // namespace

qsizetype FindOpen(QByteArrayView line, qsizetype from)
{
    return FindPair(line, '<', '"', from);
}

qsizetype FindClose(QByteArrayView line, qsizetype from)
{
    return FindPair(line, '"', '>', from);
}

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

int AlignOf(QByteArrayView alignment)
{
    const char a = ToUpperCz(alignment[0]);
    return a == 'C' ? int(TAlignment::Centre) : a == 'P' ? int(TAlignment::Right) : int(TAlignment::Left);
}

QByteArrayView ValueView(TRecordView r, int index)
{
    if (index < kTextFieldCount)
        return r.TextView(EField(index));
    if (index == kReportNoteField)
        return r.NoteView();
    static const QByteArrayView set("X"), clear(" ");
    return r.Flag(index - kReportNoteField) ? set : clear;
}

int HexDigit(char c)
{
    const char u = ToUpperCz(c);
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return 0;
}

QByteArray DateText(TStamp now) { return StampDisplay(now, 10).toLatin1(); }
QByteArray TimeText(TStamp now) { return StampDisplay(now, 21).mid(11, 8).toLatin1(); }

namespace {

// Room for `count` more bytes, the capacity growing by doubling but never past `limit`.
bool MakeRoom(QByteArray &out, qsizetype limit, qsizetype count)
{
    if (count > limit - out.size())
        return false;
    const qsizetype need = out.size() + count;
    if (need > out.capacity()) {
        const qsizetype doubled = out.capacity() > limit / 2 ? limit : out.capacity() * 2;
        out.reserve(qMax(need, doubled));
    }
    return true;
}

} // namespace

bool Append(QByteArray &out, qsizetype limit, QByteArrayView bytes)
{
    if (!MakeRoom(out, limit, bytes.size()))
        return false;
    out.append(bytes);
    return true;
}

bool AppendFill(QByteArray &out, qsizetype limit, qsizetype count, char c)
{
    if (!MakeRoom(out, limit, count))
        return false;
    out.append(count, c);
    return true;
}

bool AppendAligned(QByteArray &out, qsizetype limit, QByteArrayView value, qsizetype width, int align)
{
    const qsizetype w = width == 0 ? value.size() : width;
    if (w <= 0)
        return true;
    if (!MakeRoom(out, limit, w))
        return false;
    const qsizetype shortfall = w - value.size();
    if (shortfall <= 0) {
        out.append(value.first(w));
        return true;
    }
    const qsizetype before = align == int(TAlignment::Right) ? shortfall : align == int(TAlignment::Centre) ? shortfall / 2 : 0;
    out.append(before, ' ');
    out.append(value);
    out.append(shortfall - before, ' ');
    return true;
}

qsizetype LimitAfter(qsizetype start, qsizetype room)
{
    constexpr qsizetype most = std::numeric_limits<qsizetype>::max();
    return room > most - start ? most : start + room;
}

} // namespace ReportTags
