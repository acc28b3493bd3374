#include "printing/PdfError.h"

QString PdfErrorText(TPdfError error, const QString &path)
{
    switch (error) {
    case TPdfError::None:
        return {};
    case TPdfError::NotRegular:
        return QString::fromUtf8("%1 není obyčejný soubor; PDF se do něj nezapíše.").arg(path);
    case TPdfError::Open:
        return QString::fromUtf8("Soubor %1 nelze vytvořit.").arg(path);
    case TPdfError::Write:
        return QString::fromUtf8("Soubor %1 se nepodařilo celý zapsat; starší soubor zůstal beze změny.").arg(path);
    case TPdfError::Cancelled:
        return QString::fromUtf8("Tisk do souboru %1 byl přerušen; starší soubor zůstal beze změny.").arg(path);
    case TPdfError::Unavailable:
        return QString::fromUtf8("Soubor %1 nelze vytvořit: chybí modul programu pro kreslení stránek.").arg(path);
    }
    return {};
}
