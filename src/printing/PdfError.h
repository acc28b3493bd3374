#pragma once

#include <QString>

enum class TPdfError { None, NotRegular, Open, Write, Cancelled, Unavailable };

// A Czech sentence for a failure, naming the file.
QString PdfErrorText(TPdfError error, const QString &path);
