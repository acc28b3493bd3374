#include "interop/VCardReader.h"

#include <QIODevice>
#include <QStringDecoder>

#include <bit>
#include <cstring>
#include <memory>

TVCardReader::TVCardReader(QIODevice &device, qsizetype block) : m_d(device), m_block(std::max<qsizetype>(block, 1)) { }

TVCardReader::~TVCardReader() = default;

bool TVCardReader::Fill()
{
    if (m_atEnd)
        return false;
    // A line waiting for its continuations moves out of the way: the buffer keeps only
    // the line being read.
    if (m_holdingFirst) {
        m_line.resize(0);
        m_line.append(View(m_first));
        m_holdingFirst = false;
    }
    // What was consumed goes; the buffer keeps its allocation and stays about one block
    // beyond the line being read.
    const qsizetype drop = qsizetype(m_keep - m_base);
    if (drop > 0) {
        const qsizetype rest = m_buffer.size() - drop;
        if (rest > 0)
            std::memmove(m_buffer.data(), m_buffer.constData() + drop, size_t(rest));
        m_buffer.resize(rest);
        m_base = m_keep;
    }
    // The first read is long enough to hold any byte-order mark.
    const qsizetype want = m_started ? m_block : std::max<qsizetype>(m_block, 4);
    const qsizetype at = m_buffer.size();
    m_buffer.resize(at + want);
    const qint64 n = m_d.read(m_buffer.data() + at, want);
    m_buffer.resize(at + std::max<qint64>(n, 0));
    if (n <= 0) {
        if (n < 0 && !m_d.atEnd())
            m_failed = true;
        m_atEnd = true;
        if (m_utf16)
            m_buffer += QString(m_utf16->decode(QByteArrayView())).toUtf8();
        return false;
    }
    QByteArrayView bytes(m_buffer.constData() + at, n);
    if (!m_started) {
        m_started = true;
        // A byte-order mark: UTF-8's is dropped, UTF-16 is read as such.
        if (bytes.startsWith("\xEF\xBB\xBF")) {
            m_buffer.remove(at, 3);
        } else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
            m_utf16 = std::make_unique<QStringDecoder>(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
            bytes = bytes.sliced(2);
        }
    }
    if (m_utf16) {
        const QByteArray utf8 = QString(m_utf16->decode(bytes)).toUtf8();
        m_buffer.resize(at);
        m_buffer.append(utf8);
    }
    return true;
}

namespace {

// The first CR or LF in [from, end), eight bytes at a time: lines are short, and one pass
// for both costs less than a search for each.
const char *LineEnd(const char *from, const char *end)
{
    constexpr quint64 kOnes = 0x0101010101010101ull;
    constexpr quint64 kHighs = 0x8080808080808080ull;
    const char *p = from;
    for (; std::endian::native == std::endian::little && end - p >= 8; p += 8) {
        quint64 word;
        std::memcpy(&word, p, 8);
        const quint64 lf = word ^ (kOnes * '\n');
        const quint64 cr = word ^ (kOnes * '\r');
        // The lowest byte flagged is the first that matched (a borrow only flags later ones).
        const quint64 hit = ((lf - kOnes) & ~lf & kHighs) | ((cr - kOnes) & ~cr & kHighs);
        if (hit)
            return p + (std::countr_zero(hit) >> 3);
    }
    for (; p < end; ++p)
        if (*p == '\n' || *p == '\r')
            return p;
    return nullptr;
}

} // namespace

