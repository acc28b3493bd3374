#!/usr/bin/env python3
"""Writes data/vorlink.sva, the Czech civil name-day calendar.

One line per day of a leap year: "DD.MM." + four blanks + the names of the day,
in Windows-1250 with CR LF line ends. Days that carry a public holiday instead of
a name hold the holiday's name.

Within a day a shorter name stands before a longer one that starts with it, so that
the lookup by name (which takes only the first occurrence in a line) finds both.
"""

import pathlib
import sys

# Month by month, one entry per day; several names of a day are separated by ", ".
CALENDAR = [
    # January
    ["Nový rok", "Karina", "Radmila", "Diana", "Dalimil", "Tři králové", "Vilma", "Čestmír",
     "Vladan", "Břetislav", "Bohdana", "Pravoslav", "Edita", "Radovan", "Alice", "Ctirad",
     "Drahoslav", "Vladislav", "Doubravka", "Ilona", "Běla", "Slavomír", "Zdeněk", "Milena",
     "Miloš", "Zora", "Ingrid", "Otýlie", "Zdislava", "Robin", "Marika"],
    # February
    ["Hynek", "Nela", "Blažej", "Jarmila", "Dobromila", "Vanda", "Veronika", "Milada",
     "Apolena", "Mojmír", "Božena", "Slavěna", "Věnceslav", "Valentýn", "Jiřina", "Ljuba",
     "Miloslava", "Gizela", "Patrik", "Oldřich", "Lenka", "Petr", "Svatopluk", "Matěj",
     "Liliana", "Dorota", "Alexandr", "Lumír", "Horymír"],
    # March
    ["Bedřich", "Anežka", "Kamil", "Stela", "Kazimír", "Miroslav", "Tomáš", "Gabriela",
     "Františka", "Viktorie", "Anděla", "Řehoř", "Růžena", "Rút, Matylda", "Ida",
     "Elena, Herbert", "Vlastimil", "Eduard", "Josef", "Světlana", "Radek", "Leona", "Ivona",
     "Gabriel", "Marián", "Emanuel", "Dita", "Soňa", "Taťána", "Arnošt", "Kvido"],
    # April
    ["Hugo", "Erika", "Richard", "Ivana", "Miroslava", "Vendula", "Heřman, Hermína", "Ema",
     "Dušan", "Darja", "Izabela", "Julius", "Aleš", "Vincenc", "Anastázie", "Irena",
     "Rudolf", "Valérie", "Rostislav", "Marcela", "Alexandra", "Evženie", "Vojtěch", "Jiří",
     "Marek", "Oto", "Jaroslav", "Vlastislav", "Robert", "Blahoslav"],
    # May
    ["Svátek práce", "Zikmund", "Alexej", "Květoslav", "Klaudie", "Radoslav", "Stanislav",
     "Den vítězství", "Ctibor", "Blažena", "Svatava", "Pankrác", "Servác", "Bonifác", "Žofie",
     "Přemysl", "Aneta", "Nataša", "Ivo", "Zbyšek", "Monika", "Emil", "Vladimír", "Jana",
     "Viola", "Filip", "Valdemar", "Vilém", "Maxmilián", "Ferdinand", "Kamila"],
    # June
    ["Laura", "Jarmil", "Tamara", "Dalibor", "Dobroslav", "Norbert", "Iveta, Slavoj",
     "Medard", "Stanislava", "Gita", "Bruno", "Antonie", "Antonín", "Roland", "Vít",
     "Zbyněk", "Adolf", "Milan", "Leoš", "Květa", "Alois", "Pavla", "Zdeňka", "Jan", "Ivan",
     "Adriana", "Ladislav", "Lubomír", "Petr a Pavel", "Šárka"],
    # July
    ["Jaroslava", "Patricie", "Radomír", "Prokop", "Cyril a Metoděj", "Mistr Jan Hus",
     "Bohuslava", "Nora", "Drahoslava", "Libuše, Amálie", "Olga", "Bořek", "Markéta",
     "Karolína", "Jindřich", "Luboš", "Martina", "Drahomíra", "Čeněk", "Ilja", "Vítězslav",
     "Magdaléna", "Libor", "Kristýna", "Jakub", "Anna", "Věroslav", "Viktor", "Marta",
     "Bořivoj", "Ignác"],
    # August
    ["Oskar", "Gustav", "Miluše", "Dominik", "Kristián", "Oldřiška", "Lada", "Soběslav",
     "Roman", "Vavřinec", "Zuzana", "Klára", "Alena", "Alan", "Hana", "Jáchym", "Petra",
     "Helena", "Ludvík", "Bernard", "Johana", "Bohuslav", "Sandra", "Bartoloměj", "Radim",
     "Luděk", "Otakar", "Augustýn", "Evelína", "Vladěna", "Pavlína"],
    # September
    ["Linda, Samuel", "Adéla", "Bronislav", "Jindřiška", "Boris", "Boleslav", "Regína",
     "Mariana", "Daniela", "Irma", "Denisa", "Marie", "Lubor", "Radka", "Jolana", "Ludmila",
     "Naděžda", "Kryštof", "Zita", "Oleg", "Matouš", "Darina", "Berta", "Jaromír", "Zlata",
     "Andrea", "Jonáš", "Václav", "Michal", "Jeroným"],
    # October
    ["Igor", "Olivie, Oliver", "Bohumil", "František", "Eliška", "Hanuš", "Justýna", "Věra",
     "Štefan, Sára", "Marina", "Andrej", "Marcel", "Renáta", "Agáta", "Tereza", "Havel",
     "Hedvika", "Lukáš", "Michaela", "Vendelín", "Brigita", "Sabina", "Teodor", "Nina",
     "Beáta", "Erik", "Šarlota, Zoe", "Den vzniku samostatného československého státu",
     "Silvie", "Tadeáš", "Štěpánka"],
    # November
    ["Felix", "Památka zesnulých", "Hubert", "Karel", "Miriam", "Liběna", "Saskie",
     "Bohumír", "Bohdan", "Evžen", "Martin", "Benedikt", "Tibor", "Sáva", "Leopold",
     "Otmar", "Mahulena", "Romana", "Alžběta", "Nikola", "Albert", "Cecílie", "Klement",
     "Emílie", "Kateřina", "Artur", "Xenie", "René", "Zina", "Ondřej"],
    # December
    ["Iva", "Blanka", "Svatoslav", "Barbora", "Jitka", "Mikuláš", "Ambrož, Benjamín",
     "Květoslava", "Vratislav", "Julie", "Dana", "Simona", "Lucie", "Lýdie", "Radan, Radana",
     "Albína", "Daniel", "Miloslav", "Ester", "Dagmar", "Natálie", "Šimon", "Vlasta",
     "Adam a Eva, Štědrý den", "Boží hod vánoční", "Štěpán", "Žaneta", "Bohumila", "Judita",
     "David", "Silvestr"],
]

DAYS_IN_MONTH = [31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31]
SEPARATOR = "    "


def lines():
    if len(CALENDAR) != 12:
        sys.exit("calendar must have 12 months")
    for month, (days, names) in enumerate(zip(DAYS_IN_MONTH, CALENDAR), start=1):
        if len(names) != days:
            sys.exit(f"month {month}: {len(names)} entries for {days} days")
        for day, text in enumerate(names, start=1):
            yield f"{day:02d}.{month:02d}.{SEPARATOR}{text}"


def main():
    root = pathlib.Path(__file__).resolve().parent.parent
    out = root / "data" / "vorlink.sva"
    data = "".join(line + "\r\n" for line in lines()).encode("cp1250")
    out.write_bytes(data)
    count = data.count(b"\r\n")
    print(f"{out}: {count} lines")


if __name__ == "__main__":
    main()
