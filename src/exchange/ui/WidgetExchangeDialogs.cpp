#include "exchange/ui/WidgetExchangeDialogs.h"

#include "session/ui/DialogFrame.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QProgressDialog>
#include <QRegularExpression>

namespace {

QString U(const char *utf8) { return QString::fromUtf8(utf8); }

// The dialog must not come up with the hourglass of the work that asked for it.
void NormalCursor()
{
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

// "vcf" of "Vizitky vCard (*.vcf *.vcard)": what a name typed without one gets.
QString FirstSuffix(const QString &filter)
{
    static const QRegularExpression re(QStringLiteral("\\*\\.(\\w+)"));
    return re.match(filter).captured(1);
}

// The suffix follows the filter the person picks.
void FollowFilter(QFileDialog &d)
{
    QObject::connect(&d, &QFileDialog::filterSelected, &d, [&d](const QString &f) {
        const QString suffix = FirstSuffix(f);
        if (!suffix.isEmpty())
            d.setDefaultSuffix(suffix);
    });
}

} // namespace

TWidgetExchangeDialogs::TWidgetExchangeDialogs(QWidget *parent) : m_parent(parent)
{
}

TWidgetExchangeDialogs::~TWidgetExchangeDialogs()
{
    delete m_progress;
}

QStringList TWidgetExchangeDialogs::ImportFilters()
{
    // Both spellings: names on this system are case-sensitive, those written by DOS are not.
    return {U("Soubory DOSovského vorlinku (*.DTA *.dta)"),
            U("Databáze KONTAKTY programu ZEV (Kontakty.DB KONTAKTY.DB kontakty.db)"),
            U("Databáze FIRMY programu ZEV (Firmy.DB FIRMY.DB firmy.db)")};
}

bool TWidgetExchangeDialogs::AskImport(TImportChoice &choice)
{
    return AskImportWith(choice, {});
}

bool TWidgetExchangeDialogs::AskImportWith(TImportChoice &choice, const QStringList &extraFilters)
{
    QFileDialog d(m_parent, U("Import souboru do vorlinku"));
    d.setObjectName(QStringLiteral("OpenDialog2"));
    const QStringList own = ImportFilters();
    const QStringList filters = own + extraFilters;
    d.setNameFilters(filters);
    d.setDefaultSuffix(QStringLiteral("DTA"));
    d.setAcceptMode(QFileDialog::AcceptOpen);
    d.setFileMode(QFileDialog::ExistingFile);
    NormalCursor();
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty())
        return false;
    choice.Path = d.selectedFiles().constFirst();
    const qsizetype index = filters.indexOf(d.selectedNameFilter());
    choice.Extra = index >= own.size() ? int(index - own.size()) : -1;
    choice.Kind = TImportKind(index < 0 || choice.Extra >= 0 ? 1 : int(index) + 1);
    return true;
}

QString TWidgetExchangeDialogs::AskExport()
{
    int extra = -1;
    return AskExportWith({}, extra);
}

QString TWidgetExchangeDialogs::AskExportWith(const QStringList &extraFilters, int &extra)
{
    extra = -1;
    QFileDialog d(m_parent, U("Export z vorlinku"));
    d.setObjectName(QStringLiteral("SaveDialog2"));
    const QStringList filters = QStringList {U("Export vybrané masky (*.WDT *.wdt)")} + extraFilters;
    d.setNameFilters(filters);
    d.setDefaultSuffix(QStringLiteral("WDT"));
    FollowFilter(d);
    d.setAcceptMode(QFileDialog::AcceptSave);
    d.setFileMode(QFileDialog::AnyFile);
    NormalCursor();
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty())
        return QString();
    extra = int(filters.indexOf(d.selectedNameFilter())) - 1;
    return d.selectedFiles().constFirst();
}

void TWidgetExchangeDialogs::Progress(qint64 done, qint64 total)
{
    if (total <= 0 || done >= total) {
        // A new dialog for the next import, which starts timing again.
        delete m_progress;
        return;
    }
    if (!m_progress) {
        m_progress = new QProgressDialog(U("Načítají se záznamy…"), QString(), 0, 1000, m_parent);
        m_progress->setWindowTitle(U("Import souboru do vorlinku"));
        m_progress->setMinimumWidth(TDialogFrame::TitleWidth(m_progress));
        m_progress->setWindowModality(Qt::WindowModal);
        m_progress->setMinimumDuration(400);
        m_progress->setAutoClose(false);
        m_progress->setAutoReset(false);
    }
    m_progress->setValue(int(done * 1000 / total));
}
