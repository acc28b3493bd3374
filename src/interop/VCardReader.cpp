#include "interop/VCardReader.h"

#include "util/Cp1250.h"

#include <QIODevice>
#include <QStringDecoder>

QStringList TVCardProperty::Param(const char *name) const
{
    QStringList values;
    for (const auto &p : Params)
        if (p.first == name)
            values += p.second.split(QLatin1Char(','), Qt::SkipEmptyParts);
    return values;
}

bool TVCardProperty::RawParam(const char *name, QString &value) const
{
    for (const auto &p : Params)
        if (p.first == name) {
            value = p.second;
            return true;
        }
    return false;
}

bool TVCardProperty::HasType(const char *type) const
{
    for (const QString &t : Param("TYPE"))
        if (t.trimmed().compare(QLatin1String(type), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool TVCardReader::PhysicalLine(QByteArray &line)
{
    if (m_hasPending) {
        line = std::move(m_pending);
        m_hasPending = false;
        return true;
    }
    line.resize(0);
    bool overlong = false;
    for (;;) {
        char buf[8192];
        const qint64 n = m_d.readLine(buf, sizeof buf);
        if (n < 0) {
            // readLine returns -1 at the end as well as on an error.
            if (!m_d.atEnd())
                m_failed = true;
            if (line.isEmpty() && !overlong)
                return false;
            break;
        }
        if (n == 0)
            break;
        if (!overlong) {
            if (line.size() + n > kMaxLine) {
                overlong = true;
                line.resize(0);
            } else {
                line.append(buf, n);
            }
        }
        if (buf[n - 1] == '\n')
            break;
    }
    if (overlong) {
        ++m_bad;
        line.resize(0); // the dropped line reads as an empty one
        return true;
    }
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return true;
}

bool TVCardReader::LogicalLine(QByteArray &line)
{
    if (!PhysicalLine(line))
        return false;
    // Quoted-printable of vCard 2.1 breaks lines with a trailing '='.
    const auto quotedPrintable = [](const QByteArray &l) {
        const qsizetype colon = l.indexOf(':');
        return colon > 0 && l.left(colon).toUpper().contains("QUOTED-PRINTABLE");
    };
    const bool qp = quotedPrintable(line);
    QByteArray next;
    while (PhysicalLine(next)) {
        const bool folded = !next.isEmpty() && (next[0] == ' ' || next[0] == '\t');
        const bool soft = qp && line.endsWith('=');
        if (soft) {
            line.chop(1);
            line += folded ? next.mid(1) : next;
        } else if (folded) {
            line += next.mid(1);
        } else {
            m_pending = std::move(next);
            m_hasPending = true;
            break;
        }
        if (line.size() > kMaxLine) {
            ++m_bad;
            line.resize(0);
        }
    }
    return true;
}

namespace {

QByteArray DecodeQuotedPrintable(const QByteArray &in)
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

QString Decode(const QByteArray &bytes, const QString &charset)
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
qsizetype ValueStart(const QByteArray &line)
{
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
                if (next > 0 && ContinuesParameters(QByteArrayView(line).sliced(i + 1, next - i - 1)))
                    continue;
            }
            return i;
        }
    }
    return -1;
}

} // namespace

bool TVCardReader::ParseLine(const QByteArray &line, TVCardProperty &p)
{
    const qsizetype colon = ValueStart(line);
    if (colon <= 0)
        return false;
    const QByteArray head = line.left(colon);
    QList<QByteArray> parts;
    {
        QByteArray cur;
        bool q = false;
        for (char c : head) {
            if (c == '"')
                q = !q;
            if (c == ';' && !q) {
                parts.append(cur);
                cur.clear();
            } else {
                cur.append(c);
            }
        }
        parts.append(cur);
    }
    QByteArray name = parts.takeFirst().trimmed().toUpper();
    const qsizetype dot = name.lastIndexOf('.');
    p = TVCardProperty();
    if (dot >= 0) {
        p.Group = name.left(dot);
        name = name.mid(dot + 1);
    }
    if (name.isEmpty())
        return false;
    for (char c : name)
        if (!(std::isalnum(uchar(c)) || c == '-'))
            return false;
    p.Name = name;
    QString charset;
    QByteArray encoding;
    for (const QByteArray &raw : parts) {
        const qsizetype eq = raw.indexOf('=');
        QByteArray pname = (eq < 0 ? QByteArray("TYPE") : raw.left(eq).trimmed().toUpper());
        QByteArray pvalue = eq < 0 ? raw.trimmed() : raw.mid(eq + 1).trimmed();
        // vCard 2.1 writes bare encodings: ";QUOTED-PRINTABLE", ";BASE64".
        if (eq < 0 && (pvalue.toUpper() == "QUOTED-PRINTABLE" || pvalue.toUpper() == "BASE64" || pvalue.toUpper() == "8BIT"))
            pname = "ENCODING";
        pvalue.replace('"', QByteArray());
        if (pname == "CHARSET")
            charset = QString::fromLatin1(pvalue);
        if (pname == "ENCODING")
            encoding = pvalue.toUpper();
        p.Params.append({pname, QString::fromUtf8(pvalue)});
    }
    QByteArray value = line.mid(colon + 1);
    if (encoding == "B" || encoding == "BASE64") {
        p.Binary = true;
        return true;
    }
    if (encoding == "QUOTED-PRINTABLE")
        value = DecodeQuotedPrintable(value);
    p.Value = Decode(value, charset);
    return true;
}

bool TVCardReader::Next(TVCard &card)
{
    card.clear();
    QByteArray line;
    bool inCard = false;
    int nested = 0;
    while (LogicalLine(line)) {
        if (line.trimmed().isEmpty()) {
            continue;
        }
        TVCardProperty p;
        if (!ParseLine(line, p)) {
            ++m_bad;
            continue;
        }
        const bool begin = p.Name == "BEGIN" && p.Value.trimmed().compare(QLatin1String("VCARD"), Qt::CaseInsensitive) == 0;
        const bool end = p.Name == "END" && p.Value.trimmed().compare(QLatin1String("VCARD"), Qt::CaseInsensitive) == 0;
        if (!inCard) {
            if (begin)
                inCard = true;
            else
                ++m_bad;
            continue;
        }
        if (begin) {
            // A card inside a card (2.1's AGENT) is passed over.
            ++nested;
            continue;
        }
        if (end) {
            if (nested > 0) {
                --nested;
                continue;
            }
            return true;
        }
        if (nested > 0)
            continue;
        if (card.size() >= kMaxProperties) {
            ++m_bad;
            continue;
        }
        card.append(std::move(p));
    }
    // A card the file breaks off still counts with what it had.
    if (inCard)
        ++m_bad;
    return inCard;
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
