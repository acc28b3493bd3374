#pragma once

#include "book/ContactRecord.h"
#include "util/TimeStamp.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <limits>

// The report template language: pure operations on Windows-1250 lines, no file, no book.

// The 76 field keywords in their fixed order: the 65 text fields in stored order, the
// note, then the ten flags.
constexpr int kReportFieldCount = 76;
constexpr int kReportNoteField = 65; // 0-based
QByteArrayView ReportFieldName(int index);
// 0-based position in the table, or -1.
int ReportFieldIndex(QByteArrayView keyword);
// The value of field `index` of an entry as stored; a flag is "X" or " ".
QByteArray ReportFieldValue(TRecordView r, int index);
inline QByteArray ReportFieldValue(const TContactRecord &r, int index) { return ReportFieldValue(r.View(), index); }

// Windows-1250 file contents split at CR LF, lone CR and lone LF; a final line break
// ends the last line rather than starting an empty one.
QList<QByteArray> SplitTemplateLines(QByteArrayView text);
// Drops every line whose first character is '#'.
void RemoveCommentLines(QList<QByteArray> &lines);

struct TReportHeader
{
    bool AllEntries = false;
    int CodePage = 0; // 0 437 plain, 1 Kamenický, 2 Latin 2, 4 Windows-1250
    QByteArray OutputFile;
};

// False when the line is no header.
bool ParseReportHeader(QByteArrayView line, TReportHeader &header);

enum class TTemplateLine { File, BlockStart, BlockEnd, Data, Plain };
TTemplateLine ClassifyTemplateLine(QByteArrayView line, bool inBlock);

struct TFileTag
{
    QByteArray Path;
    QByteArray Mask; // ten letters
};
// The file tag of a file line.
TFileTag ParseFileTag(QByteArrayView line);
// Whether an entry passes a file tag's mask: A set, N clear, F either; any other letter fails.
bool FileMaskPasses(QByteArrayView mask, TRecordView r);
inline bool FileMaskPasses(QByteArrayView mask, const TContactRecord &r) { return FileMaskPasses(mask, r.View()); }

// Whether the first data block of the lines after the header comes after a file line,
// so the template brings its own book.
bool FirstBlockFollowsFileTag(const QList<QByteArray> &body);

// The most bytes an expanded line may hold. Every expansion takes one and stops (TooLong)
// as soon as the line would pass it at any step, holding no more than the limit or the
// template line's own size; a report passes what its output cap has left.
constexpr qsizetype kNoLineLimit = std::numeric_limits<qsizetype>::max();

enum class TExpandStatus { Line, Skip, Error, TooLong };
struct TExpanded
{
    TExpandStatus Status = TExpandStatus::Line;
    QByteArray Text;
};

// TAB, STR, DAT, CAS, ESC and the hexadecimal tags; `now` gives the date and time.
TExpanded ExpandPlainLine(QByteArrayView line, TStamp now, qsizetype limit);
QByteArray ExpandPlainTags(QByteArrayView line, TStamp now);

// Skip tags (all-entries mode only), IF tags, field tags, then the plain tags. Each step
// is one pass over the line, each field keyword present one pass in table order.
TExpanded ExpandDataLine(QByteArrayView line, TRecordView r, bool allEntries, TStamp now,
                         qsizetype limit = kNoLineLimit);
inline TExpanded ExpandDataLine(QByteArrayView line, const TContactRecord &r, bool allEntries, TStamp now,
                                qsizetype limit = kNoLineLimit)
{
    return ExpandDataLine(line, r.View(), allEntries, now, limit);
}

// A data line taken apart once per run, so a block repeated for thousands of entries is
// not scanned again for each. It covers lines whose tags are closed, disjoint and
// written plainly; Compile refuses any other line, and Expand declines an entry whose
// values hold '<' or '>' (they could form new tags). ExpandDataLine handles both.
class TCompiledLine
{
public:
    static bool Compile(QByteArrayView line, bool allEntries, TStamp now, TCompiledLine &out);
    // Appends the expanded line to `out`; false (and `out` untouched) when declined, and
    // when the line would pass `limit` bytes: the general expansion then says why.
    bool ExpandInto(TRecordView r, QByteArray &out, TExpandStatus &status,
                    qsizetype limit = kNoLineLimit) const;
    bool ExpandInto(const TContactRecord &r, QByteArray &out, TExpandStatus &status,
                    qsizetype limit = kNoLineLimit) const
    {
        return ExpandInto(r.View(), out, status, limit);
    }

private:
    enum class TKind { Text, Field, If, SkipIf, SkipIfNot };
    struct TPart
    {
        TKind Kind = TKind::Text;
        QByteArray Text; // literal; IF: the value compared
        int Index = -1; // field compared or shown
        qsizetype Width = 0;
        int Align = 0;
        QByteArray Then, Else;
        int ThenField = -1, ElseField = -1;
    };
    // The text a field or IF part shows for the entry, where it lies in the record.
    static QByteArrayView Shown(const TPart &p, TRecordView r);

    QList<TPart> m_parts;
    bool m_error = false;
};
