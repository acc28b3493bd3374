#include "sync/ui/WidgetSyncDialogs.h"

#include "session/ui/DialogFrame.h"
#include "session/ui/DialogParts.h"
#include "sync/SyncJob.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QEventLoop>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QListWidget>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QSet>
#include <QSpinBox>
#include <QScopeGuard>
#include <QVBoxLayout>

namespace {

QString U(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

void NormalCursor()
{
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

QLineEdit *Edit(const char *objectName, QWidget *parent)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(objectName));
    return e;
}

QLabel *Buddy(const char *caption, QWidget *buddy)
{
    auto *l = new QLabel(U(caption), buddy->parentWidget());
    l->setBuddy(buddy);
    return l;
}

// The found collections in a list box, the one stored chosen (kept even when the server
// was not asked this time).
void Fill(QComboBox *box, const QList<TFoundCollection> &found, const QString &chosen)
{
    box->clear();
    for (const TFoundCollection &c : found)
        box->addItem(c.Name.isEmpty() ? c.Url : c.Name + U(" – ") + c.Url, c.Url);
    const int at = box->findData(chosen);
    if (at >= 0)
        box->setCurrentIndex(at);
    else if (!chosen.isEmpty()) {
        box->insertItem(0, chosen, chosen);
        box->setCurrentIndex(0);
    }
}

} // namespace

TWidgetSyncDialogs::TWidgetSyncDialogs(QWidget *parent) : m_parent(parent)
{
}

