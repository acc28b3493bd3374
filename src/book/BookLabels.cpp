#include "book/BookLabels.h"

#include "util/Cp1250.h"

namespace {

QByteArray Cp(const char *utf8)
{
    return ToCp1250(QString::fromUtf8(utf8));
}

// Blanks and control characters (every byte up to the space) around a flag caption.
QByteArray TrimSlot(QByteArrayView slot)
{
    qsizetype b = 0, e = slot.size();
    while (b < e && static_cast<unsigned char>(slot[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(slot[e - 1]) <= ' ')
        --e;
    return slot.sliced(b, e - b).toByteArray();
}

} // namespace

TBookLabels TBookLabels::Defaults()
{
    TBookLabels l;
    const char *phones[9] = {"Domů 1", "Domů 2", "Zaměstnání 1", "Zaměstnání 2", "Zaměstnání 3",
                             "Fax 1", "Fax 2", "Přechodné", "Mobilní"};
    const char *addresses[3] = {"Domů", "Zaměstnání", "Přechodné"};
    const char *flags[10] = {"Nutné blahopřát", "Muž", "Žena", "Spolužák ze základní školy",
                             "Spolužák ze střední školy", "Spolužák z vysoké školy",
                             "Kolega ze zaměstnání", "Známý", "Firma", "Potápěč"};
    for (int i = 0; i < 9; ++i)
        l.PhoneCaptions[i] = Cp(phones[i]);
    for (int i = 0; i < 3; ++i)
        l.AddressCaptions[i] = Cp(addresses[i]);
    for (int i = 0; i < 10; ++i)
        l.FlagCaptions[i] = Cp(flags[i]);
    l.ReminderFlags.fill(false);
    return l;
}

TContactRecord TBookLabels::ToHeader() const
{
    TContactRecord h;
    for (int i = 0; i < 9; ++i)
        h.SetText(PhoneField(i + 1, 2), PhoneCaptions[i]);
    for (int i = 0; i < 3; ++i)
        h.SetText(AddressField(i + 1, 0), AddressCaptions[i]);
    QByteArray slotText;
    slotText.reserve(10 * kFlagCapacity);
    for (const QByteArray &caption : FlagCaptions)
        slotText += caption.left(kFlagCapacity).leftJustified(kFlagCapacity, ' ');
    h.SetNote(slotText);
    for (int i = 0; i < 10; ++i)
        h.SetFlag(i + 1, ReminderFlags[i]);
    return h;
}

TBookLabels TBookLabels::FromHeader(const TContactRecord &header)
{
    TBookLabels l;
    for (int i = 0; i < 9; ++i)
        l.PhoneCaptions[i] = header.Text(PhoneField(i + 1, 2)).left(kPhoneCapacity);
    for (int i = 0; i < 3; ++i)
        l.AddressCaptions[i] = header.Text(AddressField(i + 1, 0)).left(kAddressCapacity);
    // The slots are read from the raw note area: a zero byte inside a slot must not end it.
    const QByteArrayView note(header.Data() + kNoteOffset, kNoteSize);
    for (int k = 0; k < 10; ++k)
        l.FlagCaptions[k] = TrimSlot(note.sliced(k * kFlagCapacity, kFlagCapacity));
    for (int i = 0; i < 10; ++i)
        l.ReminderFlags[i] = header.Flag(i + 1);
    return l;
}
