#pragma once

#include "session/DocumentCommands.h"
#include "session/RecordEditor.h"
#include "session/Session.h"

#include "FakePrompt.h"
#include "TestBook.h"

#include <QTemporaryDir>

#include <memory>

// A running program without windows: a session over a temporary settings file, the
// record editor and the file commands, started with the new unnamed book.
struct TSessionFixture
{
    QTemporaryDir Dir;
    TFakePrompt Prompt;
    TFixedClock Clock;
    TFakeView View;
    std::unique_ptr<TSession> S;
    std::unique_ptr<TRecordEditor> Editor;
    std::unique_ptr<TDocumentCommands> Docs;

    TSessionFixture()
    {
        S = std::make_unique<TSession>(Prompt, Clock, View, Dir.filePath(QStringLiteral("settings.ini")));
        Editor = std::make_unique<TRecordEditor>(*S);
        Docs = std::make_unique<TDocumentCommands>(*S, *Editor);
        Docs->StartUp({});
    }

    QString Path(const char *name) const { return Dir.filePath(QString::fromUtf8(name)); }

    // Writes a book of these records and opens it as the open command would.
    void Open(const QList<TContactRecord> &records, const char *name = "kniha.wdt")
    {
        TestBook::WriteFile(Path(name), TestBook::FileBytes(TBookLabels::Defaults(), records));
        Prompt.OpenPaths.enqueue(Path(name));
        Docs->IOtevritClick();
        Prompt.Reset();
    }

    QList<QByteArray> BookNames() const
    {
        QList<QByteArray> names;
        for (qsizetype i = 0; i < S->Book.RecordCount(); ++i)
            names.append(S->Book.Record(i).Name());
        return names;
    }
    QList<QByteArray> ListNames() const { return S->Book.List.Names(); }
    QByteArray CurrentName() const { return S->Book.Current->Name(); }
    qsizetype Row(const char *utf8) const { return S->Book.List.Names().indexOf(TestBook::Cp(utf8)); }
    QString Status(int panel) const { return S->Book.StatusTexts().value(panel); }
};
