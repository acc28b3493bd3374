#pragma once

#include "settings/Settings.h"

#include <QSettings>
#include <QStringList>

#include <memory>

class IClock;
class IMainView;
class IPrompt;
class TContactRecord;
struct TBookLabels;

// The per-user settings store: the registry on Windows, an INI file elsewhere. Holds the
// per-book values (their names carry the book's file name), the modem and window values
// and the recent files.
class TSettingsStore
{
public:
    // An empty path means the user's own store; tests pass a file of their own.
    TSettingsStore(TSettings &settings, IMainView &view, const IClock &clock, IPrompt &prompt,
                   const QString &iniPath = {});
    ~TSettingsStore();

    TSettings &Settings() { return m_settings; }
    QSettings &Store() { return *m_store; }

    // "-RODINA.WDT" for C:\Data\rodina.wdt, "-NEPOJMENOVANÝ" for the unnamed book.
    static QString BookSuffix(const QString &fileName);

    void LoadBookSettings(const TContactRecord &header, const QString &path, TBookLabels &labels);
    void LoadBookValues(const QString &path);
    bool SaveBookSettings(const QString &path);
    void ResetBookSettings(TBookLabels &labels);

    // Writes "Lista" of section "Okno" at once.
    bool SaveLista();

    QStringList LoadRecentFiles();
    bool SaveRecentFiles(const QStringList &files);

private:
    QString ReadText(const QString &section, const QString &name, const QString &def);
    int ReadInt(const QString &section, const QString &name, int def);
    bool Sync();

    TSettings &m_settings;
    IMainView &m_view;
    const IClock &m_clock;
    IPrompt &m_prompt;
    std::unique_ptr<QSettings> m_store;
};
