#pragma once

#include "book/BookLabels.h"

#include <array>
#include <initializer_list>

class QButtonGroup;
class QGridLayout;
class QLabel;
class QWidget;

// One choice of a flag row: the button is named prefix plus the row's number.
struct TFlagChoice
{
    const char *Prefix;
    const char *Caption; // UTF-8
    int Id;
};

// The ten flag rows the mask dialogs share: label "l<n>" on the left, right-aligned, and
// panel "Panel<n>" with the row's choices as one exclusive group. The widgets belong to
// the parent; the caller places Layout().
class TFlagChoiceRows
{
public:
    TFlagChoiceRows(QWidget *parent, std::initializer_list<TFlagChoice> choices, int defaultId);

    QGridLayout *Layout() const { return m_grid; }
    const std::array<QLabel *, kFlagCount> &Labels() const { return m_labels; }
    const std::array<QButtonGroup *, kFlagCount> &Groups() const { return m_groups; }

    // The book's flag captions, cut to what a caption may hold.
    void SetCaptions(const TBookLabels &labels);
    void Check(int row, int id);
    int CheckedId(int row) const;

private:
    QGridLayout *m_grid;
    std::array<QLabel *, kFlagCount> m_labels {};
    std::array<QButtonGroup *, kFlagCount> m_groups {};
};
