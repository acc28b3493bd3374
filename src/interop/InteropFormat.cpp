#include "interop/InteropFormat.h"

#include <array>

namespace {

struct TNamed
{
    TInteropFormat Format;
    const char *Name;
    const char *Suffix;
};
constexpr std::array<TNamed, 5> kFormats {{{TInteropFormat::VCard3, "vcard3", "vcf"},
                                           {TInteropFormat::VCard4, "vcard4", "vcf"},
                                           {TInteropFormat::CsvGoogle, "csv-google", "csv"},
                                           {TInteropFormat::CsvOutlook, "csv-outlook", "csv"},
                                           {TInteropFormat::Ics, "ics", "ics"}}};

} // namespace

namespace InteropFormat {

bool FromName(const QString &name, TInteropFormat &format)
{
    for (const TNamed &f : kFormats)
        if (name.compare(QLatin1String(f.Name), Qt::CaseInsensitive) == 0) {
            format = f.Format;
            return true;
        }
    return false;
}

QString Name(TInteropFormat format)
{
    return QLatin1String(kFormats[size_t(format)].Name);
}

QString Suffix(TInteropFormat format)
{
    return QLatin1String(kFormats[size_t(format)].Suffix);
}

} // namespace InteropFormat
