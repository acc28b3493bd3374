#pragma once

#include "sync/CalendarSync.h"

#include <QTextStream>
#include <QUrl>

class ICardMapping;
class TBook;
class TDavClient;

// The calendar of `sync --calendar`: the book's birthdays and name days published after
// its contacts. `start` is the calendar or the server to look it up on. Returns 0, 3 when
// events changed by someone else were left, 1 on failure (said on `err`). Prints its line
// of counts on `out`.
int PublishCalendar(const QUrl &start, const QString &bookPath, const TBook &book, TDavClient &client,
                    const ICardMapping &mapping, const TCalendarOptions &options, int timeoutMs, QTextStream &out,
                    QTextStream &err);
