#pragma once

#include <QScrollArea>
#include <limits>

namespace tomaro {

// The scroll area of the references dialog's rows: as tall as the rows while they fit the limit,
// scrolling beyond it; never a horizontal scroll bar. User-interface thread only.
class RowsScrollArea : public QScrollArea {
public:
    explicit RowsScrollArea(QWidget* parent);

    // The most the area shows of the rows, px; beyond it they scroll.
    void setVisibleHeightLimit(int limit);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    int m_Limit = std::numeric_limits<int>::max() / 2;
};

}  // namespace tomaro