bool TWidgetSyncDialogs::AskSettings(
    TSyncSettings &settings, QString &password, bool keyringWorks,
    const std::function<TServerLookup(const QString &, const QString &, const QString &)> &lookup)
{
    QDialog d(m_parent);
    d.setObjectName(QStringLiteral("TFormSynchronizace"));
    d.setWindowTitle(U("Synchronizace se serverem"));
    auto *outer = new QVBoxLayout(&d);
    auto *form = new QFormLayout;
    outer->addLayout(form);
    QLineEdit *server = Edit("ESynServer", &d);
    server->setPlaceholderText(U("https://server.cz/ nebo adresa adresáře"));
    server->setMinimumWidth(320);
    QLineEdit *user = Edit("ESynUzivatel", &d);
    QLineEdit *pass = Edit("ESynHeslo", &d);
    pass->setEchoMode(QLineEdit::Password);
    form->addRow(Buddy("&Adresa serveru:", server), server);
    form->addRow(Buddy("Uživatelské &jméno:", user), user);
    form->addRow(Buddy("&Heslo:", pass), pass);
    if (!keyringWorks) {
        auto *why = new QLabel(U("V systému neběží úložiště hesel (klíčenka): heslo se neuloží a program se na ně "
                                 "zeptá při každé synchronizaci."),
                               &d);
        why->setObjectName(QStringLiteral("LSynKlicenka"));
        why->setWordWrap(true);
        form->addRow(why);
    }
    QPushButton *find = MakeDialogButton("&Vyhledat", "BVyhledat", &d);
    auto *state = new QLabel(&d);
    state->setObjectName(QStringLiteral("LSynStav"));
    state->setWordWrap(true);
    auto *findRow = new QHBoxLayout;
    findRow->addWidget(find);
    findRow->addWidget(state, 1);
    form->addRow(findRow);
    auto *books = new QComboBox(&d);
    books->setObjectName(QStringLiteral("CBAdresar"));
    form->addRow(Buddy("Adresář &kontaktů:", books), books);
    auto *automatic = new QCheckBox(U("Synchronizovat při &otevření a uložení"), &d);
    automatic->setObjectName(QStringLiteral("CHSynAutomaticky"));
    form->addRow(automatic);

    auto *calendarBox = new QGroupBox(U("Kalendář"), &d);
    auto *calendarForm = new QFormLayout(calendarBox);
    auto *publish = new QCheckBox(U("&Publikovat narozeniny a svátky do kalendáře"), calendarBox);
    publish->setObjectName(QStringLiteral("CHSynKalendar"));
    auto *calendars = new QComboBox(calendarBox);
    calendars->setObjectName(QStringLiteral("CBKalendar"));
    auto *alarm = new QSpinBox(calendarBox);
    alarm->setObjectName(QStringLiteral("SESynPripominka"));
    alarm->setRange(-1, 365);
    alarm->setSpecialValueText(U("bez připomenutí"));
    alarm->setSuffix(U(" dní předem"));
    calendarForm->addRow(publish);
    calendarForm->addRow(Buddy("Ka&lendář:", calendars), calendars);
    calendarForm->addRow(Buddy("Připo&menout:", alarm), alarm);
    outer->addWidget(calendarBox);

    QPushButton *ok = MakeDialogButton("&Uložit", "BPouzit", &d);
    QPushButton *cancel = MakeDialogButton("&Storno", "BStorno", &d);
    outer->addLayout(MakeButtonRow({ok, cancel}));
    QObject::connect(ok, &QPushButton::clicked, &d, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &d, &QDialog::reject);
    TDialogFrame::Install(&d, ok, cancel);

    server->setText(settings.Server);
    user->setText(settings.User);
    pass->setText(password);
    Fill(books, {}, settings.AddressBook);
    Fill(calendars, {}, settings.Calendar);
    automatic->setChecked(settings.OnOpenAndSave);
    publish->setChecked(settings.PublishCalendar);
    alarm->setValue(settings.AlarmDays);
    const auto enableCalendar = [=] {
        calendars->setEnabled(publish->isChecked());
        alarm->setEnabled(publish->isChecked());
    };
    enableCalendar();
    QObject::connect(publish, &QCheckBox::toggled, &d, enableCalendar);
    QObject::connect(find, &QPushButton::clicked, &d, [&, server, user, pass, books, calendars, state, find] {
        find->setEnabled(false);
        state->setText(U("Hledám na serveru…"));
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        const TServerLookup found = lookup(server->text().trimmed(), user->text().trimmed(), pass->text());
        QGuiApplication::restoreOverrideCursor();
        find->setEnabled(true);
        if (!found.Error.isEmpty()) {
            state->setText(found.Error);
            return;
        }
        Fill(books, found.AddressBooks, books->currentData().toString());
        if (!found.Calendars.isEmpty())
            Fill(calendars, found.Calendars, calendars->currentData().toString());
        state->setText(U("Nalezeno adresářů: %1, kalendářů: %2").arg(found.AddressBooks.size()).arg(found.Calendars.size()));
    });
    NormalCursor();
    server->setFocus();
    if (d.exec() != QDialog::Accepted)
        return false;
    settings.Server = server->text().trimmed();
    settings.User = user->text().trimmed();
    settings.AddressBook = books->currentData().toString();
    settings.OnOpenAndSave = automatic->isChecked();
    settings.PublishCalendar = publish->isChecked();
    settings.Calendar = calendars->currentData().toString();
    settings.AlarmDays = alarm->value();
    password = pass->text();
    return true;
}

bool TWidgetSyncDialogs::AskPassword(const QString &server, const QString &user, const QString &why, QString &password)
{
    QDialog d(m_parent);
    d.setObjectName(QStringLiteral("TFormSynHeslo"));
    d.setWindowTitle(U("Heslo k serveru"));
    auto *outer = new QVBoxLayout(&d);
    auto *text = new QLabel(why + U("\n\nHeslo uživatele %1 na %2:").arg(user, server), &d);
    text->setWordWrap(true);
    outer->addWidget(text);
    QLineEdit *pass = Edit("ESynHeslo", &d);
    pass->setEchoMode(QLineEdit::Password);
    outer->addWidget(pass);
    QPushButton *ok = MakeDialogButton("&Přihlásit", "BPouzit", &d);
    QPushButton *cancel = MakeDialogButton("&Storno", "BStorno", &d);
    outer->addLayout(MakeButtonRow({ok, cancel}));
    QObject::connect(ok, &QPushButton::clicked, &d, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &d, &QDialog::reject);
    TDialogFrame::Install(&d, ok, cancel);
    NormalCursor();
    pass->setFocus();
    if (d.exec() != QDialog::Accepted)
        return false;
    password = pass->text();
    return true;
}

