#include "util/CodePage.h"

#include "util/Cp1250.h"

#include <QChar>
#include <QString>

#include <array>

namespace {

constexpr char16_t kNone = 0xFFFF; // byte unassigned on its page
using THighHalf = std::array<char16_t, 128>;

constexpr THighHalf kCp437 = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, // 80
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5, // 88
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, // 90
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, // 98
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, // A0
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, // A8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, // B0
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, // B8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, // C8
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, // D0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580, // D8
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, // E0
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, // E8
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248, // F0
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0, // F8
};

// Kamenický replaces 0x80-0xAF of page 437 by Czech and Slovak letters and keeps the rest.
constexpr THighHalf MakeKamenicky()
{
    constexpr char16_t letters[48] = {
        0x010C, 0x00FC, 0x00E9, 0x010F, 0x00E4, 0x010E, 0x0164, 0x010D, // 80 Č ü é ď ä Ď Ť č
        0x011B, 0x011A, 0x0139, 0x00CD, 0x013E, 0x013A, 0x00C4, 0x00C1, // 88 ě Ě Ĺ Í ľ ĺ Ä Á
        0x00C9, 0x017E, 0x017D, 0x00F4, 0x00F6, 0x00D3, 0x016F, 0x00DA, // 90 É ž Ž ô ö Ó ů Ú
        0x00FD, 0x00D6, 0x00DC, 0x0160, 0x013D, 0x00DD, 0x0158, 0x0165, // 98 ý Ö Ü Š Ľ Ý Ř ť
        0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x0148, 0x0147, 0x016E, 0x00D4, // A0 á í ó ú ň Ň Ů Ô
        0x0161, 0x0159, 0x0155, 0x0154, 0x00BC, 0x00A7, 0x00AB, 0x00BB, // A8 š ř ŕ Ŕ ¼ § « »
    };
    THighHalf t = kCp437;
    for (int i = 0; i < 48; ++i)
        t[i] = letters[i];
    return t;
}
constexpr THighHalf kKamenicky = MakeKamenicky();

constexpr THighHalf kCp852 = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x016F, 0x0107, 0x00E7, // 80
    0x0142, 0x00EB, 0x0150, 0x0151, 0x00EE, 0x0179, 0x00C4, 0x0106, // 88
    0x00C9, 0x0139, 0x013A, 0x00F4, 0x00F6, 0x013D, 0x013E, 0x015A, // 90
    0x015B, 0x00D6, 0x00DC, 0x0164, 0x0165, 0x0141, 0x00D7, 0x010D, // 98
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x0104, 0x0105, 0x017D, 0x017E, // A0
    0x0118, 0x0119, 0x00AC, 0x017A, 0x010C, 0x015F, 0x00AB, 0x00BB, // A8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x011A, // B0
    0x015E, 0x2563, 0x2551, 0x2557, 0x255D, 0x017B, 0x017C, 0x2510, // B8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x0102, 0x0103, // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4, // C8
    0x0111, 0x0110, 0x010E, 0x00CB, 0x010F, 0x0147, 0x00CD, 0x00CE, // D0
    0x011B, 0x2518, 0x250C, 0x2588, 0x2584, 0x0162, 0x016E, 0x2580, // D8
    0x00D3, 0x00DF, 0x00D4, 0x0143, 0x0144, 0x0148, 0x0160, 0x0161, // E0
    0x0154, 0x00DA, 0x0155, 0x0170, 0x00FD, 0x00DD, 0x0163, 0x00B4, // E8
    0x00AD, 0x02DD, 0x02DB, 0x02C7, 0x02D8, 0x00A7, 0x00F7, 0x00B8, // F0
    0x00B0, 0x00A8, 0x02D9, 0x0171, 0x0158, 0x0159, 0x25A0, 0x00A0, // F8
};

