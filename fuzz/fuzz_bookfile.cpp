// Any bytes as a book file: reading must fail cleanly or give records whose every
// field stays inside the record.
#include "FuzzInput.h"
#include "book/BookFile.h"
#include "book/BookLabels.h"
#include "session/AddressBook.h"
#include "session/Prompt.h"
#include "util/Cp1250.h"

namespace {

class TSilentPrompt : public IPrompt
{
public:
    int Hlaska(const QString &, THlaskaKind) override { return kHlaskaOk; }
    void SetBusy(bool) override { }
    QString AskOpenBook() override { return {}; }
    QString AskSaveBook() override { return {}; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = FuzzFile("f.wdt", data, size);
    if (path.isEmpty())
        return 0;

    TSilentPrompt prompt;
    TAddressBook book(prompt);
    TContactRecord header;
    if (BookFile::Read(path, header, book) == TBookFileError::None) {
        const TBookLabels labels = TBookLabels::FromHeader(header);
        (void)labels.ToHeader();
        for (qsizetype i = 0; i < book.RecordCount(); ++i) {
            const TContactRecord &r = book.Record(i);
            for (int f = 0; f < kTextFieldCount; ++f)
                (void)FromCp1250(r.TextView(EField(f)));
            (void)r.Note();
        }
        book.RefillList();
    }
    return 0;
}
