#pragma once

#include <QDateTime>

// Every "now" of the program comes through here, so tests can fix the moment.
class IClock
{
public:
    virtual ~IClock() = default;
    virtual QDateTime Now() const = 0;
};

class TSystemClock : public IClock
{
public:
    QDateTime Now() const override { return QDateTime::currentDateTime(); }
};
