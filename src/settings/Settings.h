#pragma once

#include "util/TimeStamp.h"

#include <QByteArray>
#include <QString>

// Program-wide settings: the open book's reminder values, the modem, the window and the
// tray flag.
struct TSettings
{
    TStamp NaposledyVyroci = 0;
    TStamp NaposledySpusteno = 0;
    qint32 VyrociDopredu = 7;
    bool hledatAutomaticky = false;
    QString Stat;
    QString Misto;
    QString Init = QStringLiteral("ATZ");
    QString Hang = QStringLiteral("+++ATH");
    QString Dial = QStringLiteral("ATX3DP");
    QString VolackaStat = QStringLiteral("00");
    QString VolackaMisto = QStringLiteral("0");
    bool Povolit = false;
    quint8 Port = 2;
    bool Lista = false;
    int Sirka = 588;
    int Vyska = 480;
    int ListBox = 150;
};