TConflictChoice TWidgetSyncDialogs::AskConflict(const QStringList &mine, const QStringList &theirs, bool &forAll)
{
    QDialog d(m_parent);
    d.setObjectName(QStringLiteral("TFormKonflikt"));
    d.setWindowTitle(U("Konflikt při synchronizaci"));
    auto *outer = new QVBoxLayout(&d);
    auto *text = new QLabel(U("Tento kontakt se od minulé synchronizace změnil v adresáři i na serveru. "
                              "Kterou verzi ponechat?"),
                            &d);
    text->setWordWrap(true);
    outer->addWidget(text);
    auto *sides = new QHBoxLayout;
    // Lines only one side has stand out.
    const QSet<QString> left(mine.cbegin(), mine.cend()), right(theirs.cbegin(), theirs.cend());
    const auto side = [&](const char *caption, const char *name, const QStringList &lines, const QSet<QString> &other) {
        auto *box = new QVBoxLayout;
        box->addWidget(new QLabel(U(caption), &d));
        auto *list = new QListWidget(&d);
        list->setObjectName(QLatin1String(name));
        for (const QString &l : lines) {
            auto *item = new QListWidgetItem(l, list);
            if (!other.contains(l)) {
                QFont f = item->font();
                f.setBold(true);
                item->setFont(f);
            }
        }
        list->setMinimumWidth(260);
        box->addWidget(list);
        sides->addLayout(box);
    };
    side("V adresáři (moje verze):", "LBMoje", mine, right);
    side("Na serveru:", "LBServer", theirs, left);
    outer->addLayout(sides);
    auto *all = new QCheckBox(U("Použít pro &všechny další konflikty"), &d);
    all->setObjectName(QStringLiteral("CHVsechny"));
    outer->addWidget(all);
    QPushButton *keepMine = MakeDialogButton("Ponechat &moji", "BMoje", &d);
    QPushButton *keepTheirs = MakeDialogButton("Ponechat ze &serveru", "BServer", &d);
    QPushButton *keepBoth = MakeDialogButton("Ponechat &obě", "BObe", &d);
    QPushButton *later = MakeDialogButton("&Později", "BPozdeji", &d);
    outer->addLayout(MakeButtonRow({keepMine, keepTheirs, keepBoth, later}));
    TConflictChoice choice = TConflictChoice::Leave;
    const auto choose = [&](TConflictChoice c) {
        choice = c;
        d.accept();
    };
    QObject::connect(keepMine, &QPushButton::clicked, &d, [&] { choose(TConflictChoice::Mine); });
    QObject::connect(keepTheirs, &QPushButton::clicked, &d, [&] { choose(TConflictChoice::Theirs); });
    QObject::connect(keepBoth, &QPushButton::clicked, &d, [&] { choose(TConflictChoice::Both); });
    QObject::connect(later, &QPushButton::clicked, &d, &QDialog::reject);
    // Enter keeps nothing by accident: Escape and Enter both leave it for later.
    TDialogFrame::Install(&d, later, later);
    NormalCursor();
    keepMine->setFocus();
    d.exec();
    forAll = all->isChecked();
    return choice;
}

