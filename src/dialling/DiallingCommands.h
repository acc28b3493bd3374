#pragma once

#include "book/ContactRecord.h"

#include <QString>

class IDesktopPhone;
class IDiallingDialogs;
class TModemCall;
class TSession;

// Limits of the dialling settings' fields.
constexpr int kCodeLength = 5;
constexpr int kInitLength = 40;
constexpr int kDialLength = 20;
constexpr int kHangLength = 40;

// The port field's number: 1 to 4, a number outside brought to the nearer bound, any
// other text 1.
int PortFromText(const QString &text);

// The telephone group (1..9) a field belongs to, or 0.
int PhoneGroupOf(EField f);

// Dialling a telephone group of the entry and the dialling settings.
class TDiallingCommands
{
public:
    TDiallingCommands(TSession &s, TModemCall &call, IDiallingDialogs &dialogs, IDesktopPhone &phone);

    // True when the number went to the modem window (after it closed) or to the desktop.
    // Nothing happens while dialling is off, or while a call runs.
    bool DialNumber(const QString &country, const QString &area, const QString &number, const QString &extension);
    // A double-click on group 1..9 or one of its fields: the texts as they stand.
    void TelefonDblClick(int group);
    // "V&ytáčení" in the settings menu.
    void IVytaceniClick();

private:
    TSession &m_s;
    TModemCall &m_call;
    IDiallingDialogs &m_dialogs;
    IDesktopPhone &m_phone;
};
