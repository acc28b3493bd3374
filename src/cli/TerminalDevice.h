#pragma once

#include <QIODevice>

#include <cstdio>

// Standard error as a device that shows control characters (escape sequences, NUL, C1
// codes) as \xHH, so names from books and templates cannot act on the terminal. Line
// ends and tabs pass. UTF-8 in, UTF-8 out.
class TTerminalDevice : public QIODevice
{
public:
    explicit TTerminalDevice(std::FILE *to) : m_to(to) { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }

    // The bytes as a terminal may show them; `pending` carries a lead byte of a C1 code
    // from one write to the next.
    static QByteArray Shown(QByteArrayView bytes, bool &pending);

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override;

private:
    std::FILE *m_to;
    bool m_pending = false;
};
