// One content line of a card into a property: its name, group and parameters, its value
// decoded from quoted-printable and its charset; and the escapes of values.
#include "interop/VCardReader.h"

#include "util/Cp1250.h"

#include <QStringDecoder>
#include <QStringTokenizer>

#include <array>
#include <cstring>

QStringList TVCardProperty::Param(const char *name) const
{
    QStringList values;
    const QByteArrayView wanted(name);
    for (const auto &p : Params)
        if (p.first == wanted)
            values += p.second.split(QLatin1Char(','), Qt::SkipEmptyParts);
    return values;
}

bool TVCardProperty::RawParam(const char *name, QString &value) const
{
    const QByteArrayView wanted(name);
    for (const auto &p : Params)
        if (p.first == wanted) {
            value = p.second;
            return true;
        }
    return false;
}

QStringView TVCardProperty::FirstParam(const char *name) const
{
    const QByteArrayView wanted(name);
    for (const auto &p : Params)
        if (p.first == wanted)
            for (const QStringView v : QStringView(p.second).tokenize(u','))
                if (!v.isEmpty())
                    return v;
    return {};
}

bool TVCardProperty::HasType(const char *type) const
{
    const QLatin1String wanted(type);
    for (const auto &p : Params)
        if (IsName(p.first, "TYPE"))
            for (const QStringView t : QStringView(p.second).tokenize(u','))
                if (t.trimmed().compare(wanted, Qt::CaseInsensitive) == 0)
                    return true;
    return false;
}

namespace {

char AsciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

QByteArray DecodeQuotedPrintable(QByteArrayView in)
{
    QByteArray out;
    out.reserve(in.size());
    const auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '=' && i + 2 < in.size() + 0 && hex(in[i + 1]) >= 0 && hex(in[i + 2]) >= 0) {
            out.append(char(hex(in[i + 1]) * 16 + hex(in[i + 2])));
            i += 2;
        } else {
            out.append(in[i]);
        }
    }
    return out;
}

// Plain valid UTF-8 into `to`, in the room it has; false, with `to` undefined, for bytes
// that are not, or that start with a byte-order mark or hold a noncharacter: those take
// the decoder's own way.
bool AssignUtf8(QString &to, QByteArrayView in)
{
    if (!to.isDetached())
        to = QString();
    to.resize(in.size()); // never more UTF-16 units than bytes
    char16_t *d = reinterpret_cast<char16_t *>(to.data());
    char16_t *const begin = d;
    const auto *s = reinterpret_cast<const uchar *>(in.data());
    const auto *const end = s + in.size();
    if (in.size() >= 3 && s[0] == 0xEF && s[1] == 0xBB && s[2] == 0xBF)
        return false;
    const auto more = [&](qsizetype i) { return s + i < end && (s[i] & 0xC0) == 0x80; };
    while (s < end) {
        // Eight ASCII bytes at a time.
        if (end - s >= 8) {
            quint64 word;
            std::memcpy(&word, s, 8);
            if (!(word & 0x8080808080808080ull)) {
                for (int k = 0; k < 8; ++k)
                    d[k] = s[k];
                d += 8;
                s += 8;
                continue;
            }
        }
        const uchar c = *s;
        if (c < 0x80) {
            *d++ = c;
            ++s;
        } else if (c >= 0xC2 && c < 0xE0 && more(1)) {
            *d++ = char16_t(((c & 0x1F) << 6) | (s[1] & 0x3F));
            s += 2;
        } else if (c >= 0xE0 && c < 0xF0 && more(1) && more(2)) {
            const char32_t u = ((c & 0x0F) << 12) | ((s[1] & 0x3F) << 6) | (s[2] & 0x3F);
            if (u < 0x800 || (u >= 0xD800 && u < 0xE000) || (u >= 0xFDD0 && u < 0xFDF0) || u >= 0xFFFE)
                return false;
            *d++ = char16_t(u);
            s += 3;
        } else if (c >= 0xF0 && c < 0xF5 && more(1) && more(2) && more(3)) {
            const char32_t u = ((c & 0x07) << 18) | ((s[1] & 0x3F) << 12) | ((s[2] & 0x3F) << 6) | (s[3] & 0x3F);
            if (u < 0x10000 || u > 0x10FFFF || (u & 0xFFFE) == 0xFFFE)
                return false;
            *d++ = QChar::highSurrogate(u);
            *d++ = QChar::lowSurrogate(u);
            s += 4;
        } else {
            return false;
        }
    }
    if (d - begin != in.size())
        to.resize(d - begin);
    return true;
}

