#include "dialling/DiallingCommands.h"

#include "dialling/DiallingDialogs.h"
#include "dialling/ModemCall.h"
#include "dialling/NumberComposition.h"
#include "session/Prompt.h"
#include "session/Session.h"
#include "util/Cp1250.h"

int PortFromText(const QString &text)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    return ok ? qBound(1, n, 4) : 1;
}

int PhoneGroupOf(EField f)
{
    const int i = int(f) - int(EField::VStatu1);
    return i >= 0 && i < 9 * 4 ? i / 4 + 1 : 0;
}

TDiallingCommands::TDiallingCommands(TSession &s, TModemCall &call, IDiallingDialogs &dialogs, IDesktopPhone &phone)
    : m_s(s), m_call(call), m_dialogs(dialogs), m_phone(phone)
{
}

bool TDiallingCommands::DialNumber(const QString &country, const QString &area, const QString &number,
                                   const QString &extension)
{
    const TSettings &st = m_s.Settings;
    if (!st.Povolit || m_call.Busy())
        return false;
    if (st.VolatPresSystem) {
        const QString url = ComposeTelUrl(st, country, area, number);
        if (url.isEmpty())
            m_s.Prompt.Hlaska(QString::fromUtf8("Ve skupině není žádné číslo k vytočení."), THlaskaKind::Informace);
        else if (!m_phone.OpenTel(url))
            m_s.Prompt.Hlaska(QString::fromUtf8("V systému není žádná aplikace, která volá odkazy tel:."),
                              THlaskaKind::Chyba);
        return true;
    }
    m_call.SetLabels(ComposeLabels(st, country, area, number, extension));
    m_dialogs.ShowCall();
    return true;
}

void TDiallingCommands::TelefonDblClick(int group)
{
    // Nothing listed: the editor shows no entry to dial from.
    if (group < 1 || group > 9 || !m_s.Editor.Enabled())
        return;
    auto text = [&](int part) { return FromCp1250(m_s.Editor.Text(PhoneField(group, part))); };
    DialNumber(text(0), text(1), text(2), text(3));
}

void TDiallingCommands::IVytaceniClick()
{
    TSettings edited = m_s.Settings;
    if (m_dialogs.EditDialling(edited))
        m_s.Settings = edited;
}
