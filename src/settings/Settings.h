#pragma once

#include "util/TimeStamp.h"

#include <QByteArray>
#include <QString>

#include <array>

// The CardDAV server of one book; the password lives in the desktop's keyring.
struct TSyncSettings
{
    QString Server; // as typed: an address book or just the server
    QString User;
    QString AddressBook; // the address book chosen on the server
    bool OnOpenAndSave = false;
    bool PublishCalendar = false;
    QString Calendar;
    int AlarmDays = -1; // a reminder that many days before; negative for none

    bool operator==(const TSyncSettings &) const = default;
};

// The sender on envelopes and the last choices of the printing dialogs; they belong to the
// person, not to a book. Numbers out of range are read as their defaults.
struct TPrintSettings
{
    QString SenderName;
    QString SenderStreet;
    QString SenderPsc;
    QString SenderTown;
    QString SenderCountry;

    QString LabelSheet = QStringLiteral("3x8"); // a ready sheet's key, or kCustomSheet
    static constexpr const char *kCustomSheet = "vlastni";
    // The custom sheet, in millimetres.
    int LabelColumns = 3;
    int LabelRows = 8;
    double LabelWidth = 70;
    double LabelHeight = 37;
    bool LabelCentred = true;
    double LabelLeft = 0;
    double LabelTop = 0;
    double LabelGapX = 0;
    double LabelGapY = 0;
    int LabelAddress = 1; // 1..3
    int LabelStart = 1;

    QString Envelope = QStringLiteral("DL");
    int EnvelopeAddress = 1;

    int AfterReport = 0; // 0 the file only, 1 print, 2 preview, 3 PDF

    bool operator==(const TPrintSettings &) const = default;
};

// Program-wide settings: the open book's reminder values, the modem, the window, the
// tray flag and printing.
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
    // The device of each port 1..4 where ports have no COM numbers; they describe the
    // machine, not the book, so a new book keeps them.
    std::array<QString, 4> Zarizeni {QStringLiteral("/dev/ttyS0"), QStringLiteral("/dev/ttyS1"),
                                     QStringLiteral("/dev/ttyS2"), QStringLiteral("/dev/ttyS3")};
    // Calls go to the desktop's tel: handler instead of the modem; kept like the devices.
    bool VolatPresSystem = false;
    bool Lista = false;
    int Sirka = 588;
    int Vyska = 480;
    int ListBox = 150;
    TSyncSettings Sync;
    TPrintSettings Print;
};
