#pragma once

#include "mask/MaskDialogs.h"

#include <QByteArray>
#include <QByteArrayView>

class TNameList;
class TRecordEditor;
class TSession;

// The edit menu's mask, bulk flag change, find and record clipboard commands.
class TMaskCommands
{
public:
    TMaskCommands(TSession &s, TRecordEditor &editor, IMaskDialogs &dialogs);

    void IMaskaClick();
    void Zmnitlogiku1Click();
    void INajitClick();
    void INajitDalsiClick();
    void Koprovatzznam1Click();
    void Vloitzznam1Click();

    // The text last asked for, in capitals; kept when another book is opened.
    QByteArray SearchText;
    // The choices of the last confirmed bulk change.
    TFlagActions FlagActions {};

    // The first line from `first` on whose capitals contain `upperText`; -1 for none.
    static qsizetype ScanLines(const TNameList &list, qsizetype first, QByteArrayView upperText);
    // Whether the capitals of `line` contain `upperText`, without building them.
    static bool ContainsUpper(QByteArrayView line, QByteArrayView upperText);
    // How often the bulk change lets the window repaint.
    static constexpr qsizetype kLinesPerRepaint = 512;

private:
    // Runs the scan from `first`; false when nothing could be shown.
    bool Scan(qsizetype first);
    static void ApplyActions(TContactRecord &r, const TFlagActions &actions);

    TSession &m_s;
    TRecordEditor &m_editor;
    IMaskDialogs &m_dialogs;
};
