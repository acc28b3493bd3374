#include "exchange/ParadoxTable.h"

#include "util/CodePage.h"
#include "util/Cp1250.h"
#include "util/RegularFile.h"

#include <QDir>
#include <QFileInfo>

#include <array>

namespace {

constexpr int kMinHeader = 0x78;
constexpr int kMemoChunk = 4096;
constexpr int kSubBlockEntries = 64;

quint16 U16(const char *p)
{
    return quint16(static_cast<unsigned char>(p[0]) | (static_cast<unsigned char>(p[1]) << 8));
}

quint32 U32(const char *p)
{
    return quint32(U16(p)) | (quint32(U16(p + 2)) << 16);
}

// Bytes 0x80-0x9F of Windows-1252; its upper half is Latin-1.
constexpr char16_t kCp1252Low[32] = {
    0x20AC, 0xFFFF, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFF, 0x017D, 0xFFFF,
    0xFFFF, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFF, 0x017E, 0x0178,
};

// The translation of a table's code page into Windows-1250; pages it does not know are
// taken as Windows-1250 already, as the tables of this program are written.
std::array<unsigned char, 256> TranslationOf(int codePage)
{
    std::array<unsigned char, 256> t {};
    for (int b = 0; b < 256; ++b)
        t[size_t(b)] = static_cast<unsigned char>(b);
    auto viaUnicode = [&](auto unicodeOf) {
        for (int b = 0x80; b < 0x100; ++b) {
            const char16_t u = unicodeOf(b);
            const int w = u == 0xFFFF ? -1 : UnicodeToCp1250(u);
            t[size_t(b)] = static_cast<unsigned char>(w < 0 ? '?' : w);
        }
    };
    switch (codePage) {
    case 852:
        viaUnicode([](int b) { return CodePageToUnicode(int(TCodePage::Latin2), static_cast<unsigned char>(b)); });
        break;
    case 895:
        viaUnicode([](int b) { return CodePageToUnicode(int(TCodePage::Kamenicky), static_cast<unsigned char>(b)); });
        break;
    case 437:
        viaUnicode([](int b) { return CodePageToUnicode(int(TCodePage::Ascii437), static_cast<unsigned char>(b)); });
        break;
    case 1252:
        viaUnicode([](int b) { return b < 0xA0 ? kCp1252Low[b - 0x80] : char16_t(b); });
        break;
    default:
        break;
    }
    return t;
}

bool KnownType(quint8 type, int size)
{
    switch (type) {
    case TParadoxTable::Alpha:
        return size >= 1;
    case 0x02: case 0x04: case 0x14: case 0x16: // date, long, time, autoincrement
        return size == 4;
    case 0x03: // short
        return size == 2;
    case 0x05: case 0x06: case 0x15: // currency, number, timestamp
        return size == 8;
    case 0x09: // logical
        return size == 1;
    case 0x17: // BCD: the descriptor holds its decimals, the record 17 bytes
        return size <= 32;
    case 0x18: // bytes
        return size >= 1;
    case TParadoxTable::Memo: case TParadoxTable::FormattedMemo:
        return size >= 11;
    case TParadoxTable::Blob: case TParadoxTable::Ole: case TParadoxTable::Graphic:
        return size >= 10;
    default:
        return false;
    }
}

} // namespace

TParadoxTable::TParadoxTable() = default;
TParadoxTable::~TParadoxTable() = default;

bool TParadoxTable::ReadAt(QFile &file, qint64 offset, char *to, qint64 size)
{
    return offset >= 0 && size >= 0 && file.seek(offset) && file.read(to, size) == size;
}

