#include "session/ui/QtCzech.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace {

QString U(const char *s) { return QString::fromUtf8(s); }

// The items of a widget's own right-click menu, without their key names.
QStringList MenuTexts(QMenu *menu)
{
    std::unique_ptr<QMenu> owned(menu);
    QStringList texts;
    for (QAction *a : menu->actions()) {
        if (!a->isSeparator())
            texts.append(a->text().section(QLatin1Char('\t'), 0, 0));
    }
    return texts;
}

QStringList DialogTexts(QFileDialog::AcceptMode mode)
{
    QFileDialog d;
    d.setOption(QFileDialog::DontUseNativeDialog);
    d.setAcceptMode(mode);
    QStringList texts;
    for (const char *name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"})
        texts.append(d.findChild<QLabel *>(QString::fromLatin1(name))->text());
    const QDialogButtonBox *box = d.findChild<QDialogButtonBox *>();
    for (QAbstractButton *b : box->buttons())
        texts.append(b->text());
    return texts;
}

} // namespace

class TestQtCzech : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!InstallQtCzech())
            QSKIP("Qt's Czech translations (package qt6-translations-l10n) are not installed");
    }

    void qtTextsAreCzech_data()
    {
        QTest::addColumn<QString>("surface");
        QTest::addColumn<QStringList>("texts");
        const QStringList dialog {U("Hledat v:"), U("Název &souboru:"), U("Soubory typu:")};
        QTest::newRow("edit field menu") << QStringLiteral("lineEdit")
                                         << QStringList {U("&Zpět"), U("&Znovu"), U("&Vyjmout"), U("&Kopírovat"),
                                                         U("&Vložit"), U("Smazat"), U("Vybrat vše")};
        QTest::newRow("note menu") << QStringLiteral("note")
                                   << QStringList {U("&Zpět"), U("&Znovu"), U("Vyj&mout"), U("&Kopírovat"),
                                                   U("&Vložit"), U("Smazat"), U("Vybrat vše")};
        QTest::newRow("open dialog") << QStringLiteral("open") << dialog + QStringList {U("&Otevřít"), U("Zrušit")};
        QTest::newRow("save dialog") << QStringLiteral("save") << dialog + QStringList {U("&Uložit"), U("Zrušit")};
        QTest::newRow("folder type in a dialog") << QStringLiteral("type") << QStringList {U("Složka")};
    }

    void qtTextsAreCzech()
    {
        QFETCH(QString, surface);
        QFETCH(QStringList, texts);
        QStringList shown;
        if (surface == QLatin1String("lineEdit")) {
            QLineEdit e;
            shown = MenuTexts(e.createStandardContextMenu());
        } else if (surface == QLatin1String("note")) {
            QPlainTextEdit e;
            shown = MenuTexts(e.createStandardContextMenu());
        } else if (surface == QLatin1String("type")) {
            shown.append(QFileIconProvider().type(QFileInfo(QDir::tempPath())));
        } else {
            shown = DialogTexts(surface == QLatin1String("open") ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
        }
        QCOMPARE(shown, texts);
    }
};

QTEST_MAIN(TestQtCzech)
#include "tst_qtczech.moc"