QString DecodeWithCharset(QByteArrayView bytes, const QString &charset)
{
    if (!charset.isEmpty()) {
        const QString cs = charset.trimmed().toLower();
        if (cs == QLatin1String("windows-1250") || cs == QLatin1String("cp1250"))
            return FromCp1250(bytes);
        QStringDecoder d(cs.toLatin1().constData());
        if (d.isValid()) {
            const QString s = d.decode(bytes);
            if (!d.hasError())
                return s;
        }
    }
    // Without a charset, or a wrong one: UTF-8 when the bytes are, else the Czech
    // Windows page that older phones and programs wrote.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString s = utf8.decode(bytes);
    if (!utf8.hasError())
        return s;
    return FromCp1250(bytes);
}

void Decode(QString &to, QByteArrayView bytes, const QString &charset)
{
    if (!charset.isEmpty() || !AssignUtf8(to, bytes))
        to = DecodeWithCharset(bytes, charset);
}

void AssignBytes(QByteArray &to, QByteArrayView from)
{
    if (!to.isDetached()) {
        to = from.toByteArray();
        return;
    }
    to.resize(from.size());
    if (!from.isEmpty())
        std::memcpy(to.data(), from.data(), size_t(from.size()));
}

// The names and parameters cards mostly carry, shared rather than made for each line.
QByteArray Interned(QByteArrayView upper)
{
    static const QByteArray kNames[] = {
        QByteArrayLiteral("BEGIN"), QByteArrayLiteral("END"), QByteArrayLiteral("VERSION"), QByteArrayLiteral("PRODID"),
        QByteArrayLiteral("UID"), QByteArrayLiteral("REV"), QByteArrayLiteral("FN"), QByteArrayLiteral("N"),
        QByteArrayLiteral("NICKNAME"), QByteArrayLiteral("ADR"), QByteArrayLiteral("TEL"), QByteArrayLiteral("EMAIL"),
        QByteArrayLiteral("URL"), QByteArrayLiteral("BDAY"), QByteArrayLiteral("NOTE"), QByteArrayLiteral("TITLE"),
        QByteArrayLiteral("ROLE"), QByteArrayLiteral("ORG"), QByteArrayLiteral("CATEGORIES"), QByteArrayLiteral("PHOTO"),
        QByteArrayLiteral("KIND"), QByteArrayLiteral("LABEL"), QByteArrayLiteral("X-ABLABEL"),
        QByteArrayLiteral("X-VORLINK-NAROZENINY"), QByteArrayLiteral("X-VORLINK-NAMEDAY"),
        QByteArrayLiteral("X-VORLINK-EDUCATION"), QByteArrayLiteral("X-VORLINK-RODNE-CISLO"),
        QByteArrayLiteral("X-VORLINK-ICO"), QByteArrayLiteral("X-VORLINK-DIC"), QByteArrayLiteral("X-VORLINK-BANK"),
        QByteArrayLiteral("X-VORLINK-ACCOUNT"), QByteArrayLiteral("TYPE"), QByteArrayLiteral("X-VORLINK-SLOT"),
        QByteArrayLiteral("X-VORLINK-CODES"), QByteArrayLiteral("CHARSET"), QByteArrayLiteral("ENCODING"),
        QByteArrayLiteral("VALUE"), QByteArrayLiteral("PREF"), QByteArrayLiteral("ALTID"), QByteArrayLiteral("LANGUAGE"),
        QByteArrayLiteral("PID"),
    };
    // Looked up among those of the same length and first letter.
    static constexpr qsizetype kLongest = 24;
    struct TBucket
    {
        const QByteArray *Names[4] = {};
        int Count = 0;
    };
    static const auto buckets = [] {
        std::array<std::array<TBucket, 26>, kLongest + 1> b {};
        for (const QByteArray &n : kNames) {
            TBucket &at = b[size_t(n.size())][size_t(n[0] - 'A')];
            if (at.Count < 4) // a name left out is only made anew each time
                at.Names[at.Count++] = &n;
        }
        return b;
    }();
    if (upper.size() > 0 && upper.size() <= kLongest && upper[0] >= 'A' && upper[0] <= 'Z') {
        const TBucket &at = buckets[size_t(upper.size())][size_t(upper[0] - 'A')];
        for (int i = 0; i < at.Count; ++i)
            if (std::memcmp(at.Names[i]->constData(), upper.data(), size_t(upper.size())) == 0)
                return *at.Names[i];
    }
    return upper.toByteArray();
}