bool TVCardReader::PhysicalLine(TSpan &line)
{
    const qint64 start = m_pos;
    qint64 scan = m_pos;
    bool overlong = false;
    const auto markOverlong = [&] {
        overlong = true;
        m_head = m_buffer.mid(qsizetype(start - m_base), 64);
    };
    for (;;) {
        const char *data = m_buffer.constData();
        const char *from = data + (scan - m_base);
        const char *end = data + m_buffer.size();
        // A line ends at LF, CR LF or a lone CR (as old Mac programs wrote).
        if (const char *t = LineEnd(from, end)) {
            const qint64 at = m_base + (t - data);
            if (*t == '\r' && t + 1 == end && !m_atEnd) {
                // Whether an LF follows is in the next block.
                m_keep = overlong ? at : start;
                scan = at;
                Fill();
                continue;
            }
            if (!overlong && at - start > kMaxLine)
                markOverlong();
            line = overlong ? TSpan {at, at} : TSpan {start, at};
            m_pos = at + 1;
            if (*t == '\r' && t + 1 < end && t[1] == '\n')
                ++m_pos;
            break;
        }
        const qint64 bufferEnd = m_base + m_buffer.size();
        // Kept no further: skipped to its end.
        if (!overlong && bufferEnd - start > kMaxLine)
            markOverlong();
        scan = bufferEnd;
        m_keep = overlong ? bufferEnd : start;
        if (!Fill()) {
            const qint64 last = m_base + m_buffer.size();
            if (start >= last && !overlong)
                return false;
            line = overlong ? TSpan {last, last} : TSpan {start, last};
            m_pos = last;
            break;
        }
    }
    m_cut = overlong;
    if (overlong) {
        if (IsPhoto(m_head))
            ++m_photos;
        else
            ++m_bad;
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

namespace {

char AsciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

// Whether the part before the value names quoted-printable, in any case.
bool QuotedPrintable(QByteArrayView line)
{
    const void *at = line.isEmpty() ? nullptr : std::memchr(line.data(), ':', size_t(line.size()));
    const qsizetype colon = at ? static_cast<const char *>(at) - line.data() : -1;
    if (colon <= 0)
        return false;
    static constexpr QByteArrayView kWord = "QUOTED-PRINTABLE";
    for (qsizetype i = 0; i + kWord.size() <= colon; ++i) {
        if ((line[i] | 0x20) != 'q')
            continue;
        qsizetype k = 1;
        while (k < kWord.size() && AsciiUpper(line[i + k]) == kWord[k])
            ++k;
        if (k == kWord.size())
            return true;
    }
    return false;
}

} // namespace

bool TVCardReader::LogicalLine(QByteArrayView &out)
{
    TSpan first;
    bool firstCut = false;
    if (m_hasPending) {
        first = m_pending;
        firstCut = m_pendingCut;
        m_hasPending = false;
    } else {
        if (!PhysicalLine(first))
            return false;
        firstCut = m_cut;
    }
    // Read where it lies unless a fill or a fold makes it a line of its own.
    m_first = first;
    m_holdingFirst = true;
    const QByteArrayView firstLine = View(first);
    // Quoted-printable of vCard 2.1 breaks lines with a trailing '='.
    const bool qp = QuotedPrintable(firstLine);
    // A line cut for its length is skipped to its end: its continuations are not a line.
    bool dropped = firstCut;
    bool softEnd = qp && firstLine.endsWith('=');
    TSpan next;
    while (PhysicalLine(next)) {
        const QByteArrayView n = View(next);
        const bool folded = !n.isEmpty() && (n[0] == ' ' || n[0] == '\t');
        const bool soft = softEnd;
        if (!soft && !folded) {
            m_pending = next;
            m_pendingCut = m_cut;
            m_hasPending = true;
            break;
        }
        softEnd = qp && n.endsWith('=');
        if (dropped)
            continue;
        if (m_holdingFirst) {
            m_line.resize(0);
            m_line.append(View(first));
            m_holdingFirst = false;
        }
        if (soft)
            m_line.chop(1);
        m_line.append(folded ? n.sliced(1) : n);
        if (m_line.size() > kMaxLine) {
            if (IsPhoto(m_line))
                ++m_photos;
            else
                ++m_bad;
            m_line.resize(0);
            dropped = true;
        }
    }
    if (m_holdingFirst) {
        m_holdingFirst = false;
        out = View(first);
    } else {
        out = m_line;
    }
    return true;
}

bool TVCardReader::Next(TVCard &card)
{
    // The card's properties are filled again in place, keeping their room; those left
    // over wait for a longer card.
    qsizetype used = 0;
    const auto finish = [&] {
        while (card.size() > used) {
            m_spare.append(std::move(card.last()));
            card.removeLast();
        }
    };
    QByteArrayView line;
    bool inCard = false;
    int nested = 0;
    while (LogicalLine(line)) {
        // Blank lines are skipped; a line that starts with no space is none.
        const bool blank = line.isEmpty() || ((line[0] == ' ' || (line[0] >= '\t' && line[0] <= '\r')) && line.trimmed().isEmpty());
        if (blank) {
            continue;
        }
        if (used == card.size()) {
            if (m_spare.isEmpty()) {
                card.emplace_back();
            } else {
                card.append(std::move(m_spare.last()));
                m_spare.removeLast();
            }
        }
        TVCardProperty &p = card[used];
        if (!ParseLine(line, p)) {
            ++m_bad;
            continue;
        }
        const bool begin = IsName(p.Name, "BEGIN") && p.Value.trimmed().compare(QLatin1String("VCARD"), Qt::CaseInsensitive) == 0;
        const bool end = IsName(p.Name, "END") && p.Value.trimmed().compare(QLatin1String("VCARD"), Qt::CaseInsensitive) == 0;
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
            finish();
            return true;
        }
        if (nested > 0)
            continue;
        if (used >= kMaxProperties) {
            ++m_bad;
            continue;
        }
        ++used;
    }
    // A card the file breaks off still counts with what it had.
    if (inCard) {
        ++m_bad;
        m_endedInCard = true;
    }
    finish();
    return inCard;
}
