#include "exchange/DtaFile.h"

#include "book/Book.h"
#include "util/CodePage.h"
#include "util/RegularFile.h"

#include <QFile>
#include <QFileInfo>

namespace {

constexpr qint64 kChunkRecords = 512;

// The text of a length-prefixed slot of `slot` bytes; a length byte beyond the slot counts
// as the whole slot.
QByteArrayView Slot(const char *record, int offset, int slot)
{
    const int n = qMin(int(static_cast<unsigned char>(record[offset])), slot - 1);
    return QByteArrayView(record + offset + 1, n);
}

QByteArray Converted(const char *record, int offset, int slot)
{
    return ConvertCodePage(Slot(record, offset, slot), int(TCodePage::Kamenicky), int(TCodePage::Win1250));
}

struct TMapping
{
    int Offset;
    int Slot;
    EField Target;
    bool Convert;
};

constexpr TMapping kFields[] = {
    {0, 9, EField::TitulPred, true},     {9, 16, EField::Prijmeni, true},    {25, 16, EField::Jmeno, true},
    {41, 11, EField::Prezdivka, true},   {52, 31, EField::Ulice1, true},     {83, 31, EField::Misto1, true},
    {114, 7, EField::Psc1, false},       {245, 31, EField::Ulice3, true},    {276, 31, EField::Misto3, true},
    {307, 31, EField::Stat3, true},      {338, 31, EField::Zamestnani, true}, {369, 31, EField::Ulice2, true},
    {400, 31, EField::Misto2, true},     {431, 31, EField::Stat2, true},     {462, 21, EField::Telefon1, false},
    {483, 21, EField::Telefon3, false},  {504, 21, EField::Telefon7, false}, {531, 12, EField::RodneCislo, false},
};

constexpr int kNoteOffsets[4] = {121, 152, 183, 214};
constexpr int kBirthDayOffset = 525, kBirthYearOffset = 549, kNameDayOffset = 543, kFlagsOffsetDta = 554;

struct TCaptionSlot
{
    int Offset;
    int Slot;
};
constexpr TCaptionSlot kCaptions[5] = {{52, 31}, {83, 31}, {245, 31}, {338, 31}, {462, 21}};

} // namespace

namespace DtaFile {

void ApplyHeader(const char *record, TBookLabels &labels)
{
    for (int i = 0; i < 5; ++i)
        labels.FlagCaptions[size_t(i + 1)] =
            Converted(record, kCaptions[i].Offset, kCaptions[i].Slot).left(TBookLabels::kFlagCapacity);
}

TContactRecord Entry(const char *record)
{
    TContactRecord r;
    for (const TMapping &m : kFields) {
        if (m.Convert)
            r.SetText(m.Target, Converted(record, m.Offset, m.Slot));
        else
            r.SetText(m.Target, Slot(record, m.Offset, m.Slot));
    }
    const QByteArray first = r.Text(EField::Jmeno);
    const QByteArray last = r.Text(EField::Prijmeni);
    r.SetText(EField::NazevPolozky, first.isEmpty() ? last : first + ' ' + last);

    const QByteArrayView day = Slot(record, kBirthDayOffset, 6);
    const QByteArrayView year = Slot(record, kBirthYearOffset, 5);
    // A day and month without a year is still a birthday, one whose year is not known.
    if (!day.isEmpty())
        r.SetText(EField::Narozeniny, ((day.toByteArray() + '.').left(6) + year.toByteArray()).left(10));
    const QByteArrayView nameDay = Slot(record, kNameDayOffset, 6);
    if (!nameDay.isEmpty())
        r.SetText(EField::Svatek, (nameDay.toByteArray() + '.').left(6));

    QByteArray note;
    for (int i = 0; i < 4; ++i) {
        if (i > 0)
            note += "\r\n";
        note += Converted(record, kNoteOffsets[i], 31);
    }
    r.SetNote(note);
    for (int i = 0; i < 6; ++i)
        r.SetFlag(i + 1, record[kFlagsOffsetDta + i] != 0);
    return r;
}

TImportError Read(const QString &path, TBookLabels &labels, TBook &into, const TImportProgress &progress)
{
    QFile file;
    const TRegularOpen opened = OpenRegularFile(path, file);
    if (opened != TRegularOpen::Ok)
        return opened == TRegularOpen::Missing ? TImportError::Missing : TImportError::Open;
    const qint64 size = file.size();
    if (size < kDtaRecordSize)
        return TImportError::HeaderRead;
    // Decided before a byte of the entries is read: a file this long cannot be taken.
    const qint64 entries = (size - 1) / kDtaRecordSize;
    if (entries > kMaxImportEntries)
        return TImportError::TooLarge;

    QByteArray buffer(kDtaRecordSize * kChunkRecords, Qt::Uninitialized);
    if (file.read(buffer.data(), kDtaRecordSize) != kDtaRecordSize)
        return TImportError::HeaderRead;
    ApplyHeader(buffer.constData(), labels);

    qint64 done = 0;
    qint64 pos = kDtaRecordSize;
    while (pos < size) {
        const qint64 want = qMin<qint64>(buffer.size(), size - pos);
        const qint64 got = file.read(buffer.data(), want);
        if (got <= 0)
            return TImportError::Read;
        pos += got;
        for (qint64 i = 0; i + kDtaRecordSize <= got; i += kDtaRecordSize) {
            into.AppendRecord(Entry(buffer.constData() + i));
            ++done;
            if (progress && done % kProgressStep == 0)
                progress(done, entries);
        }
        if (got % kDtaRecordSize != 0)
            return TImportError::Read; // a short last record
    }
    return TImportError::None;
}

} // namespace DtaFile
