#pragma once

#include "printing/PageContent.h"

#include <QList>

// One envelope, landscape: the sender in the upper left corner, the addressee in the
// lower right part, clear of the edges where the post prints its codes.
class TEnvelope : public IPageSource
{
public:
    struct TKind
    {
        const char *Key; // "C5", "C6", "DL"
        TMmSize Size; // landscape
    };
    static const QList<TKind> &Kinds();
    // The kind of that key, or DL.
    static TKind Kind(const QString &key);

    TEnvelope(const TKind &kind, QStringList sender, QStringList addressee);

    TMmSize PageSize() const override { return m_kind.Size; }
    int PageCount() const override { return 1; }
    TPage Page(int index) const override;

    // The addressee's area: the right part from the middle down, 15 mm from the right
    // edge and 20 mm from the bottom.
    static TMmRect AddresseeBox(TMmSize size);
    static TMmRect SenderBox(TMmSize size);

private:
    TKind m_kind;
    QStringList m_sender;
    QStringList m_addressee;
};
