#include "dialling/ui/WidgetDiallingDialogs.h"

#include "dialling/ui/FormVytaceni.h"
#include "dialling/ui/FormVytaKonf.h"
#include "session/ui/EditorPages.h"

#include <QDesktopServices>
#include <QEvent>
#include <QGroupBox>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

TWidgetDiallingDialogs::TWidgetDiallingDialogs(TModemCall &call, QWidget *parent)
    : m_vytaceni(new TFormVytaceni(call, parent)), m_vytaKonf(new TFormVytaKonf(parent))
{
}

TWidgetDiallingDialogs::~TWidgetDiallingDialogs() = default;

void TWidgetDiallingDialogs::ShowCall()
{
    m_vytaceni->ShowCall();
}

bool TWidgetDiallingDialogs::EditDialling(TSettings &settings)
{
    return m_vytaKonf->Edit(settings);
}

bool TDesktopPhone::OpenTel(const QString &url)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // xdg-open starts even when nothing takes tel: links and then fails unseen; ask first.
    const QString mime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (!mime.isEmpty()) {
        QProcess query;
        query.start(mime, {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("x-scheme-handler/tel")});
        if (query.waitForFinished(3000) && query.readAllStandardOutput().trimmed().isEmpty())
            return false;
    }
#endif
    return QDesktopServices::openUrl(QUrl(url));
}

TPhoneFrameClicks::TPhoneFrameClicks(TEditorPages *pages) : QObject(pages), m_pages(pages)
{
    for (int g = 1; g <= 9; ++g)
        pages->GTelefon(g)->installEventFilter(this);
}

bool TPhoneFrameClicks::eventFilter(QObject *watched, QEvent *e)
{
    if (e->type() == QEvent::MouseButtonDblClick) {
        for (int g = 1; g <= 9; ++g) {
            if (watched == m_pages->GTelefon(g) && m_pages->GTelefon(g)->isEnabled()) {
                emit GroupDoubleClicked(g);
                break;
            }
        }
    }
    return QObject::eventFilter(watched, e);
}
