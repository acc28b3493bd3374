#include "session/ui/QtCzech.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

// Qt 6.4's Czech catalogue misses the file dialog's "Type" texts: their context was
// renamed and the translations were not carried over.
class TFileTypeTexts : public QTranslator
{
public:
    using QTranslator::QTranslator;

    bool isEmpty() const override { return false; }

    QString translate(const char *context, const char *source, const char *, int) const override
    {
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0)
            return {};
        if (qstrcmp(source, "Folder") == 0)
            return QString::fromUtf8("Složka");
        if (qstrcmp(source, "Drive") == 0)
            return QStringLiteral("Disk");
        if (qstrcmp(source, "Unknown") == 0)
            return QString::fromUtf8("Neznámý");
        return {};
    }
};

} // namespace

bool InstallQtCzech()
{
    const QLocale czech(QLocale::Czech, QLocale::Czechia);
    // qt_cs is Qt's catalogue of catalogues: it pulls in qtbase_cs and the modules' files.
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(czech, QStringLiteral("qt"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(new TFileTypeTexts(QCoreApplication::instance()));
    // File type names in the file dialog follow the default locale.
    QLocale::setDefault(czech);
    return true;
}
