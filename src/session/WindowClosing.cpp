#include "session/WindowClosing.h"

#include "session/DocumentCommands.h"
#include "session/Prompt.h"
#include "session/Session.h"

#include <utility>

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
    if (m_work && m_work->Running()) {
        // Asked once; a second close while it stops only waits as well.
        if (!m_afterWork) {
            if (m_s.Prompt.Hlaska(m_work->StopQuestion(), THlaskaKind::Otazka) != kHlaskaAno)
                return TCloseResult::Refused;
            m_afterWork = trigger;
            m_work->Stop();
        }
        return TCloseResult::Waiting;
    }
    if (!m_documents.CloseQuery())
        return TCloseResult::Refused;
    m_agreed = true;
    return TCloseResult::Ends;
}

std::optional<TCloseTrigger> TWindowClosing::WorkStopped()
{
    return std::exchange(m_afterWork, std::nullopt);
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
