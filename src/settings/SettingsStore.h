#pragma once

#include "settings/Settings.h"

#include <QSettings>
#include <QStringList>

#include <memory>
#include <optional>

class IClock;

// The per-user settings store: the registry on Windows, an INI file elsewhere. Holds the
// per-book values (the reminders' names carry the book's file name; the sync set-up is
// kept by the book's canonical path), the modem and window values and the recent files. A write that fails returns false; the caller says so.
class TSettingsStore
{
public:
    // An empty path means the user's own store; tests pass a file of their own.
    TSettingsStore(TSettings &settings, const IClock &clock, const QString &iniPath = {});
    ~TSettingsStore();

    TSettings &Settings() { return m_settings; }
    QSettings &Store() { return *m_store; }

    // The user's own store (or the file at `iniPath`), for values kept apart from these.
    static std::unique_ptr<QSettings> Open(const QString &iniPath = {});

    // "-RODINA.WDT" for C:\Data\rodina.wdt, "-NEPOJMENOVANÝ" for the unnamed book.
    static QString BookSuffix(const QString &fileName);

    // The values of the book at `path` and the program-wide ones; a value that is missing
    // or out of range gets its default (the list width keeps the width it had).
    void LoadBookValues(const QString &path);
    bool SaveBookSettings(const QString &path);
    // Only the sync settings of the book at `path`, at once.
    bool SaveSyncSettings(const QString &path);
    // The values of a new book; the port devices, the tel: switch and printing stay.
    void ResetBookSettings();

    // The sender and the printing dialogs' choices, at once.
    bool SavePrintSettings();

    // Writes "Lista" of section "Okno" at once.
    bool SaveLista();

    QStringList LoadRecentFiles();
    bool SaveRecentFiles(const QStringList &files);

private:
    QString ReadText(const QString &section, const QString &name, const QString &def);
    int ReadInt(const QString &section, const QString &name, int def);
    // `def` for a value that is missing, no number or outside min..max.
    int ReadInt(const QString &section, const QString &name, int def, int min, int max);
    double ReadDouble(const QString &section, const QString &name, double def, double min, double max);
    void LoadPrintValues();
    bool Sync();
    void LoadMachineValues();
    TSyncSettings ReadSync(const QString &section, const QString &suffix);
    TSyncSettings LoadSync(const QString &path);
    // The set-up kept under the book's file name alone, where this book was synced with it.
    std::optional<TSyncSettings> OldSyncSetUp(const QString &path);
    void WriteSync(const QString &path);

    TSettings &m_settings;
    const IClock &m_clock;
    std::unique_ptr<QSettings> m_store;
};
