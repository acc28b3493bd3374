#include "cli/ByteOutput.h"

#include "cli/CliSupport.h"
#include "util/Cp1250.h"

#include <QFileDevice>

#include <array>
#include <cstring>

TByteOutput::TByteOutput(QTextStream &out) : m_out(out)
{
    m_buffer.reserve(kPiece + 64 * 1024);
}

bool TByteOutput::Pass(bool last)
{
    if (!last && m_buffer.size() < kPiece)
        return !m_failed;
    if (QIODevice *device = m_out.device()) {
        m_out.flush();
        if (!m_failed && device->write(m_buffer) != m_buffer.size())
            m_failed = true;
        // A file keeps what fits its own buffer and would only fail on closing, after the
        // command has claimed success.
        if (auto *file = qobject_cast<QFileDevice *>(device); file && !m_failed && !file->flush())
            m_failed = true;
    } else {
        m_out << QString::fromUtf8(m_buffer);
    }
    m_buffer.resize(0);
    return !m_failed;
}

namespace {

struct TUtf8
{
    char Bytes[3];
    char Size;
};

// The UTF-8 form of every Windows-1250 byte.
const std::array<TUtf8, 256> &Utf8Table()
{
    static const std::array<TUtf8, 256> table = [] {
        std::array<TUtf8, 256> t {};
        for (int b = 0; b < 256; ++b) {
            const QByteArray u = QString(QChar(Cp1250ToUnicode(static_cast<unsigned char>(b)))).toUtf8();
            std::memcpy(t[size_t(b)].Bytes, u.constData(), size_t(u.size()));
            t[size_t(b)].Size = char(u.size());
        }
        return t;
    }();
    return table;
}

} // namespace

void TByteOutput::AppendLine(QByteArrayView cp1250)
{
    if (CliText::TerminalOutput) {
        m_buffer += CliText::Shown(FromCp1250(cp1250)).toUtf8();
        m_buffer += '\n';
        return;
    }
    const auto &table = Utf8Table();
    const qsizetype at = m_buffer.size();
    m_buffer.resize(at + 3 * cp1250.size() + 1);
    char *d = m_buffer.data() + at;
    const char *s = cp1250.data();
    const char *end = s + cp1250.size();
    // Eight bytes at a time: ASCII stays as it is, other runs go through the table.
    while (s < end) {
        quint64 word = 0x80;
        if (end - s >= 8)
            std::memcpy(&word, s, 8);
        if (!(word & 0x8080808080808080ull)) {
            std::memcpy(d, s, 8);
            d += 8;
            s += 8;
            continue;
        }
        for (const char *stop = qMin(s + 8, end); s < stop; ++s) {
            const TUtf8 &u = table[static_cast<unsigned char>(*s)];
            std::memcpy(d, u.Bytes, 3);
            d += u.Size;
        }
    }
    *d++ = '\n';
    m_buffer.resize(d - m_buffer.constData());
}
