#pragma once

#include <QByteArray>

// DTA files byte by byte: 560-byte records of length-prefixed Kamenický slots.
struct TDtaRecord
{
    QByteArray Bytes = QByteArray(560, '\0');

    // Writes `text` as the slot at `offset`; `length` overrides the length byte.
    TDtaRecord &Slot(int offset, const QByteArray &text, int length = -1)
    {
        Bytes[offset] = char(length < 0 ? text.size() : length);
        Bytes.replace(offset + 1, text.size(), text);
        Bytes.truncate(560);
        return *this;
    }
    TDtaRecord &Flags(const char *six)
    {
        for (int i = 0; i < 6; ++i)
            Bytes[554 + i] = char(six[i] == '1');
        return *this;
    }
};

// Jan Novák with the given surname bytes (Kamenický).
inline TDtaRecord Person(const QByteArray &first, const QByteArray &last)
{
    TDtaRecord r;
    r.Slot(25, first).Slot(9, last);
    return r;
}