// KOI8-CS: small letters at 0xC0-0xDF, capitals 0x20 above them; 0x80-0x9F are controls.
// 0xC7 and 0xE7 hold the "ch" digraph, which has no single code point.
constexpr THighHalf MakeKoi8Cs()
{
    constexpr char16_t upper[96] = {
        0x00A0, kNone, 0x00B4, kNone, 0x007E, kNone, 0x02D8, 0x02D9, // A0
        0x00A8, kNone, 0x02DA, 0x00B8, kNone, 0x02DD, 0x02DB, 0x02C7, // A8
        0x00A9, 0x2122, 0x250C, 0x2510, 0x2514, 0x2518, 0x2500, 0x2193, // B0
        0x03A9, 0x00A7, 0x03B1, 0x03B3, 0x03B5, 0x03BC, 0x03C0, 0x03C9, // B8
        0x00E0, 0x00E1, 0x01CE, 0x010D, 0x010F, 0x011B, 0x0155, kNone, // C0 à á ǎ č ď ě ŕ ch
        0x00FC, 0x00ED, 0x016F, 0x013A, 0x013E, 0x00F6, 0x0148, 0x00F3, // C8 ü í ů ĺ ľ ö ň ó
        0x00F4, 0x00E4, 0x0159, 0x0161, 0x0165, 0x00FA, 0x00EB, 0x00E9, // D0 ô ä ř š ť ú ë é
        0x0171, 0x00FD, 0x017E, kNone, kNone, 0x0151, 0x0117, 0x00DF, // D8 ű ý ž . . ő ė ß
        0x00C0, 0x00C1, 0x01CD, 0x010C, 0x010E, 0x011A, 0x0154, kNone, // E0
        0x00DC, 0x00CD, 0x016E, 0x0139, 0x013D, 0x00D6, 0x0147, 0x00D3, // E8
        0x00D4, 0x00C4, 0x0158, 0x0160, 0x0164, 0x00DA, 0x00CB, 0x00C9, // F0
        0x0170, 0x00DD, 0x017D, kNone, kNone, 0x0150, 0x0116, kNone, // F8
    };
    THighHalf t {};
    for (int i = 0; i < 32; ++i)
        t[i] = kNone;
    for (int i = 0; i < 96; ++i)
        t[32 + i] = upper[i];
    return t;
}
constexpr THighHalf kKoi8Cs = MakeKoi8Cs();

constexpr unsigned char kSpace = ' ';
constexpr unsigned char k437BoxHorizontal = 0xC4;
constexpr unsigned char k437SmallBullet = 0xF9;
constexpr unsigned char kWinBullet = 0x95;
constexpr unsigned char kWinEnDash = 0x96;
constexpr unsigned char kWinEmDash = 0x97;

bool ValidPage(int page)
{
    return page >= 0 && page < kCodePageCount;
}

// The letter without its diacritics, or 0 when u is no such letter.
char16_t BaseLetter(char16_t u)
{
    switch (u) { // no canonical decomposition, yet plainly l and d with a stroke
    case 0x0141:
        return u'L';
    case 0x0142:
        return u'l';
    case 0x0110:
        return u'D';
    case 0x0111:
        return u'd';
    default:
        break;
    }
    QChar c(u);
    if (!c.isLetter())
        return 0;
    while (c.unicode() >= 0x80 && c.decompositionTag() == QChar::Canonical) {
        const QString d = c.decomposition();
        if (d.isEmpty())
            return 0;
        c = d.at(0);
    }
    return c.unicode() < 0x80 && c.unicode() != u ? c.unicode() : 0;
}

// Byte of page for u, or -1. Page 0 has no letters with diacritics at all.
int FindOnPage(int page, char16_t u)
{
    if (u == kNone)
        return -1;
    if (u >= 0x20 && u < 0x7F)
        return int(u);
    if (page == int(TCodePage::Win1250)) {
        const int b = UnicodeToCp1250(u);
        return b >= 0x80 && Cp1250ToUnicode(static_cast<unsigned char>(b)) >= 0xA0 ? b : -1;
    }
    for (int b = 0x80; b < 0x100; ++b) {
        if (CodePageToUnicode(page, static_cast<unsigned char>(b)) != u)
            continue;
        if (page == int(TCodePage::Ascii437) && BaseLetter(u) != 0)
            return -1;
        return b;
    }
    return -1;
}

// Near ASCII stand-ins for punctuation that the DOS pages lack.
int NearAscii(char16_t u)
{
    switch (u) {
    case 0x201E: // low double quote
    case 0x201C:
    case 0x201D:
    case 0x02DD: // double acute accent
        return '"';
    case 0x2018:
        return '`';
    case 0x2019:
        return '\'';
    case 0x00B4:
        return '\''; // acute accent
    case 0x2039:
        return '<';
    case 0x203A:
        return '>';
    case 0x2013: // en dash
    case 0x00AD: // soft hyphen
        return '-';
    case 0x00A6:
        return '|';
    case 0x00D7:
        return 'x';
    default:
        return -1;
    }
}

