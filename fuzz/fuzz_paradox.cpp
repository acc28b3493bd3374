// Feeds arbitrary bytes to the table reader: the input is split into a .DB and a .MB file
// at a point its first two bytes choose, and read as both ZEV tables.
#include "FuzzInput.h"
#include "book/Book.h"
#include "exchange/ZevTables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const size_t split = qMin(size - 2, size_t(data[0] | (data[1] << 8)) * 16);
    const char *bytes = reinterpret_cast<const char *>(data + 2);
    FuzzFile("Kontakty.DB", bytes, split);
    FuzzFile("Kontakty.MB", bytes + split, size - 2 - split);
    for (ZevTables::TKind kind : {ZevTables::TKind::Kontakty, ZevTables::TKind::Firmy}) {
        TBook book;
        ZevTables::Read(kind, FuzzPath("Kontakty.DB"), book);
    }
    return 0;
}
