#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

class IClock;

// A time stamp is a double whose decimal digits spell YYYYMMDDhhmmsst; 0 means no date.
using TStamp = double;

constexpr TStamp kStampMin = 190001010000000.0;
constexpr TStamp kStampMax = 206712312359599.0;
constexpr TStamp kStampParseError = -1.0;

struct TStampParts
{
    int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0, Msec = 0;
};

bool StampInRange(TStamp s);
TStamp MakeStamp(int year, int month, int day, int hour, int minute, int second, int msec);
TStampParts SplitStamp(TStamp s);
TStamp NowStamp(const IClock &clock);
QDateTime StampToDateTime(TStamp s); // invalid QDateTime for the zero date
TStamp StampFromDateTime(const QDate &date, int hour, int minute, int second, int msec);
TStamp StampFromDateTime(const QDateTime &dt);
QString StampToText(TStamp s);
TStamp StampFromText(const QString &text);
QString StampDisplay(TStamp s, int width);
TStamp ParseStampDisplay(const QString &text, int precision);
TStamp AddDays(TStamp s, int days);
int DaysBetween(TStamp a, TStamp b);
