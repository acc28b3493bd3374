// Find-next and the bulk flag change over a book of 65,535 entries.
#include "BenchSupport.h"
#include "session/MainView.h"
#include "session/Prompt.h"
#include "session/RecordEditor.h"
#include "session/Session.h"
#include "mask/MaskCommands.h"
#include "util/Clock.h"
#include "util/TextRoutines.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

namespace {

class TNegateFirstFlag : public IMaskDialogs
{
public:
    TMaskButton EditMask(TMaskChoices &, const TBookLabels &) override { return TMaskButton::Zpet; }
    bool AskFlagChanges(TFlagActions &actions, const TBookLabels &) override
    {
        actions[0] = TFlagAction::Negate;
        actions[1] = TFlagAction::Set;
        return true;
    }
    bool AskFind(QString &, bool &) override { return false; }
};

constexpr int kEntries = 65535;


} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    TBenchPrompt prompt;
    TBenchClock clock;
    TBenchView view;
    TSession s(prompt, clock, view, dir.filePath(QStringLiteral("bench.ini")));
    TRecordEditor editor(s);
    TNegateFirstFlag dialogs;
    TMaskCommands commands(s, editor, dialogs);

    TAddressBook &b = s.Book;
    QElapsedTimer t;
    t.start();
    b.DiscardRecords();
    TContactRecord r;
    for (int i = 0; i < kEntries; ++i) {
        // Surnames with accents and mixed case; only the last entry holds the text searched.
        const QByteArray name = (i == kEntries - 1)
            ? QByteArrayLiteral("\x8Elutou\x9A" "ko Hledan\xFD")
            : QByteArrayLiteral("Nov\xE1kov\xE1 ") + QByteArray::number(i).rightJustified(5, '0');
        r.SetText(EField::NazevPolozky, name);
        r.SetText(EField::Prijmeni, QByteArrayLiteral("Nov\xE1kov\xE1"));
        r.SetText(EField::Narozeniny, QByteArrayLiteral("01.02.1970"));
        r.SetFlag(1, i % 2 == 0);
        b.AppendRecord(r);
    }
    b.IsOpen = true;
    b.MakeCurrent(0);
    b.RefillList();
    editor.ShowCurrent();
    std::printf("book of %d entries built and listed: %.1f ms\n", kEntries, Ms(t));

    // The hit is the alphabetically last line; the scan starts at line 0.
    const QByteArray text = ToUpperCz(QByteArrayLiteral("hledan\xFD"));
    t.restart();
    const qsizetype line = TMaskCommands::ScanLines(b.List, 1, text);
    std::printf("scan of %lld lines (hit on line %lld): %.2f ms\n", (long long)b.List.Count(),
                (long long)line, Ms(t));

    commands.SearchText = text;
    b.CurrentIndex = 0;
    t.restart();
    commands.INajitDalsiClick();
    std::printf("find-next to the last line, entry shown: %.2f ms (line %lld, %s)\n", Ms(t),
                (long long)b.CurrentIndex, b.Current->Name() == b.List.At(b.List.Count() - 1) ? "ok" : "WRONG");

    t.restart();
    commands.INajitDalsiClick();
    std::printf("find-next without a further hit: %.2f ms\n", Ms(t));

    b.CurrentIndex = 0;
    b.FindRecordForListItem(0);
    editor.ShowCurrent();
    t.restart();
    commands.Zmnitlogiku1Click();
    const double bulk = Ms(t);
    int set = 0;
    for (qsizetype i = 0; i < b.RecordCount(); ++i)
        set += b.Record(i).Flag(1) ? 1 : 0;
    std::printf("bulk change of %lld lines: %.1f ms (flag 1 now set on %d, %d repaints, %d messages)\n",
                (long long)b.List.Count(), bulk, set, prompt.Repaints, prompt.Messages);
    if (prompt.Messages)
        std::printf("last message: %s\n", qPrintable(prompt.Last));
    return 0;
}
