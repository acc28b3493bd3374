#include "reports/ReportBookEntries.h"

#include "session/Messages.h"
#include "session/NameList.h"
#include "session/Prompt.h"
#include "util/Cp1250.h"

#include <QCollator>

#include <algorithm>
#include <numeric>

namespace {

// Records are walked in list order, which jumps about the file: the next ones' text
// fields and flags are asked for while this one is written.
constexpr qsizetype kPrefetchLines = 8;

} // namespace

TReportBookEntries::TReportBookEntries(IPrompt &prompt) : m_prompt(prompt), m_records {kEmpty} { }

TReportBookEntries::~TReportBookEntries() = default;

TBookFileError TReportBookEntries::Open(const QString &path)
{
    auto map = std::make_unique<TBookMap>();
    if (const TBookFileError e = map->Open(path); e != TBookFileError::None)
        return e;
    std::vector<qsizetype> all(size_t(map->RecordCount()));
    std::iota(all.begin(), all.end(), 0);
    List(std::move(map), std::move(all));
    return TBookFileError::None;
}

void TReportBookEntries::List(std::unique_ptr<TBookMap> map, std::vector<qsizetype> records)
{
    m_map = std::move(map);
    m_records = std::move(records);
    if (m_records.empty())
        m_records.push_back(kEmpty);
    m_order.clear();
    m_current = kFirstLine;
    m_line = 0;
}

QByteArrayView TReportBookEntries::Name(qsizetype record) const
{
    return record == kEmpty ? QByteArrayView() : m_map->Name(record);
}

TRecordView TReportBookEntries::Record(qsizetype record) const
{
    return record == kEmpty ? m_empty.View() : TRecordView(m_map->RecordBytes(record));
}

void TReportBookEntries::Sort() const
{
    if (!m_order.empty())
        return;
    // ListOrder's sort is stable: the lines of one name stand for its entries in book
    // order, as the window pairs them.
    const std::vector<qsizetype> order
        = ListOrder(LineCount(), [&](qsizetype i) { return Name(m_records[size_t(i)]); });
    m_order.resize(order.size());
    for (size_t i = 0; i < order.size(); ++i)
        m_order[i] = m_records[size_t(order[i])];
    if (m_current == kFirstLine)
        m_current = m_order.front();
    m_line = std::find(m_order.begin(), m_order.end(), m_current) - m_order.begin();
}

qsizetype TReportBookEntries::FirstListed() const
{
    // The least name by the list's collation; of equal ones the first in the book, as
    // the stable sort would put it.
    QCollator collator(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    const auto text = [](QByteArrayView name, QString &into) {
        into.resize(name.size());
        QChar *to = into.data();
        for (qsizetype k = 0; k < name.size(); ++k)
            to[k] = QChar(Cp1250ToUnicode(static_cast<unsigned char>(name[k])));
    };
    qsizetype best = m_records.front();
    QString least, next;
    text(Name(best), least);
    for (size_t i = 1; i < m_records.size(); ++i) {
        text(Name(m_records[i]), next);
        if (collator.compare(next, least) < 0) {
            best = m_records[i];
            least.swap(next);
        }
    }
    return best;
}

bool TReportBookEntries::Choose(QByteArrayView name)
{
    // Lines of one name keep the book's order: its first line is its first entry.
    for (const qsizetype record : m_records) {
        if (Name(record) == name) {
            m_current = record;
            if (!m_order.empty())
                m_line = std::find(m_order.begin(), m_order.end(), record) - m_order.begin();
            return true;
        }
    }
    return false;
}

qsizetype TReportBookEntries::Pair()
{
    Sort();
    return LineCount();
}

void TReportBookEntries::MoveTo(qsizetype line)
{
    m_line = line;
    m_current = m_order[size_t(line)];
    if (line + kPrefetchLines < LineCount() && m_order[size_t(line + kPrefetchLines)] != kEmpty)
        PrefetchRecord(m_map->RecordBytes(m_order[size_t(line + kPrefetchLines)]));
}

qsizetype TReportBookEntries::CurrentLine() const
{
    Sort();
    return m_line;
}

TRecordView TReportBookEntries::Current() const
{
    if (m_current == kFirstLine)
        m_current = m_order.empty() ? FirstListed() : m_order.front();
    return Record(m_current);
}

bool TReportBookEntries::OpenFileTag(const TFileTag &tag)
{
    const QString path = FromCp1250(tag.Path);
    auto map = std::make_unique<TBookMap>();
    // A name holding a NUL would be read as the name cut short.
    const TBookFileError e = path.contains(QChar(u'\0')) ? TBookFileError::Missing : map->Open(path);
    if (e != TBookFileError::None) {
        const QString own = Msg::BookFileError(e);
        if (!own.isEmpty() && e != TBookFileError::Missing)
            m_prompt.Hlaska(own, THlaskaKind::Chyba);
        m_prompt.Hlaska(ReportText::FileTagOpenFailed(), THlaskaKind::Chyba);
        return false;
    }
    if (map->RecordCount() == 0) {
        m_prompt.Hlaska(Msg::LookupFailed(), THlaskaKind::Chyba);
        return false;
    }
    std::vector<qsizetype> passed;
    for (qsizetype i = 0; i < map->RecordCount(); ++i) {
        if (FileMaskPasses(tag.Mask, TRecordView(map->RecordBytes(i))))
            passed.push_back(i);
    }
    if (passed.empty()) {
        m_prompt.Hlaska(ReportText::GenerationFailed(), THlaskaKind::Chyba);
        return false;
    }
    List(std::move(map), std::move(passed));
    return true;
}
