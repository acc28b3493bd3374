#pragma once

#include <QString>

#include <array>

class TSession;

// The label configuration dialog's rules: the 22 captions of the open book, the live
// width of the list of names and the tray flag "Lista". The dialog only shows and
// collects; the decisions are here.
class TLabelConfig
{
public:
    // Edit1..Edit9 telephone groups, Edit10..Edit12 addresses, Edit13..Edit22 flags.
    static constexpr int kFieldCount = 22;
    using TTexts = std::array<QString, kFieldCount>;

    static constexpr int kMinWidth = 100;
    static constexpr int kMaxWidth = 300;

    explicit TLabelConfig(TSession &s);

    // The width field keeps a valid number from one use of the dialog to the next;
    // after "&Zrušit" or one out of range it shows the list's width again.
    int Width = 150;

    // The stored length of field `index` (0-based): 20, 40 or 60 characters.
    static int Capacity(int index);
    static QString Question() { return QString::fromUtf8("Skutečně chcete změnit význam těchto položek v aktuáním vorlinku"); }

    // The dialog comes up: the fields as the book names them, "Lista" as set; the
    // list's width is remembered for a cancel.
    TTexts Activate(bool &lista);
    // The width field changed: a width of 100..300 is shown at once, others are ignored.
    bool WidthChanged(int width);
    // "&Použít": asks first; false keeps the dialog open with what was typed. Otherwise
    // the captions take the texts cut to their lengths, "Lista" is stored at once, the
    // window shows the captions and the book counts as changed.
    bool Apply(const TTexts &texts, bool lista);
    // "&Zrušit": the list gets back its width; nothing else changes.
    void Cancel();

private:
    TSession &m_s;
    int m_activationWidth = 0;
};
