#pragma once

#include <QString>

// After a file was renamed into place, its folder is synced too, so the new name
// survives a power cut (a no-op where the system has no such call).
void SyncDirectoryOf(const QString &path);
