#pragma once

#include <QString>

enum class TBookFileError;

// The program's fixed Czech texts that more than one place shows.
namespace Msg {
inline QString Unnamed() { return QString::fromUtf8("Nepojmenovaný"); }
inline QString Changed() { return QString::fromUtf8("Změněno"); }
inline QString UnsavedQuestion() { return QString::fromUtf8("Nejsou uloženy změny. Chcete pokračovat"); }
inline QString OpenFailed() { return QString::fromUtf8("Problém při otevírání souboru"); }
inline QString HeaderReadFailed() { return QString::fromUtf8("Problém při čtení konfigurace"); }
inline QString ReadFailed() { return QString::fromUtf8("Problém se čtením souboru"); }
inline QString HeaderWriteFailed() { return QString::fromUtf8("Problém při ukládání konfigurace"); }
inline QString WriteFailed() { return QString::fromUtf8("Problém při ukládání dat"); }
inline QString MemoryFailed() { return QString::fromUtf8("Problém při práci a pamětí"); }
inline QString RegistryFailed() { return QString::fromUtf8("Problém při práci se registrační databází"); }
inline QString LookupFailed() { return QString::fromUtf8("Problém s vyhledáním dat"); }
inline QString UniqueName() { return QString::fromUtf8("Musíte vyplnit unikátní Název položky"); }
inline QString ChangedOnDiskQuestion() { return QString::fromUtf8("Soubor byl mezitím změněn jiným programem. Chcete jej přepsat"); }
inline QString OverwriteOtherQuestion() { return QString::fromUtf8("Soubor s tímto jménem již existuje. Chcete jej přepsat"); }
inline QString OpenElsewhereQuestion() { return QString::fromUtf8("Soubor je otevřen v jiném spuštěném programu. Chcete jej přesto otevřít"); }
inline QString DeleteQuestion() { return QString::fromUtf8("Skutečně chcete vymazat aktální záznam"); }

// What the person is told when reading or writing a book file failed; empty where the
// failure has no message of its own.
QString BookFileError(TBookFileError e);
} // namespace Msg
