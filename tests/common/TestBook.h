#pragma once

#include "book/ContactRecord.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class TAddressBook;
struct TBookLabels;

namespace TestBook {

QByteArray Cp(const char *utf8); // UTF-8 literal to Windows-1250

// A record with the given name (UTF-8) and optional flags (bit i-1 = flag i).
TContactRecord Entry(const char *name, unsigned flags = 0);

// The bytes of a book file: header from labels, then the records.
QByteArray FileBytes(const TBookLabels &labels, const QList<TContactRecord> &records);
bool WriteFile(const QString &path, const QByteArray &bytes);
QByteArray ReadFile(const QString &path);
// The names of what is in a folder, other than folders, sorted.
QStringList FilesIn(const QString &folder);

} // namespace TestBook
