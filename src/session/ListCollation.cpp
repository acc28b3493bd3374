#include "session/ListCollation.h"

#include "util/Cp1250.h"

#include <QElapsedTimer>
#include <QLocale>
#include <QString>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Key bytes: primary ranks, the separator, secondary ranks. Ranks stay above the
// separator, so a key that ends its primaries sorts before one that goes on; 0 marks a
// byte the keys do not cover.
constexpr unsigned char kSeparator = 1;
constexpr int kFirstPrimary = 2;
constexpr int kFirstSecondary = 1;
constexpr int kMaxRank = 255;

struct TModel
{
    bool Usable = false;
    std::array<unsigned char, 256> Primary {};
    std::array<unsigned char, 256> Secondary {};
    // "ch" in any case, one unit; 0 when the collator weighs c and h apart.
    unsigned char ChPrimary = 0;
    unsigned char ChSecondary = 0;
    double Ms = 0;
};

bool IsC(unsigned char b)
{
    return (b | 0x20) == 'c';
}

bool IsH(unsigned char b)
{
    return (b | 0x20) == 'h';
}

qsizetype PutKeyWith(const TModel &m, QByteArrayView name, unsigned char *to)
{
    const auto *s = reinterpret_cast<const unsigned char *>(name.data());
    const qsizetype n = name.size();
    // The secondaries go behind the most room the primaries can take, then move down
    // where "ch" made fewer units than bytes.
    unsigned char *p = to;
    unsigned char *const secondaries = to + n + 1;
    unsigned char *q = secondaries;
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned char b = s[i];
        if (m.ChPrimary && IsC(b) && i + 1 < n && IsH(s[i + 1])) {
            *p++ = m.ChPrimary;
            *q++ = m.ChSecondary;
            ++i;
            continue;
        }
        if (!m.Primary[b])
            return -1;
        *p++ = m.Primary[b];
        *q++ = m.Secondary[b];
    }
    *p++ = kSeparator;
    const qsizetype units = q - secondaries;
    if (p != secondaries)
        std::memmove(p, secondaries, size_t(units));
    return (p - to) + units;
}

constexpr int kCh = -1; // the unit "ch", in one of its cases

struct TUnit
{
    QString Text;
    int Byte;
};

// The probes are at most four units: their primaries and secondaries fit in one number,
// primaries above, each part from its highest byte down, zeros after a shorter part.
struct TProbe
{
    quint64 Key;
    quint32 Start;
    quint32 Size;
};

// Least significant byte first, skipping bytes all probes share.
void SortByKey(std::vector<TProbe> &probes)
{
    std::vector<TProbe> into(probes.size());
    for (int shift = 0; shift < 64; shift += 8) {
        std::array<size_t, 257> starts {};
        for (const TProbe &p : probes)
            ++starts[((p.Key >> shift) & 0xff) + 1];
        if (std::find(starts.begin(), starts.end(), probes.size()) != starts.end())
            continue;
        for (size_t i = 1; i < starts.size(); ++i)
            starts[i] += starts[i - 1];
        for (const TProbe &p : probes)
            into[starts[(p.Key >> shift) & 0xff]++] = p;
        probes.swap(into);
    }
}

// Compares the model with the collator on every single byte and pair of bytes it covers,
// each byte between plain and accented letters, and the cases of c, h and "ch". The
// probes are sorted by the model; when the collator agrees with every neighbour, it
// agrees on every pair of probes.
bool AgreesWithCollator(const QCollator &c, const TModel &m)
{
    std::vector<unsigned char> covered;
    for (int b = 0; b < 256; ++b) {
        if (m.Primary[size_t(b)])
            covered.push_back(static_cast<unsigned char>(b));
    }
    std::string bytes;
    std::vector<TProbe> probes;
    probes.reserve(covered.size() * (covered.size() + 80) + 3000);
    bool keyed = true;
    const auto add = [&](std::initializer_list<unsigned char> units) {
        const auto *u = std::data(units);
        quint64 primaries = 0;
        quint64 secondaries = 0;
        int count = 0;
        for (size_t i = 0; i < units.size(); ++i, ++count) {
            if (m.ChPrimary && IsC(u[i]) && i + 1 < units.size() && IsH(u[i + 1])) {
                primaries = (primaries << 8) | m.ChPrimary;
                secondaries = (secondaries << 8) | m.ChSecondary;
                ++i;
                continue;
            }
            if (!m.Primary[u[i]]) {
                keyed = false;
                return;
            }
            primaries = (primaries << 8) | m.Primary[u[i]];
            secondaries = (secondaries << 8) | m.Secondary[u[i]];
        }
        const int pad = 8 * (4 - count);
        const quint64 packed = ((primaries << pad) << 32) | (secondaries << pad);
        const QByteArrayView text(reinterpret_cast<const char *>(u), qsizetype(units.size()));
        probes.push_back({packed, quint32(bytes.size()), quint32(units.size())});
        bytes.append(text.data(), size_t(text.size()));
    };
    for (unsigned char x : covered) {
        add({x});
        for (unsigned char y : covered)
            add({x, y});
    }
    // Plain and accented a (0xE1), c, h and the space around each byte, at three places.
    const unsigned char around[] = {'a', 0xE1, 'c', 'h', ' '};
    for (unsigned char x : covered) {
        for (unsigned char y : around) {
            for (unsigned char z : around) {
                add({x, y, z});
                add({y, x, z});
                add({y, z, x});
            }
        }
    }
    // c, č (0xE8), h and "ch" in every case beside each other.
    const unsigned char ch[] = {'c', 'C', 'h', 'H', 0xE8, 'i', 0xE1};
    for (unsigned char a : ch) {
        for (unsigned char b : ch) {
            for (unsigned char d : ch) {
                add({a, b, d});
                for (unsigned char e : ch)
                    add({a, b, d, e});
            }
        }
    }
    if (!keyed)
        return false;
    SortByKey(probes);
    const auto text = [&](const TProbe &p, char16_t *to) {
        for (quint32 i = 0; i < p.Size; ++i)
            to[i] = Cp1250ToUnicode(static_cast<unsigned char>(bytes[p.Start + i]));
        return QStringView(to, qsizetype(p.Size));
    };
    char16_t left[4], right[4];
    for (size_t i = 1; i < probes.size(); ++i) {
        const int expected = probes[i - 1].Key < probes[i].Key ? -1 : 0;
        const int answer = c.compare(text(probes[i - 1], left), text(probes[i], right));
        if ((answer < 0 ? -1 : answer > 0 ? 1 : 0) != expected)
            return false;
    }
    return true;
}

