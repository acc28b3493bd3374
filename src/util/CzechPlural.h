#pragma once

#include <QString>

// A count with its words in the Czech form the number asks for: "1 kontakt načten",
// "3 kontakty načteny", "5 kontaktů načteno" (and "0 kontaktů načteno", "22 kontaktů").
// The forms are UTF-8 texts.
QString CzechCount(qint64 n, const char *one, const char *few, const char *many);
