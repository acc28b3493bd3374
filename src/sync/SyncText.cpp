#include "sync/SyncText.h"

#include "book/ContactRecord.h"
#include "util/Cp1250.h"
#include "util/CzechPlural.h"

namespace {
QString U(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

QString Day(const QDateTime &t)
{
    return t.isValid() ? t.toLocalTime().toString(QStringLiteral("d. M. yyyy")) : U("?");
}

// The fingerprint is in every refusal: it is what the user compares with the server's.
QString CertificateFailure(const TCertificateRefusal &c)
{
    const TCertificateInfo &i = c.Certificate;
    const QString server = i.Host + QLatin1Char(':') + QString::number(i.Port);
    const QString print = U("; SHA-256: ") + i.Fingerprint + QLatin1Char('.');
    switch (c.Problem) {
    case TCertificateProblem::Expired:
        return U("Certifikát serveru %1 vypršel %2").arg(server, Day(i.ValidTo)) + print;
    case TCertificateProblem::NotYetValid:
        return U("Certifikát serveru %1 ještě neplatí (platí od %2)").arg(server, Day(i.ValidFrom)) + print;
    case TCertificateProblem::OtherHost:
        return U("Certifikát serveru %1 patří jinému serveru (%2)").arg(server, c.Names) + print;
    case TCertificateProblem::Revoked:
        return U("Certifikát serveru %1 byl odvolán").arg(server) + print;
    case TCertificateProblem::Untrusted:
        return U("Certifikát serveru %1 není důvěryhodný (vydavatel: %2)").arg(server, i.Issuer) + print;
    case TCertificateProblem::None:
    case TCertificateProblem::Other:
        break;
    }
    return U("Certifikát serveru %1 je vadný (%2)").arg(server, c.Reason) + print;
}
} // namespace

QString SyncText::Action(TSyncAction action, const QString &name, bool dryRun)
{
    switch (action) {
    case TSyncAction::Upload:
        return (dryRun ? U("Nahrát na server: ") : U("Nahráno na server: ")) + name;
    case TSyncAction::Download:
        return (dryRun ? U("Stáhnout ze serveru: ") : U("Staženo ze serveru: ")) + name;
    case TSyncAction::DeleteOnServer:
        return (dryRun ? U("Smazat na serveru: ") : U("Smazáno na serveru: ")) + name;
    case TSyncAction::DeleteInBook:
        return (dryRun ? U("Smazat v adresáři: ") : U("Smazáno v adresáři: ")) + name;
    case TSyncAction::Conflict:
        return U("Konflikt (změněno v adresáři i na serveru): ") + name;
    }
    return name;
}

QString SyncText::Summary(const TSyncCounts &c, bool dryRun)
{
    return (dryRun ? U("Nanečisto – nahrát: %1, stáhnout: %2, smazat na serveru: %3, smazat v adresáři: %4, konflikty: %5")
                   : U("Nahráno: %1, staženo: %2, smazáno na serveru: %3, smazáno v adresáři: %4, konflikty: %5"))
        .arg(c.Uploaded)
        .arg(c.Downloaded)
        .arg(c.DeletedOnServer)
        .arg(c.DeletedInBook)
        .arg(c.Conflicts);
}

QString SyncText::Failure(const TSyncResult &r, int timeoutMs)
{
    const QString at = r.Detail.isEmpty() ? QString() : U(" (") + r.Detail + QLatin1Char(')');
    switch (r.Failure) {
    case TSyncFailure::None:
        return {};
    case TSyncFailure::Unreachable:
        return U("Server není dostupný") + at + QLatin1Char('.');
    case TSyncFailure::Timeout:
        return U("Server neodpověděl včas (do %1): %2").arg(CzechCount((timeoutMs + 999) / 1000, "sekundy", "sekund", "sekund"), r.Detail);
    case TSyncFailure::Http:
        break;
    case TSyncFailure::Answer:
        return U("Server odpověděl nesrozumitelně (%1%2): %3")
            .arg(QString::fromLatin1(r.FailedMethod),
                 r.HttpStatus ? QStringLiteral(", HTTP %1").arg(r.HttpStatus) : QString(), r.Detail);
    case TSyncFailure::NoAddressBook:
        return U("Na serveru se nenašel žádný adresář kontaktů") + at + QLatin1Char('.');
    case TSyncFailure::BookWrite:
        return U("Adresář se nepodařilo uložit; zůstal, jak byl.");
    case TSyncFailure::StateWrite:
        return U("Stav synchronizace se nepodařilo uložit; příští synchronizace vše znovu porovná.");
    case TSyncFailure::Certificate:
        return CertificateFailure(r.Certificate);
    case TSyncFailure::Cancelled:
        return CancelledText();
    }
    QString why;
    switch (r.HttpStatus) {
    case 401:
        why = U("server odmítl přihlášení – zkontrolujte jméno a heslo");
        break;
    case 403:
        why = U("server přístup odepřel");
        break;
    case 404:
        why = U("adresa na serveru neexistuje");
        break;
    case 507:
        why = U("na serveru došlo místo");
        break;
    default:
        why = r.HttpStatus >= 500 ? U("chyba serveru") : U("server požadavek odmítl");
    }
    return U("Synchronizace selhala: %1 (HTTP %2 na %3 %4).")
        .arg(why)
        .arg(r.HttpStatus)
        .arg(QString::fromLatin1(r.FailedMethod), r.Detail);
}

QString SyncText::CollectionUsed(const QString &url)
{
    return U("Adresář na serveru: ") + url;
}

QString SyncText::ConfirmInWindow()
{
    return U("Pokud otisk souhlasí s certifikátem serveru, potvrďte ho v okně programu (Nastavení → Synchronizace); "
             "potom ho použije i příkazová řádka.");
}

QString SyncText::LeftConflicts()
{
    return U("Konflikty zůstaly beze změny; vyřešte je volbou --prefer local nebo --prefer server.");
}

QString SyncText::NotFetched(qint64 n)
{
    return CzechCount(n, "vizitku server nevydal", "vizitky server nevydal", "vizitek server nevydal")
           + U("; v adresáři zůstávají beze změny a zkusí se znovu při příští synchronizaci.");
}

QString SyncText::CalendarAfterContacts()
{
    return U("Kontakty jsou synchronizovány a adresář uložen; kalendář se zveřejnit nepodařilo.");
}

QString SyncText::CalendarSummary(const TCalendarCounts &c, bool dryRun)
{
    QString line;
    if (dryRun)
        line = U("Kalendář nanečisto – přidat: %1, změnit: %2, odstranit: %3")
                   .arg(CzechCount(c.Added, "událost", "události", "událostí"))
                   .arg(c.Changed)
                   .arg(c.Removed);
    else
        line = U("Kalendář: %1, %2, %3")
                   .arg(CzechCount(c.Added, "událost přidána", "události přidány", "událostí přidáno"),
                        CzechCount(c.Changed, "změněna", "změněny", "změněno"),
                        CzechCount(c.Removed, "odstraněna", "odstraněny", "odstraněno"));
    if (c.Left > 0)
        line += U(", ") + CzechCount(c.Left, "ponechána beze změny", "ponechány beze změny", "ponecháno beze změny");
    return line;
}

QString SyncText::CalendarFailure(const TCalendarResult &r, int timeoutMs)
{
    if (r.Failure == TSyncFailure::NoAddressBook)
        return U("Na serveru se nenašel žádný kalendář pro události (%1).").arg(r.Detail);
    if (r.Failure == TSyncFailure::StateWrite)
        return U("Stav kalendáře se nepodařilo uložit; události zapsané tímto během program příště nepozná jako své.");
    TSyncResult same;
    same.Failure = r.Failure;
    same.HttpStatus = r.HttpStatus;
    same.Detail = r.Detail;
    same.FailedMethod = r.FailedMethod;
    same.Certificate = r.Certificate;
    return U("Kalendář: ") + Failure(same, timeoutMs);
}

QString SyncText::CalendarUsed(const QString &url)
{
    return U("Kalendář na serveru: ") + url;
}

QString SyncText::CalendarLeft(const QString &url)
{
    return U("Událost v kalendáři zůstala, jak byla (změnil ji nebo vytvořil někdo jiný): ") + url;
}

#include "sync/PasswordStore.h"

QString SyncText::KeyringFailure(TPasswordResult result)
{
    switch (result) {
    case TPasswordResult::Ok:
        return {};
    case TPasswordResult::NotFound:
        return U("Heslo k synchronizaci v úložišti hesel (klíčence) uložené není.");
    case TPasswordResult::NoKeyring:
        return U("Heslo nelze uložit: v systému neběží úložiště hesel (klíčenka). "
                 "Program se na heslo zeptá při každé synchronizaci.");
    case TPasswordResult::Denied:
        return U("Úložiště hesel (klíčenka) zůstalo zamčené, heslo k synchronizaci z něj nelze číst ani do něj uložit. "
                 "Program se na heslo zeptá při každé synchronizaci.");
    case TPasswordResult::Failed:
        break;
    }
    return U("Úložiště hesel (klíčenka) ohlásilo chybu nebo neodpovědělo včas. "
             "Program se na heslo zeptá při každé synchronizaci.");
}

QString SyncText::WindowSummary(const TSyncCounts &c)
{
    QStringList parts;
    if (c.Uploaded)
        parts << CzechCount(c.Uploaded, "kontakt nahrán na server", "kontakty nahrány na server", "kontaktů nahráno na server");
    if (c.Downloaded)
        parts << CzechCount(c.Downloaded, "kontakt stažen ze serveru", "kontakty staženy ze serveru", "kontaktů staženo ze serveru");
    if (c.DeletedOnServer)
        parts << CzechCount(c.DeletedOnServer, "kontakt smazán na serveru", "kontakty smazány na serveru",
                            "kontaktů smazáno na serveru");
    if (c.DeletedInBook)
        parts << CzechCount(c.DeletedInBook, "kontakt smazán v adresáři", "kontakty smazány v adresáři",
                            "kontaktů smazáno v adresáři");
    if (c.Conflicts)
        parts << CzechCount(c.Conflicts, "konflikt ponechán na příště", "konflikty ponechány na příště",
                            "konfliktů ponecháno na příště");
    if (parts.isEmpty())
        return U("Adresář a server se shodují; nebylo co synchronizovat.");
    return U("Synchronizace skončila:\n") + parts.join(QLatin1Char('\n'));
}

QStringList SyncText::EntryLines(const TContactRecord &r, const TBookLabels &labels)
{
    QStringList lines;
    const auto add = [&](const QString &caption, const QString &value) {
        if (!value.trimmed().isEmpty())
            lines << caption + U(": ") + value.trimmed();
    };
    const auto text = [&](EField f) { return FromCp1250(r.TextView(f)); };
    add(U("Název"), text(EField::NazevPolozky));
    add(U("Titul před"), text(EField::TitulPred));
    add(U("Příjmení"), text(EField::Prijmeni));
    add(U("Jméno"), text(EField::Jmeno));
    add(U("Titul za"), text(EField::TitulZa));
    add(U("Přezdívka"), text(EField::Prezdivka));
    for (int g = 1; g <= 9; ++g) {
        QStringList parts;
        for (int p = 0; p < 4; ++p)
            if (!text(PhoneField(g, p)).trimmed().isEmpty())
                parts << text(PhoneField(g, p)).trimmed();
        add(FromCp1250(labels.PhoneCaptions[size_t(g - 1)]).trimmed(), parts.join(QLatin1Char(' ')));
    }
    for (int a = 1; a <= 3; ++a) {
        const QString place = (text(AddressField(a, 3)).trimmed() + QLatin1Char(' ') + text(AddressField(a, 1)).trimmed()).trimmed();
        QStringList parts;
        for (const QString &p : {text(AddressField(a, 0)).trimmed(), place, text(AddressField(a, 2)).trimmed()})
            if (!p.isEmpty())
                parts << p;
        add(FromCp1250(labels.AddressCaptions[size_t(a - 1)]).trimmed(), parts.join(U(", ")));
    }
    add(U("E-mail"), text(EField::Email));
    add(U("WWW"), text(EField::Http));
    add(U("Narozeniny"), text(EField::Narozeniny));
    add(U("Svátek"), text(EField::Svatek));
    add(U("Zaměstnání"), text(EField::Zamestnani));
    add(U("Vzdělání"), text(EField::Vzdelani));
    add(U("Rodné číslo"), text(EField::RodneCislo));
    add(U("IČO"), text(EField::Ico));
    add(U("DIČ"), text(EField::Dic));
    add(U("Banka"), text(EField::Banka));
    add(U("Účet"), text(EField::Ucet));
    QStringList flags;
    for (int f = 1; f <= kFlagCount; ++f)
        if (r.Flag(f))
            flags << FromCp1250(labels.FlagCaptions[size_t(f - 1)]).trimmed();
    add(U("Příznaky"), flags.join(U(", ")));
    const QString note = FromCp1250(r.Note()).replace(U("\r\n"), U(" / "));
    add(U("Poznámka"), note);
    return lines;
}

QString SyncText::DeletedHere()
{
    return U("(v adresáři smazán)");
}

QString SyncText::DeletedThere()
{
    return U("(na serveru smazán)");
}

QString SyncText::CancelledText()
{
    return U("Synchronizace byla přerušena. Adresář zůstal, jak byl; co už server přijal, dokončí příští synchronizace.");
}

QString SyncText::BadServerAddress()
{
    return U("Zadejte adresu serveru začínající http:// nebo https://.");
}

QString SyncText::SettingsNotSaved()
{
    return U("Nastavení synchronizace se nepodařilo uložit.");
}

QString SyncText::NoPasswordStored()
{
    return U("Heslo k tomuto účtu zatím není uloženo.");
}

QString SyncText::PlainHttpWarning()
{
    return U("Adresa začíná http://: heslo i kontakty půjdou sítí nešifrovaně a kdokoli po cestě je může číst. "
             "Opravdu chcete tento server použít?");
}

QString SyncText::StopAndCloseQuestion()
{
    return U("Probíhá synchronizace. Přerušit ji a ukončit program?");
}
