#include "session/ui/WidestNameDelegate.h"

#include "session/NameList.h"
#include "util/Cp1250.h"

#include <QAbstractItemModel>
#include <QFontMetricsF>
#include <QHash>

#include <algorithm>
#include <array>
#include <vector>

namespace {

// How many of the names ranked widest are measured as drawn.
constexpr int kMeasured = 32;

} // namespace

int TWidestNameDelegate::FindWidest(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QAbstractItemModel *model = index.model();
    const int rows = model->rowCount(index.parent());
    const auto text = [&](int r) { return model->index(r, index.column(), index.parent()).data(Qt::DisplayRole).toString(); };
    // Shaping every name of a big book took a tenth of a second, again on every change of
    // the list. The advances of single characters, summed, rank the names; only the few
    // ranked widest are measured as drawn (kerning moves a name by a pixel or two).
    const QFontMetricsF metrics(option.font);
    std::vector<float> approx(size_t(rows), 0.0f);
    if (const auto *names = qobject_cast<const TNameList *>(model); names && names->Count() == rows) {
        std::array<float, 256> advance {};
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            const QString c = FromCp1250(QByteArrayView(&byte, 1));
            advance[size_t(b)] = c.isEmpty() ? 0.0f : float(metrics.horizontalAdvance(c));
        }
        for (int r = 0; r < rows; ++r) {
            float w = 0;
            for (const char c : names->At(r))
                w += advance[uchar(c)];
            approx[size_t(r)] = w;
        }
    } else {
        QHash<char16_t, float> advance;
        for (int r = 0; r < rows; ++r) {
            float w = 0;
            for (const QChar c : text(r)) {
                auto it = advance.constFind(c.unicode());
                if (it == advance.cend())
                    it = advance.insert(c.unicode(), float(metrics.horizontalAdvance(c)));
                w += *it;
            }
            approx[size_t(r)] = w;
        }
    }
    std::vector<int> order(static_cast<size_t>(rows));
    for (int r = 0; r < rows; ++r)
        order[size_t(r)] = r;
    const int measured = std::min(rows, kMeasured);
    std::partial_sort(order.begin(), order.begin() + measured, order.end(),
                      [&](int a, int b) { return approx[size_t(a)] > approx[size_t(b)] || (approx[size_t(a)] == approx[size_t(b)] && a < b); });
    order.resize(size_t(measured));
    std::sort(order.begin(), order.end());
    int widestRow = index.row();
    int widest = -1;
    for (const int r : order) {
        const int w = option.fontMetrics.horizontalAdvance(text(r));
        if (w > widest) {
            widest = w;
            widestRow = r;
        }
    }
    return widestRow;
}

QSize TWidestNameDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QAbstractItemModel *model = index.model();
    if (!model)
        return QStyledItemDelegate::sizeHint(option, index);
    const int rows = model->rowCount(index.parent());
    if (m_widestRow < 0 || m_widestRow >= rows)
        m_widestRow = FindWidest(option, index);
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    const QModelIndex widest = model->index(m_widestRow, index.column(), index.parent());
    size.setWidth(qMax(size.width(), QStyledItemDelegate::sizeHint(option, widest).width()));
    return size;
}
