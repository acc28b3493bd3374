#include "interop/InteropFile.h"

#include "interop/CardText.h"
#include "interop/FormatWriter.h"

#include "interop/CardMapper.h"
#include "interop/CardMerge.h"
#include "interop/VCardReader.h"
#include "util/Cp1250.h"
#include "util/RegularFile.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <atomic>
#include <chrono>
#include <future>
#include <limits>
#include <thread>
#include <vector>

namespace {

// The names given so far, one after another in a single buffer and found by an
// open-addressing table of their places: no allocation per name.
class TNameSet
{
public:
    bool contains(QByteArrayView name) const { return !m_slots.empty() && m_slots[Find(name)].Size >= 0; }
    void insert(QByteArrayView name)
    {
        if ((m_count + 1) * 4 > qsizetype(m_slots.size()) * 3)
            Grow();
        TSlot &slot = m_slots[Find(name)];
        if (slot.Size >= 0)
            return;
        slot = {m_bytes.size(), int(name.size())};
        m_bytes.append(name);
        ++m_count;
    }

private:
    struct TSlot
    {
        qsizetype At = 0;
        int Size = -1; // -1: free
    };

    QByteArrayView At(const TSlot &s) const { return QByteArrayView(m_bytes.constData() + s.At, s.Size); }
    // The slot holding `name`, else the free one where it would go.
    size_t Find(QByteArrayView name) const
    {
        const size_t mask = m_slots.size() - 1;
        // The process's own seed, as QHash takes it: a file cannot choose names that all
        // fall on one slot.
        for (size_t i = qHash(name, qGlobalQHashSeed()) & mask;; i = (i + 1) & mask)
            if (m_slots[i].Size < 0 || At(m_slots[i]) == name)
                return i;
    }
    void Grow()
    {
        std::vector<TSlot> old(std::max<size_t>(1024, m_slots.size() * 2));
        old.swap(m_slots);
        for (const TSlot &s : old)
            if (s.Size >= 0)
                m_slots[Find(At(s))] = s;
    }

    QByteArray m_bytes;
    std::vector<TSlot> m_slots;
    qsizetype m_count = 0;
};

// Names unique as the editor wants them: a clash with a name given before, or with one
// `taken`, gets " (2)", " (3)", … within the field.
class TUniqueNames
{
public:
    explicit TUniqueNames(const std::function<bool(QByteArrayView)> &taken) : m_taken(taken) { }

    void Give(TContactRecord &r)
    {
        if (m_names.contains(r.NameView()) || (m_taken && m_taken(r.NameView()))) {
            const QByteArray base = r.Name();
            QByteArray name;
            int &k = m_nextSuffix[base];
            k = std::max(k, 2);
            do {
                const QByteArray suffix = " (" + QByteArray::number(k++) + ')';
                name = base.left(FieldInfo(EField::NazevPolozky).Capacity - suffix.size()) + suffix;
            } while (m_names.contains(name) || (m_taken && m_taken(name)));
            r.SetText(EField::NazevPolozky, name);
        }
        m_names.insert(r.NameView());
    }

private:
    const std::function<bool(QByteArrayView)> &m_taken;
    TNameSet m_names;
    // Where the suffixes of a clashing name go on, so a thousand equal names cost no more
    // than a thousand lookups.
    QHash<QByteArray, int> m_nextSuffix;
};

// A stretch of a file as a device of its own, so that the reader of one part of a file
// stops where the next part begins.
class TFilePart : public QIODevice
{
public:
    // `end` -1: to the end of the file.
    bool Open(const QString &path, qint64 begin, qint64 end)
    {
        if (OpenRegularFile(path, m_file) != TRegularOpen::Ok || !m_file.seek(begin))
            return false;
        m_left = end < 0 ? std::numeric_limits<qint64>::max() : end - begin;
        return open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }
    // Bytes read so far; asked from another thread for the progress.
    qint64 Done() const { return m_done.load(std::memory_order_relaxed); }

protected:
    qint64 readData(char *data, qint64 max) override
    {
        const qint64 n = m_file.read(data, qMin(max, m_left));
        if (n > 0) {
            m_left -= n;
            m_done.fetch_add(n, std::memory_order_relaxed);
        }
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QFile m_file;
    qint64 m_left = 0;
    std::atomic<qint64> m_done {0};
};

// One part of a file read into entries of a book of its own, their names not yet made
// unique.
struct TCardPart
{
    TFilePart File;
    TBook Book;
    TVCardImportStats Stats;
    bool Failed = false;
    bool EndedInCard = false;

