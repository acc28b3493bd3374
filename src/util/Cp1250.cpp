#include "util/Cp1250.h"

#include "util/ByteAppender.h"

#include <array>
#include <cstring>

namespace {

constexpr std::array<char16_t, 128> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179, // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7, // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7, // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9, // F8
};

// The UTF-8 sequence of each byte, so that a conversion is a copy per byte.
struct TUtf8
{
    char Bytes[3];
    unsigned char Size;
};

constexpr std::array<TUtf8, 256> MakeUtf8Table()
{
    std::array<TUtf8, 256> t {};
    for (int b = 0; b < 256; ++b) {
        const char16_t u = b < 0x80 ? char16_t(b) : kHigh[size_t(b - 0x80)];
        if (u < 0x80)
            t[size_t(b)] = {{char(u), 0, 0}, 1};
        else if (u < 0x800)
            t[size_t(b)] = {{char(0xC0 | (u >> 6)), char(0x80 | (u & 0x3F)), 0}, 2};
        else
            t[size_t(b)] = {{char(0xE0 | (u >> 12)), char(0x80 | ((u >> 6) & 0x3F)), char(0x80 | (u & 0x3F))}, 3};
    }
    return t;
}

constexpr std::array<TUtf8, 256> kUtf8 = MakeUtf8Table();

// Code points up to the page's highest (U+2122) to their byte; 0 where the page has none.
constexpr char32_t kReverseSize = 0x2123;

std::array<unsigned char, kReverseSize> MakeReverse()
{
    std::array<unsigned char, kReverseSize> t {};
    for (int i = 0; i < 128; ++i)
        t[kHigh[size_t(i)]] = static_cast<unsigned char>(0x80 + i);
    return t;
}

const std::array<unsigned char, kReverseSize> &Reverse()
{
    static const std::array<unsigned char, kReverseSize> table = MakeReverse();
    return table;
}

} // namespace

char16_t Cp1250ToUnicode(unsigned char byte)
{
    return byte < 0x80 ? char16_t(byte) : kHigh[byte - 0x80];
}

int UnicodeToCp1250(char32_t codePoint)
{
    if (codePoint < 0x80)
        return int(codePoint);
    if (codePoint >= kReverseSize)
        return -1;
    const unsigned char b = Reverse()[codePoint];
    return b ? int(b) : -1;
}

QString FromCp1250(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *d = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        d[i] = QChar(Cp1250ToUnicode(static_cast<unsigned char>(bytes[i])));
    return out;
}

QByteArray ToCp1250(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (char32_t cp : text.toUcs4()) {
        const int b = UnicodeToCp1250(cp);
        out.append(b < 0 ? '?' : char(b));
    }
    return out;
}

qsizetype ToCp1250(QStringView text, char *out, qsizetype room, qint64 &missing)
{
    const std::array<unsigned char, kReverseSize> &reverse = Reverse();
    const char16_t *s = text.utf16();
    const char16_t *const end = s + text.size();
    qsizetype n = 0;
    while (s < end) {
        // Four ASCII units at a time while they fit: the byte is the unit.
        if (end - s >= 4 && room - n >= 4) {
            quint64 units;
            std::memcpy(&units, s, 8);
            if (!(units & 0xFF80FF80FF80FF80ull)) {
                out[n] = char(s[0]);
                out[n + 1] = char(s[1]);
                out[n + 2] = char(s[2]);
                out[n + 3] = char(s[3]);
                n += 4;
                s += 4;
                continue;
            }
        }
        char32_t cp = *s++;
        if (QChar::isHighSurrogate(cp) && s < end && QChar::isLowSurrogate(*s))
            cp = QChar::surrogateToUcs4(char16_t(cp), *s++);
        unsigned char b = cp < 0x80 ? static_cast<unsigned char>(cp) : cp < kReverseSize ? reverse[cp] : 0;
        if (b == 0 && cp != 0) {
            b = '?';
            ++missing;
        }
        if (n < room)
            out[n] = char(b);
        ++n;
    }
    return n;
}

void AppendCp1250AsUtf8(QByteArray &out, QByteArrayView bytes)
{
    const qsizetype at = out.size();
    out.resize(at + 3 * bytes.size());
    out.resize(PutCp1250AsUtf8(out.data() + at, bytes) - out.constData());
}

void AppendCp1250AsUtf8(TByteAppender &out, QByteArrayView bytes)
{
    out.Advance(PutCp1250AsUtf8(out.Room(3 * bytes.size()), bytes));
}

namespace {

// Copies the next eight bytes when all of them are ASCII, the same in both encodings, and
// moves past them; false (nothing moved) otherwise.
template<typename Byte>
bool CopiedAscii(const Byte *&s, const Byte *end, char *&d)
{
    quint64 word;
    if (end - s < 8)
        return false;
    std::memcpy(&word, s, 8);
    if (word & 0x8080808080808080ull)
        return false;
    std::memcpy(d, s, 8);
    d += 8;
    s += 8;
    return true;
}

} // namespace

char *PutCp1250AsUtf8(char *d, QByteArrayView bytes)
{
    const char *s = bytes.data();
    const char *const end = s + bytes.size();
    // Eight bytes at a time: ASCII stays as it is, other runs go through the table.
    while (s < end) {
        if (CopiedAscii(s, end, d))
            continue;
        for (const char *stop = qMin(s + 8, end); s < stop; ++s) {
            const TUtf8 &u = kUtf8[static_cast<unsigned char>(*s)];
            // Three bytes copied whatever the length: the room is there, the cursor moves by
            // the sequence's own size.
            d[0] = u.Bytes[0];
            d[1] = u.Bytes[1];
            d[2] = u.Bytes[2];
            d += u.Size;
        }
    }
    return d;
}

void AppendUtf8AsCp1250(QByteArray &out, QByteArrayView utf8)
{
    const qsizetype at = out.size();
    out.resize(at + utf8.size());
    char *d = out.data() + at;
    const auto *s = reinterpret_cast<const unsigned char *>(utf8.data());
    const auto *end = s + utf8.size();
    while (s < end) {
        // Eight ASCII bytes at a time: they are the same in both.
        if (CopiedAscii(s, end, d))
            continue;
        char32_t cp = *s++;
        if (cp < 0x80) {
            *d++ = char(cp);
            continue;
        }
        int more = cp >= 0xF0 ? 3 : cp >= 0xE0 ? 2 : 1;
        cp &= cp >= 0xF0 ? 0x07 : cp >= 0xE0 ? 0x0F : 0x1F;
        for (; more > 0 && s < end; --more)
            cp = (cp << 6) | (*s++ & 0x3F);
        const int b = UnicodeToCp1250(cp);
        *d++ = b < 0 ? '?' : char(b);
    }
    out.resize(d - out.constData());
}
