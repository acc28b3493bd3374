#pragma once

#include "book/ContactRecord.h"
#include "interop/InteropFile.h"
#include "interop/VCardReader.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVarLengthArray>

#include <array>

// The mapping of a card to an entry, for the import of files and for the sync's cards.

// A value's parts at unescaped separators without their escapes: views of the value
// itself, or of one text kept from card to card when there were escapes to remove.
class TValueParts
{
public:
    void Split(QStringView value, QChar sep) { Read(value, sep, true); }
    // The text without escapes, in one part.
    void Unescape(QStringView value) { Read(value, QChar(), false); }
    qsizetype size() const { return m_at.size(); }
    // Empty past the last part.
    QStringView value(qsizetype i) const
    {
        return i < m_at.size() ? m_source.sliced(m_at[i].first, m_at[i].second) : QStringView();
    }
    QStringView Whole() const { return m_source; }
    QString Joined(QLatin1String sep) const
    {
        QString out;
        for (qsizetype i = 0; i < m_at.size(); ++i) {
            if (i > 0)
                out += sep;
            out += value(i);
        }
        return out;
    }

private:
    // The parts are views of the value itself when it has no escapes (most have none),
    // else of a copy without them.
    void Read(QStringView value, QChar sep, bool split);

    QString m_text;
    QStringView m_source;
    QVarLengthArray<std::pair<qsizetype, qsizetype>, 8> m_at;
};

// Which of a card's properties each part of the entry came from (indices into the card,
// -1 for none), so a merge rewrites only the property behind a changed field.
struct TCardSources
{
    std::array<qsizetype, kTextFieldCount> Field;
    qsizetype FirmOrg = -1; // the ORG that is a firm's name
    QList<qsizetype> Notes, Categories;
};

// Fills one record from a card, counting what had to be cut or replaced. The book's
// captions decide where numbers and addresses go; a card never renames them.
class TCardMapper
{
public:
    TCardMapper(const TBookLabels &labels, TVCardImportStats &stats);

    TContactRecord Map(const TVCard &card, TCardSources *sources = nullptr);
    // The same written into `r`, a cleared record (one kept from card to card).
    void MapInto(const TVCard &card, TContactRecord &r, TCardSources *sources = nullptr);
    // The lines the last card's properties without a field added to its note.
    const QStringList &NoteLines() const { return m_unknown; }
    // Lines earlier versions put in the note for what now stays out of it (a phone's
    // internals, an organisation with its empty parts): an old entry's note still has them.
    const QStringList &OldLines() const { return m_oldLines; }
    // The cards stay on a server (the sync): another program's private properties stay
    // there and out of the note. A file's import keeps them in the note, the only place.
    void KeepPrivateOnCard(bool kept) { m_privateOnCard = kept; }

private:
    // Windows-1250 of a text cut to `capacity`; valid until the next call.
    QByteArrayView Convert(QStringView text, int capacity);
    void Put(TContactRecord &r, EField f, QStringView text);
    // A value without its escapes; valid until the next call.
    QStringView Unescaped(const QString &value)
    {
        m_one.Unescape(value);
        return m_one.Whole();
    }
    // A property without a field of its own, as a note line.
    void Keep(const TVCardProperty &p, const QString &label, const QString &value);
    int ChooseSlot(const TVCardProperty &p, const QString &label, bool phone, const bool *used) const;
    const QString &Caption(bool phone, int i) const { return phone ? m_phoneCaptions[size_t(i)] : m_addressCaptions[size_t(i)]; }
    unsigned CaptionKinds(bool phone, int i) const { return phone ? m_phoneKinds[size_t(i)] : m_addressKinds[size_t(i)]; }

    const TBookLabels &m_labels;
    TVCardImportStats &m_stats;
    QStringList m_unknown;
    QStringList m_oldLines;
    bool m_privateOnCard = false;
    TCardSources *m_sources = nullptr;
    qsizetype m_index = 0;
    // The book's captions as the cards are matched against them, read once.
    std::array<QString, 9> m_phoneCaptions;
    std::array<QString, 3> m_addressCaptions;
    std::array<QString, 10> m_flagCaptions;
    std::array<unsigned, 9> m_phoneKinds {};
    std::array<unsigned, 3> m_addressKinds {};
    // Room kept from card to card.
    TValueParts m_parts;
    TValueParts m_one;
    QString m_street, m_place, m_note;
    QByteArray m_bytes;
};
