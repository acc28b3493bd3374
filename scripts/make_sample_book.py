#!/usr/bin/env python3
"""Writes data/ukazka.WDT, the sample book: a dozen fictional entries that use every page."""
import os

FIELDS = [("TitulPred", 10), ("NazevPolozky", 50), ("Prijmeni", 20), ("Jmeno", 20), ("Prezdivka", 20),
          ("TitulZa", 10), ("RodneCislo", 11)]
for a in range(1, 4):
    FIELDS += [(f"Ulice{a}", 40), (f"Misto{a}", 40), (f"Stat{a}", 40), (f"Psc{a}", 10)]
for t in range(1, 10):
    FIELDS += [(f"VStatu{t}", 5), (f"VMista{t}", 5), (f"Telefon{t}", 20), (f"Linka{t}", 5)]
FIELDS += [("Http", 40), ("Email", 40), ("Vzdelani", 40), ("Zamestnani", 40), ("Narozeniny", 10),
           ("Svatek", 6), ("Ico", 20), ("Dic", 20), ("Banka", 40), ("Ucet", 40)]
RECORD = 3217


def record(values=None, note="", flags=()):
    values = values or {}
    out = bytearray()
    for name, cap in FIELDS:
        text = values.get(name, "").encode("cp1250")[:cap]
        out += bytes([len(text)]) + text + bytes(cap - len(text))
    n = note.replace("\n", "\r\n").encode("cp1250")[:2000]
    out += n + bytes(2000 - len(n))
    out += bytes(1 if i in flags else 0 for i in range(1, 11))
    assert len(out) == RECORD
    return bytes(out)


def header():
    phones = ["Domů 1", "Domů 2", "Zaměstnání 1", "Zaměstnání 2", "Zaměstnání 3", "Fax 1", "Fax 2",
              "Přechodné", "Mobilní"]
    addresses = ["Domů", "Zaměstnání", "Přechodné"]
    flags = ["Nutné blahopřát", "Muž", "Žena", "Spolužák ze základní školy", "Spolužák ze střední školy",
             "Spolužák z vysoké školy", "Kolega ze zaměstnání", "Známý", "Firma", "Potápěč"]
    values = {f"Telefon{i + 1}": p for i, p in enumerate(phones)}
    values.update({f"Ulice{i + 1}": a for i, a in enumerate(addresses)})
    note = "".join(f.ljust(60) for f in flags)
    return record(values, note, flags=(1,))


P = [
    dict(NazevPolozky="Nováková Jana", Prijmeni="Nováková", Jmeno="Jana", TitulPred="Ing.",
         RodneCislo="805215/0008", Narozeniny="15.12.1980", Svatek="24.05.", Vzdelani="VŠE Praha",
         Zamestnani="účetní", Ulice1="Lipová 12", Misto1="Brno", Stat1="Česká republika", Psc1="602 00",
         VStatu1="420", VMista1="5", Telefon1="41 21 11 22", VStatu9="420", Telefon9="602 123 456",
         Email="jana.novakova@example.cz", flags=(1, 3, 8), note="Ráda čte detektivky.\nDárek: knížka."),
    dict(NazevPolozky="Dvořák Petr", Prijmeni="Dvořák", Jmeno="Petr", Prezdivka="Péťa",
         Narozeniny="29.06.1975", Svatek="29.06.", Ulice1="Na Výsluní 3", Misto1="Olomouc",
         Stat1="Česká republika", Psc1="779 00", Telefon1="585 222 333", VMista1="58",
         Ulice2="Tovární 7", Misto2="Olomouc", Telefon3="585 444 555", Linka3="214",
         Zamestnani="strojník", flags=(2, 5, 7)),
    dict(NazevPolozky="Černá Marie", Prijmeni="Černá", Jmeno="Marie", TitulPred="MUDr.",
         Narozeniny="12.09.1962", Svatek="12.09.", Misto1="Plzeň", Ulice1="Sady Pětatřicátníků 5",
         Psc1="301 00", Stat1="Česká republika", Telefon9="737 000 111", flags=(1, 3, 6)),
    dict(NazevPolozky="Horák Jiří", Prijmeni="Horák", Jmeno="Jiří", TitulZa="Ph.D.",
         Narozeniny="24.04.1958", Svatek="24.04.", Misto1="Liberec", Http="www.example.cz/horak",
         Vzdelani="TU Liberec", Zamestnani="projektant", flags=(2, 10),
         note="Potápění v Chorvatsku každé léto."),
    dict(NazevPolozky="Chalupa Ondřej", Prijmeni="Chalupa", Jmeno="Ondřej", Narozeniny="29.02.1984",
         Svatek="29.11.", Misto1="Tábor", Telefon9="604 555 666", flags=(2, 4)),
    dict(NazevPolozky="Kovářová Eva", Prijmeni="Kovářová", Jmeno="Eva", Narozeniny="10.01.1990",
         Svatek="24.12.", Misto1="Zlín", Email="eva@example.cz", flags=(3, 8)),
    dict(NazevPolozky="Svoboda a syn, s.r.o.", Ico="12345678", Dic="CZ12345678", Banka="Česká banka",
         Ucet="123456789/0800", Ulice2="Průmyslová 1", Misto2="Pardubice", Psc2="530 02",
         Stat2="Česká republika", Telefon6="466 111 222", Telefon3="466 111 200", Linka3="10",
         Http="www.example.com", flags=(9,), note="Dodavatel kancelářských potřeb."),
    dict(NazevPolozky="Procházková Lucie", Prijmeni="Procházková", Jmeno="Lucie", Narozeniny="13.12.2001",
         Svatek="13.12.", Misto1="České Budějovice", Ulice3="Kolej 4", Misto3="Praha", flags=(1, 3, 5)),
    dict(NazevPolozky="Šimek Tomáš", Prijmeni="Šimek", Jmeno="Tomáš", Narozeniny="21.12.1970",
         Svatek="21.12.", Misto1="Kolín", Telefon2="321 222 333", flags=(2, 7)),
    dict(NazevPolozky="Zelenka Karel", Prijmeni="Zelenka", Jmeno="Karel", Narozeniny="04.11.1949",
         Svatek="04.11.", Misto1="Jihlava", VStatu8="421", VMista8="2", Telefon8="5555 1234",
         Stat3="Slovensko", flags=(2,)),
    dict(NazevPolozky="Bednářová Alena", Prijmeni="Bednářová", Jmeno="Alena", Narozeniny="13.08.1966",
         Svatek="13.08.", Misto1="Kladno", flags=(3, 4, 8)),
    dict(NazevPolozky="Adámek Vojtěch", Prijmeni="Adámek", Jmeno="Vojtěch", Narozeniny="23.04.1995",
         Svatek="23.04.", Misto1="Ostrava", Telefon9="721 987 654", flags=(2, 6, 10)),
]

out = os.path.join(os.path.dirname(__file__), "..", "data", "ukazka.WDT")
with open(out, "wb") as f:
    f.write(header())
    for p in P:
        flags = p.pop("flags", ())
        note = p.pop("note", "")
        f.write(record(p, note, flags))
