#include "session/WindowClosing.h"

#include "session/DocumentCommands.h"
#include "session/Session.h"

TWindowClosing::TWindowClosing(TSession &s, TDocumentCommands &documents) : m_s(s), m_documents(documents)
{
}

TCloseResult TWindowClosing::Close(TCloseTrigger trigger, bool trayAvailable)
{
    if (m_agreed)
        return TCloseResult::Ends;
    if (trigger != TCloseTrigger::Window)
        m_s.Settings.Lista = false;
    // Without a tray a hidden window could never be reached again.
    if (m_s.Settings.Lista && trayAvailable)
        return TCloseResult::Hidden;
    if (!m_documents.CloseQuery())
        return TCloseResult::Refused;
    m_agreed = true;
    return TCloseResult::Ends;
}

bool TWindowClosing::LogOffQuery(bool mayAsk)
{
    if (m_agreed)
        return true;
    m_listaBeforeLogOff = m_s.Settings.Lista;
    m_s.Settings.Lista = false;
    if (mayAsk) {
        if (!m_documents.CloseQuery()) {
            m_s.Settings.Lista = m_listaBeforeLogOff;
            return false;
        }
    } else {
        // No questions allowed: keep at least the settings and the recent files.
        m_s.SaveBookSettings(m_s.Book.FileName);
        m_s.SaveRecentFiles();
    }
    m_agreed = true;
    m_logOff = true;
    return true;
}

void TWindowClosing::Resume()
{
    if (!m_logOff)
        return;
    m_s.Settings.Lista = m_listaBeforeLogOff;
    m_logOff = false;
    m_agreed = false;
}
