#include "cli/TerminalDevice.h"

namespace {

void AppendHex(QByteArray &out, uchar c)
{
    static const char digits[] = "0123456789abcdef";
    out += "\\x";
    out += digits[c >> 4];
    out += digits[c & 15];
}

} // namespace

QByteArray TTerminalDevice::Shown(QByteArrayView bytes, bool &pending)
{
    QByteArray out;
    out.reserve(bytes.size() + 8);
    for (const char ch : bytes) {
        const uchar c = uchar(ch);
        if (pending) {
            pending = false;
            // U+0080..U+009F are C1 controls: 0xC2 then 0x80..0x9F.
            if (c >= 0x80 && c <= 0x9F) {
                AppendHex(out, c);
                continue;
            }
            out += char(0xC2);
        }
        if (c == 0xC2) {
            pending = true;
        } else if ((c < 0x20 && c != '\n' && c != '\t') || c == 0x7F) {
            AppendHex(out, c);
        } else {
            out += ch;
        }
    }
    return out;
}

qint64 TTerminalDevice::writeData(const char *data, qint64 size)
{
    const QByteArray shown = Shown(QByteArrayView(data, size), m_pending);
    if (!shown.isEmpty() && std::fwrite(shown.constData(), 1, size_t(shown.size()), m_to) != size_t(shown.size()))
        return -1;
    std::fflush(m_to);
    return size;
}
