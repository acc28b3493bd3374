#include "util/CzechPlural.h"

QString CzechCount(qint64 n, const char *one, const char *few, const char *many)
{
    const char *form = n == 1 ? one : (n >= 2 && n <= 4) ? few : many;
    return QString::number(n) + QLatin1Char(' ') + QString::fromUtf8(form);
}
