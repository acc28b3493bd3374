#pragma once

#include <QString>
#include <QStringList>

// The program's shipped files (name-day calendar, chime, report templates). A portable
// copy keeps them beside the program; an installed one in share/vorlink of the XDG data
// directories. The first readable one in `directories`, in order, wins; then the data
// directories; empty when there is none.
QString FindDataFile(const QString &name, const QStringList &directories);

// The same for a folder (such as the report templates).
QString FindDataDir(const QString &name, const QStringList &directories);
