#include "session/ui/WidgetPrompt.h"
#include "session/ui/FormHlaska.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

QString U(const char *s) { return QString::fromUtf8(s); }

// Runs `answer` once the modal dialog is up; whatever happens, the dialog is closed so
// exec() never hangs the test.
void WhenShown(std::function<void(QDialog *)> answer)
{
    QTimer::singleShot(0, [answer] {
        auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        auto guard = qScopeGuard([d] {
            if (d && d->isVisible())
                d->done(-1);
        });
        if (d)
            answer(d);
    });
}

} // namespace

class TestFormHlaska : public QObject
{
    Q_OBJECT

private:
    bool Shown(TFormHlaska &f, const char *name)
    {
        QWidget *w = f.findChild<QWidget *>(QString::fromLatin1(name));
        return w && w->isVisibleTo(&f);
    }

private slots:
    void kinds_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("buttons"); // Ano and Ne, else OK
        QTest::addColumn<bool>("question");
        QTest::addColumn<bool>("exclamation");
        QTest::newRow("otazka") << 0 << U("Otázka") << true << true << false;
        QTest::newRow("vystraha") << 1 << U("Výstraha") << false << false << true;
        QTest::newRow("chyba") << 2 << U("Chyba") << false << false << true;
        QTest::newRow("informace") << 3 << U("Informace") << false << false << false;
    }

    void kinds()
    {
        QFETCH(int, kind);
        QFETCH(QString, title);
        QFETCH(bool, buttons);
        QFETCH(bool, question);
        QFETCH(bool, exclamation);
        TFormHlaska f;
        // Start from the opposite state so nothing of a previous message can pass.
        f.Prepare(U("předtím"), kind == 0 ? THlaskaKind::Chyba : THlaskaKind::Otazka);
        f.Prepare(U("Nejsou uloženy změny. Chcete pokračovat"), THlaskaKind(kind));
        QCOMPARE(f.windowTitle(), title);
        QCOMPARE(f.findChild<QLabel *>(QStringLiteral("LabelCo"))->text(), U("Nejsou uloženy změny. Chcete pokračovat"));
        QCOMPARE(Shown(f, "ButtonAno"), buttons);
        QCOMPARE(Shown(f, "ButtonNe"), buttons);
        QCOMPARE(Shown(f, "ButtonOk"), !buttons);
        QCOMPARE(Shown(f, "ImageOt1"), question);
        QCOMPARE(Shown(f, "ImageOt2"), question);
        QCOMPARE(Shown(f, "ImageVyk1"), exclamation);
        QCOMPARE(Shown(f, "ImageVyk2"), exclamation);
        auto *ano = f.findChild<QPushButton *>(QStringLiteral("ButtonAno"));
        auto *ok = f.findChild<QPushButton *>(QStringLiteral("ButtonOk"));
        QCOMPARE(ano->isDefault(), buttons);
        QCOMPARE(ok->isDefault(), !buttons);
    }

    void layout()
    {
        TFormHlaska f;
        QCOMPARE(f.size(), QSize(403, 102));
        QCOMPARE(f.minimumSize(), f.maximumSize());
        QVERIFY(!(f.windowFlags() & Qt::WindowCloseButtonHint));
        auto *label = f.findChild<QLabel *>(QStringLiteral("LabelCo"));
        QCOMPARE(label->size(), QSize(297, 49));
        QVERIFY(label->wordWrap());
        QCOMPARE(label->alignment(), Qt::AlignCenter);
        for (const char *name : {"ImageOt1", "ImageOt2", "ImageVyk1", "ImageVyk2"}) {
            auto *img = f.findChild<QLabel *>(QString::fromLatin1(name));
            QVERIFY2(img, name);
            QCOMPARE(img->size(), QSize(41, 57));
            QVERIFY(!img->pixmap().isNull());
        }
        // The two question marks are green, the exclamation marks red.
        const QImage q = f.findChild<QLabel *>(QStringLiteral("ImageOt1"))->pixmap().toImage();
        const QImage x = f.findChild<QLabel *>(QStringLiteral("ImageVyk1"))->pixmap().toImage();
        auto dominant = [](const QImage &img) {
            qint64 r = 0, g = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int xx = 0; xx < img.width(); ++xx) {
                    const QColor c = img.pixelColor(xx, y);
                    r += c.red() * c.alpha();
                    g += c.green() * c.alpha();
                }
            return g > r ? 'g' : 'r';
        };
        QCOMPARE(dominant(q), 'g');
        QCOMPARE(dominant(x), 'r');

        // A long message wraps inside the label and the box grows to show all of it, its
        // button below the text; the next short one gets the old size back.
        f.Prepare(QString(400, QLatin1Char('x')).replace(QLatin1String("xxxxx"), QLatin1String("xxxx ")),
                  THlaskaKind::Informace);
        QCOMPARE(f.width(), 403);
        QVERIFY(f.height() > 102);
        QCOMPARE(label->width(), 297);
        QVERIFY(label->height() >= label->heightForWidth(297));
        QVERIFY(f.findChild<QPushButton *>(QStringLiteral("ButtonOk"))->y() >= label->geometry().bottom());
        f.Prepare(QStringLiteral("Krátce."), THlaskaKind::Informace);
        QCOMPARE(f.size(), QSize(403, 102));
        QCOMPARE(label->size(), QSize(297, 49));
    }

    void answers_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("key"); // 0: click the button named below
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("result");
        QTest::newRow("question enter") << 0 << int(Qt::Key_Return) << QString() << 6;
        QTest::newRow("question escape") << 0 << int(Qt::Key_Escape) << QString() << 7;
        QTest::newRow("question ano") << 0 << 0 << U("ButtonAno") << 6;
        QTest::newRow("question ne") << 0 << 0 << U("ButtonNe") << 7;
        QTest::newRow("question alt+n") << 0 << int(Qt::Key_N) << U("alt") << 7;
        QTest::newRow("warning enter") << 1 << int(Qt::Key_Return) << QString() << 1;
        QTest::newRow("error escape") << 2 << int(Qt::Key_Escape) << QString() << 1;
        QTest::newRow("information ok") << 3 << 0 << U("ButtonOk") << 1;
    }

    void answers()
    {
        QFETCH(int, kind);
        QFETCH(int, key);
        QFETCH(QString, button);
        QFETCH(int, result);
        TFormHlaska f;
        QWidget *focus = nullptr;
        WhenShown([&](QDialog *d) {
            focus = d->focusWidget();
            if (key == 0)
                QTest::mouseClick(d->findChild<QPushButton *>(button), Qt::LeftButton);
            else if (button == QLatin1String("alt")) {
                // Accelerators work only in the active window.
                d->activateWindow();
                if (QTest::qWaitForWindowActive(d)) {
                    QTest::keyClick(d->focusWidget(), Qt::Key(key), Qt::AltModifier);
                    // An accelerator presses its button with a short animation.
                    (void)QTest::qWaitFor([d] { return !d->isVisible(); }, 2000);
                }
            }
            else
                QTest::keyClick(d->focusWidget() ? d->focusWidget() : d, Qt::Key(key));
        });
        QCOMPARE(f.Hlaska(U("Skutečně chcete vymazat aktální záznam"), THlaskaKind(kind)), result);
        QVERIFY(focus);
        QCOMPARE(focus->objectName(), kind == 0 ? U("ButtonAno") : U("ButtonOk"));
    }

    void sequenceKeepsNoState()
    {
        TFormHlaska f;
        WhenShown([](QDialog *d) { QTest::keyClick(d->focusWidget(), Qt::Key_Escape); });
        QCOMPARE(f.Hlaska(U("Otázka?"), THlaskaKind::Otazka), 7);
        bool ano = true, ne = true, ok = false, pictures = true;
        WhenShown([&](QDialog *d) {
            ano = d->findChild<QPushButton *>(QStringLiteral("ButtonAno"))->isVisible();
            ne = d->findChild<QPushButton *>(QStringLiteral("ButtonNe"))->isVisible();
            ok = d->findChild<QPushButton *>(QStringLiteral("ButtonOk"))->isVisible();
            pictures = d->findChild<QLabel *>(QStringLiteral("ImageOt1"))->isVisible()
                       || d->findChild<QLabel *>(QStringLiteral("ImageVyk2"))->isVisible();
            QTest::keyClick(d->focusWidget(), Qt::Key_Return);
        });
        QCOMPARE(f.Hlaska(U("Svátek nenalezen"), THlaskaKind::Informace), 1);
        QVERIFY(!ano);
        QVERIFY(!ne);
        QVERIFY(ok);
        QVERIFY(!pictures);
        QCOMPARE(f.windowTitle(), U("Informace"));
    }

    void promptRestoresCursorAndAnswers()
    {
        TWidgetPrompt p;
        p.SetBusy(true);
        p.SetBusy(true);
        QVERIFY(QGuiApplication::overrideCursor());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        bool hourglassWhileShown = true;
        QString title;
        WhenShown([&](QDialog *d) {
            hourglassWhileShown = QGuiApplication::overrideCursor() != nullptr;
            title = d->windowTitle();
            QTest::keyClick(d->focusWidget(), Qt::Key_Return);
        });
        QCOMPARE(p.Hlaska(U("Problém při otevírání souboru"), THlaskaKind::Chyba), 1);
        QVERIFY(!hourglassWhileShown);
        QCOMPARE(title, U("Chyba"));
        // The busy scopes that were open end without harm.
        p.SetBusy(false);
        p.SetBusy(false);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void changedOnDiskChoices_data()
    {
        QTest::addColumn<QString>("button"); // objectName; empty for Escape
        QTest::addColumn<int>("choice");
        QTest::newRow("Ano overwrites") << U("ButtonAno") << int(TDiskChoice::Overwrite);
        QTest::newRow("Načíst znovu reloads") << U("ButtonZnovu") << int(TDiskChoice::Reload);
        QTest::newRow("Ne cancels") << U("ButtonNe") << int(TDiskChoice::Cancel);
        QTest::newRow("Escape cancels") << QString() << int(TDiskChoice::Cancel);
    }

    // The question about another program's write, with its third answer.
    void changedOnDiskChoices()
    {
        QFETCH(QString, button);
        TWidgetPrompt p;
        QString title, text;
        QStringList captions;
        WhenShown([&](QDialog *d) {
            title = d->windowTitle();
            for (const QPushButton *b : d->findChildren<QPushButton *>())
                captions << b->text();
            const QList<QLabel *> labels = d->findChildren<QLabel *>();
            for (const QLabel *l : labels)
                text += l->text();
            if (button.isEmpty())
                QTest::keyClick(d, Qt::Key_Escape);
            else if (auto *b = d->findChild<QPushButton *>(button))
                b->click();
        });
        const TDiskChoice got = p.AskChangedOnDisk(U("Soubor byl mezitím změněn jiným programem. Chcete jej přepsat"));
        QTEST(int(got), "choice");
        QCOMPARE(title, U("Otázka"));
        QVERIFY(text.contains(U("změněn jiným programem")));
        captions.sort();
        QCOMPARE(captions, (QStringList {U("&Ano"), U("&Ne"), U("Načíst &znovu")}));
    }
};

QTEST_MAIN(TestFormHlaska)
#include "tst_formhlaska.moc"
