#include "common/FakePrompt.h"
#include "common/TestBook.h"
#include "book/BookLabels.h"
#include "session/DocumentCommands.h"
#include "session/RecordEditor.h"
#include "session/Session.h"
#include "session/ui/EditorPages.h"
#include "session/ui/FormMain.h"
#include "session/ui/NameListView.h"
#include "session/ui/StartOptions.h"
#include "util/Cp1250.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString U(const char *s) { return QString::fromUtf8(s); }

// Types text as a person would, one character at a time (keyClicks cannot do diacritics).
void Type(QWidget *w, const QString &text)
{
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void Clear(QLineEdit *e)
{
    QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(e, Qt::Key_Backspace);
}

// A main window over a temporary settings file, started like the program.
struct TWindowFixture
{
    QTemporaryDir Dir;
    TFakePrompt Prompt;
    TFixedClock Clock;
    std::unique_ptr<TFormMain> W;

    explicit TWindowFixture(const QList<TContactRecord> &records = {})
    {
        QString file;
        if (!records.isEmpty()) {
            file = Dir.filePath(QStringLiteral("kniha.wdt"));
            TestBook::WriteFile(file, TestBook::FileBytes(TBookLabels::Defaults(), records));
        }
        W = std::make_unique<TFormMain>(Prompt, Clock, Dir.filePath(QStringLiteral("settings.ini")));
        W->Commands().StartUp(file);
    }

    bool ShowActive()
    {
        W->show();
        W->activateWindow();
        return QTest::qWaitForWindowActive(W.get());
    }

    TAddressBook &Book() { return W->Session().Book; }
    QLineEdit *Edit(const char *name) { return W->findChild<QLineEdit *>(QString::fromLatin1(name)); }
    QString Panel(int i) { return W->findChild<QLabel *>(QStringLiteral("StatusPanel%1").arg(i))->text(); }
    QStringList ListTexts()
    {
        QStringList t;
        QAbstractItemModel *m = W->ListBoxNazev()->model();
        for (int r = 0; r < m->rowCount(); ++r)
            t.append(m->index(r, 0).data().toString());
        return t;
    }
    void ClickRow(int row)
    {
        QListView *v = W->ListBoxNazev();
        const QRect r = v->visualRect(v->model()->index(row, 0));
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, r.center());
    }
};

} // namespace

