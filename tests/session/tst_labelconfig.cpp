#include "session/LabelConfig.h"

#include "SessionFixture.h"
#include "util/Cp1250.h"

#include <QSettings>
#include <QtTest>

namespace {
QString U(const char *utf8) { return QString::fromUtf8(utf8); }
}

class TestLabelConfig : public QObject
{
    Q_OBJECT

private slots:
    void liveWidth_data()
    {
        QTest::addColumn<QList<int>>("typed");
        QTest::addColumn<int>("shown");
        QTest::addColumn<bool>("cancel");
        QTest::newRow("250 widens at once") << QList<int> {2, 25, 250} << 250 << false;
        QTest::newRow("250, then Zrušit restores") << QList<int> {2, 25, 250} << 72 << true;
        QTest::newRow("50 is ignored") << QList<int> {5, 50} << 72 << false;
        QTest::newRow("edges") << QList<int> {100, 301} << 100 << false;
        QTest::newRow("300 is the widest") << QList<int> {300, 999} << 300 << false;
    }

    void liveWidth()
    {
        QFETCH(QList<int>, typed);
        QFETCH(int, shown);
        QFETCH(bool, cancel);
        TSessionFixture f;
        TLabelConfig c(*f.S);
        bool lista = true;
        c.Activate(lista);
        for (int w : typed)
            c.WidthChanged(w);
        if (cancel)
            c.Cancel();
        QCOMPARE(f.View.List, shown);
        // A number the list took is kept for the next use; "Zrušit" goes back to the list's.
        QCOMPARE(c.Width, cancel ? 72 : typed.last());
        c.Activate(lista);
        QCOMPARE(c.Width, shown);
        QVERIFY(!f.S->Book.Changed);
    }

    void apply_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("lista");
        QTest::addColumn<bool>("applied");
        QTest::newRow("Ano, Lista on") << int(kHlaskaAno) << true << true;
        QTest::newRow("Ano, Lista off") << int(kHlaskaAno) << false << true;
        QTest::newRow("Ne keeps the dialog") << int(kHlaskaNe) << true << false;
    }

    void apply()
    {
        QFETCH(int, answer);
        QFETCH(bool, lista);
        QFETCH(bool, applied);
        TSessionFixture f;
        f.S->Settings.Lista = !lista;
        TLabelConfig c(*f.S);
        bool shownLista = false;
        TLabelConfig::TTexts texts = c.Activate(shownLista);
        QCOMPARE(shownLista, !lista);
        QCOMPARE(texts[0], FromCp1250(TBookLabels::Defaults().PhoneCaptions[0]));
        const TBookLabels before = f.S->Book.Labels;
        texts[0] = U("Mobil Ondřejův pracovní");           // 23 characters
        texts[9] = QString(45, QLatin1Char('a'));           // address: 40
        texts[21] = QString(70, QChar(0x17E));              // flag: 60 of "ž"
        texts[13] = U("Vánoční přání \U0001F600 ano");     // a character the page lacks
        f.Prompt.Answers.enqueue(answer);
        QCOMPARE(c.Apply(texts, lista), applied);
        QCOMPARE(f.Prompt.Shown.size(), 1);
        QCOMPARE(f.Prompt.Shown[0].Text, TLabelConfig::Question());
        QCOMPARE(f.Prompt.Shown[0].Kind, THlaskaKind::Otazka);
        QSettings ini(f.Path("settings.ini"), QSettings::IniFormat);
        if (!applied) {
            QCOMPARE(f.S->Book.Labels, before);
            QVERIFY(!f.S->Book.Changed);
            QVERIFY(!ini.contains(QStringLiteral("Okno/Lista")));
            return;
        }
        const TBookLabels &l = f.S->Book.Labels;
        QCOMPARE(FromCp1250(l.PhoneCaptions[0]), U("Mobil Ondřejův praco"));
        QCOMPARE(l.PhoneCaptions[0].size(), 20);
        QCOMPARE(l.AddressCaptions[0], QByteArray(40, 'a'));
        QCOMPARE(FromCp1250(l.FlagCaptions[9]), QString(60, QChar(0x17E)));
        QCOMPARE(FromCp1250(l.FlagCaptions[1]), U("Vánoční přání ? ano"));
        QCOMPARE(l.PhoneCaptions[1], before.PhoneCaptions[1]);
        QCOMPARE(f.View.Shown, l);
        QVERIFY(f.S->Book.Changed);
        QCOMPARE(f.Status(2), U("Změněno"));
        QCOMPARE(f.S->Settings.Lista, lista);
        // Written at once, before any save of the book.
        QCOMPARE(ini.value(QStringLiteral("Okno/Lista")).toString(), lista ? QStringLiteral("1") : QStringLiteral("0"));
    }

    void onlyListaChanged()
    {
        TSessionFixture f;
        TLabelConfig c(*f.S);
        bool lista = false;
        const TLabelConfig::TTexts texts = c.Activate(lista);
        QVERIFY(c.Apply(texts, true));
        QVERIFY(f.S->Book.Changed);
        QCOMPARE(f.S->Book.Labels, TBookLabels::Defaults());
        QSettings ini(f.Path("settings.ini"), QSettings::IniFormat);
        QCOMPARE(ini.value(QStringLiteral("Okno/Lista")).toString(), QStringLiteral("1"));
    }
};

QTEST_GUILESS_MAIN(TestLabelConfig)
#include "tst_labelconfig.moc"
