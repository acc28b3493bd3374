#pragma once

#include <QString>

class QFile;

// How opening a file to read went. Only a name that is not there is Missing; a link
// loop, an unreadable folder or a file of the wrong kind is not.
enum class TRegularOpen { Ok, Missing, NotRegular, Failed, TooLarge };

// Opens a regular file for reading by the bytes of its name, without waiting: a FIFO
// would block open() for ever, and a device or a folder is no file to read. The kind is
// checked again on what was opened. With `maxSize` >= 0 a larger file is TooLarge
// before a byte of it is read.
TRegularOpen OpenRegularFile(const QString &path, QFile &file, qint64 maxSize = -1);
