#pragma once

#include <QByteArray>
#include <QTextStream>

// A command's UTF-8 output made as bytes in one reused buffer and sent to the stream's
// device in pieces of about a megabyte, without a QString between.
class TByteOutput
{
public:
    explicit TByteOutput(QTextStream &out);
    QByteArray &Buffer() { return m_buffer; }
    // Sends the buffer on once it is a piece long, or whatever it holds when `last`;
    // false once the output failed.
    bool Pass(bool last = false);
    // A line of Windows-1250 text as UTF-8 and a line break; on a terminal its control
    // characters are shown as CliText::Shown shows them.
    void AppendLine(QByteArrayView cp1250);

private:
    static constexpr qsizetype kPiece = 1 << 20;
    QTextStream &m_out;
    QByteArray m_buffer;
    bool m_failed = false;
};
