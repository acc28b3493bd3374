// Any bytes as a report template, expanded over entries whose values hold tags too: every
// line ends, and the compiled form of a data line says the same as the general one.
#include "book/ContactRecord.h"
#include "reports/ReportTemplate.h"

#include <cstdlib>

namespace {

QList<TContactRecord> Entries()
{
    QList<TContactRecord> entries(3);
    entries[0].SetText(EField::NazevPolozky, "Nov\xE1kov\xE1 Jana");
    entries[0].SetText(EField::Telefon3, "602 123 456");
    entries[0].SetFlag(1, true);
    entries[1].SetText(EField::NazevPolozky, "<\"IF|NAZEV|x|<\"NAZEV|0|L\">|y|0|L\">");
    entries[1].SetNote("<\"POZNAMKA|0|L\"><\"1\">");
    return entries;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QList<TContactRecord> entries = Entries();
    const TStamp now = 202612071015000.0;
    QList<QByteArray> lines = SplitTemplateLines(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    RemoveCommentLines(lines);
    if (lines.isEmpty())
        return 0;
    TReportHeader header;
    const bool all = ParseReportHeader(lines.first(), header) && header.AllEntries;
    (void)FirstBlockFollowsFileTag(lines.mid(1));
    bool inBlock = false;
    for (const QByteArray &line : lines) {
        switch (ClassifyTemplateLine(line, inBlock)) {
        case TTemplateLine::File:
            (void)ParseFileTag(line);
            break;
        case TTemplateLine::BlockStart:
            inBlock = true;
            break;
        case TTemplateLine::BlockEnd:
            inBlock = false;
            break;
        case TTemplateLine::Plain:
            (void)ExpandPlainTags(line, now);
            break;
        case TTemplateLine::Data: {
            TCompiledLine compiled;
            const bool fast = TCompiledLine::Compile(line, all, now, compiled);
            for (const TContactRecord &r : entries) {
                const TExpanded slow = ExpandDataLine(line, r, all, now);
                QByteArray out;
                TExpandStatus status = TExpandStatus::Line;
                if (fast && compiled.ExpandInto(r, out, status)
                    && (status != slow.Status || (status == TExpandStatus::Line && out != slow.Text)))
                    std::abort();
            }
            break;
        }
        }
    }
    return 0;
}