bool EqualsUpper(QByteArrayView text, QByteArrayView upper)
{
    if (text.size() != upper.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (AsciiUpper(text[i]) != upper[i])
            return false;
    return true;
}

// Upper case of a name or parameter name into `to`, made without allocating when it is
// short; most often it is the name the property had in the card before.
void AssignName(QByteArray &to, QByteArrayView name)
{
    char upper[32];
    if (name.size() > qsizetype(sizeof upper)) {
        to = name.toByteArray().toUpper();
        return;
    }
    if (EqualsUpper(name, to))
        return;
    for (qsizetype i = 0; i < name.size(); ++i)
        upper[i] = AsciiUpper(name[i]);
    to = Interned(QByteArrayView(upper, name.size()));
}

qsizetype IndexOf(QByteArrayView text, char c)
{
    const void *at = text.isEmpty() ? nullptr : std::memchr(text.data(), c, size_t(text.size()));
    return at ? static_cast<const char *>(at) - text.data() : -1;
}

// trimmed(), without a call when there is nothing to trim (most parts).
QByteArrayView Trimmed(QByteArrayView text)
{
    const auto space = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    if (text.isEmpty() || (!space(text.front()) && !space(text.back())))
        return text;
    return text.trimmed();
}

bool IsParamNameChar(char c)
{
    return std::isalnum(uchar(c)) || c == '-';
}

// Whether `text` continues a parameter list: more ";NAME=value" (or bare ";VALUE")
// parameters and nothing else.
bool ContinuesParameters(QByteArrayView text)
{
    const qsizetype semicolon = text.indexOf(';');
    if (semicolon < 0)
        return false;
    for (qsizetype i = semicolon; i < text.size();) {
        if (text[i] != ';')
            return false;
        qsizetype j = i + 1;
        while (j < text.size() && IsParamNameChar(text[j]))
            ++j;
        if (j == i + 1)
            return false;
        if (j < text.size() && text[j] == '=')
            while (++j < text.size() && text[j] != ';' && text[j] != '"')
                ;
        if (j < text.size() && text[j] == '"')
            return false;
        i = j;
    }
    return true;
}

// Where the value starts: after the first colon outside quotes, except that a colon left
// unquoted inside a parameter value (`LABEL=Brno: centrum;TYPE=work:…`, as some writers
// leave it) is taken as part of that value when more parameters follow it.
qsizetype ValueStart(QByteArrayView line)
{
    // Most heads hold no quote: then the value starts at the first colon unless that one
    // stands in a parameter's value (the last ';' or '=' before it is a '='), where the
    // whole walk below decides.
    const qsizetype colon = IndexOf(line, ':');
    if (colon < 0)
        return -1;
    if (IndexOf(line.first(colon), '"') < 0) {
        qsizetype k = colon - 1;
        while (k >= 0 && line[k] != ';' && line[k] != '=')
            --k;
        if (k < 0 || line[k] == ';')
            return colon;
        const qsizetype next = IndexOf(line.sliced(colon + 1), ':');
        if (next < 0 || !ContinuesParameters(line.sliced(colon + 1, next)))
            return colon;
    }
    bool quoted = false;
    bool inParamValue = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (quoted) {
            continue;
        } else if (c == ';') {
            inParamValue = false;
        } else if (c == '=') {
            inParamValue = true;
        } else if (c == ':') {
            if (inParamValue) {
                const qsizetype next = line.indexOf(':', i + 1);
                if (next > 0 && ContinuesParameters(line.sliced(i + 1, next - i - 1)))
                    continue;
            }
            return i;
        }
    }
    return -1;
}

} // namespace

qsizetype TVCardReader::ValueStart(QByteArrayView line)
{
    return ::ValueStart(line);
}

