#pragma once

#include "book/ContactRecord.h"

#include <QByteArray>

#include <array>

// The captions and reminder flags that travel in a book's header record.
struct TBookLabels
{
    static constexpr int kPhoneCapacity = 20;
    static constexpr int kAddressCapacity = 40;
    static constexpr int kFlagCapacity = 60;

    std::array<QByteArray, 9> PhoneCaptions;
    std::array<QByteArray, 3> AddressCaptions;
    std::array<QByteArray, 10> FlagCaptions;
    std::array<bool, 10> ReminderFlags {};

    static TBookLabels Defaults();

    // The header record: captions in Telefon1..9 and Ulice1..3, flag captions in
    // 60-character slots of the note, reminder flags in Log1..10.
    TContactRecord ToHeader() const;
    static TBookLabels FromHeader(const TContactRecord &header);

    bool operator==(const TBookLabels &) const = default;
};
