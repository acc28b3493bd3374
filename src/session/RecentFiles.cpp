#include "session/RecentFiles.h"

#include "session/Messages.h"
#include "util/Cp1250.h"
#include "util/TextRoutines.h"

void TRecentFiles::SetFiles(const QStringList &files)
{
    m_files = QStringList(kSlots);
    // A value no path can be as long as (edited by hand) is no recent file.
    for (int i = 0; i < kSlots && i < files.size(); ++i)
        m_files[i] = files[i].size() <= kLongestPath ? files[i] : QString();
    emit Changed();
}

void TRecentFiles::AddRecentFile(const QString &name)
{
    if (name == Msg::Unnamed() || name.isEmpty())
        return;
    const QByteArray upper = ToUpperCz(ToCp1250(name));
    int found = -1;
    for (int i = 0; i < kSlots; ++i) {
        if (!m_files[i].isEmpty() && ToUpperCz(ToCp1250(m_files[i])) == upper) {
            found = i;
            break;
        }
    }
    if (found == 0)
        return;
    const int from = found > 0 ? found : kSlots - 1;
    for (int i = from; i > 0; --i)
        m_files[i] = m_files[i - 1];
    m_files[0] = name;
    emit Changed();
}
