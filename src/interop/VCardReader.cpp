#include "interop/VCardReader.h"

#include "util/Cp1250.h"

#include <QIODevice>
#include <QStringDecoder>

#include <cstring>
#include <memory>

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

TVCardReader::TVCardReader(QIODevice &device) : m_d(device) { }

TVCardReader::~TVCardReader() = default;

bool TVCardReader::Fill()
{
    if (m_atEnd)
        return false;
    // What was consumed goes; the buffer keeps its allocation and stays about one block
    // beyond the line being read.
    if (m_pos > 0) {
        const qsizetype rest = m_buffer.size() - m_pos;
        if (rest > 0)
            std::memmove(m_buffer.data(), m_buffer.constData() + m_pos, size_t(rest));
        m_buffer.resize(rest);
        m_pos = 0;
    }
    char raw[1 << 16];
    const qint64 n = m_d.read(raw, sizeof raw);
    if (n <= 0) {
        if (n < 0 && !m_d.atEnd())
            m_failed = true;
        m_atEnd = true;
        if (m_utf16)
            m_buffer += QString(m_utf16->decode(QByteArrayView())).toUtf8();
        return false;
    }
    QByteArrayView bytes(raw, n);
    if (!m_started) {
        m_started = true;
        // A byte-order mark: UTF-8's is dropped, UTF-16 is read as such.
        if (bytes.startsWith("\xEF\xBB\xBF")) {
            bytes = bytes.sliced(3);
        } else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
            m_utf16 = std::make_unique<QStringDecoder>(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
            bytes = bytes.sliced(2);
        }
    }
    if (m_utf16)
        m_buffer += QString(m_utf16->decode(bytes)).toUtf8();
    else
        m_buffer.append(bytes);
    return true;
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
    QByteArray head; // the start of an overlong line, to tell a photo
    for (;;) {
        qsizetype i = m_pos;
        while (i < m_buffer.size() && m_buffer[i] != '\n' && m_buffer[i] != '\r')
            ++i;
        // A line ends at LF, CR LF or a lone CR (as old Mac programs wrote).
        if (i < m_buffer.size()) {
            if (m_buffer[i] == '\r' && i + 1 == m_buffer.size() && !m_atEnd) {
                Fill(); // whether an LF follows is in the next block
                continue;
            }
            if (!overlong && i - m_pos > kMaxLine) {
                overlong = true;
                head = m_buffer.mid(m_pos, 64);
            }
            if (!overlong)
                line.append(m_buffer.constData() + m_pos, i - m_pos); // into the line's own allocation
            m_pos = i + 1;
            if (m_buffer[i] == '\r' && m_pos < m_buffer.size() && m_buffer[m_pos] == '\n')
                ++m_pos;
            break;
        }
        if (!overlong && m_buffer.size() - m_pos > kMaxLine) {
            // Kept no further: skipped to its end.
            overlong = true;
            head = m_buffer.mid(m_pos, 64);
        }
        if (overlong)
            m_pos = m_buffer.size();
        if (!Fill()) {
            if (m_pos >= m_buffer.size() && !overlong)
                return false;
            if (!overlong)
                line.append(m_buffer.constData() + m_pos, m_buffer.size() - m_pos);
            m_pos = m_buffer.size();
            break;
        }
    }
    if (overlong) {
        if (IsPhoto(head))
            ++m_photos;
        else
            ++m_bad;
        line.resize(0); // the dropped line reads as an empty one
    }
    return true;
}

bool TVCardReader::IsPhoto(QByteArrayView line)
{
    qsizetype end = 0;
    while (end < line.size() && line[end] != ';' && line[end] != ':')
        ++end;
    QByteArrayView name = line.first(end).trimmed();
    const qsizetype dot = name.lastIndexOf('.');
    if (dot >= 0)
        name = name.sliced(dot + 1);
    return name.compare("PHOTO", Qt::CaseInsensitive) == 0;
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
    // A line cut for its length is skipped to its end: its continuations are not a line.
    bool dropped = false;
    bool softEnd = qp && line.endsWith('=');
    while (PhysicalLine(next)) {
        const bool folded = !next.isEmpty() && (next[0] == ' ' || next[0] == '\t');
        const bool soft = softEnd;
        if (!soft && !folded) {
            m_pending = std::move(next);
            m_hasPending = true;
            break;
        }
        softEnd = qp && next.endsWith('=');
        if (dropped)
            continue;
        if (soft)
            line.chop(1);
        line += folded ? QByteArrayView(next).sliced(1) : QByteArrayView(next);
        if (line.size() > kMaxLine) {
            if (IsPhoto(line))
                ++m_photos;
            else
                ++m_bad;
            line.resize(0);
            dropped = true;
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
