#include "cli/ByteOutput.h"

#include "cli/CliSupport.h"
#include "util/Cp1250.h"

#include <QFileDevice>

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


void TByteOutput::AppendLine(QByteArrayView cp1250)
{
    if (CliText::TerminalOutput) {
        m_buffer += CliText::Shown(FromCp1250(cp1250)).toUtf8();
        m_buffer += '\n';
        return;
    }
    const qsizetype at = m_buffer.size();
    m_buffer.resize(at + 3 * cp1250.size() + 1);
    char *d = PutCp1250AsUtf8(m_buffer.data() + at, cp1250);
    *d++ = '\n';
    m_buffer.resize(d - m_buffer.constData());
}