bool TVCardReader::ParseLine(QByteArrayView line, TVCardProperty &p)
{
    const qsizetype colon = ValueStart(line);
    if (colon <= 0)
        return false;
    const QByteArrayView head = line.first(colon);
    // The parts of the head, split at semicolons outside quotes.
    bool quoted = false;
    const bool anyQuote = IndexOf(head, '"') >= 0;
    const auto partEnd = [&](qsizetype from) {
        if (!anyQuote) {
            const qsizetype semicolon = IndexOf(head.sliced(from), ';');
            return semicolon < 0 ? head.size() : from + semicolon;
        }
        for (; from < head.size(); ++from) {
            if (head[from] == '"')
                quoted = !quoted;
            if (head[from] == ';' && !quoted)
                break;
        }
        return from;
    };
    qsizetype end = partEnd(0);
    QByteArrayView name = Trimmed(head.first(end));
    qsizetype dot = name.size() - 1;
    while (dot >= 0 && name[dot] != '.')
        --dot;
    if (dot >= 0) {
        AssignBytes(p.Group, name.first(dot));
        for (char &c : p.Group)
            c = AsciiUpper(c);
        name = name.sliced(dot + 1);
    } else if (!p.Group.isEmpty()) {
        p.Group.resize(0);
    }
    if (name.isEmpty())
        return false;
    for (char c : name)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'
              || (uchar(c) >= 0x80 && std::isalnum(uchar(c)))))
            return false;
    AssignName(p.Name, name);
    p.Binary = false;
    QString charset;
    enum { Plain, QuotedPrintable, Base64 } encoding = Plain;
    qsizetype params = 0;
    while (end < head.size()) {
        const qsizetype from = end + 1;
        end = partEnd(from);
        const QByteArrayView raw = head.sliced(from, end - from);
        const qsizetype eq = IndexOf(raw, '=');
        QByteArrayView pvalue = Trimmed(eq < 0 ? raw : raw.sliced(eq + 1));
        if (params == p.Params.size())
            p.Params.emplace_back();
        auto &param = p.Params[params++];
        QByteArray &pname = param.first;
        // vCard 2.1 writes bare encodings: ";QUOTED-PRINTABLE", ";BASE64".
        if (eq < 0)
            AssignName(pname, EqualsUpper(pvalue, "QUOTED-PRINTABLE") || EqualsUpper(pvalue, "BASE64") || EqualsUpper(pvalue, "8BIT")
                                  ? "ENCODING"
                                  : "TYPE");
        else
            AssignName(pname, Trimmed(raw.first(eq)));
        // Quotes go (on the stack when short).
        char shortValue[128];
        QByteArray longValue;
        if (IndexOf(pvalue, '"') >= 0) {
            qsizetype n = 0;
            char *d = shortValue;
            if (pvalue.size() > qsizetype(sizeof shortValue)) {
                longValue.resize(pvalue.size());
                d = longValue.data();
            }
            for (const char c : pvalue)
                if (c != '"')
                    d[n++] = c;
            pvalue = QByteArrayView(d, n);
        }
        if (IsName(pname, "CHARSET"))
            charset = QString::fromLatin1(pvalue);
        if (IsName(pname, "ENCODING"))
            encoding = EqualsUpper(pvalue, "QUOTED-PRINTABLE")                   ? QuotedPrintable
                     : EqualsUpper(pvalue, "B") || EqualsUpper(pvalue, "BASE64") ? Base64
                                                                                  : Plain;
        if (!AssignUtf8(param.second, pvalue))
            param.second = QString::fromUtf8(pvalue);
    }
    p.Params.resize(params);
    const QByteArrayView value = line.sliced(colon + 1);
    if (encoding == Base64) {
        p.Binary = true;
        if (!p.Value.isEmpty())
            p.Value = QString();
        return true;
    }
    if (encoding == QuotedPrintable)
        Decode(p.Value, DecodeQuotedPrintable(value), charset);
    else
        Decode(p.Value, value, charset);
    return true;
}

QString TVCardReader::Unescape(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\\') && i + 1 < value.size()) {
            // Only these are escapes; before any other character (2.1 writes "C:\Data")
            // the backslash is text.
            const QChar n = value.at(i + 1);
            if (n == QLatin1Char('n') || n == QLatin1Char('N')) {
                out += QLatin1Char('\n');
                ++i;
            } else if (n == QLatin1Char('\\') || n == QLatin1Char(',') || n == QLatin1Char(';') || n == QLatin1Char(':')) {
                out += n;
                ++i;
            } else {
                out += c;
            }
        } else {
            out += c;
        }
    }
    return out;
}

QStringList TVCardReader::SplitValue(const QString &value, QChar sep)
{
    QStringList parts;
    QString cur;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\\') && i + 1 < value.size()) {
            cur += c;
            cur += value.at(++i);
        } else if (c == sep) {
            parts.append(Unescape(cur));
            cur.clear();
        } else {
            cur += c;
        }
    }
    parts.append(Unescape(cur));
    return parts;
}
