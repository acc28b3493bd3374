#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstring>

// Appends to a QByteArray through a plain cursor. QByteArray's append and resize take a
// general path on every call (sharing, capacity, the closing zero) that costs more than
// the few bytes an export appends at a time, millions of times over. Here room is made in
// large steps and the array gets its true size back when the appender ends; until then
// only the appender writes to it.
class TByteAppender
{
public:
    explicit TByteAppender(QByteArray &target);
    ~TByteAppender()
    {
        if (m_begin)
            m_target.resize(m_p - m_begin);
    }
    TByteAppender(const TByteAppender &) = delete;
    TByteAppender &operator=(const TByteAppender &) = delete;

    // Room for `n` more bytes: write them at the pointer returned, then Advance to their end.
    char *Room(qsizetype n)
    {
        if (m_end - m_p < n)
            Grow(n);
        return m_p;
    }
    void Advance(char *end) { m_p = end; }

    void Append(char c) { *Room(1) = c, ++m_p; }
    void Append(QByteArrayView bytes)
    {
        if (bytes.isEmpty())
            return;
        std::memcpy(Room(bytes.size()), bytes.data(), size_t(bytes.size()));
        m_p += bytes.size();
    }
    void Append(const char *bytes, qsizetype n) { Append(QByteArrayView(bytes, n)); }

    // Bytes in the array, those it had before included.
    qsizetype Size() const { return m_p - m_begin; }
    bool IsEmpty() const { return m_p == m_begin; }
    // Back to `size` bytes (no more than Size()).
    void Truncate(qsizetype size) { m_p = m_begin + size; }
    QByteArrayView View(qsizetype from = 0) const { return QByteArrayView(m_begin + from, m_p - m_begin - from); }

private:
    void Grow(qsizetype n);
    void Take();

    QByteArray &m_target;
    char *m_begin = nullptr;
    char *m_p = nullptr;
    char *m_end = nullptr;
};

namespace ByteAppenderDetail {
struct TStore
{
    QByteArray Bytes;
};
} // namespace ByteAppenderDetail

// A buffer of its own that stays open for appending: the cells and lines a writer fills
// and empties again for every entry.
class TByteBuffer : private ByteAppenderDetail::TStore, public TByteAppender
{
public:
    TByteBuffer() : TByteAppender(Bytes) { }
};