// Learns which bytes the collator weighs as one unit and their ranks, by asking it only.
// Single characters sorted by the collator fall into runs of one primary weight: x and y
// share it when x followed by the highest unit still sorts after y followed by the space
// (the lowest); a member is one weight, not an expansion like ß = ss, when it sorts before
// the run's first member followed by the space. Within a run the secondary rank rises
// wherever two neighbours differ.
TModel Learn(const QCollator &c)
{
    TModel m;
    const QString space(QLatin1Char(' '));
    std::vector<TUnit> units;
    for (int b = 0x20; b < 0x100; ++b) {
        QString text(QChar(Cp1250ToUnicode(static_cast<unsigned char>(b))));
        // What sorts below the space is ignored or weighed like a control: left to the collator.
        if (c.compare(text, space) >= 0)
            units.push_back({std::move(text), b});
    }
    for (const char *ch : {"ch", "cH", "Ch", "CH"})
        units.push_back({QString::fromLatin1(ch), kCh});
    std::stable_sort(units.begin(), units.end(),
                     [&](const TUnit &a, const TUnit &b) { return c.compare(a.Text, b.Text) < 0; });
    const QString highest = units.back().Text;
    int primary = -1;
    int secondary = 0;
    const TUnit *first = nullptr; // of the current run
    const TUnit *last = nullptr;
    int chPrimary = -1;
    int chSecondary = -1;
    int chForms = 0;
    for (const TUnit &u : units) {
        if (first && c.compare(first->Text + highest, u.Text + space) > 0) {
            if (c.compare(u.Text, first->Text + space) >= 0)
                continue;
            if (c.compare(last->Text, u.Text) != 0)
                ++secondary;
        } else {
            ++primary;
            secondary = 0;
            first = &u;
        }
        last = &u;
        if (primary + kFirstPrimary > kMaxRank || secondary + kFirstSecondary > kMaxRank)
            return m;
        if (u.Byte == kCh) {
            if (chForms > 0 && (primary != chPrimary || secondary != chSecondary))
                chForms = -4;
            chPrimary = primary;
            chSecondary = secondary;
            ++chForms;
        } else {
            m.Primary[size_t(u.Byte)] = static_cast<unsigned char>(primary + kFirstPrimary);
            m.Secondary[size_t(u.Byte)] = static_cast<unsigned char>(secondary + kFirstSecondary);
        }
    }
    // A byte that joins the letter before it into one unit (as the middle dot does after
    // l) sorts that pair before the letter followed by the space. Letters are what such
    // pairs begin with; any other pair the check below finds turns the keys off.
    const unsigned char spacePrimary = m.Primary[' '];
    QString pair(2, QChar());
    QString spaced(2, QLatin1Char(' '));
    for (int y = 0x21; y < 0x100; ++y) {
        if (!m.Primary[size_t(y)] || m.Primary[size_t(y)] == spacePrimary || std::isalnum(y))
            continue;
        pair[1] = QChar(Cp1250ToUnicode(static_cast<unsigned char>(y)));
        for (int x = 'A'; x <= 'z'; ++x) {
            if (!std::isalpha(x))
                continue;
            pair[0] = spaced[0] = QLatin1Char(char(x));
            if (c.compare(pair, spaced) < 0) {
                m.Primary[size_t(y)] = 0;
                break;
            }
        }
    }
    if (chForms == 4) {
        m.ChPrimary = static_cast<unsigned char>(chPrimary + kFirstPrimary);
        m.ChSecondary = static_cast<unsigned char>(chSecondary + kFirstSecondary);
    }
    m.Usable = AgreesWithCollator(c, m);
    return m;
}

const TModel &Model()
{
    static const TModel model = [] {
        QElapsedTimer clock;
        clock.start();
        TModel m = Learn(ListCollation::Collator());
        m.Ms = double(clock.nsecsElapsed()) / 1e6;
        return m;
    }();
    return model;
}

} // namespace

namespace ListCollation {

QCollator Collator()
{
    QCollator collator(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

bool ByteKeysUsable()
{
    return Model().Usable;
}

qsizetype PutKey(QByteArrayView name, unsigned char *to)
{
    const TModel &m = Model();
    return m.Usable ? PutKeyWith(m, name, to) : -1;
}

double DerivationMs()
{
    return Model().Ms;
}

} // namespace ListCollation
