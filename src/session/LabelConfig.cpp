#include "session/LabelConfig.h"

#include "session/MainView.h"
#include "session/Messages.h"
#include "session/Prompt.h"
#include "session/Session.h"
#include "util/Cp1250.h"

namespace {

// The caption slot of field `index`.
QByteArray &Slot(TBookLabels &l, int index)
{
    if (index < 9)
        return l.PhoneCaptions[size_t(index)];
    if (index < 12)
        return l.AddressCaptions[size_t(index - 9)];
    return l.FlagCaptions[size_t(index - 12)];
}

} // namespace

TLabelConfig::TLabelConfig(TSession &s) : m_s(s)
{
}

int TLabelConfig::Capacity(int index)
{
    if (index < 9)
        return TBookLabels::kPhoneCapacity;
    if (index < 12)
        return TBookLabels::kAddressCapacity;
    return TBookLabels::kFlagCapacity;
}

TLabelConfig::TTexts TLabelConfig::Activate(bool &lista)
{
    TTexts texts;
    for (int i = 0; i < kFieldCount; ++i)
        texts[size_t(i)] = FromCp1250(Slot(m_s.Book.Labels, i));
    lista = m_s.Settings.Lista;
    m_activationWidth = m_s.View.ListWidth();
    // A number the list never took is not shown again.
    if (Width < kMinWidth || Width > kMaxWidth)
        Width = m_activationWidth;
    return texts;
}

bool TLabelConfig::WidthChanged(int width)
{
    Width = width;
    if (width < kMinWidth || width > kMaxWidth)
        return false;
    m_s.View.SetListWidth(width);
    return true;
}

bool TLabelConfig::Apply(const TTexts &texts, bool lista)
{
    if (m_s.Prompt.Hlaska(Question(), THlaskaKind::Otazka) != kHlaskaAno)
        return false;
    for (int i = 0; i < kFieldCount; ++i) {
        // Cut as stored: one byte a character, whatever the text held.
        Slot(m_s.Book.Labels, i) = ToCp1250(texts[size_t(i)]).left(Capacity(i));
    }
    m_s.Settings.Lista = lista;
    if (!m_s.Store.SaveLista())
        m_s.Prompt.Hlaska(Msg::RegistryFailed(), THlaskaKind::Chyba);
    m_s.View.ApplyLabels(m_s.Book.Labels);
    m_s.Book.Changed = true;
    m_s.Book.UpdateStatusBar();
    return true;
}

void TLabelConfig::Cancel()
{
    m_s.View.SetListWidth(m_activationWidth);
    Width = m_activationWidth;
}
