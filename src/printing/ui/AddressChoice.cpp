#include "printing/ui/AddressChoice.h"

#include "book/BookLabels.h"
#include "printing/AddressLines.h"
#include "settings/Settings.h"
#include "util/Cp1250.h"

#include <QComboBox>

QStringList AddressCaptions(const TBookLabels &labels)
{
    static const TBookLabels defaults = TBookLabels::Defaults();
    QStringList captions;
    for (size_t i = 0; i < labels.AddressCaptions.size(); ++i) {
        QString caption = FromCp1250(labels.AddressCaptions[i]).trimmed();
        if (caption.isEmpty())
            caption = FromCp1250(defaults.AddressCaptions[i]);
        captions.append(caption);
    }
    return captions;
}

void FillAddressChoice(QComboBox *combo, const TBookLabels &labels, int address)
{
    const QSignalBlocker quiet(combo);
    combo->clear();
    combo->addItems(AddressCaptions(labels));
    combo->setCurrentIndex(qBound(1, address, 3) - 1);
}

QStringList SenderLines(const TPrintSettings &print)
{
    return AddressLines(print.SenderName.simplified(), print.SenderStreet.simplified(), print.SenderPsc,
                        print.SenderTown.simplified(), print.SenderCountry.simplified());
}