TImportError TParadoxTable::Open(const QString &path)
{
    m_path = path;
    const TRegularOpen opened = OpenRegularFile(path, m_file);
    if (opened != TRegularOpen::Ok)
        return opened == TRegularOpen::Missing ? TImportError::Missing : TImportError::Open;
    m_size = m_file.size();
    if (m_size < kMinHeader)
        return TImportError::Open;
    char fixed[kMinHeader];
    if (!ReadAt(m_file, 0, fixed, kMinHeader))
        return TImportError::Open;

    m_recordSize = U16(fixed + 0x00);
    m_headerSize = U16(fixed + 0x02);
    const quint8 fileType = quint8(fixed[0x04]);
    const quint8 blockCode = quint8(fixed[0x05]);
    m_recordCount = U32(fixed + 0x06);
    m_fileBlocks = U16(fixed + 0x0C);
    m_firstBlock = U16(fixed + 0x0E);
    const int fieldCount = U16(fixed + 0x21);
    const quint8 version = quint8(fixed[0x39]);
    const bool extended = version >= 5;
    // Only the 4.x and later header says whether the table is encrypted.
    const quint32 encryption = extended ? U32(fixed + 0x5C) : 0;

    // Keyed or unkeyed data files only; encrypted tables cannot be read.
    if ((fileType != 0 && fileType != 2) || encryption != 0)
        return TImportError::Open;
    if (version < 3 || version > 12 || blockCode < 1 || blockCode > 32)
        return TImportError::Open;
    m_blockSize = blockCode * 1024;
    if (m_headerSize < kMinHeader || m_headerSize > m_size || m_recordSize < 1 || m_recordSize > m_blockSize - 6)
        return TImportError::Open;
    if (fieldCount < 1 || fieldCount > 255)
        return TImportError::Open;
    m_codePage = extended ? U16(fixed + 0x6A) : 0;
    m_toCp1250 = TranslationOf(m_codePage);

    QByteArray header(m_headerSize, Qt::Uninitialized);
    if (!ReadAt(m_file, 0, header.data(), m_headerSize))
        return TImportError::Open;
    const qint64 descriptors = extended ? 0x78 : 0x58;
    const qint64 tableName = descriptors + 2 * qint64(fieldCount) + 4 + 4 * qint64(fieldCount);
    qint64 names = tableName + (version >= 12 ? 261 : 79);
    if (names > m_headerSize)
        return TImportError::Open;

    m_fields.clear();
    m_fields.reserve(size_t(fieldCount));
    int offset = 0;
    for (int i = 0; i < fieldCount; ++i) {
        TField f;
        f.Type = quint8(header[descriptors + 2 * i]);
        f.Size = quint8(header[descriptors + 2 * i + 1]);
        if (!KnownType(f.Type, f.Size))
            return TImportError::Open;
        if (f.Type == 0x17)
            f.Size = 17;
        f.Offset = offset;
        offset += f.Size;
        const qsizetype end = header.indexOf('\0', names);
        if (end < 0)
            return TImportError::Open;
        f.Name = header.mid(names, end - names);
        if (f.Name.isEmpty())
            return TImportError::Open;
        names = end + 1;
        m_fields.push_back(std::move(f));
    }
    if (offset != m_recordSize)
        return TImportError::Open;
    return TImportError::None;
}