unsigned char MapChar(char16_t u, int source, int target)
{
    if (u == kNone)
        return kSpace;
    const bool dosTarget = target <= int(TCodePage::Latin2);
    if (target == int(TCodePage::Win1250)) {
        switch (u) {
        case 0x2502:
            return '|';
        case 0x2500:
            return kWinEmDash;
        case 0x2219:
            return kWinBullet;
        case 0x00AD:
            return kWinEnDash;
        default:
            break;
        }
    } else if (dosTarget && source == int(TCodePage::Win1250)) {
        const bool has437Graphics = target != int(TCodePage::Latin2);
        switch (u) {
        case 0x2014:
            return has437Graphics ? k437BoxHorizontal : kSpace;
        case 0x2022:
        case 0x00B7:
            return has437Graphics ? k437SmallBullet : kSpace;
        default:
            break;
        }
    }
    if (const int b = FindOnPage(target, u); b >= 0)
        return static_cast<unsigned char>(b);
    if (target == int(TCodePage::Kamenicky)) {
        char16_t near = 0;
        switch (u) {
        case 0x0151:
            near = 0x00F6;
            break; // ő -> ö
        case 0x0171:
            near = 0x00FC;
            break; // ű -> ü
        case 0x0150:
            near = 0x00D6;
            break;
        case 0x0170:
            near = 0x00DC;
            break;
        default:
            break;
        }
        if (const int b = FindOnPage(target, near); near && b >= 0)
            return static_cast<unsigned char>(b);
    }
    if (const char16_t base = BaseLetter(u))
        return static_cast<unsigned char>(base);
    if (const int a = NearAscii(u); a >= 0)
        return static_cast<unsigned char>(a);
    return kSpace;
}

struct TTables
{
    std::array<std::array<unsigned char, 256>, kCodePageCount * kCodePageCount> Columns {};
    std::array<unsigned char, 256> Upper {};
};

TTables BuildTables()
{
    TTables t;
    for (int s = 0; s < kCodePageCount; ++s) {
        for (int d = 0; d < kCodePageCount; ++d) {
            auto &col = t.Columns[s * kCodePageCount + d];
            for (int b = 0; b < 256; ++b)
                col[b] = static_cast<unsigned char>(b);
            if (!CodePagePairSupported(s, d))
                continue;
            // DEL is a control in KOI8-CS but a graphic on the DOS pages.
            if (s == int(TCodePage::Koi8Cs) || d == int(TCodePage::Koi8Cs))
                col[0x7F] = kSpace;
            for (int b = 0x80; b < 0x100; ++b)
                col[b] = MapChar(CodePageToUnicode(s, static_cast<unsigned char>(b)), s, d);
        }
    }
    for (int b = 0; b < 256; ++b) {
        const char16_t u = Cp1250ToUnicode(static_cast<unsigned char>(b));
        const char16_t up = QChar(u).toUpper().unicode();
        const int ub = up != u ? UnicodeToCp1250(up) : -1;
        t.Upper[b] = static_cast<unsigned char>(ub >= 0 ? ub : b);
    }
    return t;
}

const TTables &Tables()
{
    static const TTables tables = BuildTables();
    return tables;
}

} // namespace

char16_t CodePageToUnicode(int page, unsigned char byte)
{
    if (byte < 0x80)
        return byte;
    const int i = byte - 0x80;
    switch (page) {
    case int(TCodePage::Ascii437):
        return kCp437[i];
    case int(TCodePage::Kamenicky):
        return kKamenicky[i];
    case int(TCodePage::Latin2):
        return kCp852[i];
    case int(TCodePage::Koi8Cs):
        return kKoi8Cs[i];
    case int(TCodePage::Win1250): {
        const char16_t u = Cp1250ToUnicode(byte);
        return u < 0xA0 ? kNone : u; // the five holes of the page
    }
    default:
        return kNone;
    }
}

bool CodePagePairSupported(int source, int target)
{
    if (!ValidPage(source) || !ValidPage(target) || source == target)
        return false;
    if (source == int(TCodePage::Ascii437))
        return false;
    const bool koiWin = (source == int(TCodePage::Koi8Cs) && target == int(TCodePage::Win1250))
        || (source == int(TCodePage::Win1250) && target == int(TCodePage::Koi8Cs));
    return !koiWin;
}

unsigned char ConvertByte(unsigned char byte, int source, int target)
{
    if (!CodePagePairSupported(source, target))
        return byte;
    return Tables().Columns[source * kCodePageCount + target][byte];
}

QByteArray ConvertCodePage(QByteArrayView text, int source, int target)
{
    QByteArray out = text.toByteArray();
    if (!CodePagePairSupported(source, target))
        return out;
    const auto &col = Tables().Columns[source * kCodePageCount + target];
    for (char &c : out)
        c = static_cast<char>(col[static_cast<unsigned char>(c)]);
    return out;
}

unsigned char UpperCp1250(unsigned char byte)
{
    return Tables().Upper[byte];
}
