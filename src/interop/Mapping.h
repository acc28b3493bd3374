#pragma once

#include "book/ContactRecord.h"
#include "util/ByteAppender.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDate>
#include <QString>
#include <QStringList>

// What the formats share about an entry: its texts in Unicode, what a caption says about
// a telephone group or an address, the international form of a number and the dates.
namespace Mapping {

QString Text(TRecordView r, EField f);

enum TKind : unsigned { Home = 1, Work = 2, Cell = 4, Fax = 8 };
// Which of home, work, mobile and fax a caption ("Domů 1", "Zaměstnání", "Mobilní",
// "Fax práce") names; 0 when none.
unsigned CaptionKinds(const QString &caption);

// A number typed whole with its country: "+421 …" or "00421 …".
bool HasInternationalPrefix(const QString &number);

// "+420 2 24681357" from the group's codes, the own country where the group has none; a
// number typed with "+" is taken as it stands; without any country code the national
// form "2 24681357". "00" before a number is its international prefix: "+" and the rest,
// nothing added. Empty without a number.
QString InternationalNumber(const QString &country, const QString &area, const QString &number,
                            const QString &ownCountry, const QString &ownArea);

struct TNumberParts
{
    QString Country, Area, Number, Extension;
};
// The reverse for a number read from elsewhere: "tel:" links and " ext. N" / ";ext=N"
// extensions come off; "+CC NUMBER" gives the country code, the rest stays the number (an
// area code cannot be told from the number). With `codes` ("country,area" as our own
// cards carry them) the composed prefix comes off and the codes are those; "country,area,+"
// marks a number that was typed whole.
TNumberParts SplitNumber(const QString &text, const QString *codes = nullptr);

// The entry's birthday: a full date, or day and month alone (`year` false).
struct TDayOfYear
{
    int Day = 0, Month = 0, Year = 0;
    bool Valid() const { return Day > 0; }
    bool HasYear() const { return Year > 0; }
};
// "05.03.1961" gives the full date, "05.03." or "5.3" day and month; anything else nothing.
TDayOfYear ParseDay(const QString &text);
// The same read from Windows-1250 bytes, for the exports.
TDayOfYear ParseDayCp1250(QByteArrayView text);
// A stable identifier of an entry from its name (names are unique within a book).
QByteArray EntryId(TRecordView r);
// The same appended to `out`, through a hash object the caller reuses for every entry.
void AppendEntryId(QByteArray &out, TRecordView r, QCryptographicHash &hash);
void AppendEntryId(TByteAppender &out, TRecordView r, QCryptographicHash &hash);

// The captions of the set flags.
QStringList FlagNames(TRecordView r, const std::array<QByteArray, 10> &captions);

// A firm rather than a person: no first name and no surname, or the flag captioned
// "Firma" set. Its name travels as the organisation.
bool IsCompany(TRecordView r, const std::array<QByteArray, 10> &captions);

} // namespace Mapping
