#pragma once

#include "session/AddressBook.h"

#include <QTextStream>

#include <functional>
#include <memory>

class TCliPrompt;

// A book read for a headless command; messages go to the error stream.
struct TCliBook
{
    std::unique_ptr<TCliPrompt> Prompt;
    std::unique_ptr<TAddressBook> Book;
};

// Null when the file could not be read (the Czech message is printed).
std::unique_ptr<TCliBook> ReadCliBook(const QString &path, QTextStream &err);

// Hands every entry's stored form to `each` in book order, holding no more than a block
// of them, for a command that needs a few fields of each. `header` gets the header
// first. False (after the message) when the file could not be read; entries handed
// before a failure are to be dropped.
bool ReadCliEach(const QString &path, TContactRecord &header, const std::function<void(TRecordView)> &each,
                 QTextStream &err);
