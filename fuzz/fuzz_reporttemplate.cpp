// Any bytes as a report template. Each line on its own: every line ends, and the compiled
// form of a data line says what the general one says. Then the whole template runs over
// a small book whose every field is filled (values and notes holding tags too) under a
// small output cap: a report within the cap is written, anything else writes nothing.
// "BOOK" in the input names a second book for file tags.
#include "FuzzInput.h"
#include "book/Book.h"
#include "book/BookFile.h"
#include "book/BookLabels.h"
#include "book/ContactRecord.h"
#include "reports/ReportCommands.h"
#include "session/DocumentCommands.h"
#include "session/MainView.h"
#include "session/Prompt.h"
#include "session/RecordEditor.h"
#include "session/Session.h"
#include "util/Clock.h"

#include <QFile>
#include <QSize>

#include <cstdlib>

namespace {

constexpr qsizetype kCap = 1 << 18;
const TStamp kNow = 202612071015000.0;

class TFuzzPorts : public IPrompt,
                   public IClock,
                   public IMainView,
                   public IReportDialogs,
                   public ITextEditorLauncher
{
public:
    int Hlaska(const QString &, THlaskaKind kind) override
    {
        return kind == THlaskaKind::Otazka ? kHlaskaAno : kHlaskaOk;
    }
    void SetBusy(bool) override { }
    QString AskOpenBook() override { return {}; }
    QString AskSaveBook() override { return {}; }
    QDateTime Now() const override { return {QDate(2026, 12, 7), QTime(10, 15)}; }
    void ApplyLabels(const TBookLabels &) override { }
    QSize WindowSize() const override { return {588, 480}; }
    void SetWindowSize(QSize) override { }
    int ListWidth() const override { return 150; }
    void SetListWidth(int) override { }
    QString AskTemplate() override { return {}; }
    bool StartEditor(const QString &) override { return false; }
};

// Every text field filled: plain Czech values, values holding tags of other fields and
// the characters of tags, and a note of wide tags that would outgrow any cap.
QList<TContactRecord> SmallBook()
{
    QList<TContactRecord> entries(4);
    for (int i = 0; i < kTextFieldCount; ++i) {
        const QByteArray n = QByteArray::number(i);
        entries[0].SetText(EField(i), "Nov\xE1kov\xE1 " + n);
        const QByteArrayView next = ReportFieldName((i + 1) % kReportFieldCount);
        entries[1].SetText(EField(i), "<\"" + next.toByteArray() + "|0|L\">");
        entries[2].SetText(EField(i), i % 2 ? QByteArray("\"><\"#3c\">|") : n);
        entries[3].SetText(EField(i), QByteArray(i % 3 ? "Jan" : ""));
    }
    entries[0].SetText(EField::NazevPolozky, "\xC8" "ern\xFD Jan");
    entries[3].SetText(EField::NazevPolozky, "\xC8" "ern\xFD Jan"); // a name listed twice
    entries[0].SetNote("Pozn\xE1mka\r\nna dva \xF8\xE1" "dky");
    entries[1].SetNote("<\"IF|NAZEV|x|<\"NAZEV|0|L\">|y|0|L\"><\"POZNAMKA|0|L\"><\"1\"><\"#41\"><\"TAB\">");
    entries[2].SetNote(QByteArray("<\"LOGIKA1|4096|L\">").repeated(111));
    entries[3].SetNote("<\"EMAIL|0|L");
    for (int f = 1; f <= kFlagCount; ++f) {
        entries[0].SetFlag(f, f % 2);
        entries[1].SetFlag(f, true);
        entries[3].SetFlag(f, f == 1);
    }
    return entries;
}

void CheckLines(const QList<QByteArray> &lines, const QList<TContactRecord> &entries)
{
    TReportHeader header;
    const bool all = !lines.isEmpty() && ParseReportHeader(lines.first(), header) && header.AllEntries;
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
            if (const TExpanded e = ExpandPlainLine(line, kNow, kCap); e.Text.size() > kCap)
                std::abort();
            break;
        case TTemplateLine::Data: {
            TCompiledLine compiled;
            const bool fast = TCompiledLine::Compile(line, all, kNow, compiled);
            for (const TContactRecord &r : entries) {
                const TExpanded slow = ExpandDataLine(line, r, all, kNow, kCap);
                if (slow.Text.size() > kCap)
                    std::abort();
                QByteArray out;
                TExpandStatus status = TExpandStatus::Line;
                if (!fast || !compiled.ExpandInto(r, out, status, kCap))
                    continue;
                // A line the compiled form stops on may pass the cap first in the general one.
                const bool same = status == slow.Status
                    || (status == TExpandStatus::Error && slow.Status == TExpandStatus::TooLong);
                if (!same || (status == TExpandStatus::Line && out != slow.Text))
                    std::abort();
            }
            break;
        }
        }
    }
}

struct TWorld
{
    TFuzzPorts Ports;
    TSession S {Ports, Ports, Ports, FuzzPath("fuzz.ini")};
    TRecordEditor Editor {S};
    TDocumentCommands Docs {S, Editor};
    TReportCommands Reports {S, Editor, Docs, Ports, Ports};
    QList<TContactRecord> Entries = SmallBook();
    QByteArray BookPath = QFile::encodeName(FuzzPath("second.wdt"));

    // The second book holds the same entries in the other order.
    TWorld()
    {
        Reports.SetOutputLimit(kCap);
        TBook second;
        for (qsizetype i = Entries.size() - 1; i >= 0; --i)
            second.AppendRecord(Entries[i]);
        const TContactRecord header = TBookLabels::Defaults().ToHeader();
        if (BookFile::Write(FuzzPath("second.wdt"), header, second) != TBookFileError::None)
            std::abort();
    }

    // The book as opened, the first entry shown, nothing changed.
    void Reset()
    {
        TAddressBook &b = S.Book;
        b.DiscardRecords();
        for (const TContactRecord &r : Entries)
            b.AppendRecord(r);
        b.FileName.clear();
        b.IsOpen = true;
        b.Changed = false;
        b.MakeCurrent(0);
        b.RefillList();
        Editor.ShowCurrent();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static TWorld world;
    QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    QList<QByteArray> lines = SplitTemplateLines(text);
    RemoveCommentLines(lines);
    CheckLines(lines, world.Entries);

    text.replace("BOOK", world.BookPath);
    const QString tpl = FuzzFile("t.wdr", text.constData(), size_t(text.size()));
    const QString out = FuzzPath("out.txt");
    if (tpl.isEmpty())
        return 0;
    QFile::remove(out);
    world.Reset();
    const TReportOutcome outcome = world.Reports.Run(tpl, out);
    const bool written = QFile::exists(out);
    if (written != (outcome == TReportOutcome::Written) || QFile(out).size() > kCap)
        std::abort();
    if (!world.S.Book.IsOpen || world.S.Book.RecordCount() == 0)
        std::abort();
    return 0;
}
