// A settings file spoilt in any way: values fall back to their defaults or their ranges,
// and the next save writes a file that reads back cleanly.
#include "FuzzInput.h"
#include "settings/SettingsStore.h"
#include "util/Clock.h"

#include <cstdlib>

namespace {

class TNoon : public IClock
{
public:
    QDateTime Now() const override { return QDateTime(QDate(2026, 12, 7), QTime(12, 0)); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString ini = FuzzFile("Vorlink.ini", data, size);
    if (ini.isEmpty())
        return 0;
    TNoon clock;
    TSettings settings;
    {
        TSettingsStore store(settings, clock, ini);
        store.LoadBookValues(QStringLiteral("/x/rodina.wdt"));
        if (settings.Sirka < 417 || settings.Sirka > 1024 || settings.Vyska < 474 || settings.Vyska > 768
            || settings.ListBox < 100 || settings.ListBox > 300)
            std::abort();
        (void)store.LoadRecentFiles();
        if (!store.SaveBookSettings(QStringLiteral("/x/rodina.wdt")))
            std::abort();
    }
    TSettings again;
    TSettingsStore reread(again, clock, ini);
    reread.LoadBookValues(QStringLiteral("/x/rodina.wdt"));
    if (again.VyrociDopredu != settings.VyrociDopredu || again.Port != settings.Port)
        std::abort();
    return 0;
}