class TestFormMain : public QObject
{
    Q_OBJECT

private slots:
    void fieldEdits_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("page");
        for (int i = 0; i < kTextFieldCount; ++i) {
            const TFieldInfo &info = FieldInfo(i);
            const QString name = QString::fromLatin1(info.Name);
            int page = TEditorPages::POsobni;
            if (name.startsWith(QLatin1String("Ulice")) || name.startsWith(QLatin1String("Misto"))
                || name.startsWith(QLatin1String("Stat")) || name.startsWith(QLatin1String("Psc"))
                || name == QLatin1String("Email") || name == QLatin1String("Http"))
                page = TEditorPages::PAdresa;
            else if (name.startsWith(QLatin1String("VStatu")) || name.startsWith(QLatin1String("VMista"))
                     || name.startsWith(QLatin1String("Telefon")) || name.startsWith(QLatin1String("Linka")))
                page = TEditorPages::PTelefon;
            else if (QStringList{QStringLiteral("Narozeniny"), QStringLiteral("Svatek"), QStringLiteral("Ico"),
                                 QStringLiteral("Dic"), QStringLiteral("Banka"), QStringLiteral("Ucet")}
                         .contains(name))
                page = TEditorPages::PVyroci;
            QTest::newRow(info.Name) << name << info.Capacity << page;
        }
    }

    void fieldEdits()
    {
        QFETCH(QString, name);
        QFETCH(int, capacity);
        QFETCH(int, page);
        TWindowFixture f;
        const QList<QLineEdit *> found = f.W->findChildren<QLineEdit *>(name);
        QCOMPARE(found.size(), 1);
        QCOMPARE(found[0]->maxLength(), capacity);
        QCOMPARE(f.W->Pages()->PageOf(found[0]), page);
    }

    void controls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("text"); // title, caption or tool tip
        auto row = [](const char *name, const char *cls, const char *text) {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(cls) << U(text);
        };
        row("ListBoxNazev", "TNameListView", "");
        row("PageControl1", "TEditorPages", "");
        row("GNazevPolozky", "QGroupBox", "&Název položky");
        row("GTitulPred", "QGroupBox", "Titul př&ed jménem");
        row("GPrijmeni", "QGroupBox", "&Příjmení");
        row("GJmeno", "QGroupBox", "&Jméno");
        row("GPrezdivka", "QGroupBox", "Pře&zdívka");
        row("GTitulZa", "QGroupBox", "Titul z&a jménem");
        row("GRodneCislo", "QGroupBox", "&Rodné číslo");
        row("GVzdelani", "QGroupBox", "&Vzdělání");
        row("GZamestnani", "QGroupBox", "Za&městnání");
        row("GEmail", "QGroupBox", "&E-mail");
        row("GHttp", "QGroupBox", "&HTTP");
        row("GNarozeniny", "QGroupBox", "&Narozeniny");
        row("GJmeniny", "QGroupBox", "&Jmeniny");
        row("GIco", "QGroupBox", "&IČO");
        row("GDic", "QGroupBox", "&DIČ");
        row("GBanka", "QGroupBox", "&Banka");
        row("GUcet", "QGroupBox", "Úče&t číslo");
        row("GVolby", "QGroupBox", "&Volby");
        row("ButtonJmeniny", "QPushButton", "V&ybrat");
        row("Vek", "QLabel", "");
        row("Jmeniny", "QLabel", "");
        row("Poznamka", "QPlainTextEdit", "");
        // The captions a new book gives its groups and flags.
        row("GAdresa1", "QGroupBox", "Domů");
        row("GAdresa3", "QGroupBox", "Přechodné");
        row("GTelefon1", "QGroupBox", "Domů 1");
        row("GTelefon9", "QGroupBox", "Mobilní");
        row("Log1", "QCheckBox", "Nutné blahopřát");
        row("Log10", "QCheckBox", "Potápěč");
        // Hints of the address and telephone edits.
        row("Ulice2", "QLineEdit", "Ulice");
        row("Misto3", "QLineEdit", "Místo");
        row("Stat1", "QLineEdit", "Stát");
        row("Psc1", "QLineEdit", "PSČ");
        row("VStatu4", "QLineEdit", "Volačka státu, doubleclick vytočí číslo");
        row("VMista1", "QLineEdit", "Volačka místa, doubleclick vytočí číslo");
        row("Telefon9", "QLineEdit", "Telefonní číslo, doubleclick vytočí číslo");
        row("Linka5", "QLineEdit", "Linka, doubleclick vytočí číslo");
    }

    void controls()
    {
        QFETCH(QString, name);
        QFETCH(QString, className);
        QFETCH(QString, text);
        TWindowFixture f;
        QWidget *w = f.W->findChild<QWidget *>(name);
        QVERIFY2(w, qPrintable(name));
        QVERIFY(w->inherits(className.toLatin1().constData()));
        if (auto *g = qobject_cast<QGroupBox *>(w))
            QCOMPARE(g->title(), text);
        else if (auto *b = qobject_cast<QAbstractButton *>(w))
            QCOMPARE(b->text(), text);
        else if (qobject_cast<QLineEdit *>(w))
            QCOMPARE(w->toolTip(), text);
    }

    void pagesAndFrame()
    {
        TWindowFixture f;
        const QStringList pages {QStringLiteral("POsobni"), QStringLiteral("PAdresa"), QStringLiteral("PTelefon"),
                                 QStringLiteral("PVyroci"), QStringLiteral("PPoznamky")};
        const QStringList captions {U("Osobní údaje"), U("Adresa"), U("Telefon"), U("Výročí, firma a volby"),
                                    U("Poznámky")};
        QTabWidget *tabs = f.W->Pages();
        QCOMPARE(tabs->count(), 5);
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(tabs->widget(i)->objectName(), pages[i]);
            QCOMPARE(tabs->tabText(i), captions[i]);
        }
        QCOMPARE(f.W->windowTitle(), QStringLiteral("Vorlink pro W95 0.1.0.0"));
        QCOMPARE(f.W->size(), QSize(588, 480));
        QCOMPARE(f.W->minimumSize(), QSize(417, 474));
        QCOMPARE(f.W->maximumSize(), QSize(1024, 768));
        QVERIFY(f.W->ListBoxNazev()->uniformItemSizes());
        QCOMPARE(f.Panel(1), U("Nepojmenovaný"));
        QCOMPARE(f.Panel(2), U("1 záznam"));
        QCOMPARE(f.Panel(3), QString());
        QCOMPARE(f.Panel(4), QStringLiteral("/"));
        QCOMPARE(f.W->findChild<QLabel *>(QStringLiteral("StatusPanel1"))->sizeHint().width(), 250);
        QCOMPARE(f.W->findChild<QLabel *>(QStringLiteral("StatusPanel2"))->sizeHint().width(), 150);
        QCOMPARE(f.W->findChild<QLabel *>(QStringLiteral("StatusPanel3"))->sizeHint().width(), 100);
        QCOMPARE(f.W->findChild<QLabel *>(QStringLiteral("StatusPanel4"))->sizeHint().width(), 50);
        // A new book has never had a file: nothing to save to.
        QVERIFY(!f.W->Action(QStringLiteral("IUlozit"))->isEnabled());
    }

    void menu_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QKeySequence>("shortcut");
        QTest::addColumn<bool>("enabled");
        auto row = [](const char *name, const char *menu, const char *caption, QKeySequence key, bool on) {
            QTest::newRow(name) << QString::fromLatin1(name) << U(menu) << U(caption) << key << on;
        };
        const int C = Qt::CTRL;
        row("INovy", "&Soubor", "&Nový", QKeySequence(C | Qt::Key_N), true);
        row("IOtevrit", "&Soubor", "&Otevřít", QKeySequence(C | Qt::Key_O), true);
        row("IUlozit", "&Soubor", "&Uložit", QKeySequence(C | Qt::Key_S), false);
        row("IUlozitJako", "&Soubor", "Uloži&t jako ..", QKeySequence(), true);
        row("IPripojit", "&Soubor", "&Připojit", QKeySequence(), true);
        row("ITisk", "&Soubor", "Tisk", QKeySequence(C | Qt::Key_P), false);
        row("INastaveniTisku", "&Soubor", "Nastavení tisku", QKeySequence(), false);
        row("ITiskStitku", "&Soubor", "Ti&sk štítků", QKeySequence(), false);
        row("ITiskObalky", "&Soubor", "Tisk o&bálky", QKeySequence(), false);
        row("IImport", "&Soubor", "&Import", QKeySequence(), false);
        row("IExport", "&Soubor", "&Export", QKeySequence(), false);
        row("IKonec", "&Soubor", "&Konec", QKeySequence(C | Qt::Key_X), true);
        row("IPridat", "&Editovat", "N&ový záznam", QKeySequence(C | Qt::Key_I), true);
        row("IZrusit", "&Editovat", "&Zrušit záznam", QKeySequence(C | Qt::Key_Y), true);
        row("Koprovatzznam1", "&Editovat", "&Kopírovat záznam", QKeySequence(C | Qt::Key_C), false);
        row("Vloitzznam1", "&Editovat", "&Vložit záznam", QKeySequence(C | Qt::Key_V), false);
        row("INajit", "&Editovat", "&Najít", QKeySequence(C | Qt::Key_F), false);
        row("INajitDalsi", "&Editovat", "Najít &další", QKeySequence(Qt::Key_F3), false);
        row("IMaska", "&Editovat", "&Maska", QKeySequence(C | Qt::Key_M), false);
        row("Zmnitlogiku1", "&Editovat", "Změnit &logiku", QKeySequence(), false);
        row("IVyhledat", "&Výročí", "&Hledat výročí", QKeySequence(C | Qt::Key_H), false);
        row("IVolitelne", "&Nastavení", "&Volitelné", QKeySequence(), true);
        row("IUpozornovani", "&Nastavení", "&Upozorňování", QKeySequence(), false);
        row("IVytaceni", "&Nastavení", "V&ytáčení", QKeySequence(), false);
        row("IOdesilatel", "&Nastavení", "&Odesílatel", QKeySequence(), false);
        row("IAutor", "", "&Autor", QKeySequence(), false);
    }

    void menu()
    {
        QFETCH(QString, name);
        QFETCH(QString, menu);
        QFETCH(QString, caption);
        QFETCH(QKeySequence, shortcut);
        QFETCH(bool, enabled);
        TWindowFixture f;
        QAction *a = f.W->Action(name);
        QVERIFY(a);
        QCOMPARE(a->objectName(), name);
        QCOMPARE(a->text(), caption);
        QCOMPARE(a->shortcut(), shortcut);
        QCOMPARE(a->isEnabled(), enabled);
        QString where;
        for (QAction *top : f.W->menuBar()->actions()) {
            if (top == a)
                where = QString();
            else if (top->menu() && top->menu()->actions().contains(a))
                where = top->text();
            else
                continue;
            break;
        }
        QCOMPARE(where, menu);
    }

    // Within one menu every item has a letter of its own, or Alt+letter would only
    // move between the items that share it.
    void menuLettersDiffer()
    {
        TWindowFixture f;
        QStringList menus;
        for (QAction *top : f.W->menuBar()->actions()) {
            if (!top->menu())
                continue;
            QHash<QChar, QString> owners;
            for (QAction *a : top->menu()->actions()) {
                const QString text = a->text();
                const qsizetype amp = text.indexOf(QLatin1Char('&'));
                if (a->isSeparator() || amp < 0 || amp + 1 >= text.size())
                    continue;
                const QChar letter = text.at(amp + 1).toLower();
                QVERIFY2(!owners.contains(letter), qPrintable(text + QStringLiteral(" / ") + owners.value(letter)));
                owners.insert(letter, text);
            }
            menus.append(top->text());
        }
        QCOMPARE(menus.size(), 4);
    }

    void altLetters_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("menu"); // the menu that opens, or none
        QTest::addColumn<QString>("field"); // the control under the caption with the letter
        QTest::addColumn<bool>("fieldTakesIt");
        QTest::addColumn<QString>("flagCaption"); // the first flag's caption as a book gives it
        auto row = [](const char *tag, int page, Qt::Key key, const char *menu, const char *field, bool takes,
                      const char *flag = "") {
            QTest::newRow(tag) << page << int(key) << QString::fromLatin1(menu) << QString::fromLatin1(field) << takes
                               << U(flag);
        };
        const int O = TEditorPages::POsobni, A = TEditorPages::PAdresa, V = TEditorPages::PVyroci;
        // The menu bar's letters win over the captions.
        row("Název položky", O, Qt::Key_N, "INastaveni", "NazevPolozky", false);
        row("Titul před jménem", O, Qt::Key_E, "IEditovat", "TitulPred", false);
        row("Titul za jménem", O, Qt::Key_A, "", "TitulZa", false);
        row("Vzdělání", O, Qt::Key_V, "IVyroci", "Vzdelani", false);
        row("E-mail", A, Qt::Key_E, "IEditovat", "Email", false);
        row("Narozeniny", V, Qt::Key_N, "INastaveni", "Narozeniny", false);
        row("Volby", V, Qt::Key_V, "IVyroci", "Log1", false);
        row("book's flag caption", V, Qt::Key_S, "ISoubor", "Log1", false, "&Soukromé");
        // Other captions still lead to their fields.
        row("Příjmení", O, Qt::Key_P, "", "Prijmeni", true);
        row("Zaměstnání", O, Qt::Key_M, "", "Zamestnani", true);
        row("HTTP", A, Qt::Key_H, "", "Http", true);
        row("Účet číslo", V, Qt::Key_T, "", "Ucet", true);
    }

    void altLetters()
    {
        QFETCH(int, page);
        QFETCH(int, key);
        QFETCH(QString, menu);
        QFETCH(QString, field);
        QFETCH(bool, fieldTakesIt);
        QFETCH(QString, flagCaption);
        TWindowFixture f;
        if (!flagCaption.isEmpty()) {
            TBookLabels l = TBookLabels::Defaults();
            l.FlagCaptions[0] = ToCp1250(flagCaption);
            f.W->ApplyLabels(l);
        }
        QVERIFY(f.ShowActive());
        f.W->Pages()->setCurrentIndex(page);
        QWidget *target = f.W->findChild<QWidget *>(field);
        QVERIFY(target);
        QMenu *m = menu.isEmpty() ? nullptr : f.W->menuBar()->findChild<QMenu *>(menu);
        QVERIFY(menu.isEmpty() || m);
        // Twice: two owners of one letter take turns.
        for (int press = 1; press <= 2; ++press) {
            f.W->ListBoxNazev()->setFocus();
            QTest::keyClick(f.W->ListBoxNazev(), Qt::Key(key), Qt::AltModifier);
            QCOMPARE(QApplication::focusWidget() == target, fieldTakesIt);
            if (m) {
                QTRY_VERIFY2(m->isVisible(), qPrintable(QStringLiteral("press %1").arg(press)));
                m->hide();
            }
        }
    }

    void recentFileItems()
    {
        TWindowFixture f;
        const QString deep = QStringLiteral("/d").repeated(500) + QStringLiteral("/kniha.wdt");
        f.W->Session().Recent.SetFiles({QStringLiteral("/data/R&D.wdt"), QString(), QStringLiteral("/b.wdt"), deep,
                                        QString(1 << 20, QLatin1Char('x'))});
        QAction *one = f.W->Action(QStringLiteral("ItemHistorie1"));
        QCOMPARE(one->text(), QStringLiteral("/data/R&&D.wdt"));
        QVERIFY(one->isVisible());
        QVERIFY(!f.W->Action(QStringLiteral("ItemHistorie2"))->isVisible());
        QVERIFY(f.W->Action(QStringLiteral("ItemHistorie3"))->isVisible());
        // A deep path is shortened in its middle; a value longer than any path is dropped.
        QAction *four = f.W->Action(QStringLiteral("ItemHistorie4"));
        QVERIFY(four->text().size() < 100);
        QVERIFY(four->text().endsWith(QStringLiteral("/kniha.wdt")));
        QCOMPARE(four->toolTip(), deep);
        QVERIFY(!f.W->Action(QStringLiteral("ItemHistorie5"))->isVisible());
    }

    void leavingNamesEntryFromSurname()
    {
        using TestBook::Entry;
        TWindowFixture f({Entry("Adam"), Entry("Cyril"), Entry("Eva")});
        QVERIFY(f.ShowActive());
        QCOMPARE(f.ListTexts(), (QStringList {U("Adam"), U("Cyril"), U("Eva")}));
        QCOMPARE(f.Panel(3), QString());
        // Empty the name of Adam and give him a surname and first name instead.
        Clear(f.Edit("NazevPolozky"));
        Type(f.Edit("Prijmeni"), U("Novák"));
        Type(f.Edit("Jmeno"), U("Jan"));
        QCOMPARE(f.Panel(3), U("Změněno"));
        f.ClickRow(2);
        QCOMPARE(f.ListTexts(), (QStringList {U("Novák Jan"), U("Cyril"), U("Eva")}));
        QVERIFY(f.Book().FindByName(TestBook::Cp("Novák Jan")));
        QCOMPARE(f.Book().CurrentIndex, 2);
        QCOMPARE(f.Edit("NazevPolozky")->text(), U("Eva"));
        QCOMPARE(f.Edit("Prijmeni")->text(), QString());
        QCOMPARE(f.W->ListBoxNazev()->currentIndex().row(), 2);
        QCOMPARE(f.Panel(3), U("Změněno"));
        QVERIFY(f.Prompt.Shown.isEmpty());
    }

    void leavingWithoutNameKeepsSelection()
    {
        using TestBook::Entry;
        TWindowFixture f({Entry("Adam"), Entry("Cyril")});
        QVERIFY(f.ShowActive());
        Clear(f.Edit("NazevPolozky"));
        f.ClickRow(1);
        QCOMPARE(f.Prompt.Texts(), QStringList {U("Musíte vyplnit unikátní Název položky")});
        QCOMPARE(f.Book().CurrentIndex, 0);
        QCOMPARE(f.W->ListBoxNazev()->currentIndex().row(), 0);
        QCOMPARE(f.W->ListBoxNazev()->selectionModel()->selectedRows().value(0).row(), 0);
        // Moving down with the keyboard is refused the same way.
        f.W->ListBoxNazev()->setFocus();
        QTest::keyClick(f.W->ListBoxNazev(), Qt::Key_Down);
        QCOMPARE(f.Prompt.Shown.size(), 2);
        QCOMPARE(f.W->ListBoxNazev()->currentIndex().row(), 0);
    }

    void keyboardMovesBetweenEntries()
    {
        using TestBook::Entry;
        TWindowFixture f({Entry("Adam"), Entry("Cyril"), Entry("Eva")});
        QVERIFY(f.ShowActive());
        f.W->ListBoxNazev()->setFocus();
        QTest::keyClick(f.W->ListBoxNazev(), Qt::Key_End);
        QCOMPARE(f.Book().CurrentIndex, 2);
        QCOMPARE(f.Edit("NazevPolozky")->text(), U("Eva"));
        QTest::keyClick(f.W->ListBoxNazev(), Qt::Key_Up);
        QCOMPARE(f.Edit("NazevPolozky")->text(), U("Cyril"));
    }

    void selectedLineFullyInView_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("longNames");
        QTest::addColumn<QString>("move");
        QTest::newRow("End, long names") << 8192 << true << "End";
        QTest::newRow("End, short names") << 8192 << false << "End";
        QTest::newRow("Home after End") << 8192 << true << "Home";
        QTest::newRow("model selects the last") << 8192 << true << "select";
        QTest::newRow("new entry after the last") << 8192 << true << "add";
        QTest::newRow("End, 65535 entries") << 65535 << true << "End";
    }

    // The line chosen, by key or by the model, is shown whole above the scroll bar.
    void selectedLineFullyInView()
    {
        QFETCH(int, count);
        QFETCH(bool, longNames);
        QFETCH(QString, move);
        QList<TContactRecord> records;
        records.reserve(count);
        for (int i = 0; i < count; ++i) {
            const QByteArray n = QByteArray::number(100000 + i);
            const QByteArray name = longNames ? "Nováková-Procházková Marie " + n + ", Obchodní oddělení, Praha" : "N" + n;
            records.append(TestBook::Entry(name.constData()));
        }
        TWindowFixture f(records);
        QVERIFY(f.ShowActive());
        QListView *v = f.W->ListBoxNazev();
        QCOMPARE(v->model()->rowCount(), count);
        v->setFocus();
        QTest::keyClick(v, Qt::Key_End);
        if (move == QLatin1String("Home")) {
            QTest::keyClick(v, Qt::Key_Home);
        } else if (move == QLatin1String("select")) {
            QTest::keyClick(v, Qt::Key_Home);
            f.Book().List.Select(count - 1);
        } else if (move == QLatin1String("add")) {
            QTest::keyClick(v, Qt::Key_I, Qt::ControlModifier);
        }
        const int row = move == QLatin1String("Home") ? 0 : move == QLatin1String("add") ? count : count - 1;
        QCOMPARE(v->currentIndex().row(), row);
        QCOMPARE(v->horizontalScrollBar()->isVisible(), longNames);
        // Whole from top to bottom; a long name may run on past the right edge.
        const auto inView = [v] {
            const QRect line = v->visualRect(v->currentIndex());
            return line.top() >= 0 && line.bottom() < v->viewport()->height();
        };
        QTRY_VERIFY2_WITH_TIMEOUT(inView(), qPrintable(QStringLiteral("line %1..%2, viewport height %3")
                                                           .arg(v->visualRect(v->currentIndex()).top())
                                                           .arg(v->visualRect(v->currentIndex()).bottom())
                                                           .arg(v->viewport()->height())),
                                  1000);
    }

    void lineWidthOfWidestName_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("renameTo");
        const QString many = QString(60, QLatin1Char('i'));
        QStringList narrow;
        for (int i = 0; i < 200; ++i)
            narrow << many + QString::number(1000 + i);
        // More characters than the widest, each narrower: a count of characters misleads.
        QTest::newRow("few wide letters beat many narrow") << (narrow + QStringList {QString(30, QLatin1Char('W'))}) << QString();
        QTest::newRow("widest sorts first") << QStringList {U("Ámos Ženíšek-Šťastný, Obchodní oddělení"), U("Bára"), U("Cyril")} << QString();
        QTest::newRow("Czech letters") << QStringList {U("Ďáblová Šárka"), U("Ěěěěěěěěěěěěěěěě"), U("Žžžžžžžžžžžžžžžžžžžž")} << QString();
        // The first entry shown is renamed to the widest name there is.
        QTest::newRow("renamed to the widest") << QStringList {U("Adam"), U("Bohumila Nováková")} << U("Adam Wolfgang Maximilián Hohenzollern");
        QTest::newRow("renamed from the widest") << QStringList {U("Adam Wolfgang Maximilián Hohenzollern"), U("Bohumila Nováková")} << U("Adam");
    }

    // Every line is as wide as the widest name as drawn, so none is cut short of the
    // horizontal scroll bar, however many names the list holds.
    void lineWidthOfWidestName()
    {
        QFETCH(QStringList, names);
        QFETCH(QString, renameTo);
        QList<TContactRecord> records;
        for (const QString &n : names)
            records.append(TestBook::Entry(n.toUtf8().constData()));
        TWindowFixture f(records);
        QVERIFY(f.ShowActive());
        QListView *v = f.W->ListBoxNazev();
        if (!renameTo.isEmpty()) {
            Clear(f.Edit("NazevPolozky"));
            Type(f.Edit("NazevPolozky"), renameTo);
            f.ClickRow(1);
        }
        const QFontMetrics metrics(v->font());
        int widest = 0;
        for (const QString &n : f.ListTexts())
            widest = qMax(widest, metrics.horizontalAdvance(n));
        const int line = v->sizeHintForIndex(v->model()->index(0, 0)).width();
        QVERIFY2(line >= widest && line <= widest + 4 * v->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 16,
                 qPrintable(QStringLiteral("line %1, widest name %2").arg(line).arg(widest)));
    }

    void ctrlIAddsBelowCurrent()
    {
        using TestBook::Entry;
        TWindowFixture f({Entry("Adam"), Entry("Cyril"), Entry("Eva")});
        QVERIFY(f.ShowActive());
        f.ClickRow(1);
        f.W->Pages()->setCurrentIndex(TEditorPages::PPoznamky);
        f.W->ListBoxNazev()->setFocus();
        QTest::keyClick(f.W->ListBoxNazev(), Qt::Key_I, Qt::ControlModifier);
        QCOMPARE(f.ListTexts(), (QStringList {U("Adam"), U("Cyril"), U(" "), U("Eva")}));
        QCOMPARE(f.Book().CurrentIndex, 2);
        QCOMPARE(f.W->ListBoxNazev()->currentIndex().row(), 2);
        QCOMPARE(f.W->Pages()->currentIndex(), int(TEditorPages::POsobni));
        QCOMPARE(QApplication::focusWidget(), f.Edit("TitulPred"));
        QCOMPARE(f.Panel(2), U("4 záznamy"));
        QCOMPARE(f.Panel(3), U("Změněno"));
    }

    void textKeysStayWithTextFields()
    {
        TWindowFixture f;
        QVERIFY(f.ShowActive());
        int copies = 0, pastes = 0;
        QAction *copy = f.W->Action(QStringLiteral("Koprovatzznam1"));
        QAction *paste = f.W->Action(QStringLiteral("Vloitzznam1"));
        copy->setEnabled(true);
        paste->setEnabled(true);
        connect(copy, &QAction::triggered, this, [&] { ++copies; });
        connect(paste, &QAction::triggered, this, [&] { ++pastes; });

        QLineEdit *jmeno = f.Edit("Jmeno");
        jmeno->setFocus();
        Type(jmeno, U("Řehoř"));
        QTest::keyClick(jmeno, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(jmeno, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), U("Řehoř"));
        QLineEdit *prezdivka = f.Edit("Prezdivka");
        prezdivka->setFocus();
        QTest::keyClick(prezdivka, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(prezdivka->text(), U("Řehoř"));
        QCOMPARE(f.W->Session().Editor.Text(EField::Prezdivka), TestBook::Cp("Řehoř"));
        // Ctrl+X cuts text; it does not end the program.
        QTest::keyClick(prezdivka, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(prezdivka, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(prezdivka->text(), QString());
        QVERIFY(f.W->isVisible());

        QPlainTextEdit *note = f.W->findChild<QPlainTextEdit *>(QStringLiteral("Poznamka"));
        f.W->Pages()->setCurrentIndex(TEditorPages::PPoznamky);
        note->setFocus();
        QTest::keyClick(note, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(note->toPlainText(), U("Řehoř"));
        QCOMPARE(copies, 0);
        QCOMPARE(pastes, 0);

        // On the list the keys copy and paste entries.
        f.W->ListBoxNazev()->setFocus();
        QTest::keyClick(f.W->ListBoxNazev(), Qt::Key_C, Qt::ControlModifier);
        QTest::keyClick(f.W->ListBoxNazev(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(copies, 1);
        QCOMPARE(pastes, 1);
    }

    void note_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("line ends") << U("řádek\ndruhý") << TestBook::Cp("řádek\r\ndruhý");
        QTest::newRow("2000") << QString(2000, QLatin1Char('a')) << QByteArray(2000, 'a');
        QTest::newRow("2001 cut") << QString(2001, QLatin1Char('a')) << QByteArray(2000, 'a');
        // A line end would straddle the limit: it goes whole.
        QTest::newRow("line end at limit") << QString(1999, QLatin1Char('a')) + QStringLiteral("\nb")
                                           << QByteArray(1999, 'a');
    }

    void note()
    {
        QFETCH(QString, typed);
        QFETCH(QByteArray, stored);
        TWindowFixture f;
        QPlainTextEdit *note = f.W->findChild<QPlainTextEdit *>(QStringLiteral("Poznamka"));
        note->setPlainText(typed); // as a paste would
        QCOMPARE(f.W->Session().Editor.Note(), stored);
        QVERIFY(f.W->Session().Editor.RecordEdited);
        QCOMPARE(note->toPlainText(), FromCp1250(stored).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }

    void showingRecordIsNotAnEdit()
    {
        using TestBook::Entry;
        TContactRecord a = Entry("Adam", 0b101);
        a.SetNote(TestBook::Cp("první\r\ndruhý"));
        TWindowFixture f({a, Entry("Cyril")});
        QVERIFY(f.ShowActive());
        QVERIFY(f.W->findChild<QCheckBox *>(QStringLiteral("Log1"))->isChecked());
        QVERIFY(!f.W->findChild<QCheckBox *>(QStringLiteral("Log2"))->isChecked());
        QVERIFY(f.W->findChild<QCheckBox *>(QStringLiteral("Log3"))->isChecked());
        QCOMPARE(f.W->findChild<QPlainTextEdit *>(QStringLiteral("Poznamka"))->toPlainText(), U("první\ndruhý"));
        f.ClickRow(1);
        f.ClickRow(0);
        QVERIFY(!f.Book().Changed);
        QCOMPARE(f.Panel(3), QString());
        // A click on a flag is an edit.
        f.W->Pages()->setCurrentIndex(TEditorPages::PVyroci);
        QCheckBox *log2 = f.W->findChild<QCheckBox *>(QStringLiteral("Log2"));
        QTest::mouseClick(log2, Qt::LeftButton, {}, QPoint(8, log2->height() / 2));
        QVERIFY(f.W->Session().Editor.Flag(2));
        QCOMPARE(f.Panel(3), U("Změněno"));
    }

    void stateFieldDoubleClick()
    {
        TWindowFixture f;
        QVERIFY(f.ShowActive());
        f.W->Pages()->setCurrentIndex(TEditorPages::PAdresa);
        QSignalSpy spy(f.W.get(), &TFormMain::FieldDoubleClicked);
        QTest::mouseDClick(f.Edit("Stat2"), Qt::LeftButton);
        QCOMPARE(f.Edit("Stat2")->text(), U("Česká republika"));
        QCOMPARE(f.W->Session().Editor.Text(EField::Stat2), TestBook::Cp("Česká republika"));
        QVERIFY(f.W->Session().Editor.RecordEdited);
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy[0][0].toInt(), int(EField::Stat2));
        QCOMPARE(f.Edit("Stat1")->text(), QString());
    }

    void activationKeepsUnstoredEdits()
    {
        using TestBook::Entry;
        TWindowFixture f({Entry("Adam")});
        Type(f.Edit("Prijmeni"), U("Šťastný"));
        f.W->FormActivate();
        QCOMPARE(f.Edit("Prijmeni")->text(), U("Šťastný"));
        // Without edits the window shows the stored record again.
        QVERIFY(f.W->Editor().StoreFields());
        f.Book().Current->SetText(EField::Jmeno, TestBook::Cp("Jiří"));
        f.W->FormActivate();
        QCOMPARE(f.Edit("Jmeno")->text(), U("Jiří"));
        QCOMPARE(f.Edit("Prijmeni")->text(), U("Šťastný"));
    }

    void activationFocus()
    {
        using TestBook::Entry;
        TWindowFixture f({Entry("Adam")});
        QVERIFY(f.ShowActive());
        f.W->Pages()->setCurrentIndex(TEditorPages::PVyroci);
        f.W->FormActivate();
        QCOMPARE(f.W->focusWidget(), f.W->ListBoxNazev());
        // The field the person clicked into keeps the focus.
        f.W->Pages()->setCurrentIndex(TEditorPages::POsobni);
        f.Edit("Prijmeni")->setFocus();
        f.W->FormActivate();
        QCOMPARE(f.W->focusWidget(), f.Edit("Prijmeni"));
        QCOMPARE(f.Edit("NazevPolozky")->text(), U("Adam"));
    }

    void labelsAndGeometryFromTheModel()
    {
        TWindowFixture f;
        TBookLabels l = TBookLabels::Defaults();
        l.PhoneCaptions[4] = TestBook::Cp("Chata");
        l.AddressCaptions[1] = TestBook::Cp("Škola");
        l.FlagCaptions[9] = TestBook::Cp("Rybář");
        f.W->ApplyLabels(l);
        QCOMPARE(f.W->findChild<QGroupBox *>(QStringLiteral("GTelefon5"))->title(), U("Chata"));
        QCOMPARE(f.W->findChild<QGroupBox *>(QStringLiteral("GAdresa2"))->title(), U("Škola"));
        QCOMPARE(f.W->findChild<QCheckBox *>(QStringLiteral("Log10"))->text(), U("Rybář"));
        f.W->SetWindowSize(QSize(800, 600));
        QCOMPARE(f.W->WindowSize(), QSize(800, 600));
        f.W->SetWindowSize(QSize(2000, 100));
        QCOMPARE(f.W->WindowSize(), QSize(1024, 474));
        f.W->SetListWidth(200);
        QVERIFY(f.ShowActive());
        QCOMPARE(f.W->ListBoxNazev()->width(), 200);
        QCOMPARE(f.W->ListWidth(), 200);
    }

    void closing_data()
    {
        QTest::addColumn<bool>("changed");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closes");
        QTest::newRow("unchanged") << false << 0 << true;
        QTest::newRow("changed, Ano") << true << int(kHlaskaAno) << true;
        QTest::newRow("changed, Ne") << true << int(kHlaskaNe) << false;
    }

    void closing()
    {
        QFETCH(bool, changed);
        QFETCH(int, answer);
        QFETCH(bool, closes);
        TWindowFixture f;
        QVERIFY(f.ShowActive());
        f.W->Session().Recent.SetFiles({QStringLiteral("/x/a.wdt")});
        if (changed)
            Type(f.Edit("Jmeno"), U("Jan"));
        if (answer)
            f.Prompt.Answers.enqueue(answer);
        QCOMPARE(f.W->close(), closes);
        QCOMPARE(f.Prompt.Shown.size(), changed ? 1 : 0);
        // A refused close leaves the window where the person can reach it.
        QCOMPARE(f.W->isVisible(), !closes);
        QSettings ini(f.Dir.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
        QCOMPARE(ini.value(QStringLiteral("Historie/Historie0")).toString(),
                 closes ? QStringLiteral("/x/a.wdt") : QString());
    }

    void konecEndsEvenWithLista()
    {
        TWindowFixture f;
        QVERIFY(f.ShowActive());
        f.W->SetTrayPresent([] { return true; });
        f.W->Session().Settings.Lista = true;
        // With a tray, the close button only hides the window.
        QVERIFY(!f.W->close());
        QVERIFY(!f.W->isVisible());
        QVERIFY(f.ShowActive());
        f.W->Action(QStringLiteral("IKonec"))->trigger();
        QVERIFY(!f.W->isVisible());
        QVERIFY(!f.W->Session().Settings.Lista);
    }

    void startOptions_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("hidden");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("version");
        QTest::newRow("none") << QStringList() << false << QString() << false;
        QTest::newRow("/L and book") << QStringList {QStringLiteral("/L"), QStringLiteral("C:\\data\\kniha.WDT")}
                                     << true << QStringLiteral("C:\\data\\kniha.WDT") << false;
        QTest::newRow("/l") << QStringList {QStringLiteral("/l")} << true << QString() << false;
        QTest::newRow("/x is a file") << QStringList {QStringLiteral("/x")} << false << QStringLiteral("/x") << false;
        QTest::newRow("last counts") << QStringList {QStringLiteral("a.wdt"), QStringLiteral("/l"), QStringLiteral("b.wdt")}
                                     << true << QStringLiteral("b.wdt") << false;
        QTest::newRow("--version") << QStringList {QStringLiteral("--version")} << false << QString() << true;
        QTest::newRow("a book named --version")
            << QStringList {QStringLiteral("./--version")} << false << QStringLiteral("./--version") << false;
    }

    void startOptions()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, hidden);
        QFETCH(QString, file);
        QFETCH(bool, version);
        const TStartOptions o = TStartOptions::Parse(args);
        QCOMPARE(o.StartHidden, hidden);
        QCOMPARE(o.CommandLineFile, file);
        QCOMPARE(o.ShowVersion, version);
    }
};

QTEST_MAIN(TestFormMain)
#include "tst_formmain.moc"