void TWidgetSyncDialogs::Wait(TSyncJob &job)
{
    if (job.Finished())
        return;
    // Not modal: the desktop's close button of a window a modal one blocks is dropped
    // unheard, and closing during a run has to ask. The window's own controls are
    // locked instead, so the book cannot change under the run.
    QList<QPointer<QWidget>> locked;
    if (m_parent)
        for (QWidget *w : m_parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if (!w->isWindow() && w->isEnabled()) {
                w->setEnabled(false);
                locked << w;
            }
    const auto unlock = qScopeGuard([&locked] {
        for (const QPointer<QWidget> &w : locked)
            if (w)
                w->setEnabled(true);
    });
    QProgressDialog progress(U("Synchronizuji adresář se serverem…"), U("&Přerušit"), 0, 0, m_parent);
    progress.setObjectName(QStringLiteral("TFormSynPrubeh"));
    progress.setWindowTitle(U("Synchronizace"));
    progress.setWindowModality(Qt::NonModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    QObject::connect(&job, &TSyncJob::Progress, &progress, [&progress](qint64 done, qint64 total) {
        progress.setMaximum(int(std::min<qint64>(total, INT_MAX)));
        progress.setValue(int(std::min<qint64>(done, INT_MAX)));
    });
    QObject::connect(&progress, &QProgressDialog::canceled, &progress, [&] {
        job.Cancel();
        progress.setLabelText(U("Přerušuji – dokončuji rozdělanou práci…"));
        // A second press would change nothing: the run is already stopping.
        if (auto *button = progress.findChild<QPushButton *>())
            button->setEnabled(false);
    });
    QEventLoop loop;
    QObject::connect(&job, &TSyncJob::Done, &loop, &QEventLoop::quit);
    NormalCursor();
    progress.show();
    if (!job.Finished())
        loop.exec();
}

bool TWidgetSyncDialogs::AskCertificate(const TCertificateInfo &c, const QString &trustedBefore)
{
    const bool changed = !trustedBefore.isEmpty();
    const QString server = c.Host + (c.Port == 443 ? QString() : QStringLiteral(":%1").arg(c.Port));
    QDialog d(m_parent);
    d.setObjectName(QStringLiteral("TFormCertifikat"));
    d.setWindowTitle(changed ? U("Certifikát serveru se změnil") : U("Neověřený certifikát serveru"));
    auto *outer = new QVBoxLayout(&d);
    // A certificate other than the one trusted is what someone between the two would show.
    auto *text = new QLabel(changed ? U("Server %1 se prokázal jiným certifikátem, než jakému jste dříve důvěřovali. "
                                        "Může jít o výměnu certifikátu na serveru, ale také o někoho mezi vámi a "
                                        "serverem, kdo se za něj vydává.\n\nPokud vám správce serveru výměnu "
                                        "nepotvrdil, certifikát odmítněte.")
                                          .arg(server)
                                    : U("Server %1 se prokázal certifikátem, kterému systém nedůvěřuje (podepsal si ho "
                                        "sám, nebo ho vydal neznámý vydavatel). Kdo je mezi vámi a serverem, mohl by se "
                                        "za něj vydávat.\n\nOvěřte otisk certifikátu u správce serveru. Důvěřovat mu? "
                                        "Odpověď si program zapamatuje.")
                                          .arg(server),
                            &d);
    text->setObjectName(QStringLiteral("LCertText"));
    text->setWordWrap(true);
    outer->addWidget(text);
    auto *form = new QFormLayout;
    const auto row = [&](const char *caption, const QString &value, const char *name) {
        auto *v = new QLabel(value, &d);
        v->setObjectName(QLatin1String(name));
        v->setTextInteractionFlags(Qt::TextSelectableByMouse);
        v->setWordWrap(true);
        form->addRow(U(caption), v);
    };
    row("Vydán pro:", c.Subject, "LCertPro");
    row("Vydavatel:", c.Issuer, "LCertVydavatel");
    row("Platný:", U("od %1 do %2").arg(QLocale(QLocale::Czech).toString(c.ValidFrom.date(), QLocale::ShortFormat),
                                        QLocale(QLocale::Czech).toString(c.ValidTo.date(), QLocale::ShortFormat)),
        "LCertPlatnost");
    if (changed)
        row("Dříve důvěryhodný otisk:", trustedBefore, "LCertOtiskDrive");
    row(changed ? "Nový otisk SHA-256:" : "Otisk SHA-256:", c.Fingerprint, "LCertOtisk");
    outer->addLayout(form);
    QPushButton *trust = MakeDialogButton(changed ? "Důvěřovat &novému" : "&Důvěřovat", "BDuverovat", &d);
    QPushButton *refuse = MakeDialogButton("&Odmítnout", "BOdmitnout", &d);
    outer->addLayout(changed ? MakeButtonRow({refuse, trust}) : MakeButtonRow({trust, refuse}));
    QObject::connect(trust, &QPushButton::clicked, &d, &QDialog::accept);
    QObject::connect(refuse, &QPushButton::clicked, &d, &QDialog::reject);
    // Enter refuses: trusting takes a deliberate click.
    TDialogFrame::Install(&d, refuse, refuse);
    refuse->setDefault(true);
    NormalCursor();
    refuse->setFocus();
    return d.exec() == QDialog::Accepted;
}
