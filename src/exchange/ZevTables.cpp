#include "exchange/ZevTables.h"

#include "book/Book.h"
#include "exchange/ParadoxTable.h"
#include "util/Cp1250.h"

namespace {

struct TTextField
{
    const char *Name;
    EField Target;
};

constexpr TTextField kKontakty[] = {
    {"Prijmeni", EField::Prijmeni},   {"Jmeno", EField::Jmeno},
    {"Titul", EField::TitulPred},     {"Prezdivka", EField::Prezdivka},
    {"Vzdelani", EField::Vzdelani},   {"Zamestnani", EField::Zamestnani},
    {"Adresa1", EField::Ulice1},      {"Adresa2", EField::Misto1},
    {"Adresa3", EField::Stat1},       {"TelefonDomu", EField::Telefon1},
    {"TelefonPrace", EField::Telefon3}, {"Fax", EField::Telefon6},
    {"Email", EField::Email},         {"RadioveSpojeni", EField::Http},
};

constexpr TTextField kFirmy[] = {
    {"Adresa1", EField::Ulice2},   {"Adresa2", EField::Misto2}, {"Adresa3", EField::Stat2},
    {"Telefon1", EField::Telefon3}, {"Telefon2", EField::Telefon4}, {"Fax", EField::Telefon6},
    {"Email", EField::Email},      {"RadioveSpojeni", EField::Http},
};

constexpr const char *kDays[7][2] = {
    {"OtevrenoPo", "Po "}, {"OtevrenoUt", "Út "}, {"OtevrenoSt", "St "}, {"OtevrenoCt", "Čt "},
    {"OtevrenoPa", "Pá "}, {"OtevrenoSo", "So "}, {"OtevrenoNe", "Ne "},
};

bool IsMemo(quint8 t) { return t == TParadoxTable::Memo || t == TParadoxTable::FormattedMemo; }
bool IsBlob(quint8 t) { return t >= TParadoxTable::Memo && t <= TParadoxTable::Graphic; }

class TMapper
{
public:
    explicit TMapper(TParadoxTable &t) : m_t(t) { }

    // Binds a field of the set; false when the table lacks it or has it of another type.
    int Bind(const char *name, bool (*typeOk)(quint8))
    {
        const int i = m_t.FieldIndex(name);
        if (i < 0 || !typeOk(m_t.Fields()[size_t(i)].Type))
            m_ok = false;
        return i;
    }
    int Text(const char *name)
    {
        return Bind(name, [](quint8 t) { return t == TParadoxTable::Alpha; });
    }
    bool Ok() const { return m_ok; }

private:
    TParadoxTable &m_t;
    bool m_ok = true;
};

QByteArray Cp(const char *utf8) { return ToCp1250(QString::fromUtf8(utf8)); }

} // namespace

namespace ZevTables {

TImportError Read(TKind kind, const QString &path, TBook &into, const TImportProgress &progress)
{
    TParadoxTable table;
    const TImportError opened = table.Open(path);
    if (opened != TImportError::None)
        return opened;

    TMapper bind(table);
    const bool contacts = kind == TKind::Kontakty;
    std::vector<std::pair<int, EField>> texts;
    const TTextField *first = contacts ? std::begin(kKontakty) : std::begin(kFirmy);
    const TTextField *last = contacts ? std::end(kKontakty) : std::end(kFirmy);
    for (const TTextField *f = first; f != last; ++f)
        texts.emplace_back(bind.Text(f->Name), f->Target);
    const int memo = bind.Bind("Poznamka", IsMemo);
    bind.Bind("Obrazek", IsBlob);
    int qualification = -1, jmeno = -1, prijmeni = -1, nazev1 = -1, nazev2 = -1;
    std::array<int, 7> days {};
    if (contacts) {
        qualification = bind.Text("PotapeckaKvalifikace");
        jmeno = table.FieldIndex("Jmeno");
        prijmeni = table.FieldIndex("Prijmeni");
    } else {
        nazev1 = bind.Text("Nazev1");
        nazev2 = bind.Text("Nazev2");
        for (int d = 0; d < 7; ++d)
            days[size_t(d)] = bind.Text(kDays[d][0]);
    }
    if (!bind.Ok())
        return TImportError::Open;

    const QByteArray qualificationLabel = Cp("Potápěčská kvalifikace ");
    std::array<QByteArray, 7> dayLabels;
    for (int d = 0; d < 7; ++d)
        dayLabels[size_t(d)] = Cp(kDays[d][1]);

    const qint64 total = table.RecordCountHint();
    qint64 done = 0;
    QByteArray memoText;
    return table.ForEachRow([&](const char *row) {
        TContactRecord r;
        for (const auto &[field, target] : texts)
            r.SetText(target, table.Text(row, field));
        QByteArray note;
        if (contacts) {
            const QByteArray j = table.Text(row, jmeno);
            const QByteArray p = table.Text(row, prijmeni);
            r.SetText(EField::NazevPolozky, j.isEmpty() ? p : j + ' ' + p);
            const QByteArray q = table.Text(row, qualification);
            if (!q.isEmpty())
                note = qualificationLabel + q + "\r\n";
        } else {
            r.SetText(EField::NazevPolozky, table.Text(row, nazev1));
            const QByteArray n2 = table.Text(row, nazev2);
            r.SetText(EField::Prijmeni, n2.left(20));
            r.SetText(EField::Jmeno, n2.mid(20, 20));
            for (int d = 0; d < 7; ++d) {
                const QByteArray hours = table.Text(row, days[size_t(d)]);
                if (!hours.isEmpty())
                    note += dayLabels[size_t(d)] + hours + "\r\n";
            }
        }
        if (note.size() < kNoteSize) {
            if (!table.MemoText(row, memo, kNoteSize - note.size(), memoText))
                return false;
            note += memoText;
        }
        r.SetNote(note.left(kNoteSize));
        into.AppendRecord(r);
        ++done;
        if (progress && done % kProgressStep == 0)
            progress(done, qMax(total, done));
        return true;
    });
}

} // namespace ZevTables
