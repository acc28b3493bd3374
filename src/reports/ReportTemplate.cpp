#include "reports/ReportTemplate.h"

#include "book/ContactRecord.h"
#include "reports/ReportTagParts.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<const char *, kReportFieldCount> kFieldNames = {
    "TITULPRED", "NAZEV", "PRIJMENI", "JMENO", "PREZDIVKA", "TITULZA", "RODNECISLO",
    "ADRULICE1", "ADRMISTO1", "ADRSTAT1", "ADRPSC1",
    "ADRULICE2", "ADRMISTO2", "ADRSTAT2", "ADRPSC2",
    "ADRULICE3", "ADRMISTO3", "ADRSTAT3", "ADRPSC3",
    "TELSTAT1", "TELOBLAST1", "TELCISLO1", "TELLINKA1",
    "TELSTAT2", "TELOBLAST2", "TELCISLO2", "TELLINKA2",
    "TELSTAT3", "TELOBLAST3", "TELCISLO3", "TELLINKA3",
    "TELSTAT4", "TELOBLAST4", "TELCISLO4", "TELLINKA4",
    "TELSTAT5", "TELOBLAST5", "TELCISLO5", "TELLINKA5",
    "TELSTAT6", "TELOBLAST6", "TELCISLO6", "TELLINKA6",
    "TELSTAT7", "TELOBLAST7", "TELCISLO7", "TELLINKA7",
    "TELSTAT8", "TELOBLAST8", "TELCISLO8", "TELLINKA8",
    "TELSTAT9", "TELOBLAST9", "TELCISLO9", "TELLINKA9",
    "HTTP", "EMAIL", "VZDELANI", "ZAMESTNANI", "NAROZENINY", "SVATEK", "ICO", "DIC", "BANKA", "UCET",
    "POZNAMKA",
    "LOGIKA1", "LOGIKA2", "LOGIKA3", "LOGIKA4", "LOGIKA5",
    "LOGIKA6", "LOGIKA7", "LOGIKA8", "LOGIKA9", "LOGIKA10",
};
static_assert(kReportNoteField == kTextFieldCount);

using ReportTags::Field;
using ReportTags::ValueView;

// The field keywords sorted by name, for a lookup without allocating.
struct TNameIndex
{
    QByteArrayView Name;
    int Index;
};
const std::array<TNameIndex, kReportFieldCount> &SortedNames()
{
    static const std::array<TNameIndex, kReportFieldCount> sorted = [] {
        std::array<TNameIndex, kReportFieldCount> s {};
        for (int i = 0; i < kReportFieldCount; ++i)
            s[size_t(i)] = {QByteArrayView(kFieldNames[size_t(i)]), i};
        std::sort(s.begin(), s.end(), [](const TNameIndex &a, const TNameIndex &b) { return a.Name < b.Name; });
        return s;
    }();
    return sorted;
}

} // namespace

QByteArrayView ReportFieldName(int index)
{
    return QByteArrayView(kFieldNames[size_t(index)]);
}

int ReportFieldIndex(QByteArrayView keyword)
{
    const auto &sorted = SortedNames();
    const auto it = std::lower_bound(sorted.begin(), sorted.end(), keyword,
                                     [](const TNameIndex &e, QByteArrayView k) { return e.Name < k; });
    return it != sorted.end() && it->Name == keyword ? it->Index : -1;
}

QByteArray ReportFieldValue(TRecordView r, int index)
{
    return ValueView(r, index).toByteArray();
}

QList<QByteArray> SplitTemplateLines(QByteArrayView text)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.append(text.sliced(start, i - start).toByteArray());
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.sliced(start).toByteArray());
    return lines;
}

void RemoveCommentLines(QList<QByteArray> &lines)
{
    lines.removeIf([](const QByteArray &l) { return l.startsWith('#'); });
}

bool ParseReportHeader(QByteArrayView line, TReportHeader &header)
{
    const qsizetype open = line.indexOf(ReportTags::kOpen);
    if (open < 0)
        return false;
    QByteArrayView word = line.sliced(open + 2).first(qMin<qsizetype>(7, line.size() - open - 2));
    const qsizetype bar = word.indexOf('|');
    if (bar >= 0)
        word = word.first(bar);
    if (word != QByteArrayView("VORLINK"))
        return false;
    header.AllEntries = Field(line, 2) == QByteArrayView("9");
    const QByteArrayView set = Field(line, 3);
    header.CodePage = set == QByteArrayView("W") ? 4 : set == QByteArrayView("L") ? 2 : set == QByteArrayView("K") ? 1 : 0;
    const QByteArrayView file = Field(line, 4);
    const qsizetype quote = file.indexOf('"');
    header.OutputFile = quote < 0 ? QByteArray() : file.first(quote).toByteArray();
    return true;
}

TTemplateLine ClassifyTemplateLine(QByteArrayView line, bool inBlock)
{
    if (!inBlock && line.contains(QByteArrayView("<\"SOUBOR")))
        return TTemplateLine::File;
    if (line.contains(QByteArrayView("<\"DATA\">")))
        return TTemplateLine::BlockStart;
    if (line.contains(QByteArrayView("<\"/DATA\">")))
        return TTemplateLine::BlockEnd;
    return inBlock ? TTemplateLine::Data : TTemplateLine::Plain;
}

TFileTag ParseFileTag(QByteArrayView line)
{
    const QByteArrayView tag = line.sliced(line.indexOf(QByteArrayView("<\"SOUBOR")));
    TFileTag t;
    t.Path = Field(tag, 2).toByteArray();
    t.Mask = (Field(tag, 3).toByteArray() + QByteArrayLiteral("FFFFFFFFFF")).first(kFlagCount);
    return t;
}

bool FileMaskPasses(QByteArrayView mask, TRecordView r)
{
    for (int n = 1; n <= kFlagCount; ++n) {
        const char m = n <= mask.size() ? mask[n - 1] : 'F';
        const bool ok = m == 'F' || (m == 'A' && r.Flag(n)) || (m == 'N' && !r.Flag(n));
        if (!ok)
            return false;
    }
    return true;
}

bool FirstBlockFollowsFileTag(const QList<QByteArray> &body)
{
    for (const QByteArray &line : body) {
        switch (ClassifyTemplateLine(line, false)) {
        case TTemplateLine::File: return true;
        case TTemplateLine::BlockStart: return false;
        default: break;
        }
    }
    return false;
}
