#pragma once

#include <QWidget>

#include "audio/StrikeRecorder.h"

namespace tomaro {

// The input level of the last capture buffer: the upper half shows the left peak, the lower half
// the right peak, each as a bar from the left edge of width = width * peak / 32768, the rest
// light grey. The bars are black; when the left peak reaches 32300 both turn red (255, 0, 0) and
// "Перегрузка" stands in the middle in yellow. The threshold is marked by an orange line across
// both bars. User-interface thread only.
class LevelMeter : public QWidget {
    Q_OBJECT

public:
    explicit LevelMeter(QWidget* parent = nullptr);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

    // Shows a new level and repaints when it changed (the main window calls this after every
    // capture buffer).
    void setLevel(InputLevel level);
    InputLevel level() const { return m_Level; }
    // The trigger threshold (0..32768), marked on the bar: a strike must pass it.
    void setThreshold(int threshold);
    int threshold() const { return m_Threshold; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    InputLevel m_Level;
    int m_Threshold = -1;  // not marked
};

}  // namespace tomaro
