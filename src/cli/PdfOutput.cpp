#include "cli/PdfOutput.h"

#include "printing/paint/PdfModule.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace {

struct TModule
{
    QLibrary Library;
    TVorlinkPdfApplication Application = nullptr;
    TVorlinkPdfWrite Write = nullptr;
    TVorlinkPdfMonoMetrics MonoMetrics = nullptr;
    QString Problem;
};

TModule &Module()
{
    static TModule m;
    return m;
}

// The program's folder, known before any application object exists.
QString ProgramDir(char **argv)
{
    const QString self = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    if (!self.isEmpty())
        return QFileInfo(self).absolutePath();
    return QFileInfo(QFile::decodeName(argv[0])).absolutePath();
}

bool Load(char **argv)
{
    TModule &m = Module();
    if (m.Write)
        return true;
    const QString dir = ProgramDir(argv);
    // Beside the program in the build tree, in the library folder when installed.
    const QStringList candidates {dir + QStringLiteral("/vorlink-pdf"),
                                  QDir::cleanPath(dir + QStringLiteral("/" VORLINK_MODULE_DIR "/vorlink-pdf"))};
    for (const QString &candidate : candidates) {
        m.Library.setFileName(candidate);
        if (m.Library.load())
            break;
        m.Problem = m.Library.errorString();
    }
    if (!m.Library.isLoaded())
        return false;
    m.Application = reinterpret_cast<TVorlinkPdfApplication>(m.Library.resolve(VORLINK_PDF_APPLICATION));
    m.Write = reinterpret_cast<TVorlinkPdfWrite>(m.Library.resolve(VORLINK_PDF_WRITE));
    m.MonoMetrics = reinterpret_cast<TVorlinkPdfMonoMetrics>(m.Library.resolve(VORLINK_PDF_MONO_METRICS));
    if (!m.Application || !m.Write || !m.MonoMetrics) {
        m.Problem = m.Library.errorString();
        m.Write = nullptr;
        return false;
    }
    return true;
}

} // namespace

namespace PdfOutput {

QCoreApplication *MakeApplication(int &argc, char **argv, QString &problem)
{
    if (!Load(argv)) {
        problem = QString::fromUtf8("Modul pro kreslení stránek (vorlink-pdf) nelze načíst: ") + Module().Problem;
        return nullptr;
    }
    return Module().Application(&argc, argv);
}

bool Available()
{
    return Module().Write != nullptr;
}

TMonoMetrics MonoMetrics()
{
    TMonoMetrics m;
    if (Available())
        Module().MonoMetrics(&m);
    return m;
}

TPdfError Write(const QString &path, const IPageSource &source)
{
    if (!Available())
        return TPdfError::Unavailable;
    return TPdfError(Module().Write(&path, &source));
}

} // namespace PdfOutput
