#pragma once

#include "session/AddressBook.h"

#include <QTextStream>

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
