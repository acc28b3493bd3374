// Feeds arbitrary bytes to the DTA reader as a file.
#include "FuzzInput.h"
#include "book/Book.h"
#include "exchange/DtaFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = FuzzFile("f.DTA", data, size);
    if (path.isEmpty())
        return 0;
    TBook book;
    TBookLabels labels = TBookLabels::Defaults();
    DtaFile::Read(path, labels, book);
    return 0;
}
