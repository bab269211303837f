#include "widgets/RowsScrollArea.h"

#include <QScrollBar>
#include <algorithm>

namespace tomaro {

RowsScrollArea::RowsScrollArea(QWidget* parent) : QScrollArea(parent) {
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::StyledPanel);
}

void RowsScrollArea::setVisibleHeightLimit(int limit) {
    m_Limit = limit;
    updateGeometry();
}

QSize RowsScrollArea::sizeHint() const {
    if (widget() == nullptr) return QScrollArea::sizeHint();
    QSize rows = widget()->sizeHint();
    int frame = 2 * frameWidth();
    int width = rows.width() + frame;
    if (rows.height() > m_Limit) width += verticalScrollBar()->sizeHint().width();
    return {width, std::min(rows.height(), m_Limit) + frame};
}

QSize RowsScrollArea::minimumSizeHint() const {
    QSize hint = sizeHint();
    return {hint.width(), std::min(hint.height(), 80)};
}

}  // namespace tomaro
