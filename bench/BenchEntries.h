#pragma once

// Entries as people keep them, for the benchmarks of the bridges: the same book each run.
#include "book/ContactRecord.h"
#include "util/Cp1250.h"

#include <QByteArray>
#include <QString>

inline QByteArray Cz(const char *utf8) { return ToCp1250(QString::fromUtf8(utf8)); }

// Entries as people keep them: most with a phone or two, an address, a birthday; some
// firms, some long notes that fold, some dates that name no day.
inline TContactRecord Entry(int i)
{
    static const char *const surnames[] = {"Novák", "Svobodová", "Dvořák", "Černá", "Procházka", "Kučerová",
                                           "Veselý", "Horáková", "Němec", "Pokorná", "Marek", "Růžičková"};
    static const char *const given[] = {"Jan", "Jana", "Petr", "Marie", "Jiří", "Eva", "Tomáš", "Lucie",
                                        "Ondřej", "Kateřina", "Vojtěch", "Alena"};
    static const char *const cities[] = {"Praha", "Brno", "Plzeň", "České Budějovice", "Ústí nad Labem",
                                         "Hradec Králové", "Olomouc", "Zlín"};
    static const char *const streets[] = {"Dlouhá", "Na Výsluní", "Lipová", "Sady Pětatřicátníků",
                                          "Tř. Svobody", "U Řeky"};
    const QByteArray n = QByteArray::number(i);
    const int k = i % 12;
    TContactRecord r;
    const bool firm = i % 10 == 7;
    if (firm) {
        r.SetText(EField::NazevPolozky, Cz("Svoboda a syn, s.r.o. ") + n);
        r.SetText(EField::Ico, QByteArray::number(10000000 + i));
        r.SetText(EField::Dic, "CZ" + QByteArray::number(10000000 + i));
        r.SetText(EField::Banka, Cz("Česká banka"));
        r.SetText(EField::Ucet, n + "/0800");
        r.SetText(EField::Http, "www.example.com/" + n);
        r.SetText(EField::Ulice2, Cz("Průmyslová ") + n);
        r.SetText(EField::Misto2, Cz(cities[i % 8]));
        r.SetText(EField::Psc2, "530 02");
        r.SetText(PhoneField(3, 2), "466 111 " + n.right(3));
        r.SetText(PhoneField(3, 3), "10");
        r.SetText(PhoneField(6, 2), "466 111 222");
        r.SetNote(Cz("Dodavatel kancelářských potřeb, objednávky přes e-mail; platba převodem, splatnost 14 dní."));
        r.SetFlag(9, true);
        return r;
    }
    r.SetText(EField::NazevPolozky, Cz(surnames[k]) + ' ' + Cz(given[(i / 12) % 12]) + ' ' + n);
    r.SetText(EField::Prijmeni, Cz(surnames[k]));
    r.SetText(EField::Jmeno, Cz(given[(i / 12) % 12]));
    if (i % 5 == 0)
        r.SetText(EField::TitulPred, "Ing.");
    if (i % 13 == 0)
        r.SetText(EField::TitulZa, "Ph.D.");
    if (i % 4 == 0)
        r.SetText(EField::Prezdivka, Cz("Péťa, Pepa"));
    r.SetText(EField::Ulice1, Cz(streets[i % 6]) + ' ' + QByteArray::number(1 + i % 97));
    r.SetText(EField::Misto1, Cz(cities[i % 8]));
    r.SetText(EField::Psc1, "301 00");
    if (i % 3 == 0)
        r.SetText(EField::Stat1, Cz("Česká republika"));
    r.SetText(PhoneField(1, 0), "420");
    r.SetText(PhoneField(1, 2), "377 " + n);
    r.SetText(PhoneField(9, 2), "602 " + n);
    if (i % 6 == 0) {
        r.SetText(PhoneField(8, 0), "421");
        r.SetText(PhoneField(8, 1), "2");
        r.SetText(PhoneField(8, 2), "5555 " + n);
    }
    r.SetText(EField::Email, "jan." + n + "@example.cz");
    static const char *const days[] = {"05.03.1961", "29.02.1984", "12.09.", "31.02.1990", "", "24.12.2001"};
    r.SetText(EField::Narozeniny, days[i % 6]);
    r.SetText(EField::Svatek, i % 7 == 0 ? QByteArray() : QByteArray::number(1 + i % 28) + ".06.");
    r.SetText(EField::Zamestnani, Cz("účetní"));
    if (i % 3 == 0)
        r.SetNote(Cz("Ráda čte detektivky.\r\nDárek: knížka, květiny; ne čokoládu.\r\nVolat po 18. hodině, "
                     "o víkendu raději ne, jen ve spěchu na mobil ") + n);
    else
        r.SetNote(Cz("Poznámka k záznamu číslo ") + n);
    r.SetFlag(1 + i % 10, true);
    r.SetFlag(1 + (i / 10) % 10, true);
    return r;
}