    void Read(const TBookLabels &labels, const std::function<void()> &tick)
    {
        TVCardReader reader(File);
        TCardMapper mapper(labels, Stats);
        TVCard card;
        TContactRecord r;
        qint64 cards = 0;
        while (reader.Next(card)) {
            r.Clear();
            mapper.MapInto(card, r);
            Book.AppendRecord(r);
            if (tick && (++cards & 255) == 0)
                tick();
        }
        Stats.Contacts = Book.RecordCount();
        Stats.BadLines += reader.BadLines();
        Stats.Photos += reader.SkippedPhotos();
        Failed = reader.ReadFailed();
        EndedInCard = reader.EndedInCard();
    }
};

bool StartsNoCase(QByteArrayView text, QByteArrayView word)
{
    return text.size() >= word.size() && text.first(word.size()).compare(word, Qt::CaseInsensitive) == 0;
}

// Where the second half of a file can be read on its own: the start of a line
// "BEGIN:VCARD" right after a line "END:VCARD", near the middle. -1 when there is none
// near it, or when the file is UTF-16 (read whole, as it is decoded from its start).
qint64 HalfWay(const QString &path, qint64 size)
{
    QFile f;
    if (OpenRegularFile(path, f) != TRegularOpen::Ok)
        return -1;
    const QByteArray head = f.read(2);
    if (head == "\xFF\xFE" || head == "\xFE\xFF")
        return -1;
    constexpr qint64 kLook = 1 << 20;
    const qint64 from = size / 2;
    if (!f.seek(from))
        return -1;
    const QByteArray chunk = f.read(kLook);
    const QByteArrayView all(chunk);
    qsizetype lineStart = -1; // of the line before, once a whole one is in the chunk
    for (qsizetype lf = all.indexOf('\n'); lf >= 0; lf = all.indexOf('\n', lf + 1)) {
        if (lineStart >= 0) {
            QByteArrayView before = all.sliced(lineStart, lf - lineStart);
            if (before.endsWith('\r'))
                before.chop(1);
            if (before.compare("END:VCARD", Qt::CaseInsensitive) == 0 && StartsNoCase(all.sliced(lf + 1), "BEGIN:VCARD"))
                return from + lf + 1;
        }
        lineStart = lf + 1;
    }
    return -1;
}

} // namespace

TInteropError ReadVCardFile(const QString &path, const TBookLabels &labels, const std::function<bool(QByteArrayView)> &taken,
                            TVCardImportStats &stats, qint64 maxRecords,
                            const std::function<bool(const TContactRecord &)> &each, const TInteropProgress &progress)
{
    QFile f;
    const TRegularOpen opened = OpenRegularFile(path, f);
    if (opened != TRegularOpen::Ok)
        return opened == TRegularOpen::Missing ? TInteropError::Missing : TInteropError::Open;
    const qint64 size = f.size();
    TVCardReader reader(f);
    TCardMapper mapper(labels, stats);
    TUniqueNames names(taken);
    TVCard card;
    // One record filled again for every card.
    TContactRecord r;
    qint64 cards = 0;
    while (reader.Next(card)) {
        if (stats.Contacts >= maxRecords) {
            ++stats.Dropped;
            continue;
        }
        r.Clear();
        mapper.MapInto(card, r);
        names.Give(r);
        if (!each(r))
            return TInteropError::Write;
        ++stats.Contacts;
        if (progress && (++cards & 255) == 0)
            progress(f.pos(), size);
    }
    stats.BadLines += reader.BadLines();
    stats.Photos += reader.SkippedPhotos();
    if (reader.ReadFailed())
        return TInteropError::Read;
    if (stats.Contacts == 0 && stats.Dropped == 0)
        return TInteropError::NoCards;
    if (progress)
        progress(size, size);
    return TInteropError::None;
}

TInteropError ImportVCardFile(const QString &path, TBook &target, const TBookLabels &labels,
                              const std::function<bool(QByteArrayView)> &taken, TVCardImportStats &stats,
                              qint64 maxRecords, const TInteropProgress &progress)
{
    // Below a few megabytes a second thread saves nothing worth its start.
    constexpr qint64 kInPartsFrom = 4 << 20;
    return ImportVCardFileInParts(path, target, labels, taken, stats, maxRecords, progress,
                                  QThread::idealThreadCount() > 1 ? kInPartsFrom : std::numeric_limits<qint64>::max());
}

TInteropError ImportVCardFileInParts(const QString &path, TBook &target, const TBookLabels &labels,
                                     const std::function<bool(QByteArrayView)> &taken, TVCardImportStats &stats,
                                     qint64 maxRecords, const TInteropProgress &progress, qint64 inPartsFrom,
                                     int *parts)
{
    if (parts)
        *parts = 1;
    const auto whole = [&] {
        return ReadVCardFile(
            path, labels, taken, stats, maxRecords,
            [&target](const TContactRecord &r) {
                target.AppendRecord(r);
                return true;
            },
            progress);
    };
    const qint64 size = QFileInfo(path).size();
    const qint64 half = size >= inPartsFrom ? HalfWay(path, size) : -1;
    if (half < 0)
        return whole();
    {
        // The two halves are read at once, the second on a thread of its own; each makes
        // the entries of a book of its own, the part that costs the most (its memory is
        // new to the process). Names are made unique afterwards, in file order.
        TCardPart first, second;
        if (!first.File.Open(path, 0, half) || !second.File.Open(path, half, -1))
            return whole();
        std::promise<void> secondDone;
        std::future<void> secondRead = secondDone.get_future();
        std::thread worker([&] {
            second.Read(labels, {});
            secondDone.set_value();
        });
        const auto tell = [&] {
            if (progress)
                progress(first.File.Done() + second.File.Done(), size);
        };
        first.Read(labels, tell);
        while (secondRead.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready)
            tell();
        worker.join();
        // The halves are the whole file only when the first ended between cards; a failed
        // read and a file with more cards than the book takes are read again as one, so
        // that what is said of them is what reading it whole says.
        const qint64 count = first.Book.RecordCount() + second.Book.RecordCount();
        if (!first.Failed && !second.Failed && !first.EndedInCard && stats.Contacts + count <= maxRecords) {
            for (const TCardPart *part : {&first, &second}) {
                stats.Contacts += part->Stats.Contacts;
                stats.Truncated += part->Stats.Truncated;
                stats.Replaced += part->Stats.Replaced;
                stats.BadLines += part->Stats.BadLines;
                stats.Photos += part->Stats.Photos;
            }
            TUniqueNames names(taken);
            for (TCardPart *part : {&first, &second})
                for (qsizetype i = 0; i < part->Book.RecordCount(); ++i)
                    names.Give(part->Book.Record(i));
            if (stats.Contacts == 0 && stats.Dropped == 0)
                return TInteropError::NoCards;
            target.TakeRecords(first.Book);
            target.TakeRecords(second.Book);
            if (parts)
                *parts = 2;
            if (progress)
                progress(size, size);
            return TInteropError::None;
        }
    }
    return whole();
}

TCardText::TCardText(const TBookLabels &labels, const TExportOptions &options) : m_labels(labels), m_options(options) {}

TCardText::~TCardText() = default;

const TFormatWriter &TCardText::Writer(TInteropFormat format, int alarmDays) const
{
    std::unique_ptr<TFormatWriter> &w = m_writers[{int(format), alarmDays}];
    if (!w) {
        TExportOptions o = m_options;
        o.Format = format;
        o.AlarmDays = alarmDays;
        w = std::make_unique<TFormatWriter>(m_labels, o);
    }
    return *w;
}

TCardMapper &TCardText::Mapper() const
{
    if (!m_mapper) {
        m_stats = std::make_unique<TVCardImportStats>();
        m_mapper = std::make_unique<TCardMapper>(m_labels, *m_stats);
        m_mapper->KeepPrivateOnCard(true);
    }
    return *m_mapper;
}

QByteArray TCardText::Card(const TContactRecord &r, TInteropFormat format, const QByteArray &uid) const
{
    QByteArray card;
    Writer(format, m_options.AlarmDays).Entry(card, r);
    // The export's UID comes from the name; a server's card keeps the one it was given.
    const qsizetype at = card.indexOf("\r\nUID:");
    if (at >= 0) {
        const qsizetype end = card.indexOf("\r\n", at + 2);
        card.replace(at + 2, end - at - 2, "UID:" + uid);
    }
    return card;
}

QByteArray TCardText::EntryCard(const TContactRecord &r, const QByteArray &uid) const
{
    return Card(r, m_options.Format, uid);
}

bool TCardText::CardEntry(const QByteArray &text, TContactRecord &out) const
{
    TRawCard raw;
    if (!SplitCard(text, raw))
        return false;
    out = Mapper().Map(raw.Card);
    return true;
}

QByteArray TCardText::MergedCard(const QByteArray &server, const TContactRecord &r) const
{
    TRawCard raw;
    if (!SplitCard(server, raw))
        return {};
    return MergeCard(raw, r, Mapper(), Writer(raw.V4 ? TInteropFormat::VCard4 : TInteropFormat::VCard3, m_options.AlarmDays),
                     m_labels, m_options.Stamp);
}

QByteArray CardText::EntryCard(const TContactRecord &r, const TBookLabels &labels, const TExportOptions &options,
                               const QByteArray &uid)
{
    return TCardText(labels, options).EntryCard(r, uid);
}

bool CardText::CardEntry(const QByteArray &text, const TBookLabels &labels, TContactRecord &out)
{
    return TCardText(labels, {}).CardEntry(text, out);
}

QByteArray CardText::MergedCard(const QByteArray &server, const TContactRecord &r, const TBookLabels &labels,
                                TExportOptions options)
{
    return TCardText(labels, options).MergedCard(server, r);
}
