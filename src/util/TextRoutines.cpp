#include "util/TextRoutines.h"

#include "util/CodePage.h"

QByteArray RepeatChar(char c, qsizetype count)
{
    return count > 0 ? QByteArray(count, c) : QByteArray();
}

QByteArray AlignText(QByteArrayView s, qsizetype width, int alignment)
{
    if (width <= 0)
        return QByteArray();
    const qsizetype shortfall = width - s.size();
    if (shortfall <= 0)
        return s.first(width).toByteArray();
    QByteArray out;
    out.reserve(width);
    switch (alignment) {
    case int(TAlignment::Right):
        out.append(shortfall, ' ');
        out.append(s);
        break;
    case int(TAlignment::Centre):
        out.append(shortfall / 2, ' ');
        out.append(s);
        out.append(shortfall - shortfall / 2, ' ');
        break;
    default:
        out.append(s);
        out.append(shortfall, ' ');
        break;
    }
    return out;
}

QByteArray ListField(QByteArrayView list, int n)
{
    qsizetype start = 0;
    for (int field = 1; field < n; ++field) {
        const qsizetype bar = list.indexOf('|', start);
        if (bar < 0)
            return QByteArray();
        start = bar + 1;
    }
    const qsizetype end = list.indexOf('|', start);
    return list.sliced(start, (end < 0 ? list.size() : end) - start).toByteArray();
}

QByteArray ChooseText(bool flag, QByteArrayView a, QByteArrayView b)
{
    return (flag ? a : b).toByteArray();
}

QByteArray ReplaceAll(QByteArrayView s, QByteArrayView search, QByteArrayView replacement)
{
    if (search.isEmpty())
        return s.toByteArray();
    QByteArray out = s.toByteArray();
    // The search starts again from the beginning after each replacement, so joined text
    // is replaced too ("a    b" with "  " -> " " gives "a b"). Nothing before the last
    // match can match anew except where the joined text overlaps it, so the scan resumes
    // just before it. A replacement holding the search text would never end: there the
    // scan goes on after the inserted text.
    const bool rescan = !replacement.contains(search);
    // Rewriting can still go on for ever with some texts; stop at a sane size.
    const qsizetype limit = qMax<qsizetype>(out.size(), 1) * 64 + (1 << 16);
    qsizetype from = 0;
    for (qsizetype at = out.indexOf(search, from); at >= 0; at = out.indexOf(search, from)) {
        out.replace(at, search.size(), replacement);
        from = rescan ? qMax<qsizetype>(0, at - search.size() + 1) : at + replacement.size();
        if (out.size() > limit)
            break;
    }
    return out;
}

QByteArray HexPairsToBytes(QByteArrayView hex)
{
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return 0;
    };
    QByteArray out;
    out.reserve((hex.size() + 1) / 2);
    for (qsizetype i = 0; i < hex.size(); i += 2) {
        const int low = nibble(hex[i]);
        const int high = i + 1 < hex.size() ? nibble(hex[i + 1]) : 0;
        out.append(static_cast<char>(low | (high << 4)));
    }
    return out;
}

char ToUpperCz(char c)
{
    return static_cast<char>(UpperCp1250(static_cast<unsigned char>(c)));
}

QByteArray ToUpperCz(QByteArrayView s)
{
    QByteArray out = s.toByteArray();
    for (char &c : out)
        c = ToUpperCz(c);
    return out;
}