int TParadoxTable::FieldIndex(QByteArrayView name) const
{
    for (size_t i = 0; i < m_fields.size(); ++i) {
        if (QByteArrayView(m_fields[i].Name).compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

TImportError TParadoxTable::ForEachRow(const std::function<bool(const char *)> &row)
{
    // A chain that ends before the header's count of rows was cut: rows would be lost.
    if (m_fileBlocks == 0 || m_firstBlock == 0)
        return m_recordCount == 0 ? TImportError::None : TImportError::Read;
    // No chain can be longer than the blocks the file holds, nor visit a block twice.
    const qint64 present = (m_size - m_headerSize + m_blockSize - 1) / m_blockSize;
    const qint64 blocks = qMin<qint64>(m_fileBlocks, present);
    std::vector<bool> seen(size_t(blocks) + 1, false);
    QByteArray block(m_blockSize, Qt::Uninitialized);
    qint64 rows = 0;
    int n = m_firstBlock;
    while (n != 0) {
        if (n > blocks || seen[size_t(n)])
            return TImportError::Read;
        seen[size_t(n)] = true;
        const qint64 at = m_headerSize + qint64(n - 1) * m_blockSize;
        const qint64 avail = qMin<qint64>(m_blockSize, m_size - at);
        if (avail < 6 || !ReadAt(m_file, at, block.data(), avail))
            return TImportError::Read;
        const int next = U16(block.constData());
        const int last = qint16(U16(block.constData() + 4));
        qint64 count = 0;
        if (last != -m_recordSize) {
            if (last < 0 || last % m_recordSize != 0)
                return TImportError::Read;
            count = last / m_recordSize + 1;
        }
        if (6 + count * m_recordSize > avail)
            return TImportError::Read;
        if (rows + count > kMaxImportEntries)
            return TImportError::TooLarge;
        for (qint64 i = 0; i < count; ++i) {
            if (!row(block.constData() + 6 + i * m_recordSize))
                return TImportError::Read;
        }
        rows += count;
        n = next;
    }
    return rows < m_recordCount ? TImportError::Read : TImportError::None;
}

QByteArray TParadoxTable::ToCp1250(QByteArrayView raw) const
{
    const auto &table = m_toCp1250;
    QByteArray out(raw.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < raw.size(); ++i)
        out[i] = static_cast<char>(table[static_cast<unsigned char>(raw[i])]);
    return out;
}

QByteArray TParadoxTable::Text(const char *record, int field) const
{
    const TField &f = m_fields[size_t(field)];
    const char *p = record + f.Offset;
    qsizetype n = 0;
    while (n < f.Size && p[n] != '\0')
        ++n;
    return ToCp1250(QByteArrayView(p, n));
}

bool TParadoxTable::OpenMemoFile()
{
    if (m_memoTried)
        return m_memo.isOpen();
    m_memoTried = true;
    const QFileInfo info(m_path);
    const QString wanted = info.completeBaseName() + QStringLiteral(".mb");
    const QStringList found = info.dir().entryList(QDir::Files);
    for (const QString &name : found) {
        if (name.compare(wanted, Qt::CaseInsensitive) == 0) {
            if (OpenRegularFile(info.dir().filePath(name), m_memo) == TRegularOpen::Ok)
                m_memoSize = m_memo.size();
            break;
        }
    }
    return m_memo.isOpen();
}

bool TParadoxTable::MemoText(const char *record, int field, qsizetype limit, QByteArray &out)
{
    out.clear();
    const TField &f = m_fields[size_t(field)];
    const int leader = f.Size - 10;
    const char *tail = record + f.Offset + leader;
    const quint32 where = U32(tail);
    const quint32 length = U32(tail + 4);
    if (length == 0)
        return true;
    const qint64 want = qMin<qint64>(length, limit);
    if (where == 0) {
        // Short memos live in the record itself.
        if (length > quint32(leader))
            return false;
        out = ToCp1250(QByteArrayView(record + f.Offset, want));
        return true;
    }
    // No memo is longer than the file that holds it, whatever its block says.
    if (!OpenMemoFile() || qint64(length) > m_memoSize)
        return false;
    const int index = int(where & 0xFF);
    const qint64 block = qint64(where & ~quint32(0xFF));
    char head[9];
    if (block + 9 > m_memoSize || !ReadAt(m_memo, block, head, 9))
        return false;
    const int type = quint8(head[0]);
    const qint64 chunks = U16(head + 1);
    qint64 data = 0;
    if (index == 0xFF) {
        // A blob of its own block: its header, then the data.
        if (type != 2 || U32(head + 3) != length || 9 + qint64(length) > chunks * kMemoChunk)
            return false;
        data = block + 9;
    } else {
        // A shared block: a table of 64 pointers to pieces of 16 bytes.
        if (type != 3 || index >= kSubBlockEntries)
            return false;
        char entry[5];
        if (!ReadAt(m_memo, block + 12 + 5 * index, entry, 5))
            return false;
        const qint64 start = qint64(quint8(entry[0])) * 16;
        const qint64 pieces = quint8(entry[1]);
        const qint64 rest = quint8(entry[4]);
        if (start == 0 || pieces == 0 || rest == 0 || rest > 16)
            return false;
        const qint64 size = (pieces - 1) * 16 + rest;
        if (size != qint64(length) || start + size > qMax<qint64>(chunks, 1) * kMemoChunk)
            return false;
        data = block + start;
    }
    if (data + want > m_memoSize)
        return false;
    QByteArray raw(want, Qt::Uninitialized);
    if (!ReadAt(m_memo, data, raw.data(), want))
        return false;
    out = ToCp1250(raw);
    return true;
}
