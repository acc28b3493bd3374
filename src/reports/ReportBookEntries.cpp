#include "reports/ReportBookEntries.h"

#include "session/Messages.h"
#include "session/NameList.h"
#include "session/Prompt.h"
#include "util/Cp1250.h"

#include <numeric>

TReportBookEntries::TReportBookEntries(IPrompt &prompt) : m_prompt(prompt), m_order {-1} { }

TReportBookEntries::~TReportBookEntries() = default;

TBookFileError TReportBookEntries::Open(const QString &path)
{
    auto map = std::make_unique<TBookMap>();
    if (const TBookFileError e = map->Open(path); e != TBookFileError::None)
        return e;
    std::vector<qsizetype> all(size_t(map->RecordCount()));
    std::iota(all.begin(), all.end(), 0);
    List(std::move(map), all);
    return TBookFileError::None;
}

void TReportBookEntries::List(std::unique_ptr<TBookMap> map, const std::vector<qsizetype> &records)
{
    // A stable sort keeps entries of one name in book order: the k-th line of a name is
    // the k-th entry of that name, as the window pairs them.
    const std::vector<qsizetype> order
        = ListOrder(qsizetype(records.size()), [&](qsizetype i) { return map->Name(records[size_t(i)]); });
    m_order.resize(order.size());
    for (size_t i = 0; i < order.size(); ++i)
        m_order[i] = records[size_t(order[i])];
    if (m_order.empty())
        m_order.push_back(-1);
    m_map = std::move(map);
    m_line = 0;
}

qsizetype TReportBookEntries::LineOf(QByteArrayView name) const
{
    for (size_t i = 0; i < m_order.size(); ++i) {
        const QByteArrayView own = m_order[i] < 0 ? QByteArrayView() : m_map->Name(m_order[i]);
        if (own == name)
            return qsizetype(i);
    }
    return -1;
}

TRecordView TReportBookEntries::Current() const
{
    const qsizetype record = m_order[size_t(m_line)];
    return record < 0 ? m_empty.View() : TRecordView(m_map->RecordBytes(record));
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
    List(std::move(map), passed);
    return true;
}
