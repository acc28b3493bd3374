#include "interop/EntryBytes.h"

#include "util/Cp1250.h"

#include <QDate>

#include <cstring>

namespace EntryBytes {

namespace {

// What QChar::isSpace says of the Windows-1250 characters.
constexpr bool IsSpace(unsigned char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r') || c == 0xA0;
}

constexpr bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// A byte ContentLine::Escape changes or drops; every other one is copied.
constexpr bool NeedsEscape(unsigned char c)
{
    return c == '\\' || c == ',' || c == ';' || (c < 0x20 && c != '\t') || c == 0x7F;
}

// Written through a plain cursor into room made once: a text costs two resizes, not an
// append per run and escape.
template<bool Cp1250>
void Escape(TByteAppender &out, QByteArrayView text)
{
    char *d = out.Room(3 * text.size());
    const char *p = text.data();
    const char *end = p + text.size();
    while (p < end) {
        const char *run = p;
        while (p < end && !NeedsEscape(static_cast<unsigned char>(*p)))
            ++p;
        if (p > run) {
            if constexpr (Cp1250) {
                d = PutCp1250AsUtf8(d, QByteArrayView(run, p - run));
            } else {
                std::memcpy(d, run, size_t(p - run));
                d += p - run;
            }
        }
        if (p == end)
            break;
        const char c = *p++;
        if (c == '\\' || c == ',' || c == ';') {
            *d++ = '\\';
            *d++ = c;
        } else if (c == '\r') {
            *d++ = '\\';
            *d++ = 'n';
            if (p < end && *p == '\n')
                ++p;
        } else if (c == '\n') {
            *d++ = '\\';
            *d++ = 'n';
        }
    }
    out.Advance(d);
}

void AppendDigits(TByteAppender &out, QByteArrayView cp1250)
{
    for (const char c : cp1250)
        if (IsDigit(static_cast<unsigned char>(c)))
            out.Append(c);
}

bool HasDigit(QByteArrayView cp1250)
{
    for (const char c : cp1250)
        if (IsDigit(static_cast<unsigned char>(c)))
            return true;
    return false;
}

} // namespace

QByteArrayView Trimmed(QByteArrayView t)
{
    qsizetype b = 0;
    qsizetype e = t.size();
    while (b < e && IsSpace(static_cast<unsigned char>(t[b])))
        ++b;
    while (e > b && IsSpace(static_cast<unsigned char>(t[e - 1])))
        --e;
    return t.sliced(b, e - b);
}

QByteArrayView Note(TRecordView r)
{
    const char *p = r.Data() + kNoteOffset;
    const void *zero = std::memchr(p, 0, kNoteSize);
    qsizetype len = zero ? static_cast<const char *>(zero) - p : kNoteSize;
    while (len > 0 && (p[len - 1] == '\n' || p[len - 1] == '\r'))
        --len;
    return QByteArrayView(p, len);
}

void AppendEscaped(TByteAppender &out, QByteArrayView cp1250)
{
    Escape<true>(out, cp1250);
}

void AppendEscapedUtf8(TByteAppender &out, QByteArrayView utf8)
{
    Escape<false>(out, utf8);
}

void AppendNoteLines(TByteAppender &out, QByteArrayView note)
{
    const char *p = note.data();
    const char *end = p + note.size();
    while (p < end) {
        const char *run = p;
        while (p < end && *p != '\r')
            ++p;
        AppendCp1250AsUtf8(out, QByteArrayView(run, p - run));
        if (p == end)
            break;
        out.Append('\n');
        ++p;
        if (p < end && *p == '\n')
            ++p;
    }
}

void AppendParam(TByteAppender &out, QByteArrayView cp1250)
{
    char *d = out.Room(3 * cp1250.size());
    for (const char c : cp1250) {
        const auto u = static_cast<unsigned char>(c);
        if (u == '"' || u == ',' || u < 0x20 || u == 0x7F)
            continue;
        d = PutCp1250AsUtf8(d, QByteArrayView(&c, 1));
    }
    out.Advance(d);
}

bool HasInternationalPrefix(QByteArrayView cp1250)
{
    const QByteArrayView n = Trimmed(cp1250);
    return n.startsWith('+') || (n.startsWith("00") && n.size() > 2);
}

bool AppendGroupNumber(TByteAppender &out, TRecordView r, int group, QByteArrayView ownDigits)
{
    // The number with every run of spaces one space, as QString::simplified makes it.
    char simplified[256];
    qsizetype n = 0;
    bool space = false;
    for (const char c : Field(r, PhoneField(group, 2))) {
        if (IsSpace(static_cast<unsigned char>(c))) {
            space = true;
            continue;
        }
        if (space && n > 0)
            simplified[n++] = ' ';
        space = false;
        simplified[n++] = c;
    }
    if (n == 0)
        return false;
    const QByteArrayView number(simplified, n);
    if (number.startsWith('+')) {
        AppendCp1250AsUtf8(out, number);
    } else if (HasInternationalPrefix(number)) {
        qsizetype i = 2;
        while (i < n && !IsDigit(static_cast<unsigned char>(number[i])))
            ++i;
        out.Append('+');
        AppendCp1250AsUtf8(out, number.sliced(i));
    } else {
        const QByteArrayView country = Field(r, PhoneField(group, 0));
        const QByteArrayView area = Field(r, PhoneField(group, 1));
        if (HasDigit(country)) {
            out.Append('+');
            AppendDigits(out, country);
            out.Append(' ');
        } else if (!ownDigits.isEmpty()) {
            out.Append('+');
            out.Append(ownDigits);
            out.Append(' ');
        }
        if (HasDigit(area)) {
            AppendDigits(out, area);
            out.Append(' ');
        }
        AppendCp1250AsUtf8(out, number);
    }
    const QByteArrayView ext = Field(r, PhoneField(group, 3));
    if (!ext.isEmpty()) {
        out.Append(" ext. ", 6);
        AppendCp1250AsUtf8(out, ext);
    }
    return true;
}

void AppendTwoDigits(TByteAppender &out, int n)
{
    const char d[2] = {char('0' + n / 10 % 10), char('0' + n % 10)};
    out.Append(d, 2);
}

void AppendDate(TByteAppender &out, int year, int month, int day, bool dashes)
{
    if (year < 1000 || year > 9998) {
        out.Append(QDate(year, month, day).toString(dashes ? u"yyyy-MM-dd" : u"yyyyMMdd").toUtf8());
        return;
    }
    AppendTwoDigits(out, year / 100);
    AppendTwoDigits(out, year % 100);
    if (dashes)
        out.Append('-');
    AppendTwoDigits(out, month);
    if (dashes)
        out.Append('-');
    AppendTwoDigits(out, day);
}

void NextDay(int &year, int &month, int &day)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    const int last = month == 2 && leap ? 29 : kDays[month - 1];
    if (++day <= last)
        return;
    day = 1;
    if (++month <= 12)
        return;
    month = 1;
    ++year;
}

} // namespace EntryBytes
